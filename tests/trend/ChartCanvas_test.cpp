// The canvas and the widget binding on a small host window: the replayed
// picture, the cursor overlay, the key preview, and a rendered sample.

#include "ChartFixture.h"
#include "platform/forms/Forms.h"
#include "trend/ChartEngine.h"
#include "trend/ChartShared.h"
#include "trend/ChartWidgetBinding.h"

#include <QApplication>
#include <QDir>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QTimer>
#include <gtest/gtest.h>

using namespace chart;
using chart::testing::RingFixture;

namespace {

const QDateTime kNoon(QDate(2024, 3, 5), QTime(12, 0, 0));

// A minimal chart window: the canvas at 15 twips a pixel and the controls
// the engine drives.
struct TestHost : QWidget {
    TestHost()
    {
        resize(1000, 640);
        pt = new ChartCanvas(this);
        pt->setGeometry(20, 30, 801, 501);
        hc = new QSlider(Qt::Horizontal, this);
        hc->setGeometry(20, 10, 801, 15);
        c.pt = pt;
        c.hc = hc;
        c.dateLabel = new QLabel(this);
        c.timeLabel = new QLabel(this);
        for (auto& l : c.yLabels) l = new QLabel(this);
        for (auto& l : c.timeLabels) l = new QLabel(this);
        for (auto& l : c.dateLabels) l = new QLabel(this);
        for (auto& l : c.readout) l = new QLabel(this);
        int y = 30;
        for (QPushButton** b : {&Command4, &Command3, &Command5, &Command7, &Command8}) {
            *b = new QPushButton(this);
            (*b)->setGeometry(840, y, 120, 30);
            y += 40;
        }
        c.Command4 = Command4;
        c.Command3 = Command3;
        c.Command5 = Command5;
        c.Command7 = Command7;
        c.Command8 = Command8;
        Timer1.setInterval(200);
        c.Timer1 = &Timer1;
        c.Command1_Click = [this] { ++exits; };
    }
    ChartCanvas* pt;
    QSlider* hc;
    QPushButton *Command4, *Command3, *Command5, *Command7, *Command8;
    QTimer Timer1;
    ChartControls c;
    int exits = 0;
};

void SendKey(QWidget* to, int key)
{
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(to, &press);
}

} // namespace

TEST(ChartCanvas, HostWindowRendersAKnownSample)
{
    RingFixture ring;
    // A slow ramp with a five-minute hole 60 rows before the head.
    ring.WriteRing(QStringLiteral("pv_data"), 1000, 1000, kNoon);
    for (int id = 1; id <= 1000; ++id) {
        const int age = 1000 - id;
        const QDateTime t = kNoon.addSecs(-age - (age > 60 ? 300 : 0));
        ring.WriteRow(QStringLiteral("pv_data"), id, t,
                      {float(700 + 400 * std::sin(id / 15.0)), float(50 + 40 * std::cos(id / 25.0)),
                       800, float(600 + id % 50), 300, 0, 0, float(id)});
    }
    ring.SetHeads(1000, 0);
    YSpan = 1500;
    YMin = 0;
    CurveSel = {};
    CurveSel[3] = true;

    TestHost host;
    ChartWidgetBinding binding(host.c);
    bool curveOpen = false, newRow = false;
    ChartEngine engine(kOverviewChart, binding, {&curveOpen, &newRow});
    ConnectChartControls(host.c, engine);
    forms::KeyPreview preview(&host, [&engine](QKeyEvent* event) {
        engine.Form_KeyDown(event->key());
        return false;
    });
    engine.Setup(ring.Database());
    host.show();
    QApplication::processEvents();

    EXPECT_EQ(host.c.timeLabels[6]->text(), QStringLiteral("12:00:00"));
    EXPECT_FALSE(host.Command3->isEnabled());
    EXPECT_EQ(host.hc->minimum(), -1);
    EXPECT_EQ(host.hc->maximum(), 12001);
    EXPECT_EQ(host.hc->singleStep(), 50);
    EXPECT_EQ(host.hc->pageStep(), 50);

    // The picture is what the engine computed; the canvas replays it.
    EXPECT_EQ(host.pt->Picture().lines.size(), engine.Picture().lines.size());
    const QImage image = host.pt->grab().toImage();
    const QString file = QDir(QCoreApplication::applicationDirPath()).filePath("chart_sample.png");
    EXPECT_TRUE(image.save(file));
    // The canvas shows white paper, a red PV curve and the yellow gap line.
    auto count = [&](QColor colour) {
        int n = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                n += image.pixelColor(x, y) == colour;
        return n;
    };
    EXPECT_GT(count(Qt::white), image.width() * image.height() / 2);
    EXPECT_GT(count(QColor(255, 0, 0)), 200);
    EXPECT_GT(count(QColor(255, 255, 0)), 100);

    // Moving the cursor repaints from the cached picture.
    host.Command5->click();
    EXPECT_TRUE(host.hc->isEnabled());
    EXPECT_EQ(host.Command5->text(), QStringLiteral("F4 复原"));
    EXPECT_FALSE(host.Timer1.isActive());
    const int renders = host.pt->RenderCount();
    host.hc->setValue(4500);
    host.pt->grab();
    EXPECT_EQ(host.pt->RenderCount(), renders);
    EXPECT_EQ(host.pt->Cursor().from.x(), 4500);
    EXPECT_EQ(host.c.readout[3]->text(), QStringLiteral("619"));   // sample 210, id 969
    EXPECT_EQ(host.c.readout[3]->palette().color(QPalette::Window), QColor(255, 255, 0));
    const QImage withCursor = host.pt->grab().toImage();
    EXPECT_EQ(withCursor.pixelColor(300, 250), QColor(192, 0, 192));
    withCursor.save(QDir(QCoreApplication::applicationDirPath()).filePath("chart_ruler.png"));

    // Keys reach the engine before the focused control: F1 on the slider
    // zooms out, Esc presses the exit button.
    host.activateWindow();
    host.hc->setFocus();
    QApplication::processEvents();
    if (QApplication::focusWidget() == host.hc) {
        SendKey(host.hc, Qt::Key_F1);
        EXPECT_EQ(engine.State().ZoomLevel, 2);
        SendKey(host.hc, Qt::Key_Escape);
        EXPECT_EQ(host.exits, 1);
    } else {
        SendKey(&host, Qt::Key_F1);
        EXPECT_EQ(engine.State().ZoomLevel, 2);
    }
    CurveSel = {};
}
