#pragma once
// The simulated controller on a fresh pseudo-terminal, paced at the real
// rate of a baud index, with port 1 opened to it as "打开" opens it; and the
// physical line time of one transaction on such a line.

#include "Simulator.h"
#include "device/DeviceLink.h"
#include "platform/modbus/modbus_link.h"

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

struct Transaction {
    int requestChars;
    int answerChars;
};

// Request and answer in 11-bit characters, each after the silent gap that
// opens a frame (3.5 characters, 1.75 ms above 19200 baud).
inline double LineMs(int baud, const Transaction& t)
{
    const double charMs = 11000.0 / baud;
    const double gapMs = baud > 19200 ? 1.75 : 3.5 * charMs;
    return (t.requestChars + t.answerChars) * charMs + 2 * gapMs;
}

// The simulator linked at dir/line<baud> with port 1 open to it, or nothing
// (said on standard error).
inline std::unique_ptr<zc4160sim::Simulator> StartPacedLine(int baudIndex, const std::string& dir)
{
    const int baud = modbus::BaudRate(baudIndex);
    zc4160sim::Options options;
    options.linkPath = dir + "/line" + std::to_string(baud);
    options.pacingBaud = baud;
    options.processRunning = false;
    auto sim = std::make_unique<zc4160sim::Simulator>(options);
    std::string error;
    if (!sim->start(&error)) {
        std::fprintf(stderr, "simulator: %s\n", error.c_str());
        return nullptr;
    }
    setenv("ZC4160_PORT1", sim->linkPath().c_str(), 1);
    const QString baudText = QString::number(baudIndex) + ": " + QString::number(baud) + " BPS";
    if (OpenLink({"1 ", baudText, {false, false, true}, "1 "}) != 0) {
        std::fprintf(stderr, "open failed\n");
        return nullptr;
    }
    return sim;
}
