// Measures the program editor:
// - "读仪表" (the whole handler: nine reads, the store, the progress bar and
//   the grids switched) against the simulated controller paced at 38400
//   and 9600 baud, as a ratio of the physical line time of its nine
//   transactions (target at most 1.05), and against a minimal master making
//   the same nine reads on the same line (plain libmodbus, one thread,
//   nothing in between; target at most 1.05), the two alternating press by
//   press;
// - the 1000 ms refresh of the 513 value cells with the views' repaint,
//   where nothing changed and where every value changed, as a share of its
//   tick.

#include "common/MeanMs.h"
#include "common/MinimalMaster.h"
#include "common/PacedLine.h"
#include "device/Met1.h"
#include "platform/modbus/modbus_rtu.h"
#include "program/Tech.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLoggingCategory>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

// One read of 16 registers and eight of 64.
double ProgramLineMs(int baud)
{
    double ms = LineMs(baud, ReadTransaction(16));
    for (int i = 0; i < 8; ++i)
        ms += LineMs(baud, ReadTransaction(64));
    return ms;
}

bool ReadAtBaud(Tech& page, int baudIndex, const std::string& dir)
{
    const int baud = modbus::BaudRate(baudIndex);
    const std::unique_ptr<zc4160sim::Simulator> sim = StartPacedLine(baudIndex, dir);
    if (!sim)
        return false;
    // Each press from a window at rest, as an operator's presses come: the
    // poll that the press switches on goes off again before the next.
    auto settle = [] {
        SwitchLivePoll(false);
        QApplication::processEvents();
    };
    // The same nine reads by the minimal master, the station's port closed
    // meanwhile.
    bool masterRead = true;
    auto master = [&] {
        ClosePort_Modbus(1);
        double ms = 0;
        {
            MinimalMaster m(sim->linkPath(), baud);
            QElapsedTimer t;
            t.start();
            bool ok = m.Read(1001, 16);
            for (int first = 1017; first < 1529; first += 64)
                ok = m.Read(first, 64) && ok;
            ms = t.nsecsElapsed() / 1e6;
            masterRead = masterRead && ok;
        }
        masterRead = OpenPort1(baudIndex) && masterRead;
        return ms;
    };
    QElapsedTimer clock;
    double total = 0, masterTotal = 0;
    constexpr int kPresses = 10;
    page.Command2->click();   // warm up
    master();
    for (int i = 0; i < kPresses; ++i) {
        settle();
        clock.start();
        page.Command2->click();
        total += clock.nsecsElapsed() / 1e6;
        settle();
        masterTotal += master();
    }
    settle();
    const double ms = total / kPresses;
    const double masterMs = masterTotal / kPresses;
    const bool read = !page.FaultLabel->isVisible()
                      && sim->requests().size() == 2 * 9 * (kPresses + 1) && masterRead;
    const double lineMs = ProgramLineMs(baud);
    const double ratio = ms / lineMs;
    std::printf("%6d baud: \"读仪表\" %.1f ms, line time of its nine transactions %.1f ms, "
                "ratio %.3f (target <= 1.05) %s\n",
                baud, ms, lineMs, ratio, ratio <= 1.05 && read ? "ok" : "MISSED");
    const double masterRatio = ms / masterMs;
    std::printf("%6d baud: \"读仪表\" %.1f ms against the minimal master's %.1f ms for the "
                "same nine reads: ratio %.3f (target <= 1.05) %s\n",
                baud, ms, masterMs, masterRatio, masterRatio <= 1.05 && read ? "ok" : "MISSED");
    return read;
}

void Refresh(Tech& page)
{
    program::ProgramValues& values = Tech::State().Values;
    auto tick = [&] {
        page.Timer1_Timer();
        QApplication::processEvents();   // the views paint what changed
    };
    const double unchanged = MeanMs(200, tick);
    int round = 0;
    const double allChanged = MeanMs(200, [&] {
        ++round;
        for (size_t i = 0; i < 13; ++i)
            values.BasicValues[i] = int32_t(i) + round;
        for (size_t i = 0; i < 500; ++i)
            values.SegmentValues[i] = int32_t(i) + round;
        tick();
    });
    std::printf("refresh of the 513 value cells with the views' repaint: nothing changed %.3f ms "
                "= %.3f %% of the 1000 ms tick; every value changed %.3f ms = %.3f %% "
                "(target <= 1 %%) %s\n",
                unchanged, unchanged / 10, allChanged, allChanged / 10,
                allChanged <= 10 && unchanged <= 10 ? "ok" : "MISSED");
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QLoggingCategory::setFilterRules("zc4160.*=false");
    forms::SetUpStation(app);
    Tech& page = forms::Instance<Tech>();
    page.show();
    QApplication::processEvents();
    page.Timer1.stop();

    char pattern[] = "/tmp/zc4160-bench.XXXXXX";
    const std::string dir = mkdtemp(pattern);
    const bool ok = ReadAtBaud(page, 3, dir) && ReadAtBaud(page, 1, dir);
    std::filesystem::remove_all(dir);
    Refresh(page);
    std::fflush(stdout);
    std::_Exit(ok ? 0 : 1);
}
