// The device link: the comm parameters and the two conventions by which
// every window reads and writes the controller. Both are thin on purpose:
// no queue, no lock, no message; the Modbus layer logs what fails.

#include "device/DeviceLink.h"

#include "device/Met1.h"
#include "platform/basic/numbers.h"
#include "platform/modbus/modbus_rtu.h"

#include <algorithm>

namespace {

enum CommParIndex : size_t {
    kPort = 0, kBaud = 1, kParity = 2, kStation = 3, kListValue = 19, kOpenResult = 20
};

bool RepeatWrite(int32_t result, WriteRule rule)
{
    switch (rule) {
    case WriteRule::NoAnswer: return result == modbus::kNoAnswer;
    case WriteRule::AnyNegative: return result < 0;
    }
    return false;
}

} // namespace

int32_t ReadBlock(int32_t first, std::span<int32_t> buffer)
{
    // A view too long for a block is still refused as one, not cut to a
    // count that happens to fit 32 bits.
    const auto count = int32_t(std::min(buffer.size(), size_t(kMaxBlockCount) + 1));
    return Get_4X_DX(CommPar[kPort], CommPar[kStation], first, count, buffer.data());
}

int32_t WriteRegister(int32_t reg, int32_t value, WriteRule rule)
{
    const int32_t result = Set_4X_D1(CommPar[kPort], CommPar[kStation], reg, value);
    if (RepeatWrite(result, rule))
        return Set_4X_D1(CommPar[kPort], CommPar[kStation], reg, value);
    return result;
}

void WriteListValue(const QString& text, int32_t reg)
{
    if (basic::AssignRounded(CommPar[kListValue], basic::LeadingNumber(text)))
        WriteRegister(reg, CommPar[kListValue], WriteRule::NoAnswer);
}

int32_t OpenLink(const LinkSelection& selection)
{
    // Each step on its own: a text whose number does not fit leaves its
    // element as it was, and the open goes ahead with what CommPar holds.
    basic::AssignRounded(CommPar[kPort], basic::LeadingNumber(selection.portText));
    basic::AssignRounded(CommPar[kBaud], basic::LeadingNumber(selection.baudText));
    for (size_t i = 0; i < selection.parity.size(); ++i)
        if (selection.parity[i])
            CommPar[kParity] = int32_t(i);
    basic::AssignRounded(CommPar[kStation], basic::LeadingNumber(selection.stationText));
    CommPar[kOpenResult] = OpenPort_Modbus(CommPar[kPort], CommPar[kBaud], CommPar[kParity]);
    return CommPar[kOpenResult];
}

QString OpenResultText()
{
    return basic::PlainText(int64_t(CommPar[kOpenResult]));
}

void CloseLink()
{
    ClosePort_Modbus(CommPar[kPort]);
    SwitchLivePoll(false);
}
