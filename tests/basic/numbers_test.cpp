#include "platform/basic/numbers.h"

#include <gtest/gtest.h>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

using namespace basic;

TEST(LeadingNumber, ReadsTheNumberAtTheStartOfAText)
{
    const struct { const char* text; double value; } cases[] = {
        {"", 0},
        {"abc", 0},
        {"12 ", 12},
        {"3: 38400 BPS", 3},
        {"8: 921600 BPS", 8},
        {"0:自动 ", 0},
        {"4:结束 ", 4},
        {"  7", 7},
        {"\t\n-5", -5},
        {"1 2 3", 123},          // blanks are skipped anywhere, not only in front
        {"- 4", -4},
        {"+2.5x", 2.5},
        {"1.2.3", 1.2},          // at most one point
        {".5", 0.5},
        {"-.25", -0.25},
        {"1E3", 1000},
        {"1e-2", 0.01},
        {"2E+2z", 200},
        {"1E", 1},               // an exponent without digits is not taken
        {"1,5", 1},              // the point is the only separator
        {"--1", 0},
        {"-", 0},
        {"E5", 0},
        {"99999", 99999},
    };
    for (const auto& c : cases)
        EXPECT_DOUBLE_EQ(LeadingNumber(QString::fromUtf8(c.text)), c.value) << c.text;
    EXPECT_TRUE(std::isinf(LeadingNumber(QStringLiteral("1E400"))));
}

// A Chinese input method in full-width mode types every ASCII character in
// its full-width form (U+FF01..U+FF5E) and the space bar as U+3000; with
// Chinese punctuation on, "。" (U+3002) where the point was meant. A pasted
// text may carry U+00A0. They read as the characters they stand for, the
// blanks wherever the space is skipped. Letters are still letters.
TEST(LeadingNumber, ReadsFullWidthFormsAndOtherBlanksAsTheirAsciiOnes)
{
    const std::optional<double> none;
    const struct { const char* text; std::optional<double> value; } cases[] = {
        {"１２３", 123},
        {"－５", -5},
        {"＋７", 7},
        {"１２．５", 12.5},
        {"．２５", 0.25},
        {"－．２５", -0.25},
        {"０", 0},
        {"９８７６５４３２１０", 9876543210},
        {"１2３", 123},          // mixed with ordinary digits
        {"-１.５", -1.5},
        {"１ ２", 12},           // blanks still skipped
        {"１E３", 1000},         // full-width exponent digits and sign
        {"２e－２", 0.02},
        {"２E＋２", 200},
        {"１ｅ３", 1000},         // the exponent letters in full width
        {"１Ｅ５", 100000},
        {"２ｅ－２", 0.02},
        {"１ｅ", 1},             // still no exponent without digits
        {"１．２．３", 1.2},     // still at most one point
        {"１２，５", 12},        // a full-width comma is no separator
        {"３：38400 BPS", 3},
        {"７ａｂｃ", 7},
        // The ideographic and the no-break space are blanks where the space
        // is: in front, between sign and digits, between digits, before
        // the exponent.
        {"　１２３", 123},
        {"　　１２３", 123},
        {"\u00A0123", 123},
        {"\u00A0\u3000 \t7", 7},
        {"－　５", -5},
        {"-\u00A05", -5},
        {"１　２", 12},
        {"1\u00A02", 12},
        {"1　e　3", 1000},
        {"12。5", 12.5},         // the ideographic full stop is the point
        {"１２。５", 12.5},
        {"。５", 0.5},
        {"1。2。3", 1.2},
        {"1。2.3", 1.2},         // one point, whichever form
        {"－－１", none},
        {"－", none},
        {"　", none},
        {"。", none},
        {"ａｂｃ", none},        // full-width letters are letters
        {"ＡＢＣ", none},
        {"Ｅ５", none},
        {"ｅ５", none},
        {"／５", none},          // U+FF0F, beside the digits, is no digit
        {"：５", none},          // nor is U+FF1A
        {"、５", none},          // U+3001, the ideographic comma, is no point
    };
    for (const auto& c : cases) {
        const QString text = QString::fromUtf8(c.text);
        EXPECT_EQ(LeadingNumberIfAny(text), c.value) << c.text;
        EXPECT_DOUBLE_EQ(LeadingNumber(text), c.value.value_or(0.0)) << c.text;
    }
}

namespace {

// Switches LC_NUMERIC to a locale with a decimal comma, as a German desktop
// session does through Qt, and back when it goes. Builds the locale into a
// temporary folder where the machine has none installed.
class CommaLocale {
public:
    CommaLocale()
    {
        old_ = std::setlocale(LC_NUMERIC, nullptr);
        if (select())
            return;
        char pattern[] = "/tmp/zc4160-locale.XXXXXX";
        if (!mkdtemp(pattern))
            return;
        dir_ = pattern;
        const std::string cmd = "localedef -i de_DE -f UTF-8 " + dir_ + "/de_DE.UTF-8 >/dev/null 2>&1";
        if (std::system(cmd.c_str()) != 0)
            return;
        setenv("LOCPATH", dir_.c_str(), 1);
        select();
    }
    ~CommaLocale()
    {
        std::setlocale(LC_NUMERIC, old_.c_str());
        if (!dir_.empty()) {
            unsetenv("LOCPATH");
            std::filesystem::remove_all(dir_);
        }
    }
    bool active() const { return active_; }

private:
    bool select()
    {
        for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "fr_FR.utf8"})
            if (std::setlocale(LC_NUMERIC, name))
                return active_ = std::strtod("0.5", nullptr) == 0.0;
        return false;
    }
    std::string old_;
    std::string dir_;
    bool active_ = false;
};

} // namespace

