#include "platform/basic/logtext.h"

#include <algorithm>

namespace basic {
namespace {

void AppendHex(QString& out, char16_t c, int digits)
{
    static constexpr char16_t kDigits[] = u"0123456789ABCDEF";
    for (int shift = (digits - 1) * 4; shift >= 0; shift -= 4)
        out += QChar(kDigits[(c >> shift) & 0xF]);
}

// The marks and overrides of writing direction: they break no line, but
// make a terminal show a line's characters in another order than they have.
bool Steers(char16_t c)
{
    return c == 0x061C || c == 0x200E || c == 0x200F || (c >= 0x202A && c <= 0x202E)
           || (c >= 0x2066 && c <= 0x2069);
}

// Appends the escape of the character at text[i] (with its low half, for
// a whole surrogate pair) and returns the index after what it took.
qsizetype AppendEscaped(QString& out, QStringView text, qsizetype i, bool quoted)
{
    const char16_t c = text[i].unicode();
    if (QChar::isHighSurrogate(c) && i + 1 < text.size()
        && QChar::isLowSurrogate(text[i + 1].unicode())) {
        out += text[i];
        out += text[i + 1];
        return i + 2;
    }
    if (c == u'\n') {
        out += u"\\n";
    } else if (c == u'\r') {
        out += u"\\r";
    } else if (c == u'\t') {
        out += u"\\t";
    } else if (c == u'\\' || (quoted && c == u'"')) {
        out += u'\\';
        out += QChar(c);
    } else if (c < 0x20 || c == 0x7F) {
        out += u"\\x";
        AppendHex(out, c, 2);
    } else if ((c >= 0x80 && c <= 0x9F) || c == 0x2028 || c == 0x2029 || Steers(c)
               || QChar::isSurrogate(c)) {
        out += u"\\u{";
        AppendHex(out, c, 4);
        out += u'}';
    } else {
        out += QChar(c);
    }
    return i + 1;
}

QString Escaped(const QString& text, int limit, bool quoted)
{
    const qsizetype room = std::max(limit, 0);
    QString out;
    out.reserve(std::min<qsizetype>(room, text.size() * 8) + 40);
    if (quoted)
        out += u'"';
    const qsizetype start = out.size();
    qsizetype i = 0;
    while (i < text.size()) {
        // What went past the room is taken back: an escape or a pair is
        // kept whole or not at all.
        const qsizetype before = out.size();
        const qsizetype next = AppendEscaped(out, text, i, quoted);
        if (out.size() - start > room) {
            out.truncate(before);
            break;
        }
        i = next;
    }
    if (quoted)
        out += u'"';
    const qsizetype whole = text.size();
    if (i < whole)
        out += QStringLiteral("\u2026 (%1 %2)")
                   .arg(whole)
                   .arg(whole == 1 ? QLatin1StringView("character")
                                   : QLatin1StringView("characters"));
    return out;
}

} // namespace

QString LogQuoted(const QString& text, int limit)
{
    return Escaped(text, limit, true);
}

QString LogEscaped(const QString& text, int limit)
{
    return Escaped(text, limit, false);
}

QString LogValue(const QVariant& field, const QString& empty)
{
    if (field.isNull())
        return empty;
    if (field.typeId() == QMetaType::QString || field.typeId() == QMetaType::QByteArray)
        return LogQuoted(field.toString());
    return field.toString();
}

} // namespace basic
