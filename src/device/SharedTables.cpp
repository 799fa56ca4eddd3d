// The station-wide tables of the device link and the live poll. They are
// plain arrays, zero at start, shared by every window on the one thread.
#include "device/DeviceLink.h"
#include "device/Met1.h"

std::array<int32_t, 501> CommPar{};
std::array<float, 301> StatusValues{};
std::array<float, 301> CommandValues{};
std::array<int32_t, 501> RegBuf{};
std::array<int32_t, 501> RegBuf2{};