TEST(LeadingNumber, ThePointIsTheSeparatorWhateverTheLocale)
{
    CommaLocale comma;
    if (!comma.active())
        GTEST_SKIP() << "no locale with a decimal comma could be made";
    EXPECT_DOUBLE_EQ(LeadingNumber(QStringLiteral("12.5")), 12.5);
    EXPECT_DOUBLE_EQ(LeadingNumber(QStringLiteral("-.25E1")), -2.5);
    EXPECT_DOUBLE_EQ(LeadingNumber(QStringLiteral("1,5")), 1);
    EXPECT_EQ(PlainText(12.5f), "12.5");
}

TEST(Rounding, HalvesGoToTheEvenNeighbour)
{
    const struct { double in; int32_t out; } cases[] = {
        {2.5, 2}, {3.5, 4}, {-2.5, -2}, {-3.5, -4}, {0.5, 0}, {1.5, 2},
        {2.4999, 2}, {2.5001, 3}, {-0.4, 0}, {7, 7},
    };
    for (const auto& c : cases)
        EXPECT_EQ(RoundToLong(c.in), c.out) << c.in;
}

TEST(Rounding, ValuesThatDoNotFitGiveNoResult)
{
    EXPECT_EQ(RoundToLong(2147483647.0), 2147483647);
    EXPECT_EQ(RoundToLong(-2147483648.0), INT32_MIN);
    EXPECT_EQ(RoundToLong(2147483647.5), std::nullopt);   // rounds to 2^31
    EXPECT_EQ(RoundToLong(-2147483648.5), INT32_MIN);     // rounds to even, fits
    EXPECT_EQ(RoundToLong(-2147483649.0), std::nullopt);
    EXPECT_EQ(RoundToLong(1e300), std::nullopt);
    EXPECT_EQ(RoundToLong(NAN), std::nullopt);
    EXPECT_EQ(RoundToLong(INFINITY), std::nullopt);

    EXPECT_EQ(RoundToInteger(32767.4), 32767);
    EXPECT_EQ(RoundToInteger(32767.5), std::nullopt);
    EXPECT_EQ(RoundToInteger(-32768.5), -32768);
    EXPECT_EQ(RoundToInteger(-32769), std::nullopt);
    EXPECT_EQ(RoundToInteger(99999), std::nullopt);
}

TEST(Rounding, AFailedAssignmentKeepsTheTarget)
{
    int32_t l = 17;
    EXPECT_FALSE(AssignRounded(l, 5e9));
    EXPECT_EQ(l, 17);
    EXPECT_TRUE(AssignRounded(l, 12.5));
    EXPECT_EQ(l, 12);

    int16_t s = -3;
    EXPECT_FALSE(AssignRounded(s, 40000));
    EXPECT_EQ(s, -3);
    EXPECT_TRUE(AssignRounded(s, -32768));
    EXPECT_EQ(s, -32768);
}

TEST(PlainText, WholeNumbers)
{
    EXPECT_EQ(PlainText(int64_t{0}), "0");
    EXPECT_EQ(PlainText(int64_t{40}), "40");
    EXPECT_EQ(PlainText(int64_t{-1}), "-1");
    EXPECT_EQ(PlainText(int64_t{-8888}), "-8888");
}

TEST(PlainText, SinglesShowSevenSignificantDigits)
{
    const struct { float in; const char* out; } cases[] = {
        {12.5f, "12.5"},
        {40.0f, "40"},
        {45.6f, "45.6"},        // 456 / 10 stored as a single
        {-2.5f, "-2.5"},
        {0.0f, "0"},
        {-0.0f, "0"},
        {0.1f, "0.1"},
        {1.0f / 3.0f, "0.3333333"},
        {123456.7f, "123456.7"},
        {1234567.0f, "1234567"},
        {9999999.0f, "9999999"},
        {10000000.0f, "1E+07"},
        {12345678.0f, "1.234568E+07"},
        {-25.0f, "-25"},
        {-99999.0f, "-99999"},
        {0.001f, "0.001"},
        {0.00001f, "0.00001"},  // small numbers stay in plain form
        {-0.000123f, "-0.000123"},
        {9999999.6f, "1E+07"},  // rounds up to ten million
        {3.14159274f, "3.141593"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(PlainText(c.in).toStdString(), c.out) << c.in;
}

TEST(PlainText, DoublesShowFifteenSignificantDigits)
{
    EXPECT_EQ(PlainTextDouble(0.1), "0.1");
    EXPECT_EQ(PlainTextDouble(1.0 / 3.0), "0.333333333333333");
    EXPECT_EQ(PlainTextDouble(45292.5), "45292.5");
    EXPECT_EQ(PlainTextDouble(1e15), "1E+15");
    EXPECT_EQ(PlainTextDouble(-7), "-7");
}
