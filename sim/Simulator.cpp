#include "Simulator.h"

#include "RegisterMap.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <sched.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

namespace zc4160sim {
namespace {

constexpr struct { Fault fault; std::string_view name; } kFaultNames[] = {
    {Fault::None, "none"},
    {Fault::NoAnswer, "silent"},
    {Fault::DamagedCrc, "crc"},
    {Fault::Exception, "exception"},
    {Fault::OtherStation, "station"},
    {Fault::Garbage, "garbage"},
    {Fault::Late, "late"},
    {Fault::LineClosed, "closed"},
};

constexpr struct { speed_t speed; int baud; } kSpeeds[] = {
    {B4800, 4800},     {B9600, 9600},     {B19200, 19200},   {B38400, 38400},   {B57600, 57600},
    {B115200, 115200}, {B230400, 230400}, {B460800, 460800}, {B921600, 921600},
};

constexpr auto kStepInterval = std::chrono::milliseconds(100);
constexpr auto kLateBy = std::chrono::milliseconds(300);
// A partial frame older than this is line noise and is dropped.
constexpr auto kStaleInput = std::chrono::milliseconds(50);
// A hand-over this late is a stall of this thread: a sleeping thread is
// usually late by well under a millisecond, and a pause of the byte timeout
// less a USB adapter's burst (34 ms) is one a master rightly takes for the
// end of the answer.
constexpr auto kStalledBy = std::chrono::milliseconds(20);
constexpr uint8_t kDeviceFailure = 4;
constexpr size_t kLogLimit = 200000;
constexpr size_t kStallLimit = 1000;
constexpr double kAmbient = 25.0;
constexpr double kProcessGain = 10.0;      // PV rises 10 units per % of output
constexpr double kProcessSeconds = 5.0;    // time constant of the process

uint16_t Crc16(const uint8_t* data, size_t size)
{
    uint16_t crc = 0xFFFF;
    for (size_t i = 0; i < size; ++i) {
        crc ^= data[i];
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 1) ? uint16_t((crc >> 1) ^ 0xA001) : uint16_t(crc >> 1);
    }
    return crc;
}

void AppendCrc(std::vector<uint8_t>& frame)
{
    const uint16_t crc = Crc16(frame.data(), frame.size());
    frame.push_back(uint8_t(crc & 0xFF));
    frame.push_back(uint8_t(crc >> 8));
}

uint16_t Word(const uint8_t* p) { return uint16_t((p[0] << 8) | p[1]); }

// Length of the request that starts the buffer by its function code, 0
// while it cannot be told yet, SIZE_MAX for a function whose requests have no
// length of their own (they end where the CRC checks out).
size_t RequestLength(const std::vector<uint8_t>& in)
{
    if (in.size() < 2)
        return 0;
    switch (in[1]) {
    case 1: case 2: case 3: case 4: case 5: case 6:
        return 8;
    case 7: case 11: case 12: case 17:
        return 4;
    case 15: case 16:
        return in.size() < 7 ? 0 : size_t(9) + in[6];
    case 20: case 21:
        return in.size() < 3 ? 0 : size_t(5) + in[2];
    case 22:
        return 10;
    case 23:
        return in.size() < 11 ? 0 : size_t(13) + in[10];
    case 24:
        return 6;
    default:
        return SIZE_MAX;
    }
}

bool CrcMatches(const std::vector<uint8_t>& in, size_t length)
{
    return length >= 4 && in.size() >= length
           && uint16_t(in[length - 2] | (in[length - 1] << 8)) == Crc16(in.data(), length - 2);
}

// How many whole frames with a sound CRC the buffer starts with.
size_t FramesAtStart(std::vector<uint8_t> in)
{
    size_t frames = 0;
    for (size_t length; (length = RequestLength(in)) != 0 && length != SIZE_MAX
                        && CrcMatches(in, length);
         ++frames)
        in.erase(in.begin(), in.begin() + ptrdiff_t(length));
    return frames;
}

std::chrono::nanoseconds CharacterTime(int baud)
{
    return std::chrono::nanoseconds(int64_t(11e9 / baud));
}

// The silence that ends a frame: 3.5 characters, fixed at 1.75 ms above
// 19200 baud.
std::chrono::nanoseconds FrameGap(int baud)
{
    return baud > 19200 ? std::chrono::nanoseconds(1750000) : CharacterTime(baud) * 7 / 2;
}

} // namespace

