#include "app/frmSplash.h"

#include "app/ssqx.h"
#include "device/DeviceLink.h"
#include "device/Met1.h"
#include "platform/forms/Forms.h"
#include "trend/ChartShared.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QKeyEvent>
#include <gtest/gtest.h>

namespace {

// From the splash to the overview: seven ticks of 200 ms and one of 100 ms,
// keys ignored on the way, the process kept alive while no window is shown,
// the live poll left off and no port opened.
TEST(StartUp, SplashHandsOverToTheOverview)
{
    forms::SetUpStation(*qApp);
    EXPECT_FALSE(qApp->quitOnLastWindowClosed());
    YSpan = 0;
    CommPar.fill(0);
    QElapsedTimer clock;
    clock.start();
    frmSplash& splash = forms::Instance<frmSplash>();
    splash.show();
    EXPECT_EQ(YSpan, 1500);
    EXPECT_TRUE(splash.Timer2.isActive());
    EXPECT_EQ(splash.Label1->text(), QStringLiteral("系统正在初始化数据引擎，请稍后。。。。。。"));
    EXPECT_EQ(splash.size(), QSize(1000, 348));
    // For a look by eye: splash.png in the build folder.
    EXPECT_TRUE(splash.grab().save(
        QDir(QStringLiteral(ZC4160_TEST_OUTPUT_DIR)).filePath(QStringLiteral("splash.png"))));

    // Keys while the splash waits change nothing.
    int keysSent = 0;
    QTimer keys;
    keys.setInterval(150);
    QObject::connect(&keys, &QTimer::timeout, [&] {
        if (!forms::IsLoaded<frmSplash>())
            return;
        for (int key : {Qt::Key_Escape, Qt::Key_Return, Qt::Key_F4, Qt::Key_A}) {
            QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
            QCoreApplication::sendEvent(&forms::Instance<frmSplash>(), &press);
        }
        // Alt+F4 too: a close request before the hand-over is refused.
        forms::Instance<frmSplash>().close();
        EXPECT_TRUE(forms::IsLoaded<frmSplash>());
        ++keysSent;
    });
    keys.start();

    // The loop ends with 7 once the overview shows. Any other end means the
    // application quit (all loops end) or the hand-over never came.
    constexpr int kShown = 7;
    QEventLoop loop;
    qint64 shownAfter = -1;
    QTimer watch;
    watch.setInterval(10);
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (forms::IsLoaded<ssqx>() && forms::Instance<ssqx>().isVisible()) {
            shownAfter = clock.elapsed();
            loop.exit(kShown);
        }
    });
    watch.start();
    QTimer::singleShot(15000, &loop, [&] { loop.exit(-1); });
    EXPECT_EQ(loop.exec(), kShown);
    keys.stop();

    EXPECT_GE(keysSent, 3);
    EXPECT_GE(shownAfter, 1300);  // 7 x 200 + 100 ms, allowing coarse timers
    EXPECT_LE(shownAfter, 10000);
    EXPECT_FALSE(forms::IsLoaded<frmSplash>());
    EXPECT_EQ(YSpan, 1500);
    EXPECT_FALSE(Met1::instance().Timer1.isActive());
    EXPECT_EQ(Met1::instance().Timer1.interval(), 500);
    for (size_t i : {0u, 1u, 2u, 3u, 20u})
        EXPECT_EQ(CommPar[i], 0) << "CommPar(" << i << ")";

    ssqx& overview = forms::Instance<ssqx>();
    overview.CloseGuard = false;
    overview.Unload();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

} // namespace
