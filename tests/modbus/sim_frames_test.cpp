// The simulator as any Modbus RTU master meets it: plain frames written to
// its line and the answers read back byte by byte, without the station's
// Modbus layer in between.

#include "modbus/SimLine.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <initializer_list>

using namespace std::chrono;
using Bytes = std::vector<uint8_t>;

namespace {

uint16_t Crc16(const Bytes& data)
{
    uint16_t crc = 0xFFFF;
    for (uint8_t b : data) {
        crc ^= b;
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 1) ? uint16_t((crc >> 1) ^ 0xA001) : uint16_t(crc >> 1);
    }
    return crc;
}

Bytes WithCrc(Bytes frame)
{
    const uint16_t crc = Crc16(frame);
    frame.push_back(uint8_t(crc & 0xFF));
    frame.push_back(uint8_t(crc >> 8));
    return frame;
}

// A master of our own on the simulator's line: raw, 8 data bits.
class RawMaster {
public:
    explicit RawMaster(const std::string& path)
    {
        fd_ = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        if (fd_ < 0)
            return;
        termios tio{};
        tcgetattr(fd_, &tio);
        cfmakeraw(&tio);
        cfsetspeed(&tio, B19200);
        tcsetattr(fd_, TCSANOW, &tio);
        tcflush(fd_, TCIOFLUSH);
    }
    ~RawMaster()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    bool open() const { return fd_ >= 0; }

    struct Answer {
        Bytes bytes;
        steady_clock::duration spread{};   // from the first byte read to the last
    };

    void send(const Bytes& frame)
    {
        EXPECT_EQ(::write(fd_, frame.data(), frame.size()), ssize_t(frame.size()));
    }

    // Gathers what comes in until the line has been quiet for quietMs, or
    // nothing at all within firstMs.
    Answer receive(int firstMs = 2000, int quietMs = 100)
    {
        Answer answer;
        steady_clock::time_point first;
        for (int wait = firstMs;; wait = quietMs) {
            pollfd p{fd_, POLLIN, 0};
            if (::poll(&p, 1, wait) <= 0)
                return answer;
            uint8_t buf[512];
            const ssize_t n = ::read(fd_, buf, sizeof buf);
            if (n <= 0)
                return answer;
            const auto now = steady_clock::now();
            if (answer.bytes.empty())
                first = now;
            answer.spread = now - first;
            answer.bytes.insert(answer.bytes.end(), buf, buf + n);
        }
    }

    // Sends the frame and gathers the answer (an unpaced answer arrives
    // whole on a pseudo-terminal).
    Bytes transact(const Bytes& frame, int firstMs = 2000, int quietMs = 100)
    {
        send(frame);
        return receive(firstMs, quietMs).bytes;
    }

private:
    int fd_ = -1;
};

} // namespace

