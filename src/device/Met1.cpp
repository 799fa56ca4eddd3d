// The live poll: every 500 ms, while switched on, three block reads fill the
// shared live tables StatusValues and CommandValues.

#include "device/Met1.h"

#include "device/DeviceLink.h"

#include <QCoreApplication>

#include <span>

namespace {

// The three block reads of one tick, each with the part of its buffer it
// fills (the fixed-size views are checked against the buffers when this
// compiles). No block exceeds 64 registers, so registers 1 to 80 go as 64
// and 16.
struct PollBlock {
    int32_t first;
    std::span<int32_t> buffer;
};
constexpr PollBlock kLiveStatusLow{1, std::span(RegBuf).subspan<0, 64>()};
constexpr PollBlock kLiveStatusHigh{65, std::span(RegBuf).subspan<64, 16>()};
constexpr PollBlock kCommandBlock{301, std::span(RegBuf2).first<32>()};

constexpr size_t kStatusCount = 80;
constexpr size_t kCommandCount = 32;

// Registers held at ten times their value; all others are stored as read.
constexpr int32_t kStatusTenths[] = {2, 13, 14, 15, 62, 64, 65, 67, 70, 71, 75, 76};
constexpr int32_t kCommandTenths[] = {301};

template <size_t N>
constexpr std::array<bool, N> TenthsMask(const int32_t* regs, size_t count, int32_t firstReg)
{
    std::array<bool, N> mask{};
    for (size_t i = 0; i < count; ++i)
        mask[size_t(regs[i] - firstReg)] = true;
    return mask;
}
constexpr auto kStatusMask = TenthsMask<kStatusCount>(kStatusTenths, std::size(kStatusTenths), 1);
constexpr auto kCommandMask = TenthsMask<kCommandCount>(kCommandTenths, std::size(kCommandTenths), 301);

float Scaled(int32_t raw, bool tenths)
{
    return tenths ? float(double(raw) / 10.0) : float(raw);
}

void Read(const PollBlock& block)
{
    ReadBlock(block.first, block.buffer);
}

void Yield()
{
    QCoreApplication::processEvents();
}

} // namespace

Met1& Met1::instance()
{
    // Never unloaded: it lives as long as the process.
    static Met1* m = new Met1;
    return *m;
}

Met1::Met1()
{
    Timer1.setInterval(500);
    connect(&Timer1, &QTimer::timeout, this, &Met1::Timer1_Timer);
}

void Met1::Timer1_Timer()
{
    LivePoll();
}

void Met1::LivePoll()
{
    if (inTick_) {
        ++SkippedTicks;
        return;
    }
    inTick_ = true;
    // The reads' results are not tested: a failed read leaves the buffer as
    // it was, and the conversion publishes whatever the buffer holds.
    Read(kLiveStatusLow);
    Yield();
    Read(kLiveStatusHigh);
    for (size_t i = 0; i < kStatusCount; ++i)
        StatusValues[i] = Scaled(RegBuf[i], kStatusMask[i]);
    Yield();
    Read(kCommandBlock);
    for (size_t j = 0; j < kCommandCount; ++j)
        CommandValues[j] = Scaled(RegBuf2[j], kCommandMask[j]);
    Yield();
    inTick_ = false;
}

void Met1::D_Byte(uint8_t value)
{
    for (int i = 7; i >= 0; --i)
        Bits[size_t(i)] = uint8_t((value >> i) & 1);
}

void SwitchLivePoll(bool on)
{
    if (on)
        Met1::instance().Timer1.start();
    else
        Met1::instance().Timer1.stop();
}
