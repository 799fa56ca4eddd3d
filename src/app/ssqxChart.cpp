#include "app/ssqxChart.h"

#include "app/ssqx.h"
#include "device/Met1.h"
#include "platform/db/DatabaseFile.h"
#include "trend/ChartEngine.h"
#include "trend/ChartWidgetBinding.h"
#include "trend/RecorderShared.h"

#include <QEvent>
#include <QKeyEvent>
#include <QVBoxLayout>
#include <memory>

namespace chart {

namespace {

// Lives as a child of the overview, so it goes with the window; the
// unload hook tears it down first.
class OverviewChart : public QObject {
public:
    explicit OverviewChart(ssqx& window)
        : QObject(&window), binding_(Controls(window)),
          engine_(kOverviewChart, binding_, {&CurveOpen, &NewShortRec})
    {
        // The chart goes at the unload while the overview's controls stay
        // until the window is deleted: the connections go with the chart.
        ConnectChartControls(binding_.Controls(), engine_, this);
        connect(window.Command26, &QAbstractButton::clicked, this, [this, &window] {
            engine_.Command26_Click(window.YKD->text(), window.YKD1->text());
        });
        connect(window.Command2, &QAbstractButton::clicked, this, [this] { engine_.Command2_Click(); });
        connect(window.Command6, &QAbstractButton::clicked, this, [this] { engine_.Command6_Click(); });
        for (QLabel* label : window.Label5)
            if (label)
                label->installEventFilter(this);
    }

    ChartEngine& Engine() { return engine_; }

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::MouseButtonDblClick)
            engine_.Label5_DblClick();
        return false;
    }

private:
    static ChartControls Controls(ssqx& w)
    {
        // The canvas fills the overview's picture box pt, whatever size the
        // load gives it.
        auto* canvas = new ChartCanvas(w.pt);
        auto* layout = new QVBoxLayout(w.pt);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(canvas);

        ChartControls c;
        c.pt = canvas;
        c.hc = w.hc;
        c.dateLabel = w.Label2.count(9) ? w.Label2.at(9) : nullptr;
        c.timeLabel = w.Label2.count(10) ? w.Label2.at(10) : nullptr;
        c.yLabels = w.Label5;
        c.timeLabels = w.Label4;
        c.dateLabels = w.Label7;
        for (size_t i = 0; i < 6; ++i)
            c.readout[i] = w.D_4WH[i];
        c.Command4 = w.Command4;
        c.Command3 = w.Command3;
        c.Command5 = w.Command5;
        c.Command7 = w.Command7;
        c.Command8 = w.Command8;
        c.Timer1 = &w.Timer1;
        c.yEditor = {w.Label9, w.YKD, w.Label10, w.YKD1, w.Command26};
        c.Command1_Click = [&w] { w.Command1_Click(); };
        return c;
    }

    ChartWidgetBinding binding_;
    ChartEngine engine_;
};

OverviewChart* ChartOf(ssqx& w)
{
    // No meta-object of its own, so look it up by type, not by qobject_cast.
    for (QObject* child : w.children())
        if (auto* chart = dynamic_cast<OverviewChart*>(child))
            return chart;
    return nullptr;
}

} // namespace

void InstallOverviewChart()
{
    OverviewChartHooks& hooks = ssqx::ChartHooks();
    hooks.setUpAtLoad = [](ssqx& w) {
        auto* chart = ChartOf(w);
        if (!chart)
            chart = new OverviewChart(w);
        chart->Engine().Setup(db::OpenConnection(ssqx::kConnection));
    };
    hooks.liveTickSteps = [](ssqx& w) {
        if (auto* chart = ChartOf(w))
            chart->Engine().LiveTick(StatusValues);
    };
    hooks.stepXText = [](ssqx& w) {
        auto* chart = ChartOf(w);
        return chart ? chart->Engine().StepXText() : QString();
    };
    hooks.redrawTick = [](ssqx& w) {
        if (auto* chart = ChartOf(w))
            chart->Engine().RedrawTick();
    };
    hooks.clockTick = [](ssqx& w) {
        if (auto* chart = ChartOf(w))
            chart->Engine().ClockTick();
    };
    // A chart key is the chart's alone: F4 must not also open the list
    // that has the focus. Other keys go on to the control.
    hooks.keyDown = [](ssqx& w, QKeyEvent* event) {
        auto* chart = ChartOf(w);
        return chart && chart->Engine().Form_KeyDown(event->key());
    };
    hooks.unload = [](ssqx& w) {
        if (auto* chart = ChartOf(w)) {
            chart->Engine().Teardown();
            delete chart;
        }
    };
}

} // namespace chart
