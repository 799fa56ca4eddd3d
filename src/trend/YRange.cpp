#include "trend/YRange.h"

#include "platform/basic/numbers.h"

namespace chart {

namespace {

// Whether the leading-number parse finds a number at all, so that an empty
// box is not read as 0.
bool HasLeadingNumber(const QString& text)
{
    QString t;
    for (QChar c : text)
        if (c != QLatin1Char(' ') && c != QLatin1Char('\t') && c != QLatin1Char('\n')
            && c != QLatin1Char('\r'))
            t.append(c);
    int i = 0;
    if (i < t.size() && (t[i] == QLatin1Char('+') || t[i] == QLatin1Char('-')))
        ++i;
    if (i < t.size() && t[i].isDigit())
        return true;
    return i + 1 < t.size() && t[i] == QLatin1Char('.') && t[i + 1].isDigit();
}

} // namespace

bool AcceptYRange(const QString& maxText, const QString& minText, YRangeValues& target)
{
    if (!HasLeadingNumber(maxText) || !HasLeadingNumber(minText))
        return false;
    const double max = basic::LeadingNumber(maxText);
    const double min = basic::LeadingNumber(minText);
    if (max > 36000 || max < -12000)
        return false;
    if (min > 35000 || min < -12000 || min > max)
        return false;
    const auto rMin = basic::RoundToInteger(min);
    const auto rMax = basic::RoundToInteger(max);
    const auto rSpan = basic::RoundToInteger(max - min);
    if (!rMin || !rMax || !rSpan || *rSpan == 0)
        return false;
    target = {*rMin, *rMax, *rSpan};
    return true;
}

} // namespace chart
