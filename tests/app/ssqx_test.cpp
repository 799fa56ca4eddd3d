#include "app/ssqx.h"

#include "device/DeviceLink.h"
#include "device/Met1.h"
#include "platform/forms/Forms.h"
#include "trend/ChartShared.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QSqlDatabase>
#include <gtest/gtest.h>

namespace {

// A fresh overview per test, unloaded afterwards the way "退出" will do it.
class OverviewTest : public testing::Test {
protected:
    void SetUp() override
    {
        forms::SetUpStation(*qApp);
        StatusValues.fill(0);
        CommandValues.fill(0);
        window = &forms::Instance<ssqx>();
    }
    void TearDown() override
    {
        if (forms::IsLoaded<ssqx>()) {
            window->CloseGuard = false;
            window->Unload();
        }
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    ssqx* window = nullptr;
};

// Renders the window as loaded and with the other tab pages in front, for
// a look by eye: overview.png, overview-tabs1.png, overview-tabs2.png in the
// build folder.
TEST_F(OverviewTest, RendersToPng)
{
    window->show();
    window->Timer1_Timer();
    // Texts of the width the chart will write, to see that they fit.
    for (int i = 0; i < 7; ++i)
        window->Label5[static_cast<size_t>(i)]->setText(QString::number(i * 250));
    for (int i = 0; i < 9; ++i) {
        window->Label4[static_cast<size_t>(i)]->setText(QStringLiteral("23:59:59"));
        window->Label7[static_cast<size_t>(i)]->setText(QStringLiteral("12-31-2024"));
    }
    window->Label2[9]->setText(QStringLiteral("12-31-2024"));
    window->Label2[10]->setText(QStringLiteral("23:59:59"));
    const QDir out(QStringLiteral(ZC4160_TEST_OUTPUT_DIR));
    auto save = [&](const char* name) {
        const QImage image = window->grab().toImage();
        EXPECT_EQ(image.size(), QSize(1296, 762));
        EXPECT_TRUE(image.save(out.filePath(QString::fromUtf8(name))));
        if (qEnvironmentVariableIsSet("ZC4160_CROPS")) {
            const auto v = qEnvironmentVariable("ZC4160_CROPS").split(QLatin1Char(','));
            const QRect r(v[0].toInt(), v[1].toInt(), v[2].toInt(), v[3].toInt());
            image.copy(r).scaled(r.size() * 2).save(QStringLiteral("/tmp/crop-%1").arg(QString::fromUtf8(name)));
        }
    };
    save("overview.png");
    window->SSTab1->setCurrentIndex(2);
    window->SSTab2->setCurrentIndex(0);
    save("overview-tabs1.png");
    window->SSTab1->setCurrentIndex(0);
    window->SSTab2->setCurrentIndex(1);
    save("overview-tabs2.png");
}

} // namespace