std::string_view FaultName(Fault fault)
{
    for (const auto& f : kFaultNames)
        if (f.fault == fault)
            return f.name;
    return "none";
}

std::optional<Fault> ParseFault(std::string_view name)
{
    for (const auto& f : kFaultNames)
        if (f.name == name)
            return f.fault;
    return std::nullopt;
}

Simulator::Simulator(Options options) : options_(std::move(options))
{
    pacingBaud_.store(options_.pacingBaud);
    burstMs_.store(options_.deliveryBurstMs);
    processRunning_.store(options_.processRunning);
    for (const RegisterBlock& block : PowerUpBlocks())
        for (size_t i = 0; i < block.values.size(); ++i)
            regs_[size_t(block.first - 1) + i] = uint16_t(block.values[i]);
}

Simulator::~Simulator() { stop(); }

bool Simulator::start(std::string* error)
{
    if (running_)
        return true;
    if (pipe2(wakePipe_, O_CLOEXEC | O_NONBLOCK) != 0) {
        if (error)
            *error = std::string("pipe: ") + std::strerror(errno);
        return false;
    }
    {
        std::lock_guard lock(mutex_);
        if (!openLine(error)) {
            ::close(wakePipe_[0]);
            ::close(wakePipe_[1]);
            wakePipe_[0] = wakePipe_[1] = -1;
            return false;
        }
        processStep(0);
    }
    running_ = true;
    thread_ = std::thread([this] { run(); });
    // A controller answers on time whatever the computer is doing; a thread
    // that stands in for it and sleeps between the characters of an answer
    // can be woken late on a busy machine, and a pause of the byte timeout
    // inside an answer reads as no answer at all. Where the system allows it
    // the thread runs ahead of ordinary work; elsewhere it runs as it is,
    // and one line on standard error says so, so that a late answer on a
    // loaded machine has its reason in the log.
    sched_param realTime{};
    realTime.sched_priority = sched_get_priority_min(SCHED_FIFO);
    if (const int refused = pthread_setschedparam(thread_.native_handle(), SCHED_FIFO, &realTime))
        std::fprintf(stderr,
                     "zc4160-sim: the answering thread runs at ordinary priority (real-time "
                     "priority refused: %s); on a busy machine an answer may be late\n",
                     std::strerror(refused));
    return true;
}

void Simulator::stop()
{
    if (!running_)
        return;
    running_ = false;
    wake();
    thread_.join();
    std::lock_guard lock(mutex_);
    closeLine();
    ::close(wakePipe_[0]);
    ::close(wakePipe_[1]);
    wakePipe_[0] = wakePipe_[1] = -1;
}

// Called with mutex_ held.
bool Simulator::openLine(std::string* error)
{
    auto fail = [&](const char* what) {
        if (error)
            *error = std::string(what) + ": " + std::strerror(errno);
        closeLine();
        return false;
    };
    master_ = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (master_ < 0)
        return fail("posix_openpt");
    if (grantpt(master_) != 0 || unlockpt(master_) != 0)
        return fail("unlockpt");
    char name[128];
    if (ptsname_r(master_, name, sizeof name) != 0)
        return fail("ptsname");
    slaveHold_ = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (slaveHold_ < 0)
        return fail(name);
    termios tio{};
    tcgetattr(slaveHold_, &tio);
    cfmakeraw(&tio);
    tio.c_cflag |= CLOCAL | CREAD;
    tcsetattr(slaveHold_, TCSANOW, &tio);
    linePath_ = name;

    struct stat st{};
    if (lstat(options_.linkPath.c_str(), &st) == 0 && S_ISLNK(st.st_mode))
        ::unlink(options_.linkPath.c_str());
    if (symlink(name, options_.linkPath.c_str()) != 0)
        return fail(options_.linkPath.c_str());
    input_.clear();
    return true;
}

