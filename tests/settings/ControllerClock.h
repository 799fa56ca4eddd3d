#pragma once
// The simulated controller's clock runs on from where it was last set, as
// a real controller's does, so its registers cannot simply be held: the
// tests set it with writes, as the station does, and then expect the
// fields as set with the seconds run on by a few.

#include "device/DeviceLink.h"
#include "modbus/SimLine.h"

#include <QString>
#include <array>

namespace testsupport {

// 2030-01-02 03:04:05.
inline constexpr std::array<int, 6> kSetClock = {2030, 1, 2, 3, 4, 5};

inline void SetControllerClock(SimLine& line, int year = kSetClock[0])
{
    WriteRegister(3001, year, WriteRule::NoAnswer);
    for (int k = 1; k < 6; ++k)
        WriteRegister(3001 + k, kSetClock[size_t(k)], WriteRule::NoAnswer);
    line->clearRequests();
}

// Whether six values show the clock as set (a test lasts seconds, not a
// minute).
template <typename Value>
bool ShowsSetClock(const std::array<Value, 6>& shown, int year = kSetClock[0])
{
    auto number = [](const Value& v) {
        if constexpr (std::is_same_v<Value, QString>)
            return v.toInt();
        else
            return int(v);
    };
    if (number(shown[0]) != year)
        return false;
    for (size_t k = 1; k < 5; ++k)
        if (number(shown[k]) != kSetClock[k])
            return false;
    return number(shown[5]) >= kSetClock[5] && number(shown[5]) <= kSetClock[5] + 30;
}

} // namespace testsupport
