// Measures the live poll against the simulated controller paced at 38400
// and 9600 baud: the cycle as a ratio of the physical line time of its three
// transactions, and the longest gap in the event loop while the poll runs,
// with a healthy and with a silent controller.

#include "Simulator.h"
#include "common/PacedLine.h"
#include "device/DeviceLink.h"
#include "device/Met1.h"
#include "platform/modbus/modbus_link.h"
#include "platform/modbus/modbus_rtu.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLoggingCategory>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

// Reads of 64, 16 and 32 registers.
constexpr Transaction kPoll[] = {ReadTransaction(64), ReadTransaction(16), ReadTransaction(32)};

// The longest time the event loop went without running while the poll ran
// for the given time.
double LongestGapMs(int runMs)
{
    QElapsedTimer clock;
    clock.start();
    qint64 last = clock.nsecsElapsed();
    qint64 longest = 0;
    QTimer probe;
    probe.setInterval(0);
    QObject::connect(&probe, &QTimer::timeout, [&] {
        const qint64 now = clock.nsecsElapsed();
        longest = std::max(longest, now - last);
        last = now;
    });
    probe.start();
    SwitchLivePoll(true);
    QEventLoop loop;
    QTimer::singleShot(runMs, &loop, &QEventLoop::quit);
    loop.exec();
    SwitchLivePoll(false);
    probe.stop();
    return longest / 1e6;
}

bool Run(int baudIndex, const std::string& dir)
{
    const int baud = modbus::BaudRate(baudIndex);
    const std::unique_ptr<zc4160sim::Simulator> sim = OpenPacedLine(baudIndex, dir);
    if (!sim)
        return false;

    double lineMs = 0, longestTransactionMs = 0;
    for (const auto& t : kPoll) {
        lineMs += LineMs(baud, t);
        longestTransactionMs = std::max(longestTransactionMs, LineMs(baud, t));
    }
    const double timeoutMs = modbus::ResponseTimeoutMs(baudIndex);

    constexpr int kCycles = 20;
    Met1::instance().LivePoll();   // warm up
    QElapsedTimer t;
    double total = 0, worst = 0;
    for (int i = 0; i < kCycles; ++i) {
        t.start();
        Met1::instance().LivePoll();
        const double ms = t.nsecsElapsed() / 1e6;
        total += ms;
        worst = std::max(worst, ms);
    }
    const double meanMs = total / kCycles;
    const double ratio = meanMs / lineMs;

    const double healthyGap = LongestGapMs(3000);
    sim->setFault(zc4160sim::Fault::NoAnswer);
    const double silentGap = LongestGapMs(3000);
    sim->setFault(zc4160sim::Fault::None);
    ClosePort_Modbus(1);

    std::printf("%6d baud: line time of the three transactions %.1f ms, poll cycle %.1f ms "
                "(worst %.1f), ratio %.3f (target <= 1.10) %s\n",
                baud, lineMs, meanMs, worst, ratio, ratio <= 1.10 ? "ok" : "MISSED");
    std::printf("%6d baud: longest event-loop gap healthy %.1f ms = %.3f x the longest "
                "transaction %.1f ms (target <= 1.2) %s\n",
                baud, healthyGap, healthyGap / longestTransactionMs, longestTransactionMs,
                healthyGap <= 1.2 * longestTransactionMs ? "ok" : "MISSED");
    // A silent call waits the whole timeout, so what it costs beyond it is
    // the call's own work (the request written, the wake-up, the flush).
    std::printf("%6d baud: longest event-loop gap silent %.1f ms = %.3f x the response timeout "
                "%.0f ms, %.1f ms beyond it (target <= 1.0) %s\n",
                baud, silentGap, silentGap / timeoutMs, timeoutMs, silentGap - timeoutMs,
                silentGap <= timeoutMs ? "ok" : "MISSED");
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QLoggingCategory::setFilterRules("zc4160.*=false");
    char pattern[] = "/tmp/zc4160-bench.XXXXXX";
    const std::string dir = mkdtemp(pattern);
    bool ok = Run(3, dir) && Run(1, dir);
    std::filesystem::remove_all(dir);
    return ok ? 0 : 1;
}