// Called with mutex_ held.
void Simulator::closeLine()
{
    if (!linePath_.empty())
        ::unlink(options_.linkPath.c_str());
    if (slaveHold_ >= 0)
        ::close(slaveHold_);
    if (master_ >= 0)
        ::close(master_);
    slaveHold_ = master_ = -1;
    linePath_.clear();
    input_.clear();
}

std::string Simulator::linePath() const
{
    std::lock_guard lock(mutex_);
    return linePath_;
}

LineSettings Simulator::lineSettings() const
{
    std::lock_guard lock(mutex_);
    LineSettings s;
    termios tio{};
    if (slaveHold_ < 0 || tcgetattr(slaveHold_, &tio) != 0)
        return s;
    const speed_t speed = cfgetospeed(&tio);
    for (const auto& k : kSpeeds)
        if (k.speed == speed)
            s.baud = k.baud;
    if (tio.c_cflag & PARENB)
        s.parity = (tio.c_cflag & PARODD) ? 'O' : 'E';
    return s;
}

int32_t Simulator::reg(int number) const
{
    std::lock_guard lock(mutex_);
    if (number < 1 || number > 65536)
        return 0;
    return int16_t(regs_[size_t(number - 1)]);
}

void Simulator::setReg(int number, int32_t value)
{
    std::lock_guard lock(mutex_);
    if (number >= 1 && number <= 65536)
        regs_[size_t(number - 1)] = uint16_t(value);
}

std::vector<Request> Simulator::requests() const
{
    std::lock_guard lock(mutex_);
    return log_;
}

void Simulator::clearRequests()
{
    std::lock_guard lock(mutex_);
    log_.clear();
}

bool Simulator::waitForRequests(size_t count, std::chrono::milliseconds timeout) const
{
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, timeout, [&] { return log_.size() >= count; });
}

std::optional<Stall> Simulator::stallInAnswerTo(uint64_t request) const
{
    std::lock_guard lock(mutex_);
    std::optional<Stall> longest;
    for (const auto& [to, stall] : stalls_)
        if (to == request && (!longest || stall.pause > longest->pause))
            longest = stall;
    return longest;
}

uint64_t Simulator::requestsTaken() const
{
    std::lock_guard lock(mutex_);
    return taken_;
}

bool Simulator::waitForHandled(uint64_t count, std::chrono::milliseconds timeout) const
{
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, timeout, [&] { return handled_ >= count; });
}

void Simulator::setFault(Fault fault)
{
    uint64_t wanted;
    {
        std::lock_guard lock(mutex_);
        fault_ = fault;
        wanted = ++faultRequested_;
    }
    if (!running_)
        return;
    wake();
    std::unique_lock lock(mutex_);
    changed_.wait_for(lock, std::chrono::seconds(5), [&] { return faultApplied_ >= wanted; });
}

void Simulator::wake()
{
    const char c = 1;
    if (wakePipe_[1] >= 0)
        [[maybe_unused]] auto n = ::write(wakePipe_[1], &c, 1);
}

