#include "platform/basic/numbers.h"

#include <cfenv>
#include <cmath>
#include <cstdlib>
#include <locale.h>
#include <string>

namespace basic {

namespace {

// Qt sets the process locale from the environment, and plain strtod would
// then take a comma for the separator and stop at the point ("12.5" read
// as 12 under a German locale). The conversion uses the C locale always.
locale_t CLocale()
{
    static const locale_t c = newlocale(LC_ALL_MASK, "C", locale_t(nullptr));
    return c;
}

// A Chinese input method left in full-width mode types every ASCII
// character as its full-width form (U+FF01 to U+FF5E, the exponent letters
// too) and the space bar as the ideographic space; with Chinese punctuation
// on, the full stop "。" stands where the point was meant. A text pasted
// from elsewhere may carry no-break spaces. An operator who typed
// "　１２。５" meant 12.5, so each of them reads as the character it stands
// for.
char16_t Halfwidth(char16_t c)
{
    if (c >= u'\uFF01' && c <= u'\uFF5E')
        return char16_t(c - 0xFF01 + 0x21);
    switch (c) {
    case u'\u3000':
    case u'\u00A0': return u' ';
    case u'\u3002': return u'.';
    default: return c;
    }
}

qint64 PowerOfTen(int n)
{
    qint64 p = 1;
    while (n-- > 0)
        p *= 10;
    return p;
}

} // namespace

std::optional<double> LeadingNumberIfAny(const QString& text)
{
    // Gather the characters of the number with the skipped blanks removed,
    // then let strtod in the C locale (point as separator) convert them.
    std::string num;
    bool digits = false, point = false;
    enum { Sign, Mantissa, ExpSign, ExpDigits } stage = Sign;
    std::string exponent;
    for (QChar qc : text) {
        const char16_t c = Halfwidth(qc.unicode());
        if (c == u' ' || c == u'\t' || c == u'\n')
            continue;
        if (stage == Sign) {
            stage = Mantissa;
            if (c == u'+' || c == u'-') { num += char(c); continue; }
        }
        if (stage == Mantissa) {
            if (c >= u'0' && c <= u'9') { num += char(c); digits = true; continue; }
            if (c == u'.' && !point) { num += '.'; point = true; continue; }
            if ((c == u'E' || c == u'e') && digits) { stage = ExpSign; continue; }
            break;
        }
        if (stage == ExpSign) {
            stage = ExpDigits;
            if (c == u'+' || c == u'-') { exponent += char(c); continue; }
        }
        if (c >= u'0' && c <= u'9') { exponent += char(c); continue; }
        break;
    }
    if (!digits)
        return std::nullopt;
    if (!exponent.empty() && std::isdigit(static_cast<unsigned char>(exponent.back())))
        num += "e" + exponent;
    return strtod_l(num.c_str(), nullptr, CLocale());
}

double LeadingNumber(const QString& text)
{
    return LeadingNumberIfAny(text).value_or(0.0);
}

double RoundHalfEven(double value)
{
    // nearbyint rounds in the current mode; the station never changes it
    // from round-to-nearest-even, but say so explicitly.
    const int old = std::fegetround();
    std::fesetround(FE_TONEAREST);
    const double r = std::nearbyint(value);
    std::fesetround(old);
    return r;
}

std::optional<int32_t> RoundToLong(double value)
{
    const double r = RoundHalfEven(value);
    if (!(r >= -2147483648.0 && r <= 2147483647.0))
        return std::nullopt;
    return static_cast<int32_t>(r);
}

std::optional<int16_t> RoundToInteger(double value)
{
    const double r = RoundHalfEven(value);
    if (!(r >= -32768.0 && r <= 32767.0))
        return std::nullopt;
    return static_cast<int16_t>(r);
}

QString PlainText(int64_t value)
{
    return QString::number(value);
}

namespace {

// Shared by single and double: `digits` significant digits, exponent form
// from 10^digits up.
QString plain(double value, int digits)
{
    if (std::isnan(value))
        return QStringLiteral("NaN");
    if (std::isinf(value))
        return value < 0 ? QStringLiteral("-Inf") : QStringLiteral("Inf");
    if (value == 0.0)
        return QStringLiteral("0");
    // Round to the significant digits first, so 9999999.6 as a single
    // becomes 1E+07 and is shown in exponent form.
    const QString e = QString::number(value, 'e', digits - 1);   // d.dddddde+XX
    const int epos = e.indexOf(u'e');
    const int exp10 = e.mid(epos + 1).toInt();
    if (exp10 >= digits) {
        QString mant = e.left(epos);
        if (mant.contains(u'.')) {
            while (mant.endsWith(u'0')) mant.chop(1);
            if (mant.endsWith(u'.')) mant.chop(1);
        }
        const QString sign = exp10 < 0 ? QStringLiteral("-") : QStringLiteral("+");
        return mant + u'E' + sign + QString::number(std::abs(exp10)).rightJustified(2, u'0');
    }
    // Plain form: as many decimals as the significant digits leave.
    const int decimals = std::max(0, digits - 1 - exp10);
    QString s = QString::number(e.toDouble(), 'f', decimals);
    if (s.contains(u'.')) {
        while (s.endsWith(u'0')) s.chop(1);
        if (s.endsWith(u'.')) s.chop(1);
    }
    if (s == QStringLiteral("-0"))
        s = QStringLiteral("0");
    return s;
}

} // namespace

QString PlainText(float value)
{
    return plain(static_cast<double>(value), 7);
}

QString PlainTextDouble(double value)
{
    return plain(value, 15);
}

QString DigitPatternText(double value, int integerDigits, int decimals)
{
    if (!std::isfinite(value))
        return basic::PlainTextDouble(value);
    // |value| = digits x 10^(exponent - 14), digits the 15 significant
    // digits; value x 10^decimals = digits x 10^shift.
    const QString e = QString::number(std::fabs(value), 'e', 14);
    const qsizetype at = e.indexOf(u'e');
    const qint64 digits = QString(e.left(at)).remove(u'.').toLongLong();
    const int shift = e.mid(at + 1).toInt() - 14 + decimals;
    qint64 scaled = 0;
    if (shift > 3) {
        // Beyond 10^18 no pattern of the station's reaches; plain digits.
        return QString::number(value, 'f', decimals);
    } else if (shift >= 0) {
        scaled = digits * PowerOfTen(shift);
    } else if (shift >= -15) {
        const qint64 unit = PowerOfTen(-shift);
        scaled = digits / unit + ((digits % unit) * 2 >= unit ? 1 : 0);
    }
    const qint64 unit = PowerOfTen(decimals);
    QString text = QString::number(scaled / unit).rightJustified(integerDigits, u'0');
    if (decimals > 0)
        text += u'.' + QString::number(scaled % unit).rightJustified(decimals, u'0');
    if (value < 0 && scaled != 0)
        text.prepend(u'-');
    return text;
}

} // namespace basic
