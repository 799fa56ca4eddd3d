// The station's Modbus RTU master over libmodbus: one connection per port
// number, 8 data bits and 1 stop bit at the baud and parity of the indices.

#include "platform/modbus/modbus_rtu.h"

#include "platform/modbus/modbus_link.h"

#include <QLoggingCategory>
#include <QString>

#include <array>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>
#include <string>
#include <tuple>

#include <modbus.h>

Q_LOGGING_CATEGORY(lcModbus, "zc4160.modbus")

namespace modbus {
namespace {

constexpr int32_t kBaudRates[] = {4800, 9600, 19200, 38400, 57600, 115200, 230400, 460800, 921600};
constexpr char kParities[] = {'N', 'O', 'E'};
constexpr const char* kParityNames[] = {"no parity", "odd parity", "even parity"};

constexpr int32_t kPortCount = 20;
constexpr int32_t kMaxCount = 64;
constexpr int32_t kMaxStation = 247;
constexpr int32_t kLongestAnswerCharacters = 5 + 2 * kMaxCount;   // station, function, count, data, CRC
constexpr int32_t kBitsPerCharacter = 11;
constexpr int32_t kTimeoutMarginMs = 100;
// Between two bytes of one answer: generous for USB adapters that hand the
// bytes over in bursts, short against an answer that breaks off.
constexpr int32_t kByteTimeoutMs = 50;

struct Connection {
    modbus_t* ctx = nullptr;
    std::string device;
    bool lineLost = false;   // an I/O error: reopen the device before the next call
};

// Index 0 stands for port 0, which never opens.
std::array<Connection, kPortCount + 1> connections;

// Serialises the calls: the station makes them from one thread, but nothing
// may ever put two transactions on one line at once.
std::mutex callMutex;

// Last result per port, kind of call and register, so that a fault that
// repeats every poll tick is logged once, when it begins.
std::map<std::tuple<int32_t, Call, int32_t>, int32_t> lastResults;

CallObserver observer;

std::string DevicePath(int32_t port)
{
    const std::string name = "ZC4160_PORT" + std::to_string(port);
    if (const char* path = std::getenv(name.c_str()); path && *path)
        return path;
    return "/dev/ttyS" + std::to_string(port - 1);
}

Connection* OpenConnection(int32_t port)
{
    if (port < 1 || port > kPortCount || !connections[size_t(port)].ctx)
        return nullptr;
    return &connections[size_t(port)];
}

void Release(Connection& c)
{
    if (c.ctx) {
        modbus_close(c.ctx);
        modbus_free(c.ctx);
    }
    c = Connection{};
}

bool Reconnect(Connection& c)
{
    modbus_close(c.ctx);
    if (modbus_connect(c.ctx) != 0)
        return false;
    modbus_flush(c.ctx);
    c.lineLost = false;
    qCInfo(lcModbus, "%s opened again", c.device.c_str());
    return true;
}

// The result code of a failed transaction, from the errno libmodbus left.
int32_t FailureCode(int error)
{
    if (error == ETIMEDOUT)
        return kNoAnswer;
    if (error >= EMBXILFUN && error <= EMBXGTAR)
        return kException;
    switch (error) {
    case EMBBADCRC: case EMBBADDATA: case EMBBADEXC: case EMBUNKEXC: case EMBMDATA: case EMBBADSLAVE:
        return kDamaged;
    default:
        return kPortNotOpen;   // the line itself failed (device gone, I/O error)
    }
}

int32_t Failed(Connection& c, int error)
{
    const int32_t code = FailureCode(error);
    if (code == kPortNotOpen)
        c.lineLost = true;
    else
        modbus_flush(c.ctx);   // drop the rest of a bad or late answer
    return code;
}

const char* ResultText(int32_t result)
{
    switch (result) {
    case kOk: return "ok";
    case kNoAnswer: return "no answer";
    case kPortNotOpen: return "port not open";
    case kException: return "exception answer";
    case kDamaged: return "damaged answer";
    case kUnsafe: return "not sent, unsafe arguments";
    default: return "failed";
    }
}

void Report(const CallRecord& r)
{
    if (r.call == Call::Read || r.call == Call::Write) {
        const auto key = std::make_tuple(r.port, r.call, r.reg);
        const auto it = lastResults.find(key);
        const int32_t before = it == lastResults.end() ? kOk : it->second;
        if (r.result != before) {
            const char* what = r.call == Call::Read ? "read" : "write";
            if (r.result == kOk)
                qCInfo(lcModbus, "port %d station %d: %s at register %d answered again", r.port,
                       r.station, what, r.reg);
            else
                qCWarning(lcModbus, "port %d station %d: %s at register %d (%s %d): %s (%d)",
                          r.port, r.station, what, r.reg, r.call == Call::Read ? "count" : "value",
                          r.countOrValue, ResultText(r.result), r.result);
        }
        lastResults[key] = r.result;
    }
    if (observer)
        observer(r);
}

int32_t DoOpen(int32_t port, int32_t baudIndex, int32_t parityIndex)
{
    if (port < 1 || port > kPortCount) {
        qCWarning(lcModbus, "open: no serial port %d (ports are 1 to %d)", port, kPortCount);
        return kPortNotOpen;
    }
    Connection& c = connections[size_t(port)];
    Release(c);   // opening an open port reopens it
    for (auto it = lastResults.begin(); it != lastResults.end();)
        it = std::get<0>(it->first) == port ? lastResults.erase(it) : std::next(it);

    const int32_t baud = BaudRate(baudIndex);
    if (baud == 0 || parityIndex < 0 || parityIndex > 2) {
        qCWarning(lcModbus, "open port %d: baud index %d or parity index %d out of range", port,
                  baudIndex, parityIndex);
        return kPortNotOpen;
    }
    const std::string device = DevicePath(port);
    modbus_t* ctx = modbus_new_rtu(device.c_str(), baud, kParities[parityIndex], 8, 1);
    if (!ctx) {
        qCWarning(lcModbus, "open port %d (%s): %s", port, device.c_str(), modbus_strerror(errno));
        return kPortNotOpen;
    }
    if (modbus_connect(ctx) != 0) {
        const int error = errno;
        qCWarning(lcModbus, "open port %d (%s, %d baud, %s): %s", port, device.c_str(), baud,
                  kParityNames[parityIndex], modbus_strerror(error));
        modbus_free(ctx);
        return kPortNotOpen;
    }
    const int32_t timeoutMs = ResponseTimeoutMs(baudIndex);
    modbus_set_response_timeout(ctx, uint32_t(timeoutMs / 1000), uint32_t(timeoutMs % 1000) * 1000);
    modbus_set_byte_timeout(ctx, 0, uint32_t(kByteTimeoutMs) * 1000);
    modbus_set_error_recovery(ctx, MODBUS_ERROR_RECOVERY_NONE);
    modbus_flush(ctx);
    c.ctx = ctx;
    c.device = device;
    qCInfo(lcModbus, "port %d open on %s at %d baud, %s, response timeout %d ms", port,
           device.c_str(), baud, kParityNames[parityIndex], timeoutMs);
    return kOk;
}

bool SafeRequest(int32_t station, int32_t first, int32_t count)
{
    return station >= 1 && station <= kMaxStation && first >= 1 && count >= 1 && count <= kMaxCount
           && first <= 65536 - count + 1;
}

int32_t DoRead(int32_t port, int32_t station, int32_t first, int32_t count, int32_t* buffer)
{
    Connection* c = OpenConnection(port);
    if (!c)
        return kPortNotOpen;
    if (!buffer || !SafeRequest(station, first, count))
        return kUnsafe;
    if (c->lineLost && !Reconnect(*c))
        return kPortNotOpen;
    modbus_set_slave(c->ctx, station);
    uint16_t values[kMaxCount];
    if (modbus_read_registers(c->ctx, first - 1, count, values) != count)
        return Failed(*c, errno);
    for (int32_t k = 0; k < count; ++k)
        buffer[k] = int16_t(values[k]);
    return kOk;
}

int32_t DoWrite(int32_t port, int32_t station, int32_t reg, int32_t value)
{
    Connection* c = OpenConnection(port);
    if (!c)
        return kPortNotOpen;
    // A value beyond 16 bits is refused rather than sent wrapped: SV1 typed
    // as 99999 goes out as 999990, which wrapped would reach the controller
    // as 16950.
    if (!SafeRequest(station, reg, 1) || value < -32768 || value > 65535)
        return kUnsafe;
    if (c->lineLost && !Reconnect(*c))
        return kPortNotOpen;
    modbus_set_slave(c->ctx, station);
    if (modbus_write_register(c->ctx, reg - 1, uint16_t(value & 0xFFFF)) != 1)
        return Failed(*c, errno);
    return kOk;
}

} // namespace

int32_t BaudRate(int32_t baudIndex)
{
    return baudIndex >= 0 && baudIndex < int32_t(std::size(kBaudRates)) ? kBaudRates[baudIndex] : 0;
}

int32_t ResponseTimeoutMs(int32_t baudIndex)
{
    const int32_t baud = BaudRate(baudIndex);
    if (baud == 0)
        return 0;
    const int32_t bits = kLongestAnswerCharacters * kBitsPerCharacter;
    return (bits * 1000 + baud - 1) / baud + kTimeoutMarginMs;
}

void SetCallObserver(CallObserver o)
{
    std::lock_guard lock(callMutex);
    observer = std::move(o);
}

} // namespace modbus

