#include "app/frmSplash.h"

#include "app/ssqx.h"
#include "device/Met1.h"
#include "trend/ChartShared.h"
#include "trend/mscom.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>

namespace {
constexpr int kPictureWidth = 1000;
constexpr int kPictureHeight = 348;
}

frmSplash::frmSplash()
{
    setObjectName(QStringLiteral("frmSplash"));
    setWindowFlags(Qt::SplashScreen | Qt::FramelessWindowHint);
    setFixedSize(kPictureWidth, kPictureHeight);
    Label1 = new QLabel(QStringLiteral("系统正在初始化数据引擎，请稍后。。。。。。"), this);
    Label1->setFont(forms::SongFont(15));
    forms::SetTextColour(Label1, Qt::white);
    Label1->setGeometry(470, 250, 510, 40);
    Label1->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);

    Timer2.setInterval(200);
    Timer1.setInterval(100);
    connect(&Timer2, &QTimer::timeout, this, &frmSplash::Timer2_Timer);
    connect(&Timer1, &QTimer::timeout, this, &frmSplash::Timer1_Timer);

    if (QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    Form_Load();
}

void frmSplash::Form_Load()
{
    YSpan = 1500;
    // Keys change nothing on the splash, Alt+F4 included: closed before the
    // hand-over it would leave a station without any window, which nothing
    // could end. Only the hand-over unloads it.
    CloseGuard = true;
    Timer2.start();
}

void frmSplash::Timer2_Timer()
{
    ++ticks_;
    if (ticks_ > 6) {
        Timer2.stop();
        ticks_ = 0;
        Timer1.start();
    }
}

void frmSplash::Timer1_Timer()
{
    Timer2.stop();
    Timer1.stop();
    CloseGuard = false;
    Unload();
    // The splash is gone from the default instance now; what follows must
    // not touch its members. The station keeps running without a window
    // until the overview shows (see forms::SetUpStation).
    forms::Instance<ssqx>().show();
    Met1::instance();
    mscom::instance();
}

void frmSplash::Form_Unload() { Timer1.stop(); }

// Keys have no effect on the splash.
void frmSplash::keyPressEvent(QKeyEvent* event) { event->accept(); }

// The picture: a night-blue field with a trend curve over a grid, our own
// drawing.
void frmSplash::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, kPictureHeight);
    sky.setColorAt(0, QColor(14, 40, 86));
    sky.setColorAt(1, QColor(6, 18, 44));
    p.fillRect(rect(), sky);
    p.setPen(QPen(QColor(60, 96, 150), 1));
    for (int x = 0; x < kPictureWidth; x += 50)
        p.drawLine(x, 0, x, kPictureHeight);
    for (int y = 0; y < kPictureHeight; y += 50)
        p.drawLine(0, y, kPictureWidth, y);
    QPainterPath curve;
    curve.moveTo(0, 280);
    curve.cubicTo(200, 280, 260, 90, 420, 110);
    curve.cubicTo(560, 125, 640, 170, 1000, 150);
    p.setPen(QPen(QColor(255, 96, 64), 4));
    p.drawPath(curve);
    QPainterPath setpoint;
    setpoint.moveTo(0, 300);
    setpoint.lineTo(300, 120);
    setpoint.lineTo(1000, 120);
    p.setPen(QPen(QColor(96, 220, 120), 2, Qt::DashLine));
    p.drawPath(setpoint);
    p.setPen(QColor(230, 236, 255));
    p.setFont(forms::ArialFont(40, true));
    p.drawText(QRect(40, 24, 600, 70), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("ZC4160"));
}
