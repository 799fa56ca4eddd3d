#pragma once
// The simulated ZC4160 controller: a Modbus RTU slave on a pseudo-terminal.
//
// It is a small library (zc4160_simcore, plain C++ and POSIX, no Qt) so that
// tests run it in their own process and look at the frames on the line; the
// zc4160-sim executable wraps it with commands on standard input.
//
// Use from a test:
//
//     zc4160sim::Simulator sim({.linkPath = dir + "/line"});
//     ASSERT_TRUE(sim.start());                    // new pty, PATH -> /dev/pts/N
//     setenv("ZC4160_PORT1", sim.linkPath().c_str(), 1);
//     OpenPort_Modbus(1, 3, 2);                    // the station's side
//     sim.setFault(zc4160sim::Fault::NoAnswer);    // switchable at any time
//     ... station calls ...
//     auto frames = sim.requests();                // what arrived, in order
//     sim.clearRequests();
//
// - Registers are numbered as the station numbers them (register n is
//   protocol address n - 1); reg()/setReg() read and write them directly, as
//   the controller's own front panel would. Values are 16-bit; reg() gives
//   them sign-extended.
// - Functions: 3 and 4 read (1 to 125 registers, both from the holding
//   registers), 6 writes one register, 16 writes 1 to 123. Any other
//   function is answered with exception 1 (illegal function); a count outside
//   those ranges (or a byte count that does not match it) with exception 3;
//   a range running past register 65536 with exception 2. Requests to
//   station 0 (broadcast) are acted on and never answered.
// - requests() logs every frame that arrived with a sound CRC, whatever the
//   fault and whichever station it was for: station, function, the first
//   register (read) or the register (write), the count (read) or the value
//   (write). Damaged frames are not logged. The log keeps the latest
//   200000 frames at most. The frames with a sound CRC are numbered from 1
//   in the order they arrived since start (clearRequests does not number
//   them anew): request n is the one waitForHandled(n) waits for.
// - Faults (setFault, applied before it returns): NoAnswer stays silent,
//   DamagedCrc answers with a broken CRC, Exception answers exception 4
//   (device failure), OtherStation answers correctly but as the next station
//   address, Garbage answers random bytes of the sound answer's length (never
//   a frame whose CRC checks out), Late answers soundly but 300 ms after it
//   would have (past the station's response timeout at 9600 baud and faster),
//   LineClosed closes the pseudo-terminal and removes the link; going back to
//   None opens a new pseudo-terminal and links the path to it again. None,
//   DamagedCrc, Garbage and Late let a request act on the registers (the
//   controller did the work, its answer went wrong on the way); with the
//   others the request is taken as never having reached it. silenceNext(n)
//   makes the next n requests for the simulator's station go unanswered (and
//   unacted on) whatever the fault, then the fault set applies again: a
//   single lost answer, as a retry sees it.
// - Pacing (setPacing(baud), 0 for none): each answer goes out as it would
//   cross a real line at that rate (11-bit characters, 3.5-character gaps,
//   1.75 ms above 19200 baud): its first character one request time and two
//   gaps after the request arrived, then one character per character time, so
//   that a master which stops reading early meets the rest of the answer still
//   arriving. The last character arrives when request and answer would have
//   crossed the line. Requests that arrive while an answer goes out are
//   answered after it, one gap apart, in order. rushedRequests() counts the
//   requests that came in while a bad answer (broken CRC, exception, other
//   station, garbage) was going out or less than one gap after its end: a
//   master that did not wait for the line to fall quiet after a bad answer.
//   Where the simulator itself was late to send a character, the line really
//   was quiet that long, and a request then is not counted, nor one that
//   shows up by the next character after such a pause (a busy kernel may
//   pass the request on that late).
//   Options::deliveryBurstMs hands a paced answer over as a USB adapter does:
//   the characters still cross the line one by one, but the master gets
//   those that have crossed only at those intervals, so that it sees
//   pauses inside an answer; a request that comes in between two bursts of
//   a bad answer counts as rushed.
//   A paced answer stalled where this thread handed characters over 20 ms
//   or more after their time: a machine can wake even a real-time thread
//   that late (a virtual one most of all). A pause as long as the master's
//   byte timeout inside an answer is one it rightly takes for the end of
//   the answer, so a test tells a call that failed on it from a fault of
//   the master's by stallInAnswerTo(n): for the stalled answer to request
//   n, the longest pause between two hand-overs inside it (the silence the
//   master saw in the middle of it; between two bursts, the burst interval
//   included). A request that came in during such a stall came from a
//   master that had given up on that answer: the rest of it reaches the
//   call that sent the request, and each answer owed from then on the call
//   after, until the master is back in step. stallInAnswerTo(n) gives that
//   stall for each request that came in while an answer owed from it was
//   still to go out (the longer of the two where request n's own answer
//   stalled as well). Nothing where neither holds, or no paced answer went
//   out. The figures are there once the answer has gone out
//   (waitForHandled), for the latest 1000.
// - The process runs every 100 ms while processRunning: PV follows the
//   output, the output follows the mode (automatic, manual, standby), and the
//   command registers 301 to 332 act on the status block (309 on register 9,
//   310/311 on 10, 301 on the output in manual, 305 on the program state 17,
//   317 to 325 force DO1 to DO9 at 41 to 49, 302/303 on 6/7). Tests that write
//   and read back status registers switch it off.
// - The line is opened raw without parity on the simulator's side: the
//   kernel refuses parity on a pseudo-terminal, and the station's side may
//   set even or odd parity regardless.

