// The grouped PID page on the simulated line: its set-up and generated
// rows, its read cadence and values, what typed texts send through single
// precision, and the edit-cell status bar across a reopen.

#include "pages/FenzuPID.h"
#include "pages/Fenzuout1.h"

#include "GridPageTest.h"

namespace {

using testsupport::ClickCell;
using testsupport::LetTheLineSettle;
using testsupport::RunEventsUntil;
using testsupport::TypedCase;
using zc4160sim::Fault;

class GroupedPidPage : public testsupport::GridPageTest<FenzuPID> {
protected:
    GroupedPidPage() : GridPageTest(&ssqx::Command22) {}
    void SetUp() override
    {
        GridPageTest::SetUp();
        Fenzuout1::State() = pages::PageState(Fenzuout1::State().PageBuffer.size());
    }
    void TearDown() override
    {
        LeavePage<Fenzuout1>();
        GridPageTest::TearDown();
    }
    // Panels 2 and 4 as the next tick of Timer2 shows them (its handler
    // driven here; its 100 ms are checked with the design).
    template <class Page>
    static bool BarShows(Page& page, const char* row, const char* column)
    {
        page.Timer2_Timer();
        return page.StatusBar1->PanelText(2) == QLatin1String(row)
               && page.StatusBar1->PanelText(4) == QLatin1String(column);
    }
};

TEST_F(GroupedPidPage, OpensAsDesignedWithoutTouchingTheLine)
{
    FenzuPID& page = Open();
    EXPECT_EQ(page.windowTitle(), QStringLiteral("分组输出限制"));
    EXPECT_EQ(page.size(), QSize(1118, 499));   // 16770 x 7485 twips
    EXPECT_EQ(page.pos(), testsupport::CentredPlace(page));
    EXPECT_EQ(page.Label1->text(), QStringLiteral("十个分组PID 参数组设定"));
    EXPECT_EQ(page.Label2->text(), QStringLiteral("更改数据用鼠标选中单元格，输入数据后按回车确认"));
    EXPECT_EQ(page.Command1->text(), QStringLiteral("返回"));
    EXPECT_TRUE(page.CloseGuard);
    EXPECT_EQ(page.Timer1.interval(), 1000);
    EXPECT_EQ(page.Timer2.interval(), 100);
    EXPECT_TRUE(page.Timer2.isActive());

    pages::ParameterGrid& grid = *page.MSFlexGrid1;
    ASSERT_EQ(grid.Model().rowCount(), 60);
    const int widths[] = {200, 100, 73, 107, 607};   // 3000, 1500, 1100, 1600, 9100 twips
    testsupport::ExpectPageGrid(grid, widths);
    // The walk of the group table: first and last row of a group, the
    // next group, the last rows; the suffixes keep their blanks.
    const testsupport::RowTexts rows[] = {
        {1, "分组 1 加热比例带", "0~99999", "主输出过程设定值为单位的比例带，单位：过程值，默认值：20"},
        {6, "分组 1 制冷微分时间 ", "0-360.0 S", "付输出的微分时间，单位：秒，默认值：10"},
        {7, "分组 2 加热比例带", "0~99999", "主输出过程设定值为单位的比例带，单位：过程值，默认值：20"},
        {59, "分组 10 制冷积分时间 ", "0-3600 S", "付输出的积分时间，单位：秒，默认值：120"},
        {60, "分组 10 制冷微分时间 ", "0-360.0 S", "付输出的微分时间，单位：秒，默认值：10"},
    };
    testsupport::ExpectRowTexts(grid, rows);
    // Register 2200 + r from element r; the derivative times, every third
    // row, are the decimal rows, exactly those with a decimal range.
    for (int row = 1; row <= 60; ++row) {
        SCOPED_TRACE(row);
        EXPECT_EQ(FenzuPID::Page().Register(row), 2200 + row);
        EXPECT_EQ(FenzuPID::Page().Element(row), row);
        EXPECT_EQ(FenzuPID::Page().IsDecimalRow(row), row % 3 == 0);
        EXPECT_EQ(FenzuPID::Page().IsDecimalRow(row),
                  testsupport::CellText(grid, row, 3).contains(QLatin1Char('.')));
    }
    EXPECT_FALSE(page.Text1->isVisible());
    EXPECT_EQ(page.Text1->palette().color(QPalette::Base), QColor(255, 224, 192));
    EXPECT_EQ(page.focusWidget(), page.Command1);
    EXPECT_EQ(testsupport::NextTabStop(page.Command1), &grid);

    // Four panels of equal width along the bottom edge.
    const pages::EditCellBar& bar = *page.StatusBar1;
    ASSERT_EQ(bar.PanelCount(), 4);
    EXPECT_EQ(bar.PanelText(1), QStringLiteral("当前行"));
    EXPECT_EQ(bar.PanelText(3), QStringLiteral("当前列"));
    for (int p = 2; p <= 4; ++p)
        EXPECT_NEAR(bar.Panel(p)->width(), bar.Panel(1)->width(), 1);
    EXPECT_EQ(bar.geometry().bottom(), page.height() - 1);
    EXPECT_EQ(bar.width(), page.width());
    LetTheLineSettle();
    EXPECT_TRUE((*line)->requests().empty());
}

// One read of 64 from 2201 every second; single-precision texts with every
// third row divided by ten; 2261 to 2264 never shown.
TEST_F(GroupedPidPage, ReadsEverySecondIntoElementOne)
{
    (*line)->setReg(2203, 105);
    (*line)->setReg(2201, 105);
    (*line)->setReg(2206, -5);
    (*line)->setReg(2202, 0);
    (*line)->setReg(2260, 3600);
    for (int reg = 2261; reg <= 2264; ++reg)
        (*line)->setReg(reg, 4320 + reg - 2260);
    QElapsedTimer clock;
    clock.start();
    FenzuPID& page = Open();
    const auto [first, second] = FirstTwoReads(clock, 2000);
    EXPECT_GE(first, 900);
    EXPECT_LE(first, 1000 + testsupport::kLateTimerMs);
    EXPECT_GE(second, 1900);
    EXPECT_LE(second, 2000 + testsupport::kLateTimerMs);
    for (const auto& read : Reads())
        EXPECT_EQ(read, (std::pair<int, int>{2201, 64}));
    const std::vector<QString> values = Values(page);
    EXPECT_EQ(values[2], QStringLiteral("10.5"));
    EXPECT_EQ(values[0], QStringLiteral("105"));
    EXPECT_EQ(values[5], QStringLiteral("-0.5"));
    EXPECT_EQ(values[59], QStringLiteral("360"));
    EXPECT_EQ(values[1], QStringLiteral("0"));
    for (const QString& v : values)
        for (int tail = 4321; tail <= 4324; ++tail)
            EXPECT_NE(v, QString::number(tail));
    EXPECT_EQ(FenzuPID::State().PageBuffer[61], 4321);   // read, never shown
    EXPECT_EQ(FenzuPID::State().PageBuffer[0], 0);       // never used

    (*line)->setFault(Fault::NoAnswer);
    page.Timer1_Timer();
    EXPECT_EQ(Values(page), values);
}

// The typed value passes through single precision: the parse narrowed,
// ten times that in single on the derivative rows, rounded half to even.
// A number beyond single range sends nothing, also after an edit that left
// EditValue holding a value.
TEST_F(GroupedPidPage, TypedTextsPassThroughSinglePrecision)
{
    FenzuPID& page = Open();
    page.Timer1.stop();
    const std::optional<uint16_t> none;
    const TypedCase cases[] = {
        {3, "0.25", 2, "0.25"},
        {3, "0.1499999999", 2, "0.1499999999"},   // 0.15 in single; double precision gives 1
        {3, "10.5", 105, "10.5"},
        {1, "3.49999999", 4, "3.49999999"},       // 3.5 in single
        {1, "2.5", 2, "2.5"},
        {1, "3.5", 4, "3.5"},
        {60, "-0.5", 0xFFFB, "-0.5"},
        {2, "abc", 0, "0"},
        {2, "", 0, "0"},
        {4, "32768", none, "32768"},
        {9, "3276.8", none, "3276.8"},
        {6, "1.5", 15, "1.5"},
        {3, "1e39", none, "1E+39"},               // EditValue keeps 15; nothing goes to row 3
    };
    ExpectTyped(page, cases);
    EXPECT_EQ(FenzuPID::State().EditValue, 15.0);
}

// "0", "0" before the first value click of the run; a click on row 12's
// value shows "12", "1" within a tick of Timer2; a reopen shows the
// previous visit's cell before any click; each grouped page has its own.
TEST_F(GroupedPidPage, EditCellBarFollowsTheLastValueClickAcrossAReopen)
{
    FenzuPID& first = Open();
    first.Timer1.stop();
    EXPECT_TRUE(BarShows(first, "0", "0"));
    ClickCell(*first.MSFlexGrid1, 12, 3);   // not a value cell: nothing
    EXPECT_TRUE(BarShows(first, "0", "0"));
    ClickCell(*first.MSFlexGrid1, 12, 1);
    EXPECT_TRUE(BarShows(first, "12", "1"));
    Return(first);

    FenzuPID& second = Open();
    EXPECT_TRUE(BarShows(second, "12", "1"));
    Return(second);

    window->Command24->click();
    EXPECT_TRUE(BarShows(forms::Instance<Fenzuout1>(), "0", "0"));
}

} // namespace
