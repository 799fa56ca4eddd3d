#pragma once
// The live poll: the hidden window Met1 whose 500 ms timer keeps the two
// shared live tables up to date with the controller.

#include <QObject>
#include <QTimer>
#include <array>
#include <cstdint>

// Registers 1..80 (element i = register i + 1) and 301..332 (element j =
// register 301 + j), as the last poll stored them; written only by the poll.
extern std::array<float, 301> StatusValues;
extern std::array<float, 301> CommandValues;
extern std::array<int32_t, 501> RegBuf;
extern std::array<int32_t, 501> RegBuf2;

class Met1 : public QObject {
    Q_OBJECT
public:
    // The single instance, created (hidden, timer off) on first use.
    static Met1& instance();

    QTimer Timer1;   // 500 ms, off until "打开"

    // One poll tick: three block reads with a yield after each. A tick that
    // falls due while another is still inside one of its yields (a silent
    // controller makes a tick outlast the interval) is skipped, not queued:
    // ticks never nest, and the next one comes with the timer. Qt itself
    // never delivers Timer1 again while its handler runs; the guard also
    // holds for a tick started any other way.
    void LivePoll();

    // The tick handler of Timer1; public so that tests can let a tick fall
    // due at a chosen moment.
    void Timer1_Timer();

    // Ticks skipped because a tick was still running.
    int SkippedTicks = 0;

    // Sets Bits(i) to bit i of the byte; nothing in the station calls it.
    void D_Byte(uint8_t value);
    std::array<uint8_t, 8> Bits{};

private:
    Met1();
    bool inTick_ = false;
};

// Switching the poll is enabling or disabling Met1.Timer1.
void SwitchLivePoll(bool on);
