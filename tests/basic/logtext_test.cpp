#include "basic/LogLines.h"
#include "platform/basic/logtext.h"

#include <QByteArray>
#include <gtest/gtest.h>
#include <climits>
#include <iterator>
#include <optional>
#include <string>

using namespace basic;
using namespace std::string_literals;
using testsupport::HoldsControl;

namespace {

QString Q(const std::u16string& s) { return QString::fromStdU16String(s); }

std::u16string Repeated(const std::u16string& s, int times)
{
    std::u16string out;
    for (int i = 0; i < times; ++i)
        out += s;
    return out;
}

QString Mark(qsizetype whole)
{
    return QStringLiteral("\u2026 (%1 %2)")
        .arg(whole)
        .arg(QLatin1StringView(whole == 1 ? "character" : "characters"));
}

// The part of a result that the text takes: without the quotes and the mark.
QString TextPart(QString out, qsizetype whole, bool quoted, bool* cut)
{
    *cut = out.endsWith(Mark(whole));
    if (*cut)
        out.chop(Mark(whole).size());
    if (quoted) {
        EXPECT_TRUE(out.startsWith(u'"') && out.endsWith(u'"') && out.size() >= 2)
            << out.toStdString();
        out = out.mid(1, out.size() - 2);
    }
    return out;
}

// What the header promises of every result: no raw control character, the
// text's part at most `limit` long and, where cut, short of it by less than
// the longest escape (8), and the whole result at most limit + 40.
void ExpectBounded(const QString& out, const QString& text, int limit, bool quoted)
{
    EXPECT_FALSE(HoldsControl(out)) << out.toStdString();
    EXPECT_LE(out.size(), limit + 40) << out.toStdString();
    bool cut = false;
    const QString part = TextPart(out, text.size(), quoted, &cut);
    EXPECT_LE(part.size(), limit) << out.toStdString();
    if (cut) {
        EXPECT_GT(part.size(), limit - 8) << out.toStdString();
    }
}

} // namespace

