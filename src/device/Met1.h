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

    // One poll tick: three block reads with a yield after each.
    void LivePoll();

    // Sets Bits(i) to bit i of the byte; nothing in the station calls it.
    void D_Byte(uint8_t value);
    std::array<uint8_t, 8> Bits{};

private:
    Met1();
    void Timer1_Timer();
    bool inTick_ = false;
};

// Switching the poll is enabling or disabling Met1.Timer1.
void SwitchLivePoll(bool on);
