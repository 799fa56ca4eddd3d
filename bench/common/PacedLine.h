#pragma once
// A simulated controller paced at a real line rate, with the station's port
// 1 opened on it, and the physical time of Modbus RTU transactions on that
// line: 11-bit characters and the silent gap of 3.5 characters (1.75 ms
// above 19200 baud) before each frame, as the simulator paces its answers.

#include "Simulator.h"
#include "device/DeviceLink.h"
#include "platform/modbus/modbus_link.h"

#include <QString>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

struct Transaction {
    int requestChars;
    int answerChars;
};

// A read of count registers: an 8-character request, an answer of
// 5 + 2 x count characters.
constexpr Transaction ReadTransaction(int count) { return {8, 5 + 2 * count}; }

// The characters alone, without the gaps.
inline double CharactersMs(int baud, const Transaction& t)
{
    return (t.requestChars + t.answerChars) * 11000.0 / baud;
}

inline double LineMs(int baud, const Transaction& t)
{
    const double gapMs = baud > 19200 ? 1.75 : 3.5 * 11000.0 / baud;
    return CharactersMs(baud, t) + 2 * gapMs;
}

// The simulator started on its line, which becomes the station's port 1;
// nothing when it does not start.
inline std::unique_ptr<zc4160sim::Simulator> StartSimulator(const zc4160sim::Options& options)
{
    auto sim = std::make_unique<zc4160sim::Simulator>(options);
    std::string error;
    if (!sim->start(&error)) {
        std::fprintf(stderr, "simulator: %s\n", error.c_str());
        return nullptr;
    }
    setenv("ZC4160_PORT1", sim->linkPath().c_str(), 1);
    return sim;
}

// Port 1 opened at the rate of the baud index with even parity, station 1,
// as "打开" does; false (and said) when it does not open.
inline bool OpenPort1(int baudIndex)
{
    const QString baudText =
        QString::number(baudIndex) + ": " + QString::number(modbus::BaudRate(baudIndex)) + " BPS";
    if (OpenLink({"1 ", baudText, {false, false, true}, "1 "}) != 0) {
        std::fprintf(stderr, "open failed\n");
        return false;
    }
    return true;
}

// The simulator on a new line in dir, paced at the rate of the baud index,
// its process standing still, and port 1 opened on it at that rate with
// even parity; nothing when either fails.
inline std::unique_ptr<zc4160sim::Simulator> StartPacedLine(int baudIndex, const std::string& dir)
{
    const int baud = modbus::BaudRate(baudIndex);
    zc4160sim::Options options;
    options.linkPath = dir + "/line" + std::to_string(baud);
    options.pacingBaud = baud;
    options.processRunning = false;
    auto sim = StartSimulator(options);
    if (!sim || !OpenPort1(baudIndex))
        return nullptr;
    return sim;
}
