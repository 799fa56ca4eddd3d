#include "settings/DeviceSettings.h"

#include "device/DeviceLink.h"
#include "platform/basic/daynumbers.h"
#include "platform/basic/numbers.h"

std::array<int32_t, 11> ClockBuffer{};
std::array<int32_t, 21> NetParamBuffer{};

namespace settings {

namespace {
// CommPar carries each clock value on its way to the link, as the other
// writers of the station do with theirs; it keeps the last value sent.
constexpr size_t kClockValue = 257;
} // namespace

std::optional<int32_t> WholeInRange(const QString& text, int lowest, int highest)
{
    const double typed = basic::LeadingNumber(text);
    if (!(typed >= lowest && typed <= highest))
        return std::nullopt;
    return basic::RoundToLong(typed);
}

// ---- The clock -----------------------------------------------------------

QString ClockAddressText(int row)
{
    return QStringLiteral("地址：") + basic::PlainText(int64_t(ClockRegister(row)));
}

std::function<QDateTime()>& PcClock()
{
    static std::function<QDateTime()> clock = [] { return QDateTime::currentDateTime(); };
    return clock;
}

ClockTexts ClockTextsAt(const QDateTime& now)
{
    // One reading for everything: near midnight a second reading could
    // already be the next day, and the fields would then send a date a day
    // off from the time beside it.
    const QDate date = now.date();
    const QTime time = now.time();
    ClockTexts texts;
    texts.date = basic::ClockDateText(now);
    texts.time = basic::ClockTimeText(now);
    const int fields[kClockFields] = {date.year(), date.month(),  date.day(),
                                      time.hour(), time.minute(), time.second()};
    for (int k = 0; k < kClockFields; ++k)
        texts.fields[size_t(k)] = basic::PlainText(int64_t(fields[k]));
    return texts;
}

QString ControllerClockText(int row)
{
    return basic::PlainText(int64_t(ClockBuffer[size_t(row)]));
}

int32_t ReadClockBlock()
{
    return ReadBlock(kClockFirstRegister, std::span(ClockBuffer).first<kClockBlockCount>());
}

std::optional<int32_t> ClockFieldValue(int row, const QString& text)
{
    if (row < 0 || row >= kClockFields)
        return std::nullopt;
    const ClockField& field = kClockFieldTable[row];
    return WholeInRange(text, field.lowest, field.highest);
}

namespace {
void SendClockField(int row, int32_t value)
{
    CommPar[kClockValue] = value;
    WriteRegister(ClockRegister(row), CommPar[kClockValue], WriteRule::NoAnswer);
}
} // namespace

bool WriteClockField(int row, const QString& text)
{
    const std::optional<int32_t> value = ClockFieldValue(row, text);
    if (!value)
        return false;
    SendClockField(row, *value);
    return true;
}

bool WriteClockFields(std::span<const QString, kClockFields> texts)
{
    // A month of 13 or a negative second would set the controller's clock
    // to nonsense: the whole set goes or nothing does.
    std::array<int32_t, kClockFields> values{};
    for (int k = 0; k < kClockFields; ++k) {
        const std::optional<int32_t> value = ClockFieldValue(k, texts[size_t(k)]);
        if (!value)
            return false;
        values[size_t(k)] = *value;
    }
    for (int k = 0; k < kClockFields; ++k)
        SendClockField(k, values[size_t(k)]);
    return true;
}

// ---- The network address ------------------------------------------------

std::optional<int32_t> OctetValue(const QString& text) { return WholeInRange(text, 0, 255); }

int32_t ReadNetworkBlock()
{
    return ReadBlock(kNetworkFirstRegister, std::span(NetParamBuffer).first<kNetworkBoxes>());
}

std::array<QString, kNetworkBoxes> NetworkBoxTexts()
{
    std::array<QString, kNetworkBoxes> texts;
    for (size_t j = 0; j < texts.size(); ++j)
        texts[j] = basic::PlainText(int64_t(NetParamBuffer[j]));
    return texts;
}

bool WriteOctetGroup(int group, std::span<const QString, kOctetsPerGroup> texts)
{
    if (group < 0 || group >= kOctetGroupCount)
        return false;
    // Half an address (the first octets new, the rest old) can cut the
    // controller off its network: all four octets are checked before the
    // first is sent.
    std::array<int32_t, kOctetsPerGroup> octets{};
    for (int k = 0; k < kOctetsPerGroup; ++k) {
        const std::optional<int32_t> octet = OctetValue(texts[size_t(k)]);
        if (!octet)
            return false;
        octets[size_t(k)] = *octet;
    }
    const int first = kNetworkFirstRegister + kOctetGroups[group].firstBox;
    for (int k = 0; k < kOctetsPerGroup; ++k)
        WriteRegister(first + k, octets[size_t(k)], WriteRule::AnyNegative);
    ReadNetworkBlock();
    return true;
}

} // namespace settings
