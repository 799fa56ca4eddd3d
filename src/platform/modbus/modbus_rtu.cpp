// The station's Modbus RTU master over libmodbus: one connection per port
// number, 8 data bits and 1 stop bit at the baud and parity of the indices,
// each port held by this station alone while it is open.

#include "platform/modbus/modbus_rtu.h"

#include "platform/basic/logtext.h"
#include "platform/modbus/modbus_link.h"

#include <QLoggingCategory>
#include <QString>

#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>
#include <string>
#include <tuple>

#include <fcntl.h>
#include <modbus.h>
#include <poll.h>
#include <sys/file.h>
#include <unistd.h>

Q_LOGGING_CATEGORY(lcModbus, "zc4160.modbus")

namespace modbus {
namespace {

constexpr int32_t kBaudRates[] = {4800, 9600, 19200, 38400, 57600, 115200, 230400, 460800, 921600};
constexpr speed_t kSpeeds[] = {B4800, B9600, B19200, B38400, B57600, B115200, B230400, B460800, B921600};
static_assert(std::size(kSpeeds) == std::size(kBaudRates));
constexpr char kParities[] = {'N', 'O', 'E'};
constexpr const char* kParityNames[] = {"no parity", "odd parity", "even parity"};

constexpr int32_t kPortCount = 20;
constexpr int32_t kMaxCount = 64;
constexpr int32_t kMaxStation = 247;
constexpr int32_t kLongestAnswerCharacters = 5 + 2 * kMaxCount;   // station, function, count, data, CRC
constexpr int32_t kBitsPerCharacter = 11;
constexpr int32_t kTimeoutMarginMs = 100;
// A frame ends with 3.5 characters of silence on the line. What we receive
// lags the line, and unevenly: USB adapters hand bytes over in bursts (every
// 16 ms on common ones), and a busy kernel holds them a few milliseconds
// more. A pause in what arrives here is silence on the line only once it
// outlasts that lag too.
constexpr int64_t kDeliveryLagUs = 20000;

struct Connection {
    modbus_t* ctx = nullptr;
    int lockFd = -1;   // holds the device's lock while the line is open
    std::string device;
    int32_t baud = 0;
    std::string reopenFault;   // why the last reopen failed, logged once
    bool lineLost = false;   // an I/O error: reopen the device before the next call
    std::chrono::microseconds quiet{};     // the silence that ends a frame at this rate
    std::chrono::milliseconds drainLimit{};   // the longest a wait for quiet may take
};

// Index 0 stands for port 0, which never opens.
std::array<Connection, kPortCount + 1> connections;

// Serialises the calls: the station makes them from one thread, but nothing
// may ever put two transactions on one line at once.
std::mutex callMutex;

// Last result per port, kind of call and register, so that a fault that
// repeats every poll tick is logged once, when it begins, and once more when
// the register answers again. A fault whose code changes from call to call
// (noise on the line gives damaged answers and timeouts by turns) is still
// one fault.
std::map<std::tuple<int32_t, Call, int32_t>, int32_t> lastResults;

CallObserver observer;

std::string DevicePath(int32_t port)
{
    const std::string name = "ZC4160_PORT" + std::to_string(port);
    if (const char* path = std::getenv(name.c_str()); path && *path)
        return path;
    return "/dev/ttyS" + std::to_string(port - 1);
}

// A device path as the log shows it: it may come from the environment and
// hold anything.
QByteArray DeviceText(const std::string& device)
{
    return basic::LogEscaped(QString::fromLocal8Bit(device)).toUtf8();
}

Connection* OpenConnection(int32_t port)
{
    if (port < 1 || port > kPortCount || !connections[size_t(port)].ctx)
        return nullptr;
    return &connections[size_t(port)];
}

int32_t BaudOfSpeed(speed_t speed)
{
    const auto* at = std::find(std::begin(kSpeeds), std::end(kSpeeds), speed);
    return at == std::end(kSpeeds) ? 0 : kBaudRates[at - std::begin(kSpeeds)];
}

// Why a device could not be opened, for the log.
std::string OpenFault(int error)
{
    if (error == EWOULDBLOCK || error == EBUSY)
        return "in use by another program";
    return modbus_strerror(error);
}

// A station that ended without giving its line back (killed, crashed)
// leaves it as libmodbus set it, and the next open would set the very same
// again. Where the device does not keep parity (a pseudo-terminal, as the
// simulator's line or a line relayed over the network), glibc reports a
// setting that changes nothing but the dropped parity as refused, and no
// station would open the line with parity until it changed otherwise. The
// input parity check, which libmodbus sets again with the parity, is
// cleared first, so that its setup always changes the line. Called on our
// own locked descriptor, so on a line no one else holds; a failure here is
// left to libmodbus's setup to meet.
void ClearParityCheck(int fd)
{
    termios tio{};
    if (tcgetattr(fd, &tio) != 0 || !(tio.c_iflag & INPCK))
        return;
    tio.c_iflag &= ~tcflag_t(INPCK);
    tcsetattr(fd, TCSANOW, &tio);
}

// Gives the device back.
void Disconnect(Connection& c)
{
    modbus_close(c.ctx);
    if (c.lockFd >= 0)
        ::close(c.lockFd);   // drops the lock
    c.lockFd = -1;
}

// Opens the device for this station alone. Linux lets any number of
// programs open one serial device, and two masters on one line take each
// other's answers. The lock (what other serial programs take for an
// exclusive open) holds for root too, and the kernel drops it with the last
// descriptor of its holder, however that process ends. It is taken on a
// descriptor of our own before libmodbus opens and sets up the line, so
// that the settings of a line another holds are never touched. TIOCEXCL is
// left alone: it belongs to the device, outlives the process that set it
// (a station killed or crashed would leave it on), and then keeps every
// ordinary user out of a port nobody holds. So a program that opens the
// device without the lock is not noticed. Then the line must run at the
// rate asked for: a UART that cannot run it keeps its old rate without a
// word. Returns why the device did not open, empty when it did; a failed
// open leaves nothing open.
std::string Connect(Connection& c)
{
    const int lockFd = ::open(c.device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (lockFd < 0)
        return OpenFault(errno);
    if (flock(lockFd, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        ::close(lockFd);
        return OpenFault(error);
    }
    ClearParityCheck(lockFd);
    if (modbus_connect(c.ctx) != 0) {
        const int error = errno;
        ::close(lockFd);
        return OpenFault(error);
    }
    c.lockFd = lockFd;
    termios tio{};
    if (tcgetattr(modbus_get_socket(c.ctx), &tio) != 0) {
        const int error = errno;
        Disconnect(c);
        return OpenFault(error);
    }
    if (!LineRunsAt(c.baud, cfgetispeed(&tio), cfgetospeed(&tio))) {
        Disconnect(c);
        const int32_t runs = BaudOfSpeed(cfgetospeed(&tio));
        return "the line did not take " + std::to_string(c.baud) + " baud (it runs at "
               + (runs ? std::to_string(runs) + " baud)" : "another rate)");
    }
    return {};
}

void Release(Connection& c)
{
    if (c.ctx) {
        Disconnect(c);
        modbus_free(c.ctx);
    }
    c = Connection{};
}

bool Reconnect(Connection& c)
{
    Disconnect(c);
    if (std::string fault = Connect(c); !fault.empty()) {
        // Tried again on every call until the device is back: told once.
        if (fault != c.reopenFault)
            qCWarning(lcModbus, "%s not opened again: %s", DeviceText(c.device).constData(),
                      fault.c_str());
        c.reopenFault = std::move(fault);
        return false;
    }
    modbus_flush(c.ctx);
    c.lineLost = false;
    c.reopenFault.clear();
    qCInfo(lcModbus, "%s opened again", DeviceText(c.device).constData());
    return true;
}

// Reads and discards until the line has been quiet for one frame gap, then
// flushes: the rest of a bad answer may still be coming in when libmodbus has
// seen enough of it to fail it, and a request sent into it would put the
// master one answer out of step. A line that never falls quiet (noise, a
// babbling device) is given up on after one response timeout, so the wait
// never costs more than a silent controller does.
void WaitForQuiet(Connection& c)
{
    const int fd = modbus_get_socket(c.ctx);
    const auto deadline = std::chrono::steady_clock::now() + c.drainLimit;
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::microseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            break;
        const auto wait = std::min(c.quiet, left);
        const timespec ts{time_t(wait.count() / 1000000), long(wait.count() % 1000000) * 1000};
        pollfd p{fd, POLLIN, 0};
        const int ready = ppoll(&p, 1, &ts, nullptr);
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0 || !(p.revents & POLLIN))
            break;   // quiet, or the line itself failed: the next call finds out
        uint8_t discard[256];
        const ssize_t n = ::read(fd, discard, sizeof discard);
        if (n < 0 && (errno == EINTR || errno == EAGAIN))
            continue;
        if (n <= 0)
            break;
    }
    modbus_flush(c.ctx);
}

// Waits up to timeoutMs for input; if any comes, discards it until the line
// is quiet.
void DiscardInputWithin(Connection& c, int timeoutMs)
{
    pollfd p{modbus_get_socket(c.ctx), POLLIN, 0};
    if (::poll(&p, 1, timeoutMs) > 0 && (p.revents & POLLIN))
        WaitForQuiet(c);
}

// Whatever is waiting before a request cannot be its answer: the late answer
// to a request that timed out, or the tail of a bad one. Anything waiting
// means the line has not been quiet, so wait until it is. When nothing waits
// this is one system call.
void DiscardStaleInput(Connection& c) { DiscardInputWithin(c, 0); }

// A sound frame that does not fit the request answers an earlier one: the
// controller took a request of ours while it was still answering (a pause in
// the middle of its answer passed for the end), and it still owes the answer
// to this one. Wait up to one response timeout for that answer and discard
// it; otherwise every later call would take the answer to the one before.
void AwaitOwedAnswer(Connection& c) { DiscardInputWithin(c, int(c.drainLimit.count())); }

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
    else {
        // The rest of a bad answer may still be coming, or an answer that
        // starts just after the timeout.
        WaitForQuiet(c);
        // libmodbus reports a sound frame that does not fit the request as
        // bad data (so, rarely, the header of garbage announcing too many).
        if (error == EMBBADDATA)
            AwaitOwedAnswer(c);
    }
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
        if ((r.result == kOk) != (before == kOk)) {
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

// 3.5 characters at the baud rate and the delivery lag, at most the byte
// timeout (beyond it libmodbus itself takes a pause for the end of an answer).
int64_t QuietUs(int32_t baud)
{
    const int64_t us = (int64_t(35) * kBitsPerCharacter * 1000000 + 10LL * baud - 1) / (10LL * baud);
    return std::min<int64_t>(us + kDeliveryLagUs, int64_t(kByteTimeoutMs) * 1000);
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
        const int error = errno;   // before the device's text is made
        qCWarning(lcModbus, "open port %d (%s): %s", port, DeviceText(device).constData(),
                  modbus_strerror(error));
        return kPortNotOpen;
    }
    c.ctx = ctx;
    c.device = device;
    c.baud = baud;
    if (const std::string fault = Connect(c); !fault.empty()) {
        qCWarning(lcModbus, "open port %d (%s, %d baud, %s): %s", port,
                  DeviceText(device).constData(), baud, kParityNames[parityIndex], fault.c_str());
        Release(c);
        return kPortNotOpen;
    }
    const int32_t timeoutMs = ResponseTimeoutMs(baudIndex);
    modbus_set_response_timeout(ctx, uint32_t(timeoutMs / 1000), uint32_t(timeoutMs % 1000) * 1000);
    modbus_set_byte_timeout(ctx, 0, uint32_t(kByteTimeoutMs) * 1000);
    modbus_set_error_recovery(ctx, MODBUS_ERROR_RECOVERY_NONE);
    modbus_flush(ctx);
    c.quiet = std::chrono::microseconds(QuietUs(baud));
    c.drainLimit = std::chrono::milliseconds(timeoutMs);
    qCInfo(lcModbus, "port %d open on %s at %d baud, %s, response timeout %d ms", port,
           DeviceText(device).constData(), baud, kParityNames[parityIndex], timeoutMs);
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
    DiscardStaleInput(*c);
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
    if (!SafeRequest(station, reg, 1) || !FitsRegister(value))
        return kUnsafe;
    if (c->lineLost && !Reconnect(*c))
        return kPortNotOpen;
    DiscardStaleInput(*c);
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

bool LineRunsAt(int32_t baud, speed_t input, speed_t output)
{
    const auto* at = std::find(std::begin(kBaudRates), std::end(kBaudRates), baud);
    if (at == std::end(kBaudRates))
        return false;
    const speed_t wanted = kSpeeds[at - std::begin(kBaudRates)];
    return output == wanted && (input == wanted || input == 0);
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
