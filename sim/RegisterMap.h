#pragma once
// The simulated controller's register blocks and the values it holds at
// power-up. Every holding register answers; those outside the blocks hold 0.

#include <cstdint>
#include <span>

namespace zc4160sim {

struct RegisterBlock {
    const char* name;
    int first;                        // register number of the first value
    std::span<const int16_t> values;  // values from first on
};

// The blocks in register order. Registers 3001 to 3008 (the clock) are
// filled from the computer's clock on every process step and are not here.
std::span<const RegisterBlock> PowerUpBlocks();

// The clock block: year, month, day, hour, minute, second, weekday (0 is
// Sunday), and a 0.
inline constexpr int kClockFirst = 3001;
inline constexpr int kClockCount = 8;

} // namespace zc4160sim
