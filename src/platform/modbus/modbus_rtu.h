#pragma once
// The station's four calls into the Modbus RTU master. Every call completes
// before it returns; the station calls them from its one thread only.
//
// Result codes shared by every caller:
//    0     success
//   -8888  no answer within the response timeout
//   -1     the port is not open or could not be opened
//   -2     the controller answered with a Modbus exception
//   -3     a damaged answer (CRC, length, wrong station)
//   -4     not sent: unsafe arguments (count outside 1..64, station outside
//          1..247, value outside -32768..65535)

#include <cstdint>

namespace modbus {
enum Result : int32_t {
    kOk = 0,
    kNoAnswer = -8888,
    kPortNotOpen = -1,
    kException = -2,
    kDamaged = -3,
    kUnsafe = -4,
};

// What one register write carries: the 16 bits of a register, given as a
// signed or an unsigned number. Set_4X_D1 refuses any other value (kUnsafe)
// rather than send it wrapped; whoever must know beforehand whether a whole
// set of values can be written asks the same rule.
inline constexpr int32_t kMinRegisterValue = -32768;
inline constexpr int32_t kMaxRegisterValue = 65535;
constexpr bool FitsRegister(double value)
{
    return value >= kMinRegisterValue && value <= kMaxRegisterValue;
}
} // namespace modbus

// port 1..20 is /dev/ttyS<port-1> unless ZC4160_PORT<port> names a device;
// baud index 0..8 is 4800..921600; parity index 0 none, 1 odd, 2 even.
// Opening an open port reopens it; each port number has its own connection.
// A port is opened for this station alone, by a lock on the device that
// ends with the process however it ends: one that another station (or a
// program that locks the port the same way) holds does not open, nor does
// one whose line does not take the baud rate. A program that merely has
// the device open is not noticed.
int32_t OpenPort_Modbus(int32_t port, int32_t baudIndex, int32_t parityIndex);
int32_t ClosePort_Modbus(int32_t port);

// Reads count holding registers from register number first (on the line as
// address first - 1) into buffer[0..count-1], sign-extended. A failed read
// leaves the buffer as it was.
int32_t Get_4X_DX(int32_t port, int32_t station, int32_t first, int32_t count, int32_t* buffer);

// Writes one holding register (function 6).
int32_t Set_4X_D1(int32_t port, int32_t station, int32_t reg, int32_t value);
