#include "platform/basic/daynumbers.h"
#include "platform/basic/twips.h"

#include <gtest/gtest.h>

using namespace basic;

TEST(DayNumbers, DatesCountFromTheEndOf1899)
{
    EXPECT_EQ(DayNumber(QDate(1899, 12, 30)), 0);
    EXPECT_EQ(DayNumber(QDate(1899, 12, 31)), 1);
    EXPECT_EQ(DayNumber(QDate(1900, 3, 1)), 61);
    EXPECT_EQ(DayNumber(QDate(2000, 1, 1)), 36526);
    EXPECT_EQ(DayNumber(QDate(2026, 12, 10)), 46366);
    EXPECT_EQ(DateFromDayNumber(46366), QDate(2026, 12, 10));
}

TEST(DayNumbers, TimeIsTheFractionOfTheDay)
{
    EXPECT_DOUBLE_EQ(TimeOfDayNumber(QTime(0, 0)), 0.0);
    EXPECT_DOUBLE_EQ(TimeOfDayNumber(QTime(12, 0)), 0.5);
    EXPECT_DOUBLE_EQ(TimeOfDayNumber(QTime(6, 0)), 0.25);
    EXPECT_LT(TimeOfDayNumber(QTime(23, 59, 59, 999)), 1.0);
    EXPECT_EQ(TimeFromDayNumber(0.75), QTime(18, 0));
}

TEST(DayNumbers, OneReadingSplitsIntoDateAndTimeOfTheSameDay)
{
    const QDateTime justBefore(QDate(2026, 12, 10), QTime(23, 59, 59, 999));
    const DayStamp s = SplitDayStamp(justBefore);
    EXPECT_EQ(s.date, 46366);
    EXPECT_GT(s.time, 0.9999);
    EXPECT_LT(s.time, 1.0);

    const DayStamp m = SplitDayStamp(justBefore.addMSecs(1));
    EXPECT_EQ(m.date, 46367);
    EXPECT_EQ(m.time, 0.0);
    EXPECT_EQ(DateTimeFromDayNumbers(m.date, m.time), justBefore.addMSecs(1));
}

TEST(DayNumbers, ClockTextsAreMonthFirstAnd24Hour)
{
    struct Case {
        QDateTime now;
        const char* date;
        const char* time;
    };
    // Leading zeros kept, the afternoon not folded to 12 hours, the
    // milliseconds cut rather than rounded into the next second (or day).
    const Case cases[] = {
        {QDateTime(QDate(2024, 3, 5), QTime(7, 8, 9)), "03-05-2024", "07:08:09"},
        {QDateTime(QDate(2026, 12, 31), QTime(23, 59, 59, 999)), "12-31-2026", "23:59:59"},
        {QDateTime(QDate(2000, 1, 1), QTime(0, 0)), "01-01-2000", "00:00:00"},
        {QDateTime(QDate(2018, 10, 20), QTime(13, 0, 5)), "10-20-2018", "13:00:05"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ClockDateText(c.now), QString::fromLatin1(c.date)) << c.date;
        EXPECT_EQ(ClockTimeText(c.now), QString::fromLatin1(c.time)) << c.time;
    }
}

TEST(Twips, FifteenToAPixelRoundedHalfToEven)
{
    const struct { double twips; int px; } cases[] = {
        {0, 0}, {15, 1}, {19440, 1296}, {11430, 762}, {22.5, 2}, {37.5, 2},
        {52.5, 4}, {7, 0}, {8, 1}, {-22.5, -2},
    };
    for (const auto& c : cases)
        EXPECT_EQ(TwipsToPixels(c.twips), c.px) << c.twips;
}
