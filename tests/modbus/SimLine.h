#pragma once
// A simulated controller on a fresh pseudo-terminal, with port N of the
// Modbus layer pointed at it. Used by the Modbus and device tests.

#include "Simulator.h"
#include "platform/modbus/modbus_link.h"
#include "platform/modbus/modbus_rtu.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace testsupport {

class SimLine {
public:
    explicit SimLine(int port = 1, zc4160sim::Options options = {})
        : port_(port)
    {
        char pattern[] = "/tmp/zc4160-test.XXXXXX";
        dir_ = mkdtemp(pattern);
        options.linkPath = dir_ + "/line";
        options.processRunning = false;
        sim_ = std::make_unique<zc4160sim::Simulator>(options);
        std::string error;
        started_ = sim_->start(&error);
        EXPECT_TRUE(started_) << error;
        setenv(("ZC4160_PORT" + std::to_string(port)).c_str(), sim_->linkPath().c_str(), 1);
    }
    ~SimLine()
    {
        ClosePort_Modbus(port_);
        sim_.reset();
        std::filesystem::remove_all(dir_);
    }
    zc4160sim::Simulator& sim() { return *sim_; }
    zc4160sim::Simulator* operator->() { return sim_.get(); }
    int port() const { return port_; }
    bool started() const { return started_; }

private:
    int port_;
    std::string dir_;
    std::unique_ptr<zc4160sim::Simulator> sim_;
    bool started_ = false;
};

// Records the Modbus layer's calls while it lives.
class CallLog {
public:
    CallLog() { modbus::SetCallObserver([this](const modbus::CallRecord& r) { calls.push_back(r); }); }
    ~CallLog() { modbus::SetCallObserver({}); }
    size_t count(modbus::Call kind) const
    {
        size_t n = 0;
        for (const auto& c : calls)
            n += c.call == kind;
        return n;
    }
    std::vector<modbus::CallRecord> calls;
};

// Whether a call may have failed on the simulator rather than the link: a
// stall in what came in as its answer as long as the byte timeout, which
// the link rightly takes for the end of an answer.
inline bool ExcusesAFailure(const std::optional<zc4160sim::Stall>& stall)
{
    return stall && stall->pause >= std::chrono::milliseconds(modbus::kByteTimeoutMs);
}

// "a pause of 72.4 ms"
inline std::string PauseText(const zc4160sim::Stall& stall)
{
    const auto us = stall.pause.count();
    return "a pause of " + std::to_string(us / 1000) + "." + std::to_string(us % 1000 / 100)
           + " ms";
}

// Frames reach the simulator at once over a pseudo-terminal; a short wait
// lets a frame that should not have been sent show up if it was.
inline void LetTheLineSettle() { std::this_thread::sleep_for(std::chrono::milliseconds(50)); }

} // namespace testsupport
