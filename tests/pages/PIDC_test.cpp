// The PID page on the simulated line: its set-up, its read cadence and
// values, what typed texts send, a silent controller, and the way back.

#include "pages/PIDC.h"

#include "GridPageTest.h"

namespace {

using testsupport::LetTheLineSettle;
using testsupport::TypedCase;
using zc4160sim::Fault;

class PidPage : public testsupport::GridPageTest<PIDC> {
protected:
    PidPage() : GridPageTest(&ssqx::Command16) {}
};

TEST_F(PidPage, OpensAsDesignedWithoutTouchingTheLine)
{
    PIDC& page = Open();
    EXPECT_EQ(page.windowTitle(), QStringLiteral("PID参数设置"));
    EXPECT_EQ(page.size(), QSize(1197, 356));   // 17955 x 5340 twips
    EXPECT_EQ(page.pos(), testsupport::CentredPlace(page));
    EXPECT_FALSE(page.windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
    EXPECT_TRUE(page.CloseGuard);
    EXPECT_EQ(page.Timer1.interval(), 2000);
    EXPECT_EQ(page.Command1->text(), QStringLiteral("返回"));
    EXPECT_EQ(page.Command1->geometry(), QRect(1066, 314, 121, 35));   // 15990, 4710, 1815, 525
    EXPECT_EQ(page.MSFlexGrid1->geometry(), QRect(2, 12, 1193, 297));  // 30, 180, 17895, 4455

    pages::ParameterGrid& grid = *page.MSFlexGrid1;
    ASSERT_EQ(grid.Model().rowCount(), 14);
    const int widths[] = {200, 100, 73, 107, 700};   // 3000, 1500, 1100, 1600, 10500 twips
    testsupport::ExpectPageGrid(grid, widths);
    testsupport::ExpectWholeGridInView(grid);
    const testsupport::RowTexts rows[] = {
        {1, "加热输出1比例带", "0~99999", "主输出1 比例带，量程单位。默认值：20"},
        {4, "加热输出1位式控制回差", "0~2000LSB", "主控输出1 做位式控制时回差值，量程单位，默认值：1"},
        {5, "加热输出1开关控制周期", "0.1-200.0 S",
         "主控输出1 时间比例输出时控制周期，单位：秒，默认值：2.0"},
        {11, "冷却死区", "0-1000LSB",
         "加热制冷输出的死区，在此范围内虽有制冷输出，单实际无输出。单位：量程单位，默认值：0"},
        {14, "抑制下过冲参数", "1.0-4.0", "对下过冲进行抑制，提前介入比例作用，默认值：1"},
    };
    testsupport::ExpectRowTexts(grid, rows);
    // Register 2000 + r from element r - 1; the decimal rows are exactly
    // those whose range shows one decimal place.
    for (int row = 1; row <= 14; ++row) {
        SCOPED_TRACE(row);
        EXPECT_EQ(PIDC::Page().Register(row), 2000 + row);
        EXPECT_EQ(PIDC::Page().Element(row), row - 1);
        EXPECT_EQ(PIDC::Page().IsDecimalRow(row),
                  testsupport::CellText(grid, row, 3).contains(QLatin1Char('.')));
    }
    EXPECT_FALSE(page.Text1->isVisible());
    EXPECT_EQ(page.Text1->palette().color(QPalette::Base), QColor(192, 255, 255));
    EXPECT_EQ(page.focusWidget(), page.Command1);
    EXPECT_EQ(testsupport::NextTabStop(page.Command1), &grid);
    LetTheLineSettle();
    EXPECT_TRUE((*line)->requests().empty());
}

// One read of 16 from 2001 every 2000 ms, the first about 2 s after the
// opening; single-precision texts with the decimal rows divided by ten;
// 2015 and 2016 never shown. A silent controller leaves the last values.
TEST_F(PidPage, ReadsEveryTwoSecondsAndKeepsTheLastValuesWhenTheLineFails)
{
    (*line)->setReg(2005, 25);
    (*line)->setReg(2012, 3);
    (*line)->setReg(2003, -5);
    (*line)->setReg(2001, 20);
    (*line)->setReg(2015, 4321);
    (*line)->setReg(2016, 8765);
    QElapsedTimer clock;
    clock.start();
    PIDC& page = Open();
    const auto [first, second] = FirstTwoReads(clock, 3000);
    EXPECT_GE(first, 1900);
    EXPECT_LE(first, 2000 + testsupport::kLateTimerMs);
    EXPECT_GE(second, 3800);
    EXPECT_LE(second, 4000 + testsupport::kLateTimerMs);
    for (const auto& read : Reads())
        EXPECT_EQ(read, (std::pair<int, int>{2001, 16}));
    std::vector<QString> values = Values(page);
    EXPECT_EQ(values[4], QStringLiteral("2.5"));
    EXPECT_EQ(values[11], QStringLiteral("3"));
    EXPECT_EQ(values[2], QStringLiteral("-0.5"));
    EXPECT_EQ(values[0], QStringLiteral("20"));
    EXPECT_EQ(values[13], QStringLiteral("0"));
    for (const QString& v : values) {
        EXPECT_NE(v, QStringLiteral("4321"));
        EXPECT_NE(v, QStringLiteral("8765"));
    }

    (*line)->setFault(Fault::NoAnswer);
    page.Timer1_Timer();
    EXPECT_EQ(Values(page), values);

    Return(page);
}

// What Enter sends for a typed text, and the echo left in the cell.
TEST_F(PidPage, TypedTextsSendTheirValueAndEchoTheParsedNumber)
{
    PIDC& page = Open();
    page.Timer1.stop();   // the echo stays until a read
    const std::optional<uint16_t> none;
    const TypedCase cases[] = {
        {5, "2.5", 25, "2.5"},       {5, "0.25", 2, "0.25"},       {5, "0.75", 8, "0.75"},
        {2, "120.5", 120, "120.5"},  {2, "121.5", 122, "121.5"},   {13, "1.5", 15, "1.5"},
        {12, "3", 3, "3"},           {14, "3.25", 32, "3.25"},     {1, "abc", 0, "0"},
        {1, "", 0, "0"},             {1, "7abc", 7, "7"},          {6, "-5", 0xFFFB, "-5"},
        {1, "40000", none, "40000"}, {5, "3276.8", none, "3276.8"}, {3, "-3276.9", none, "-3276.9"},
    };
    ExpectTyped(page, cases);
}

// EditRow and EditCol outlive the window; a reopen shows fresh texts and
// empty values, and on a silent line it never shows zeros.
TEST_F(PidPage, ReopenedOnASilentLineShowsNothingAndKeepsTheEditCell)
{
    (*line)->setReg(2004, 7);
    PIDC& first = Open();
    first.Timer1_Timer();
    EXPECT_EQ(Values(first)[3], QStringLiteral("7"));
    testsupport::ClickCell(*first.MSFlexGrid1, 9, 1);
    Return(first);
    EXPECT_EQ(PIDC::State().EditRow, 9);
    EXPECT_EQ(PIDC::State().EditCol, 1);

    (*line)->setFault(Fault::NoAnswer);
    PIDC& second = Open();
    second.Timer1_Timer();
    for (const QString& v : Values(second))
        EXPECT_TRUE(v.isEmpty());
    EXPECT_FALSE(second.Text1->isVisible());
    EXPECT_FALSE(second.close());
    EXPECT_TRUE(forms::IsLoaded<PIDC>());
}

} // namespace
