// Measures the grid page mechanism:
// - one tick of the largest grid (the program editor's 500 segment rows,
//   shown from its array) and one RefreshPage of the largest page that
//   reads its own rows (the grouped PID sets, 60 rows from a read of 64),
//   each with the view's repaint, where nothing changed and where every
//   value changed, as a share of a 1000 ms tick (target at most 1 %);
// - the station's own CPU (its one thread) with the overview, the recorder,
//   the live poll and the alarm page running against the simulated
//   controller paced at 38400 baud, as a share of one core over 10 s
//   (target at most 2 %).

#include "Simulator.h"
#include "app/Startup.h"
#include "app/ssqx.h"
#include "common/MeanMs.h"
#include "common/PacedLine.h"
#include "device/DeviceLink.h"
#include "device/Met1.h"
#include "pages/ALM1.h"
#include "pages/FenzuPID.h"
#include "pages/ParameterGrid.h"
#include "platform/basic/numbers.h"
#include "program/ProgramMap.h"
#include "trend/mscom.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLoggingCategory>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <ctime>
#include <string>
#include <vector>

namespace {

double ThreadCpuMs()
{
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

void RunEvents(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// The view's share of a tick, nothing changed and every value changed,
// each measured in one run: update() brings the grid up to date, and the
// view paints what the change notice made dirty.
struct TickCost {
    double unchanged;
    double allChanged;
};
template <typename Update, typename Change>
TickCost MeasureTicks(Update&& update, Change&& change)
{
    auto tick = [&] {
        update();
        QApplication::processEvents();
    };
    tick();
    const double unchanged = MeanMs(200, tick);
    int round = 0;
    const double allChanged = MeanMs(200, [&] {
        change(++round);
        tick();
    });
    return {unchanged, allChanged};
}

void PrintTicks(const char* what, const TickCost& cost)
{
    std::printf("%s: nothing changed %.3f ms = %.3f %% of the 1000 ms tick; every value changed "
                "%.3f ms = %.3f %% (target <= 1 %%) %s\n",
                what, cost.unchanged, cost.unchanged / 10, cost.allChanged, cost.allChanged / 10,
                cost.allChanged <= 10 && cost.unchanged <= 10 ? "ok" : "MISSED");
}

// The largest grid, the program editor's 500 segment rows: its tick shows
// the editor's array in the value cells (it reads nothing itself).
void TickOf500Rows()
{
    const pages::GridLayout layout{
        .headers = {"程序曲线段设置 ", "参数值", "地址", "参数范围", "参数说明"},
        .widthsTwips = {2250, 900, 550, 1600, 2200},
        .fontPoints = 9.75,
    };
    pages::PageState edit;   // the editor's grids keep no buffer
    QWidget host;
    host.resize(525, 605);
    pages::ParameterGrid grid(program::SegmentPage(), layout, edit, &host);
    grid.setGeometry(host.rect());
    host.show();
    QApplication::processEvents();

    std::vector<int32_t> values(500, 0);
    std::vector<QString> texts(values.size());
    const TickCost cost = MeasureTicks(
        [&] {
            for (size_t i = 0; i < values.size(); ++i)
                texts[i] = basic::PlainText(int64_t(values[i]));
            grid.Model().SetValueTexts(texts);
        },
        [&](int round) {
            for (size_t i = 0; i < values.size(); ++i)
                values[i] = int32_t(i) + round;
        });
    PrintTicks("tick of the 500-row segment grid (from its array) with the view's update", cost);
}

// RefreshPage itself on the largest page that reads its own rows, the
// grouped PID sets (60 rows from a read of 64), its read answered at once
// by the simulator on an unpaced line: what the tick costs the station
// beside the line's time.
bool RefreshOf60Rows(const std::string& dir)
{
    zc4160sim::Options options;
    options.linkPath = dir + "/unpaced";
    options.processRunning = false;
    const auto sim = StartSimulator(options);
    if (!sim || !OpenPort1(3))   // 38400 baud
        return false;
    const pages::GridLayout layout{
        .headers = pages::kPageHeaders,
        .widthsTwips = {3000, 1500, 1100, 1600, 9100},
        .fontPoints = 12,
    };
    QWidget host;
    host.resize(1108, 384);
    pages::ParameterGrid grid(FenzuPID::Page(), layout, FenzuPID::State(), &host);
    grid.setGeometry(host.rect());
    host.show();
    QApplication::processEvents();

    bool allRead = true;
    const TickCost cost = MeasureTicks([&] { allRead = grid.RefreshPage() && allRead; },
                                       [&](int round) {
                                           for (int r = 1; r <= 64; ++r)
                                               sim->setReg(2200 + r, r + round);
                                       });
    CloseLink();
    PrintTicks("RefreshPage of the 60-row grouped PID page (its read on an unpaced line) with the "
               "view's update",
               cost);
    return allRead;
}

bool StationWithAlarmPage(const std::string& dir)
{
    zc4160sim::Options options;
    options.linkPath = dir + "/line";
    options.pacingBaud = 38400;
    const auto sim = StartSimulator(options);
    if (!sim)
        return false;

    PrepareStation(*qApp);
    ssqx& overview = forms::Instance<ssqx>();
    overview.show();
    mscom::instance();
    overview.Command9->click();   // "打开": the live poll runs
    overview.Command15->click();  // "报警设定"
    RunEvents(2000);              // settle: first reads, first rows

    const double cpuBefore = ThreadCpuMs();
    QElapsedTimer wall;
    wall.start();
    RunEvents(10000);
    const double cpu = ThreadCpuMs() - cpuBefore;
    const double share = cpu / double(wall.elapsed()) * 100;
    std::printf("station with the alarm page open and polling at 38400 baud: %.0f ms of CPU in "
                "%.1f s = %.2f %% of one core (target <= 2 %%) %s\n",
                cpu, wall.elapsed() / 1000.0, share, share <= 2 ? "ok" : "MISSED");
    std::fflush(stdout);
    const bool reading = !sim->requests().empty() && sim->requests().back().reg() != 0;
    if (forms::IsLoaded<ALM1>())
        forms::ClosePage(forms::Instance<ALM1>());
    return reading;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QLoggingCategory::setFilterRules("zc4160.*=false");
    QTemporaryDir dir;
    qputenv("ZC4160_DB", dir.filePath(QStringLiteral("Rdatabj.db")).toUtf8());
    TickOf500Rows();
    const bool read = RefreshOf60Rows(dir.path().toStdString());
    const bool ok = StationWithAlarmPage(dir.path().toStdString()) && read;
    std::fflush(stdout);
    std::_Exit(ok ? 0 : 1);
}