void Simulator::run()
{
    auto nextStep = Clock::now() + kStepInterval;
    auto lastStep = Clock::now();
    while (running_) {
        auto now = Clock::now();
        auto until = nextStep;
        if (!input_.empty())
            until = std::min(until, lastInput_ + kStaleInput);
        const int timeoutMs = int(std::max<int64_t>(
            0, std::chrono::duration_cast<std::chrono::milliseconds>(until - now).count() + 1));

        pollfd fds[2] = {{wakePipe_[0], POLLIN, 0}, {master_, POLLIN, 0}};
        const int nfds = master_ >= 0 ? 2 : 1;
        const int ready = ::poll(fds, nfds, timeoutMs);
        if (ready < 0 && errno != EINTR)
            break;

        if (ready > 0 && (fds[0].revents & POLLIN)) {
            char drain[64];
            while (::read(wakePipe_[0], drain, sizeof drain) > 0) {
            }
            std::lock_guard lock(mutex_);
            const bool wantClosed = fault_ == Fault::LineClosed;
            if (wantClosed && master_ >= 0)
                closeLine();
            else if (!wantClosed && master_ < 0)
                openLine(nullptr);
            faultApplied_ = faultRequested_;
            changed_.notify_all();
        }
        if (ready > 0 && nfds == 2 && (fds[1].revents & POLLIN)) {
            uint8_t buf[512];
            const ssize_t n = ::read(master_, buf, sizeof buf);
            if (n > 0) {
                if (input_.empty() && Clock::now() < watchQuiet_)
                    ++rushed_;
                watchQuiet_ = {};
                handleInput(buf, size_t(n));
            }
        }

        now = Clock::now();
        if (!input_.empty() && now - lastInput_ >= kStaleInput)
            input_.clear();
        if (now >= nextStep) {
            const double seconds = std::chrono::duration<double>(now - lastStep).count();
            lastStep = now;
            nextStep = now + kStepInterval;
            std::lock_guard lock(mutex_);
            processStep(seconds);
        }
    }
}

void Simulator::handleInput(const uint8_t* data, size_t size)
{
    input_.insert(input_.end(), data, data + size);
    lastInput_ = Clock::now();
    while (takeFrame()) {
    }
}

bool Simulator::takeFrame()
{
    size_t length = RequestLength(input_);
    if (length == SIZE_MAX) {
        // A function without a length of its own: the frame is what has
        // arrived once its CRC checks out; until then more may follow, and
        // the stale-input rule drops what never completes.
        if (!CrcMatches(input_, input_.size()))
            return false;
        length = input_.size();
    }
    if (length == 0 || input_.size() < length)
        return false;
    // A damaged frame: a controller stays silent and waits for the line to
    // go quiet; so do we, by dropping what we have.
    if (!CrcMatches(input_, length)) {
        input_.clear();
        return false;
    }
    std::vector<uint8_t> frame(input_.begin(), input_.begin() + ptrdiff_t(length));
    input_.erase(input_.begin(), input_.begin() + ptrdiff_t(length));

    Request r;
    uint64_t number = 0;
    r.station = frame[0];
    r.function = frame[1];
    if (frame.size() >= 8) {
        r.address = Word(&frame[2]);
        r.countOrValue = Word(&frame[4]);
    }
    {
        std::lock_guard lock(mutex_);
        // A simulator left running for days keeps the recent frames only.
        if (log_.size() >= kLogLimit)
            log_.erase(log_.begin(), log_.begin() + ptrdiff_t(kLogLimit / 2));
        log_.push_back(r);
        number = ++taken_;
        changed_.notify_all();
    }
    answer(frame, length, number);
    {
        std::lock_guard lock(mutex_);
        ++handled_;
        changed_.notify_all();
    }
    return true;
}