TEST(LogText, EscapesControlCharactersAndCutsWhatTheTextTakesOfTheLine)
{
    const std::u16string nel = u"\\u{0085}"s;
    const std::u16string rlo = u"\\u{202E}"s;
    const struct {
        std::u16string text;
        std::optional<int> limit;   // none: each function's own
        std::u16string quoted;
        std::u16string escaped;
    } cases[] = {
        {u"a\nzc4160.exchange: forged"s, 5, u"\"a\\nzc\"… (25 characters)"s,
         u"a\\nzc… (25 characters)"s},
        {u"a\nb\rc\td"s, {}, u"\"a\\nb\\rc\\td\""s, u"a\\nb\\rc\\td"s},
        {u"\x1B[31mred"s, {}, u"\"\\x1B[31mred\""s, u"\\x1B[31mred"s},
        {u"\0\x01\x1F\x7F"s, {}, u"\"\\x00\\x01\\x1F\\x7F\""s, u"\\x00\\x01\\x1F\\x7F"s},
        {u"\u0085\u009B31m"s, {}, u"\"\\u{0085}\\u{009B}31m\""s, u"\\u{0085}\\u{009B}31m"s},
        {u"a\u2028b\u2029"s, {}, u"\"a\\u{2028}b\\u{2029}\""s, u"a\\u{2028}b\\u{2029}"s},
        {u"\u202Eabc\u2066d\u200F"s, {}, u"\"\\u{202E}abc\\u{2066}d\\u{200F}\""s,
         u"\\u{202E}abc\\u{2066}d\\u{200F}"s},
        {u"say \"hi\" \\n"s, {}, u"\"say \\\"hi\\\" \\\\n\""s, u"say \"hi\" \\\\n"s},
        // A stored backslash and n, then a line break: they read apart.
        {u"\\n|\n"s, {}, u"\"\\\\n|\\n\""s, u"\\\\n|\\n"s},
        {u""s, {}, u"\"\""s, u""s},
        {u"a"s, 0, u"\"\"… (1 character)"s, u"… (1 character)"s},
        {u"abcde"s, 5, u"\"abcde\""s, u"abcde"s},
        {u"abcdef"s, 5, u"\"abcde\"… (6 characters)"s, u"abcde… (6 characters)"s},
        // The limit counts the escapes, and an escape is kept whole or not
        // at all.
        {u"\n\n\n\n\n\n"s, 5, u"\"\\n\\n\"… (6 characters)"s, u"\\n\\n… (6 characters)"s},
        {u"\x1B[31m"s, 5, u"\"\\x1B[\"… (5 characters)"s, u"\\x1B[… (5 characters)"s},
        {u"\x1B[31m"s, 3, u"\"\"… (5 characters)"s, u"… (5 characters)"s},
        {u"ab\u202E"s, 9, u"\"ab\"… (3 characters)"s, u"ab… (3 characters)"s},
        {u"ab\u202E"s, 10, u"\"ab\\u{202E}\""s, u"ab\\u{202E}"s},
        // A pair that would be cut in half goes; one that fits stays.
        {u"abcd😀"s, 5, u"\"abcd\"… (6 characters)"s, u"abcd… (6 characters)"s},
        {u"abc😀"s, 5, u"\"abc😀\""s, u"abc😀"s},
        {u"abc😀e"s, 5, u"\"abc😀\"… (6 characters)"s, u"abc😀… (6 characters)"s},
        {u"\n\n😀"s, 5, u"\"\\n\\n\"… (4 characters)"s, u"\\n\\n… (4 characters)"s},
        {u"\n😀x"s, 4, u"\"\\n😀\"… (4 characters)"s, u"\\n😀… (4 characters)"s},
        {u"a"s + char16_t(0xD800) + u"b"s, {}, u"\"a\\u{D800}b\""s, u"a\\u{D800}b"s},
        {u"温度超限 炉1"s, {}, u"\"温度超限 炉1\""s, u"温度超限 炉1"s},
        // Long texts at each function's own limit.
        {std::u16string(100000, u'x'), {},
         u"\""s + std::u16string(40, u'x') + u"\"… (100000 characters)"s,
         std::u16string(100, u'x') + u"… (100000 characters)"s},
        {std::u16string(100000, u'\u0085'), {},
         u"\""s + Repeated(nel, 5) + u"\"… (100000 characters)"s,
         Repeated(nel, 12) + u"… (100000 characters)"s},
        {std::u16string(300, u'\u202E'), {}, u"\""s + Repeated(rlo, 5) + u"\"… (300 characters)"s,
         Repeated(rlo, 12) + u"… (300 characters)"s},
        {std::u16string(5000, u'温'), {},
         u"\""s + std::u16string(40, u'温') + u"\"… (5000 characters)"s,
         std::u16string(100, u'温') + u"… (5000 characters)"s},
        {std::u16string(5000, u'\x01'), {},
         u"\""s + Repeated(u"\\x01"s, 10) + u"\"… (5000 characters)"s,
         Repeated(u"\\x01"s, 25) + u"… (5000 characters)"s},
        {std::u16string(5000, u'\\'), {},
         u"\""s + Repeated(u"\\\\"s, 20) + u"\"… (5000 characters)"s,
         Repeated(u"\\\\"s, 50) + u"… (5000 characters)"s},
        // Pairs that fill the room, and pairs one short of it.
        {Repeated(u"😀"s, 2500), {}, u"\""s + Repeated(u"😀"s, 20) + u"\"… (5000 characters)"s,
         Repeated(u"😀"s, 50) + u"… (5000 characters)"s},
        {u"x"s + Repeated(u"😀"s, 2500), {},
         u"\"x"s + Repeated(u"😀"s, 19) + u"\"… (5001 characters)"s,
         u"x"s + Repeated(u"😀"s, 49) + u"… (5001 characters)"s},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        const auto& c = cases[i];
        SCOPED_TRACE(i);
        const QString text = Q(c.text);
        const QString quoted = c.limit ? LogQuoted(text, *c.limit) : LogQuoted(text);
        const QString escaped = c.limit ? LogEscaped(text, *c.limit) : LogEscaped(text);
        EXPECT_EQ(quoted, Q(c.quoted));
        EXPECT_EQ(escaped, Q(c.escaped));
        ExpectBounded(quoted, text, c.limit.value_or(kLogQuotedLength), true);
        ExpectBounded(escaped, text, c.limit.value_or(kLogEscapedLength), false);
    }
}