TEST(SimFrames, AnswersAStandardMasterAsAModbusSlaveShould)
{
    testsupport::SimLine line{11};
    ASSERT_TRUE(line.started());
    line->setReg(1, 0x1234);
    line->setReg(2, -2);
    RawMaster master(line->linkPath());
    ASSERT_TRUE(master.open());

    // Request and answer without their CRC; an empty answer is silence.
    const struct { const char* what; Bytes request; Bytes answer; } cases[] = {
        {"read 2 from register 1", {1, 3, 0, 0, 0, 2}, {1, 3, 4, 0x12, 0x34, 0xFF, 0xFE}},
        {"read input registers", {1, 4, 0, 1, 0, 1}, {1, 4, 2, 0xFF, 0xFE}},
        {"write 309", {1, 6, 0x01, 0x34, 0, 1}, {1, 6, 0x01, 0x34, 0, 1}},
        {"write 302 and 303", {1, 16, 0x01, 0x2D, 0, 2, 4, 0x01, 0x2C, 0xFF, 0x9C},
         {1, 16, 0x01, 0x2D, 0, 2}},
        {"read of 126", {1, 3, 0, 0, 0, 126}, {1, 0x83, 3}},
        {"read of 0", {1, 3, 0, 0, 0, 0}, {1, 0x83, 3}},
        {"read past the last address", {1, 3, 0xFF, 0xFF, 0, 2}, {1, 0x83, 2}},
        {"write with a wrong byte count", {1, 16, 0, 0, 0, 2, 2, 0, 1}, {1, 0x90, 3}},
        {"write past the last address", {1, 16, 0xFF, 0xFF, 0, 2, 4, 0, 1, 0, 2}, {1, 0x90, 2}},
        {"read coils", {1, 1, 0, 0, 0, 8}, {1, 0x81, 1}},
        {"write coil", {1, 5, 0, 0, 0xFF, 0}, {1, 0x85, 1}},
        {"report station id", {1, 17}, {1, 0x91, 1}},
        {"diagnostics", {1, 8, 0, 0, 0x12, 0x34}, {1, 0x88, 1}},
        {"device identification", {1, 0x2B, 0x0E, 1, 0}, {1, 0xAB, 1}},
        {"another station", {2, 3, 0, 0, 0, 1}, {}},
        {"broadcast write", {0, 6, 0x01, 0x35, 0, 7}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const Bytes expected = c.answer.empty() ? Bytes{} : WithCrc(c.answer);
        EXPECT_EQ(master.transact(WithCrc(c.request), expected.empty() ? 300 : 2000), expected);
    }

    // The largest read there is, and a write of one register too many.
    const Bytes longest = master.transact(WithCrc({1, 3, 0, 0, 0, 125}));
    ASSERT_EQ(longest.size(), 3u + 250u + 2u);
    EXPECT_EQ(Bytes(longest.begin(), longest.begin() + 7), (Bytes{1, 3, 250, 0x12, 0x34, 0xFF, 0xFE}));
    EXPECT_EQ(longest, WithCrc(Bytes(longest.begin(), longest.end() - 2)));
    Bytes tooMany = {1, 16, 0, 0, 0, 124, 248};
    tooMany.resize(7 + 248, 0);
    EXPECT_EQ(master.transact(WithCrc(tooMany)), WithCrc({1, 0x90, 3}));

    EXPECT_EQ(line->reg(309), 1);
    EXPECT_EQ(line->reg(302), 300);
    EXPECT_EQ(line->reg(303), -100);
    EXPECT_EQ(line->reg(310), 7);      // the broadcast was done
    EXPECT_EQ(line->reg(65536), 0);    // refused writes changed nothing
    EXPECT_EQ(line->reg(1), 0x1234);

    // A damaged request is not answered, and the next sound one is.
    Bytes damaged = WithCrc({1, 3, 0, 0, 0, 1});
    damaged.back() ^= 0x01;
    EXPECT_EQ(master.transact(damaged, 300), Bytes{});
    std::this_thread::sleep_for(milliseconds(100));   // the line goes quiet
    EXPECT_EQ(master.transact(WithCrc({1, 3, 0, 0, 0, 1})), WithCrc({1, 3, 2, 0x12, 0x34}));
}

TEST(SimFrames, PacedAnswersArriveACharacterAtATimeAndGarbageKeepsTheirLength)
{
    zc4160sim::Options paced;
    paced.pacingBaud = 9600;
    testsupport::SimLine line{11, paced};
    ASSERT_TRUE(line.started());
    RawMaster master(line->linkPath());
    ASSERT_TRUE(master.open());
    const auto character = microseconds(11000000 / 9600);

    const struct { const char* what; Bytes request; } cases[] = {
        {"read of 64", WithCrc({1, 3, 0, 0, 0, 64})},
        {"write 309", WithCrc({1, 6, 0x01, 0x34, 0, 1})},
        {"read of 126 (an exception)", WithCrc({1, 3, 0, 0, 0, 126})},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        line->setFault(zc4160sim::Fault::None);
        master.send(c.request);
        const auto sound = master.receive();
        line->setFault(zc4160sim::Fault::Garbage);
        master.send(c.request);
        const auto garbage = master.receive();
        ASSERT_GE(sound.bytes.size(), 5u);
        EXPECT_EQ(sound.bytes, WithCrc(Bytes(sound.bytes.begin(), sound.bytes.end() - 2)));
        EXPECT_EQ(garbage.bytes.size(), sound.bytes.size());
        EXPECT_NE(garbage.bytes, WithCrc(Bytes(garbage.bytes.begin(), garbage.bytes.end() - 2)));
        // Spread over the answer's line time: a reader, or the simulator,
        // late to wake makes the spread shorter, so only half of it is
        // asked for, and only of a long answer (on a busy machine the few
        // characters of a short one can all fall due while a thread sleeps).
        for (const auto* a : {&sound, &garbage}) {
            if (a->bytes.size() >= 32) {
                EXPECT_GE(a->spread, character * int64_t(a->bytes.size() - 1) / 2);
            }
        }
    }

    // A request sent while a bad answer is still coming in is rushed; one
    // sent after the line has fallen quiet is not. Where the simulator was
    // late itself to send the character before, it lets the request pass,
    // so a busy machine may need another try.
    EXPECT_EQ(line->rushedRequests(), 0u);
    const Bytes read64 = WithCrc({1, 3, 0, 0, 0, 64});
    for (int attempt = 0; attempt < 5 && line->rushedRequests() == 0; ++attempt) {
        master.send(read64);
        master.receive(2000, 1);   // the first characters
        master.send(read64);
        master.receive();          // both answers, one after the other
    }
    EXPECT_EQ(line->rushedRequests(), 1u);
    master.send(read64);
    EXPECT_EQ(master.receive().bytes.size(), 133u);
    EXPECT_EQ(line->rushedRequests(), 1u);
}
