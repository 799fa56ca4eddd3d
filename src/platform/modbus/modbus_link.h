#pragma once
// What the Modbus layer tells beyond its four calls: the line settings it
// derives from the indices, and a hook that sees every call, for tests that
// must count calls which never reach the line (a closed port).

#include <cstdint>
#include <functional>

#include <termios.h>

namespace modbus {

// Bits per second of baud index 0..8, 0 for an index outside the table.
int32_t BaudRate(int32_t baudIndex);

// The response timeout of a line at this baud index: the time the longest
// answer (64 registers, 133 characters of 11 bits) takes on the line, plus
// 100 ms. 0 for an index outside the table.
int32_t ResponseTimeoutMs(int32_t baudIndex);

// Whether a line whose settings read back these input and output speeds
// runs at baud bits per second, a rate of the table: an input speed of 0
// is the output's. An open that leaves the line at another rate is no open.
bool LineRunsAt(int32_t baud, speed_t input, speed_t output);

// The longest pause between two bytes of one answer: a longer one ends the
// answer there, and the call fails. Generous for USB adapters
// that hand the bytes over in bursts, short against an answer that breaks
// off.
inline constexpr int32_t kByteTimeoutMs = 50;

enum class Call { Open, Close, Read, Write };

struct CallRecord {
    Call call;
    int32_t port;
    int32_t station;        // 0 for open and close
    int32_t reg;            // first register of a read, the register of a write
    int32_t countOrValue;   // count of a read, value of a write
    int32_t result;
};

// Called after every one of the four calls returns, on the caller's thread.
// It must not call the Modbus layer itself. An empty function removes the
// hook.
using CallObserver = std::function<void(const CallRecord&)>;
void SetCallObserver(CallObserver observer);

} // namespace modbus
