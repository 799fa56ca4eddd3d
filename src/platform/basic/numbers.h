#pragma once
// The station's number conventions: how typed text becomes a number, how a
// number becomes a whole number, and how numbers are shown as text.

#include <QString>
#include <cstdint>
#include <optional>

namespace basic {

// Reads the number at the start of a text. Blanks, tabs and line feeds are
// skipped wherever they stand ("1 2" reads 12); then an optional sign,
// digits with at most one point (a point whatever the locale) and an
// optional exponent (E or e, an optional sign, digits). Full-width forms
// (U+FF01 to U+FF5E) read as the ASCII characters they stand for, the
// ideographic space (U+3000) and the no-break space (U+00A0) as a blank,
// and the ideographic full stop (U+3002) as the point. Reading stops at the
// first other character; a text without a leading number gives 0. A number
// beyond double range gives an infinity, which no whole-number conversion
// accepts.
double LeadingNumber(const QString& text);
// The same, with no result where the text has no leading number, so that a
// caller can tell "0" from no number at all.
std::optional<double> LeadingNumberIfAny(const QString& text);

// Half-to-even rounding into a 32-bit or 16-bit whole number. A value that
// does not fit (or is not a number) gives no result: the assignment fails
// and the caller's variable keeps what it held.
std::optional<int32_t> RoundToLong(double value);
std::optional<int16_t> RoundToInteger(double value);

// Half-to-even rounding to the nearest whole number, kept as a double.
double RoundHalfEven(double value);

// Assigns the rounded value to target when it fits; returns whether it did.
template <typename T>
bool AssignRounded(T& target, double value)
{
    if constexpr (sizeof(T) == 2) {
        if (auto r = RoundToInteger(value)) { target = *r; return true; }
    } else {
        if (auto r = RoundToLong(value)) { target = *r; return true; }
    }
    return false;
}

// Plain text of numbers: a whole number as decimal digits with a leading
// minus when negative; a single at most 7 significant digits and a double at
// most 15, no trailing zeros, a point only where a fraction remains, and
// exponent form ("1.234568E+07") from 10^7 (single) or 10^15 (double) up.
QString PlainText(int64_t value);
QString PlainText(float value);
QString PlainTextDouble(double value);

// A number through a digit pattern of integerDigits zeros, a point and
// decimals zeros ("00000.0000" is 5, 4; "0.00" is 1, 2): the number as its
// 15 significant digits read, rounded to the decimals with halves away from
// zero, the integer part padded with zeros. 0.625 shows "0.63" although the
// double computed for it may lie a hair below.
QString DigitPatternText(double value, int integerDigits, int decimals);

} // namespace basic