using namespace modbus;

int32_t OpenPort_Modbus(int32_t port, int32_t baudIndex, int32_t parityIndex)
{
    std::lock_guard lock(callMutex);
    const int32_t result = DoOpen(port, baudIndex, parityIndex);
    Report({Call::Open, port, 0, 0, 0, result});
    return result;
}

int32_t ClosePort_Modbus(int32_t port)
{
    std::lock_guard lock(callMutex);
    if (port >= 1 && port <= kPortCount && connections[size_t(port)].ctx) {
        Release(connections[size_t(port)]);
        qCInfo(lcModbus, "port %d closed", port);
    }
    Report({Call::Close, port, 0, 0, 0, kOk});
    return kOk;
}

int32_t Get_4X_DX(int32_t port, int32_t station, int32_t first, int32_t count, int32_t* buffer)
{
    std::lock_guard lock(callMutex);
    const int32_t result = DoRead(port, station, first, count, buffer);
    Report({Call::Read, port, station, first, count, result});
    return result;
}

int32_t Set_4X_D1(int32_t port, int32_t station, int32_t reg, int32_t value)
{
    std::lock_guard lock(callMutex);
    const int32_t result = DoWrite(port, station, reg, value);
    Report({Call::Write, port, station, reg, value, result});
    return result;
}
