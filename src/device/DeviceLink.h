#pragma once
// The device link: the comm parameters and the two ways every window reads
// and writes the controller's holding registers.

#include <QString>
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

// Comm parameters, all 0 at start: 0 port, 1 baud index, 2 parity index,
// 3 station, 20 last open result; 19, 24 and 257 carry a value about to be
// written by the list commands, the typed values and the clock page.
extern std::array<int32_t, 501> CommPar;

// The most registers one block read asks for.
inline constexpr int32_t kMaxBlockCount = 64;

// Whether a block of count registers landing from element on lies inside a
// buffer of bufferSize elements and is a block the link sends (1 to 64
// registers). The tables that place their reads in a buffer check
// themselves with it where they are written.
constexpr bool BlockFits(int64_t element, int64_t count, size_t bufferSize)
{
    return element >= 0 && count >= 1 && count <= kMaxBlockCount
           && uint64_t(element) + uint64_t(count) <= bufferSize;
}

// One block read of buffer.size() registers from first into buffer, with
// the port and station of CommPar: the view is the room, so no read lands
// beyond it. A view outside 1 to 64 elements sends nothing and returns the
// Modbus layer's refusal; a failed read leaves the view as it was.
int32_t ReadBlock(int32_t first, std::span<int32_t> buffer);

// Which first results make WriteRegister send the same write once more.
enum class WriteRule {
    NoAnswer,      // only -8888 (overview commands, clock page, imports, ...)
    AnyNegative,   // any negative result (grid cell editors, network page)
};

// One write with the port and station of CommPar, repeated once when the
// first result fails under the rule. Returns the result of the last attempt
// (the repeat's, when there was one): the overview's commands ignore it,
// the windows that must tell the operator whether a value arrived test it.
int32_t WriteRegister(int32_t reg, int32_t value, WriteRule rule);

// A list command's write: the leading number of the list's text, rounded
// half to even, into CommPar(19) and from there to reg, repeated once on no
// answer. The controller judges the number. A text whose number does not
// fit a 32-bit whole number sends nothing and leaves CommPar(19) as it was,
// rather than sending what an earlier command left there.
void WriteListValue(const QString& text, int32_t reg);

// What the overview's "打开" reads from its four port controls.
struct LinkSelection {
    QString portText;                        // Combo1
    QString baudText;                        // Combo17
    std::array<bool, 3> parity{};            // Option2(0..2)
    QString stationText;                     // Combo2
};

// Steps of "打开" up to the open itself: CommPar 0 to 3 from the control
// texts by the leading-number rule (a step that fails keeps the element),
// then CommPar(20) = OpenPort_Modbus(...). Returns CommPar(20). The caller
// shows the result in Label13 and switches the live poll on.
int32_t OpenLink(const LinkSelection& selection);

// The text Label13 takes after "打开": CommPar(20) as plain decimal text
// ("0", "-1").
QString OpenResultText();

// "关闭": closes CommPar(0) and switches the live poll off.
void CloseLink();