void Simulator::answer(const std::vector<uint8_t>& request, size_t requestSize, uint64_t number)
{
    const int station = request[0];
    const Fault fault = fault_.load();
    if (station != options_.station && station != 0)
        return;
    for (unsigned n = silentNext_.load(); n > 0;)
        if (silentNext_.compare_exchange_weak(n, n - 1))
            return;
    if (fault == Fault::NoAnswer || fault == Fault::LineClosed)
        return;
    const uint8_t function = request[1];
    const bool acts = fault == Fault::None || fault == Fault::DamagedCrc || fault == Fault::Garbage
                      || fault == Fault::Late;
    auto exception = [&](uint8_t code) {
        return std::vector<uint8_t>{uint8_t(station), uint8_t(function | 0x80), code};
    };

    std::vector<uint8_t> rsp;
    // Every function served below has an address and a count or value.
    const uint16_t address = requestSize >= 8 ? Word(&request[2]) : 0;
    const uint16_t word = requestSize >= 8 ? Word(&request[4]) : 0;
    const int refused = refusedWrite_.load();
    const int writeCount = function == 6 ? 1 : function == 16 ? word : 0;
    if (fault == Fault::Exception
        || (refused > 0 && refused > address && refused <= address + writeCount)) {
        rsp = exception(kDeviceFailure);
    } else if (function == 3 || function == 4) {
        if (word < 1 || word > 125)
            rsp = exception(3);
        else if (address + word > 65536)
            rsp = exception(2);
        else {
            rsp = {uint8_t(station), function, uint8_t(2 * word)};
            std::lock_guard lock(mutex_);
            for (int i = 0; i < word; ++i) {
                const uint16_t v = regs_[size_t(address + i)];
                rsp.push_back(uint8_t(v >> 8));
                rsp.push_back(uint8_t(v & 0xFF));
            }
        }
    } else if (function == 6) {
        if (acts) {
            std::lock_guard lock(mutex_);
            applyWrite(address + 1, word);
        }
        rsp.assign(request.begin(), request.begin() + 6);
    } else if (function == 16) {
        const size_t count = word;
        if (count < 1 || count > 123 || request[6] != 2 * count)
            rsp = exception(3);
        else if (address + count > 65536)
            rsp = exception(2);
        else {
            if (acts) {
                std::lock_guard lock(mutex_);
                for (size_t i = 0; i < count; ++i)
                    applyWrite(int(address + i + 1), Word(&request[7 + 2 * i]));
            }
            rsp.assign(request.begin(), request.begin() + 6);
        }
    } else {
        rsp = exception(1);
    }
    if (station == 0)
        return;   // broadcast: acted on, never answered
    if (fault == Fault::OtherStation)
        rsp[0] = uint8_t(station % 247 + 1);
    AppendCrc(rsp);
    if (fault == Fault::DamagedCrc)
        rsp.back() ^= 0x5A;
    if (fault == Fault::Garbage) {
        // Noise in place of the answer: any byte may be anything, but the
        // whole must not pass for a sound frame.
        std::uniform_int_distribution<int> byte(0, 255);
        for (uint8_t& b : rsp)
            b = uint8_t(byte(random_));
        if (CrcMatches(rsp, rsp.size()))
            rsp.back() ^= 0x5A;
    }
    send(std::move(rsp), requestSize, fault, number);
}

