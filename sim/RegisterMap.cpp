#include "RegisterMap.h"

#include <array>

namespace zc4160sim {
namespace {

// Registers 1 to 80: the live status. The process rewrites the values that
// follow the output; the others stand as they are here.
constexpr int16_t kStatus[80] = {
    25,   0,    300,  25,   22,   300,  500,  25,   // 1 PV, 2 OP x10, 3 SV, 4 PV1, 5 PV2, 6 SV1, 7 SV2, 8
    0,    0,    0,    0,                          // 9 mode, 10 SV source, 11, 12
    1000, 0,    0,    0,                          // 13-15 valve upper/lower/opening x10, 16
    0,    25,   0,    1,    0,    0,    1,    1,  // 17 program state, 18 PV, 19 SV, 20 segment, 21-24
    0,    0,    0,    0,                          // 25 deviation wait, 26-28
    0,    0,    0,    0,                          // 29-32 sensors OK
    1,    2,    0,    0,                          // 33-36 alarm types 1 high, 2 low
    0,    0,    0,    0,                          // 37-40 relays
    0,    0,    0,    0,    0,    0,    0,    0,    0,   // 41-49 DO1-DO9
    1,    0,    0,    0,    0,    0,    0,    0,    0,   // 50-58 DI1-DI9
    0,    0,                                      // 59, 60
    1,    85,   240,  600,  120,  180,  300,  0,    // 61 group, 62 P x10, 63 I, 64 D x10, 65 P2 x10, 66 I2, 67 D2 x10, 68
    1,    1000, 0,    1,    2,    500,  800,  100,  // 69 P limit, 70/71 P upper/lower x10, 72 P-PID, 73 S group, 74 S limit, 75/76 x10
    2,    0,    0,    0,                          // 77 S-PID, 78-80
};

// Registers 301 to 332: the command block as the controller echoes it.
constexpr int16_t kCommands[32] = {
    0,   300, 500, 0, 0, 0, 1, 0,   // 301 OP x10, 302 SV1, 303 SV2, 304, 305 program, 306 jump, 307 curve, 308
    0,   0,   0,   0, 0, 0, 0, 0,   // 309 mode, 310 SV1/SV2, 311 SV/PROG, 312, 313 autotune, 314-316
    0,   0,   0,   0, 0, 0, 0, 0, 0,   // 317-325 force DO1-DO9
    0,   0,   0,   0, 0, 0, 0,      // 326-332
};

// Registers 601 to 616: the four alarms, type, value, hysteresis, delay.
constexpr int16_t kAlarms[16] = {
    1, 1000, 5, 0,   2, 50, 5, 0,   3, 20, 5, 0,   0, 0, 5, 0,
};

// Registers 1001 to 1016: the program's basic functions (13 used).
constexpr int16_t kProgramBasics[16] = {
    1, 20, 0, 1, 0, 10, 0, 1, 0, 0, 1, 0, 0, 0, 0, 0,
};

// Registers 1017 to 1528: 20 curves of segments, each segment a setpoint and
// a time in minutes; a ramp up, a soak and a ramp down, repeated.
constexpr std::array<int16_t, 512> kSegments = [] {
    std::array<int16_t, 512> v{};
    constexpr int16_t sv[5] = {100, 300, 300, 150, 25};
    constexpr int16_t minutes[5] = {10, 20, 30, 15, 10};
    for (std::size_t i = 0; i + 1 < v.size(); i += 2) {
        v[i] = sv[(i / 2) % 5];
        v[i + 1] = minutes[(i / 2) % 5];
    }
    return v;
}();

// Registers 2001 to 2016: PID of both outputs.
constexpr int16_t kPid[16] = {
    85, 240, 600, 0, 120, 180, 300, 0, 1000, 0, 50, 10, 1, 0, 0, 0,
};

// Registers 2201 to 2264: ten PID groups of six (P x10, I, D x10, P2, I2, D2).
constexpr std::array<int16_t, 64> kGroupPid = [] {
    std::array<int16_t, 64> v{};
    for (int g = 0; g < 10; ++g) {
        const int16_t row[6] = {int16_t(60 + 5 * g), int16_t(200 + 10 * g), int16_t(500 + 20 * g),
                                int16_t(100 + 5 * g), int16_t(150 + 10 * g), int16_t(250 + 20 * g)};
        for (int k = 0; k < 6; ++k)
            v[std::size_t(6 * g + k)] = row[k];
    }
    return v;
}();

// Registers 2501 to 2564: the grouping switch, then ten groups of four
// (boundary, upper limit x10, lower limit x10, PID group).
constexpr std::array<int16_t, 64> kGroupOutput = [] {
    std::array<int16_t, 64> v{};
    v[0] = 0;
    for (int g = 0; g < 10; ++g) {
        v[std::size_t(1 + 4 * g)] = int16_t(100 * (g + 1));
        v[std::size_t(2 + 4 * g)] = 1000;
        v[std::size_t(3 + 4 * g)] = 0;
        v[std::size_t(4 + 4 * g)] = int16_t(g + 1);
    }
    return v;
}();

// Registers 3201 to 3212: address, mask and gateway, an octet each.
constexpr int16_t kNetwork[12] = {192, 168, 1, 100, 255, 255, 255, 0, 192, 168, 1, 1};

// Registers 4097 to 4288: the configuration record of eleven tabs: input
// types, ranges, decimal points, output kinds, communication settings...
constexpr std::array<int16_t, 192> kConfiguration = [] {
    std::array<int16_t, 192> v{};
    constexpr int16_t head[16] = {0, 1, 0, 1300, 0, 0, 1300, 1, 0, 0, 1, 3, 2, 1, 0, 0};
    for (std::size_t i = 0; i < v.size(); ++i)
        v[i] = i < 16 ? head[i] : int16_t(i % 7 == 0 ? 1 : (i % 5) * 10);
    return v;
}();

// Register 4609: the grouped PID switch.
constexpr int16_t kGroupSwitch[1] = {1};

// Registers 24577 to 24640: calibration, zero and gain of each range.
constexpr std::array<int16_t, 64> kCalibration = [] {
    std::array<int16_t, 64> v{};
    for (std::size_t i = 0; i < v.size(); ++i)
        v[i] = i % 2 == 0 ? int16_t(int(i % 9) - 4) : int16_t(10000 + 3 * int(i));
    return v;
}();

constexpr RegisterBlock kBlocks[] = {
    {"live status", 1, kStatus},
    {"commands", 301, kCommands},
    {"alarms", 601, kAlarms},
    {"program basics", 1001, kProgramBasics},
    {"program segments", 1017, kSegments},
    {"PID", 2001, kPid},
    {"grouped PID", 2201, kGroupPid},
    {"grouped output", 2501, kGroupOutput},
    {"network", 3201, kNetwork},
    {"configuration", 4097, kConfiguration},
    {"grouped PID switch", 4609, kGroupSwitch},
    {"calibration", 24577, kCalibration},
};

} // namespace

std::span<const RegisterBlock> PowerUpBlocks() { return kBlocks; }

} // namespace zc4160sim