#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <optional>
#include <random>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

namespace zc4160sim {

enum class Fault { None, NoAnswer, DamagedCrc, Exception, OtherStation, Garbage, Late, LineClosed };

// "none", "silent", "crc", "exception", "station", "garbage", "late", "closed".
std::string_view FaultName(Fault fault);
std::optional<Fault> ParseFault(std::string_view name);

struct Request {
    uint8_t station = 0;
    uint8_t function = 0;
    uint16_t address = 0;        // protocol address on the line
    uint16_t countOrValue = 0;   // count of a read, value of a write
    int reg() const { return address + 1; }
    bool operator==(const Request&) const = default;
};

struct Options {
    std::string linkPath;      // symbolic link made to the line
    int station = 1;           // address the simulator answers
    int pacingBaud = 0;        // 0: answer at once
    int deliveryBurstMs = 0;   // paced answers handed over in bursts this far apart; 0: by the character
    bool processRunning = true;
};

// A pause this thread made, late to hand characters over, in what reached
// the master in answer to a request.
struct Stall {
    uint64_t answer = 0;                // the request whose answer paused
    std::chrono::microseconds pause{};  // how long
};

// What the station's side has set on the line (read back from its termios).
struct LineSettings {
    int baud = 0;
    char parity = 'N';   // 'N', 'E' or 'O'
};

class Simulator {
public:
    explicit Simulator(Options options);
    ~Simulator();
    Simulator(const Simulator&) = delete;
    Simulator& operator=(const Simulator&) = delete;

    bool start(std::string* error = nullptr);
    void stop();

    const std::string& linkPath() const { return options_.linkPath; }
    std::string linePath() const;   // /dev/pts/N, empty while the line is closed
    LineSettings lineSettings() const;

    int32_t reg(int number) const;
    void setReg(int number, int32_t value);

    std::vector<Request> requests() const;
    void clearRequests();
    // Waits until at least count requests are logged; false on timeout.
    bool waitForRequests(size_t count, std::chrono::milliseconds timeout) const;
    // Waits until at least count requests with a sound CRC have been dealt
    // with since start: answered to the last character, or left unanswered
    // (another station, a fault that keeps silent); false on timeout. A late
    // answer counts once it has gone out, so after this nothing more is
    // owed on the line.
    bool waitForHandled(uint64_t count, std::chrono::milliseconds timeout) const;
    // The number of the latest request with a sound CRC, 0 before the first.
    uint64_t requestsTaken() const;

    void setFault(Fault fault);
    Fault fault() const { return fault_.load(); }
    void silenceNext(unsigned count = 1) { silentNext_.store(count); }
    void setPacing(int baud) { pacingBaud_.store(baud); }
    unsigned rushedRequests() const { return rushed_.load(); }
    std::optional<Stall> stallInAnswerTo(uint64_t request) const;
    void setProcessRunning(bool on) { processRunning_.store(on); }
    // A write (function 6 or 16) that touches this register is answered
    // with exception 4 and not acted on; 0 for none. Reads are served as
    // before: a controller that refuses one register's writes.
    void refuseWritesTo(int number) { refusedWrite_.store(number); }

private:
    using Clock = std::chrono::steady_clock;

    bool openLine(std::string* error);
    void closeLine();
    void run();
    void handleInput(const uint8_t* data, size_t size);
    bool takeFrame();
    void answer(const std::vector<uint8_t>& request, size_t requestSize, uint64_t number);
    void send(std::vector<uint8_t> frame, size_t requestSize, Fault fault, uint64_t number);
    bool inputWaiting() const;
    void applyWrite(int number, uint16_t value);
    void processStep(double seconds);
    void wake();

    Options options_;
    std::atomic<Fault> fault_{Fault::None};
    std::atomic<unsigned> silentNext_{0};
    std::atomic<int> pacingBaud_{0};
    std::atomic<int> burstMs_{0};
    std::atomic<bool> processRunning_{true};
    std::atomic<int> refusedWrite_{0};
    std::atomic<bool> running_{false};
    std::atomic<unsigned> rushed_{0};

    int master_ = -1;
    int slaveHold_ = -1;   // keeps the line alive while the station has it closed
    std::string linePath_;
    int wakePipe_[2] = {-1, -1};
    std::thread thread_;

    mutable std::mutex mutex_;                // registers, log, line state
    mutable std::condition_variable changed_;
    std::array<uint16_t, 65536> regs_{};
    std::vector<Request> log_;
    uint64_t faultRequested_ = 0;
    uint64_t faultApplied_ = 0;
    uint64_t taken_ = 0;     // requests with a sound CRC: the number of the latest
    uint64_t handled_ = 0;   // requests answered or left unanswered
    std::deque<std::pair<uint64_t, Stall>> stalls_;   // by the request whose call received it
    Stall outOfStepBy_;               // the stall that put requests up to this one out of step
    uint64_t outOfStepThrough_ = 0;
    int64_t clockOffsetSeconds_ = 0;

    std::vector<uint8_t> input_;
    Clock::time_point lastInput_{};
    Clock::time_point lineFree_{};     // when the last paced answer ended
    Clock::time_point watchQuiet_{};   // a request before this was rushed
    std::mt19937 random_{std::random_device{}()};   // garbage answers
    double pv_ = 25.0;          // the process value before rounding
};

} // namespace zc4160sim