void Simulator::send(std::vector<uint8_t> frame, size_t requestSize, Fault fault, uint64_t number)
{
    if (master_ < 0)
        return;
    const int baud = pacingBaud_.load();
    const auto late = fault == Fault::Late ? kLateBy : Clock::duration::zero();
    if (baud <= 0) {
        std::this_thread::sleep_until(lastInput_ + late);
        [[maybe_unused]] auto n = ::write(master_, frame.data(), frame.size());
        return;
    }
    // A real line hands the master one character at a time: the answer
    // starts once the request has crossed the line and the turn-around gaps
    // have passed, and never before the previous answer has ended.
    const auto character = CharacterTime(baud);
    const auto gaps = 2 * FrameGap(baud);
    const auto start =
        std::max(lastInput_ + int64_t(requestSize) * character + gaps, lineFree_ + gaps) + late;
    // After a bad answer the master must let the line fall quiet for a
    // frame gap before it sends again. A request already waiting when the
    // answer began was sent before the master could know (after its
    // timeout). One that shows up while the answer goes out, less than a gap
    // after the master last received something, was rushed; if this thread
    // itself was late to hand that over, the master really saw that long a
    // pause and the request is given the benefit of the doubt. The run loop
    // watches the gap after the last character.
    //
    // With delivery bursts the characters still cross the line one by one,
    // but the master receives those that have crossed only at each burst, as
    // from a USB adapter; the pause between two bursts is no silence on the
    // line.
    const bool bad = fault == Fault::DamagedCrc || fault == Fault::Exception
                     || fault == Fault::OtherStation || fault == Fault::Garbage;
    const auto burst = std::chrono::milliseconds(burstMs_.load());
    const auto rushedWithin = FrameGap(baud) + burst;
    bool requestSeen = !bad;
    Clock::time_point lastSent;
    // The pause on the line before the last hand-over (none before the
    // first). A request the master sent in a pause this thread made by being
    // late may reach us only at the hand-over after it, as a busy kernel
    // passes it on late, and is no rush either.
    auto pauseBefore = Clock::duration::zero();
    auto longestPause = Clock::duration::zero();
    bool stalled = false;
    // A request that shows up at a hand-over this thread was late to make,
    // and was not there when the answer began, came from a master that took
    // the pause for the end of this answer: the rest of the answer reaches
    // the call that sent it, and the master is out of step until the
    // answers owed have gone out.
    bool nextWaiting = !input_.empty() || inputWaiting();
    auto pauseBeforeNext = Clock::duration::zero();
    for (size_t i = 0; i < frame.size();) {
        // The characters handed over together: all that have crossed the
        // line by the next burst.
        auto handOver = start + int64_t(i + 1) * character;
        size_t end = i + 1;
        if (burst.count() > 0) {
            const auto sinceStart = handOver - start;
            handOver = start + ((sinceStart + burst - Clock::duration(1)) / burst) * burst;
            while (end < frame.size() && start + int64_t(end + 1) * character <= handOver)
                ++end;
        }
        std::this_thread::sleep_until(handOver);
        const auto now = Clock::now();
        const bool lateHandOver = now - handOver >= kStalledBy;
        stalled = stalled || lateHandOver;
        if (!requestSeen && inputWaiting()) {
            requestSeen = true;
            if (i > 0 && now - lastSent < rushedWithin && pauseBefore < rushedWithin)
                ++rushed_;
        }
        if (i > 0) {
            pauseBefore = now - lastSent;
            longestPause = std::max(longestPause, pauseBefore);
            if (lateHandOver && !nextWaiting && inputWaiting()) {
                nextWaiting = true;
                pauseBeforeNext = pauseBefore;
            }
        }
        lastSent = now;
        [[maybe_unused]] auto n = ::write(master_, &frame[i], end - i);
        i = end;
    }
    lineFree_ = lastSent;
    // What put the master out of step, for the requests waiting now: the
    // stall in this answer at which one showed up, or the stall that put
    // the request of this answer out of step, where more wait behind it.
    auto micros = [](Clock::duration d) {
        return std::chrono::duration_cast<std::chrono::microseconds>(d);
    };
    std::optional<Stall> outOfStep;
    if (pauseBeforeNext > Clock::duration::zero())
        outOfStep = Stall{number, micros(pauseBeforeNext)};
    else if (number <= outOfStepThrough_)
        outOfStep = outOfStepBy_;
    size_t waiting = 0;
    if (outOfStep) {
        uint8_t buf[512];
        for (ssize_t n; (n = ::read(master_, buf, sizeof buf)) > 0;) {
            input_.insert(input_.end(), buf, buf + n);
            lastInput_ = Clock::now();
        }
        waiting = FramesAtStart(input_);
        outOfStepBy_ = *outOfStep;
        outOfStepThrough_ = number + waiting;
    }
    if (stalled || waiting > 0) {
        std::lock_guard lock(mutex_);
        auto keep = [&](uint64_t request, Stall stall) {
            if (stalls_.size() >= kStallLimit)
                stalls_.pop_front();
            stalls_.push_back({request, stall});
        };
        if (stalled)
            keep(number, {number, micros(longestPause)});
        for (size_t k = 1; k <= waiting; ++k)
            keep(number + k, *outOfStep);
    }
    watchQuiet_ = requestSeen || pauseBefore >= rushedWithin ? Clock::time_point{}
                                                              : lastSent + FrameGap(baud);
}

bool Simulator::inputWaiting() const
{
    pollfd p{master_, POLLIN, 0};
    return ::poll(&p, 1, 0) > 0 && (p.revents & POLLIN);
}

