#pragma once
// Puts the station-wide tables of the device link and the live poll back to
// their start-up state, so that each test starts as the station does.

#include "device/DeviceLink.h"
#include "device/Met1.h"
#include "modbus/SimLine.h"

#include <QCoreApplication>
#include <QElapsedTimer>

namespace testsupport {

inline void ResetStation()
{
    SwitchLivePoll(false);
    Met1::instance().SkippedTicks = 0;
    CommPar.fill(0);
    StatusValues.fill(0);
    CommandValues.fill(0);
    RegBuf.fill(0);
    RegBuf2.fill(0);
}

// How much later than due a window's timer may fire on a loaded runner
// under the sanitizers: the upper margin of the real-time check a cadence
// test keeps. A timer never fires more than 5 % early (a coarse timer's
// slack), so the lower bounds stay close. The checks count from the opening,
// never between two ticks: a tick that came late is followed by one on time,
// so the space between them shrinks by the lateness.
inline constexpr int kLateTimerMs = 500;

// Runs the event loop until done() or the time is up.
template <typename Done>
bool RunEventsUntil(Done done, int timeoutMs)
{
    QElapsedTimer t;
    t.start();
    while (!done()) {
        if (t.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

// Runs the event loop for ms milliseconds.
inline void RunEventsFor(int ms)
{
    QElapsedTimer t;
    t.start();
    RunEventsUntil([&] { return t.elapsed() >= ms; }, ms + 1000);
}

inline LinkSelection DefaultSelection()
{
    return {"1 ", "3: 38400 BPS", {false, false, true}, "1 "};
}

// The station as at start-up with "打开" pressed on the default selection,
// port 1 on a simulated controller whose process stands still.
class LinkTest : public testing::Test {
protected:
    void SetUp() override
    {
        ResetStation();
        ASSERT_TRUE(line.started());
        ASSERT_EQ(OpenLink(DefaultSelection()), 0);
    }
    void TearDown() override { ResetStation(); }
    SimLine line{1};
};

} // namespace testsupport
