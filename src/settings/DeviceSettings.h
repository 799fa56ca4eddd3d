#pragma once
// The controller's clock and network address as the settings pages read and
// write them, without windows: the register blocks, what a typed field may
// send, the texts of a refresh, and the reads and writes themselves. The
// windows TimeSet and EtheernetSET only move texts between these and their
// controls.

#include <QDateTime>
#include <QString>
#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>

// The last clock read: registers 3001 to 3008 in elements 0 to 7. It
// outlives the clock page, so a reopened page shows the last read until its
// first new one.
extern std::array<int32_t, 11> ClockBuffer;

// The last network read: registers 3201 to 3212 in elements 0 to 11, kept
// across the network page's unloads like the clock's.
extern std::array<int32_t, 21> NetParamBuffer;

namespace settings {

// A typed number as a register value: the leading number of the text must
// lie within lowest..highest as typed (before rounding, so 12.5 is not a
// month), and is then rounded half to even. Nothing when it does not.
std::optional<int32_t> WholeInRange(const QString& text, int lowest, int highest);

// ---- The clock -----------------------------------------------------------

inline constexpr int kClockFirstRegister = 3001;
inline constexpr int kClockBlockCount = 8;   // 3007 and 3008 come along unused
inline constexpr int kClockFields = 6;

// One row of the clock page: the field's unit and the values its "DOWN"
// accepts (both ends included). The day accepts 31 in any month.
struct ClockField {
    const char* unit;
    int lowest;
    int highest;
};
inline constexpr ClockField kClockFieldTable[kClockFields] = {
    {"年", 2018, 2100}, {"月", 1, 12}, {"日", 1, 31},
    {"时", 0, 23},      {"分", 0, 59}, {"秒", 0, 59},
};

constexpr int ClockRegister(int row) { return kClockFirstRegister + row; }
// "地址：3001" and so on: the register a row writes.
QString ClockAddressText(int row);

// The PC clock the page shows and copies; tests put a clock of their own
// here. Read once per refresh.
std::function<QDateTime()>& PcClock();

// What one refresh shows of the PC clock, all from one reading: the date
// "MM-DD-YYYY", the time "HH:MM:SS" and the six fields year to second in
// plain decimal.
struct ClockTexts {
    QString date;
    QString time;
    std::array<QString, kClockFields> fields;
};
ClockTexts ClockTextsAt(const QDateTime& now);

// The controller's value of a row as the last read left it.
QString ControllerClockText(int row);

// The block read of every 800 ms tick; shows nothing, and a failed read
// leaves ClockBuffer as it was.
int32_t ReadClockBlock();

// What a row's field may send: its text within the row's range, rounded.
std::optional<int32_t> ClockFieldValue(int row, const QString& text);

// "DOWN": the row's text within the row's range, sent to its register
// through CommPar(257), repeated on no answer. False when refused (nothing
// sent).
bool WriteClockField(int row, const QString& text);

// "一键下载": all six texts checked against their rows first; only when every
// one passes are they sent, year first. False when refused (nothing sent).
bool WriteClockFields(std::span<const QString, kClockFields> texts);

// ---- The network address ------------------------------------------------

inline constexpr int kNetworkFirstRegister = 3201;
inline constexpr int kNetworkBoxes = 12;
inline constexpr int kOctetsPerGroup = 4;

// The three groups top to bottom: each frame's caption and its first box
// (box j is register 3201 + j; the leftmost box holds the first octet of
// the dotted form).
struct OctetGroup {
    const char* caption;
    int firstBox;
};
inline constexpr OctetGroup kOctetGroups[] = {
    {"IP 地址", 0}, {"子网掩码", 4}, {"默认网关", 8}};
inline constexpr int kOctetGroupCount = static_cast<int>(std::size(kOctetGroups));

// An octet as typed: 0..255 before rounding, then half to even ("" is 0,
// "192.168" is 192, 255.4 is refused).
std::optional<int32_t> OctetValue(const QString& text);

// The read of all twelve registers into NetParamBuffer.
int32_t ReadNetworkBlock();

// The box texts from NetParamBuffer, in plain decimal.
std::array<QString, kNetworkBoxes> NetworkBoxTexts();

// "修改参数" of a group: its four box texts checked first; only when all are
// octets are they written in ascending registers, each repeated on any
// negative result, and then all twelve registers read again. False when
// refused: nothing sent, nothing read, so the boxes keep what was typed.
bool WriteOctetGroup(int group, std::span<const QString, kOctetsPerGroup> texts);

} // namespace settings
