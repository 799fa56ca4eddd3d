#include "trend/YRange.h"

#include "platform/basic/numbers.h"

namespace chart {

namespace {

// Whether the leading-number parse finds a number at all, so that an empty
// box is not read as 0. The same characters count as the parse's: it skips
// blanks, tabs and line feeds only and reads ASCII digits only, so a
// full-width "１５００" is no number here either.
bool HasLeadingNumber(const QString& text)
{
    QString t;
    for (QChar c : text)
        if (c != QLatin1Char(' ') && c != QLatin1Char('\t') && c != QLatin1Char('\n'))
            t.append(c);
    auto digit = [&t](qsizetype i) {
        return i < t.size() && t[i] >= QLatin1Char('0') && t[i] <= QLatin1Char('9');
    };
    qsizetype i = 0;
    if (i < t.size() && (t[i] == QLatin1Char('+') || t[i] == QLatin1Char('-')))
        ++i;
    if (digit(i))
        return true;
    return i < t.size() && t[i] == QLatin1Char('.') && digit(i + 1);
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