// At every limit the text's part is the whole escape of the longest start
// of the text that fits, never a piece of an escape or half a pair.
TEST(LogText, TheCutFallsBetweenWholeEscapesAtEveryLimit)
{
    const QString texts[] = {
        Q(u"a\nb\x1B[1m\u202E😀\\\"c\u0085"s),
        Q(u"😀😀\n😀\u2066😀"s),
        Q(u"\u200F"s + char16_t(0xDC00) + u"x\t"s),
    };
    for (const QString& text : texts) {
        for (const bool quoted : {true, false}) {
            const auto escape = [quoted](const QString& t, int limit) {
                return quoted ? LogQuoted(t, limit) : LogEscaped(t, limit);
            };
            // The whole escape of the text's first k characters.
            const auto escapeOfStart = [&](qsizetype k) {
                bool cut = false;
                return TextPart(escape(text.first(k), INT_MAX), k, quoted, &cut);
            };
            for (int limit = 0; limit <= 40; ++limit) {
                SCOPED_TRACE(std::to_string(limit) + (quoted ? " quoted " : " ")
                             + text.toStdString());
                const QString out = escape(text, limit);
                ExpectBounded(out, text, limit, quoted);
                bool cut = false;
                const QString part = TextPart(out, text.size(), quoted, &cut);
                qsizetype kept = text.size();
                while (kept > 0 && escapeOfStart(kept) != part)
                    --kept;
                EXPECT_EQ(escapeOfStart(kept), part);
                EXPECT_EQ(cut, kept < text.size());
                if (kept == text.size())
                    continue;
                EXPECT_FALSE(kept > 0 && text[kept - 1].isHighSurrogate()
                             && text[kept].isLowSurrogate());
                // One character (or pair) more would not have fitted.
                const bool pair = text[kept].isHighSurrogate() && kept + 1 < text.size()
                                  && text[kept + 1].isLowSurrogate();
                EXPECT_GT(escapeOfStart(kept + (pair ? 2 : 1)).size(), limit);
            }
        }
    }
}

TEST(LogText, WithoutALimitEachCutsAtItsOwnLength)
{
    for (const auto& [length, cut] : {std::pair{kLogQuotedLength, false},
                                      std::pair{kLogQuotedLength + 1, true}})
        EXPECT_EQ(LogQuoted(QString(length, u'x')).endsWith(u"characters)"), cut) << length;
    for (const auto& [length, cut] : {std::pair{kLogEscapedLength, false},
                                      std::pair{kLogEscapedLength + 1, true}})
        EXPECT_EQ(LogEscaped(QString(length, u'x')).endsWith(u"characters)"), cut) << length;
}

// A field of the file: a text or a byte array quoted, escaped and short, a
// number as it is, no value as the caller's word.
TEST(LogText, AFieldShowsAsItsKindOfValue)
{
    for (const testsupport::ForgedText& forged : testsupport::ForgedTexts()) {
        SCOPED_TRACE(forged.shown.toStdString());
        for (const QVariant& field : {QVariant(forged.text), QVariant(forged.text.toUtf8())}) {
            const QString shown = LogValue(field, QStringLiteral("nothing"));
            EXPECT_TRUE(shown.startsWith(u'"')) << shown.toStdString();
            EXPECT_TRUE(shown.contains(forged.shown.left(kLogQuotedLength)))
                << shown.toStdString();
            ExpectBounded(shown, forged.text, kLogQuotedLength, true);
        }
    }
    EXPECT_EQ(LogValue(QVariant(QByteArray("7\\n\n")), {}), QStringLiteral("\"7\\\\n\\n\""));
    EXPECT_EQ(LogValue(QVariant(12.5), {}), QStringLiteral("12.5"));
    EXPECT_EQ(LogValue(QVariant(qint64(9000000000000000)), {}),
              QStringLiteral("9000000000000000"));
    EXPECT_EQ(LogValue(QVariant(QMetaType(QMetaType::QString)), QStringLiteral("nothing")),
              QStringLiteral("nothing"));
}
