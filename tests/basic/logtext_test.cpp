#include "platform/basic/logtext.h"

#include <gtest/gtest.h>
#include <iterator>
#include <optional>
#include <string>

using namespace basic;
using namespace std::string_literals;

namespace {

QString Q(const std::u16string& s) { return QString::fromStdU16String(s); }

// Whether a log line would carry a character that breaks or steers it.
bool HoldsControl(const QString& s)
{
    for (const QChar c : s) {
        const char16_t u = c.unicode();
        if (u < 0x20 || (u >= 0x7F && u <= 0x9F) || u == 0x2028 || u == 0x2029
            || (u >= 0x202A && u <= 0x202E) || (u >= 0x2066 && u <= 0x2069) || u == 0x200E
            || u == 0x200F || u == 0x061C)
            return true;
    }
    return false;
}

} // namespace

TEST(LogText, EscapesControlCharactersAndCutsLongTexts)
{
    const QString x40 = QString(40, u'x');
    const QString x240 = QString(240, u'x');
    const QString nel = QStringLiteral("\\u{0085}");
    const struct {
        std::u16string text;
        std::optional<int> limit;   // none: each function's own
        std::u16string quoted;
        std::u16string escaped;
    } cases[] = {
        {u"a\nzc4160.exchange: forged"s, 5, u"\"a\\nzc4\"… (25 characters)"s,
         u"a\\nzc4… (25 characters)"s},
        {u"a\nb\rc\td"s, {}, u"\"a\\nb\\rc\\td\""s, u"a\\nb\\rc\\td"s},
        {u"\x1B[31mred"s, {}, u"\"\\x1B[31mred\""s, u"\\x1B[31mred"s},
        {u"\0\x01\x1F\x7F"s, {}, u"\"\\x00\\x01\\x1F\\x7F\""s, u"\\x00\\x01\\x1F\\x7F"s},
        {u"\u0085\u009B31m"s, {}, u"\"\\u{0085}\\u{009B}31m\""s, u"\\u{0085}\\u{009B}31m"s},
        {u"a\u2028b\u2029"s, {}, u"\"a\\u{2028}b\\u{2029}\""s, u"a\\u{2028}b\\u{2029}"s},
        {u"\u202Eabc\u2066d\u200F"s, {}, u"\"\\u{202E}abc\\u{2066}d\\u{200F}\""s,
         u"\\u{202E}abc\\u{2066}d\\u{200F}"s},
        {u"say \"hi\" \\n"s, {}, u"\"say \\\"hi\\\" \\\\n\""s, u"say \"hi\" \\n"s},
        {u""s, {}, u"\"\""s, u""s},
        {u"a"s, 0, u"\"\"… (1 character)"s, u"… (1 character)"s},
        {u"abcde"s, 5, u"\"abcde\""s, u"abcde"s},
        {u"abcdef"s, 5, u"\"abcde\"… (6 characters)"s, u"abcde… (6 characters)"s},
        // The limit counts the text's characters, not the escapes.
        {u"\n\n\n\n\n\n"s, 5, u"\"\\n\\n\\n\\n\\n\"… (6 characters)"s,
         u"\\n\\n\\n\\n\\n… (6 characters)"s},
        // A pair that would be cut in half goes; one that fits stays.
        {u"abcd😀"s, 5, u"\"abcd\"… (6 characters)"s, u"abcd… (6 characters)"s},
        {u"abc😀"s, 5, u"\"abc😀\""s, u"abc😀"s},
        {u"abc😀e"s, 5, u"\"abc😀\"… (6 characters)"s, u"abc😀… (6 characters)"s},
        {u"a"s + char16_t(0xD800) + u"b"s, {}, u"\"a\\u{D800}b\""s, u"a\\u{D800}b"s},
        {u"温度超限 炉1"s, {}, u"\"温度超限 炉1\""s, u"温度超限 炉1"s},
        {std::u16string(100000, u'x'), {},
         u"\""s + x40.toStdU16String() + u"\"… (100000 characters)"s,
         x240.toStdU16String() + u"… (100000 characters)"s},
        {std::u16string(100000, u'\u0085'), {},
         u"\""s + nel.repeated(40).toStdU16String() + u"\"… (100000 characters)"s,
         nel.repeated(240).toStdU16String() + u"… (100000 characters)"s},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        const auto& c = cases[i];
        SCOPED_TRACE(i);
        const QString text = Q(c.text);
        const QString quoted = c.limit ? LogQuoted(text, *c.limit) : LogQuoted(text);
        const QString escaped = c.limit ? LogEscaped(text, *c.limit) : LogEscaped(text);
        EXPECT_EQ(quoted, Q(c.quoted));
        EXPECT_EQ(escaped, Q(c.escaped));
        for (const auto& [out, limit] : {std::pair{quoted, c.limit.value_or(kLogQuotedLength)},
                                         std::pair{escaped, c.limit.value_or(kLogEscapedLength)}}) {
            EXPECT_FALSE(HoldsControl(out)) << out.toStdString();
            EXPECT_LE(out.size(), limit * 10 + 40);
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