// Called with mutex_ held: the effect of a write on the controller.
void Simulator::applyWrite(int number, uint16_t value)
{
    auto set = [&](int n, int v) { regs_[size_t(n - 1)] = uint16_t(v); };
    auto get = [&](int n) { return int(int16_t(regs_[size_t(n - 1)])); };
    if (number >= kClockFirst && number < kClockFirst + 6) {
        // Setting a clock field moves the controller's clock against the
        // computer's; the other fields run on.
        const time_t now = time(nullptr) + clockOffsetSeconds_;
        tm t{};
        localtime_r(&now, &t);
        int* fields[6] = {&t.tm_year, &t.tm_mon, &t.tm_mday, &t.tm_hour, &t.tm_min, &t.tm_sec};
        const int v = int16_t(value);
        const int index = number - kClockFirst;
        *fields[index] = index == 0 ? v - 1900 : index == 1 ? v - 1 : v;
        t.tm_isdst = -1;
        const time_t wanted = mktime(&t);
        if (wanted != time_t(-1))
            clockOffsetSeconds_ = int64_t(wanted) - int64_t(time(nullptr));
        processStep(0);
        return;
    }
    set(number, value);
    const int v = int16_t(value);
    switch (number) {
    case 302: set(6, v); break;
    case 303: set(7, v); break;
    case 305:
        if (v == 1 && get(17) != 1 && get(17) != 2)
            set(20, 1);
        set(17, v);
        break;
    case 306: set(20, std::max(1, v / 10)); break;
    case 309: set(9, v); break;
    case 310:
    case 311: set(10, get(311) == 1 ? 2 : get(310)); break;
    default:
        if (number >= 317 && number <= 325)
            set(41 + number - 317, v);
        break;
    }
}

// Called with mutex_ held. One step of the process and the clock.
void Simulator::processStep(double seconds)
{
    auto set = [&](int n, int v) { regs_[size_t(n - 1)] = uint16_t(v); };
    auto get = [&](int n) { return int(int16_t(regs_[size_t(n - 1)])); };

    const time_t now = time(nullptr) + clockOffsetSeconds_;
    tm t{};
    localtime_r(&now, &t);
    const int clock[kClockCount] = {t.tm_year + 1900, t.tm_mon + 1, t.tm_mday, t.tm_hour,
                                    t.tm_min,         t.tm_sec,     t.tm_wday, 0};
    for (int i = 0; i < kClockCount; ++i)
        set(kClockFirst + i, clock[i]);

    if (!processRunning_)
        return;
    const int segment = std::clamp(get(20), 1, 256);
    const int programSv = get(1017 + 2 * (segment - 1));
    if (get(17) == 1 && seconds > 0) {
        // The program runs its segments at one minute of program time per
        // second, so that a watcher sees it move.
        int remaining = get(21) - int(std::lround(seconds * 60));
        if (remaining <= 0) {
            set(20, segment % 10 + 1);
            remaining = 60 * get(1017 + 2 * (segment % 10) + 1);
        }
        set(21, remaining);
        set(22, std::max(remaining, 0) + 600 * (10 - segment));
    }
    set(19, programSv);

    const int source = get(10);
    const int sv = source == 2 ? programSv : source == 1 ? get(303) : get(302);
    set(3, sv);
    set(6, get(302));
    set(7, get(303));

    double op = 0;
    switch (get(9)) {
    case 0: op = (sv - kAmbient) / kProcessGain + 0.5 * (sv - pv_); break;
    case 1: op = get(301) / 10.0; break;
    default: op = 0; break;
    }
    op = std::clamp(op, 0.0, 100.0);
    pv_ += (kAmbient + kProcessGain * op - pv_) * std::min(1.0, seconds / kProcessSeconds);

    const int pv = int(std::lround(pv_));
    set(1, pv);
    set(2, int(std::lround(op * 10)));
    set(4, pv);
    set(5, pv - 3);
    set(15, int(std::lround(op * 10)));
    set(18, pv);
    set(33, pv > get(602) ? 1 : 0);
    set(34, pv < get(606) ? 2 : 0);
}

} // namespace zc4160sim
