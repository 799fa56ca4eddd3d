// The program register map without widgets: the walk of the two row tables,
// the load's values, and "读仪表" on the simulated line (its nine reads, the
// rate conversion, its progress, and a failure that changes nothing).

#include "program/ProgramMap.h"

#include "device/DeviceFixture.h"

#include <gtest/gtest.h>

using program::BasicPage;
using program::ProgramValues;
using program::SegmentPage;
using zc4160sim::Fault;

namespace {

QString Text(const char* utf8) { return QString::fromUtf8(utf8); }

TEST(ProgramMap, BasicRowsAreRegisters1001To1013)
{
    const pages::PageDescription& page = BasicPage();
    ASSERT_EQ(page.RowCount(), 13);
    for (int row = 1; row <= 13; ++row) {
        EXPECT_EQ(page.Register(row), 1000 + row);
        EXPECT_EQ(page.Element(row), row - 1);
        EXPECT_FALSE(page.IsDecimalRow(row));
    }
    EXPECT_EQ(Text(page.rows[0].name), Text("曲线类型"));
    EXPECT_EQ(Text(page.rows[9].range), Text("-99999~99999"));
    // The blanks inside and at the end of the help texts are the design's.
    EXPECT_EQ(Text(page.rows[0].help),
              Text("0：RATE 升温速率模式，单位时间内的升温速度，1：TIME 传统温度时间单位模式， 默认值：1"));
    EXPECT_EQ(Text(page.rows[2].help), Text("0:来电继续，1:斜坡返回，2:曲线复位，默认值：0 "));
    EXPECT_EQ(Text(page.rows[12].name), Text("时标方法选择"));
}

// Segment k's parameter p is row 10(k - 1) + p + 1, register 1016 + row;
// the rate rows 2, 12, ... 492 are the only decimal rows.
TEST(ProgramMap, SegmentRowsAreComposedFromTheTenSuffixes)
{
    const pages::PageDescription& page = SegmentPage();
    ASSERT_EQ(page.RowCount(), 500);
    const struct {
        int row;
        const char* name;
        const char* range;
        const char* help;
    } cases[] = {
        {1, "第 1 段：设定值 ", "-99999~99999", "段设定值"},
        {2, "第 1 段：升温速率  ", "0.0-1000.0 LSB", "速率模式"},
        {3, "第 1 段：时间/保温时间 ", "0-1000", "设定时间或保温时间"},
        {4, "第 1 段：分组PID ", "0~10", "分组PID，默认值：0"},
        {8, "第 1 段：DO 闭合时间", "0~30000", "DO闭合时间"},
        {10, "第 1 段：段等待偏差值", "0-1000 LSB", "段等待偏差值"},
        {11, "第 2 段：设定值 ", "-99999~99999", "段设定值"},
        {492, "第 50 段：升温速率  ", "0.0-1000.0 LSB", "速率模式"},
        {500, "第 50 段：段等待偏差值", "0-1000 LSB", "段等待偏差值"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.row);
        const pages::ParameterRow& row = page.rows[size_t(c.row - 1)];
        EXPECT_EQ(Text(row.name), Text(c.name));
        EXPECT_EQ(Text(row.range), Text(c.range));
        EXPECT_EQ(Text(row.help), Text(c.help));
    }
    EXPECT_EQ(page.Register(1), 1017);
    EXPECT_EQ(page.Register(2), 1018);
    EXPECT_EQ(page.Register(500), 1516);
    for (int row = 1; row <= 500; ++row) {
        EXPECT_EQ(page.Element(row), row - 1);
        EXPECT_EQ(page.IsDecimalRow(row), (row - 2) % 10 == 0) << row;
        EXPECT_EQ(program::IsRateRow(row), page.IsDecimalRow(row)) << row;
    }
}

TEST(ProgramMap, LoadSetsTheShownElementsOnly)
{
    ProgramValues values;
    values.BasicValues.fill(77);
    values.SegmentValues.fill(77);
    program::LoadDefaults(values);
    const int32_t defaults[] = {1, 1, 0, 1, 1, 0, 1, 1, 1, 0, 0, 0, 0};
    for (size_t i = 0; i < 13; ++i)
        EXPECT_EQ(values.BasicValues[i], defaults[i]) << i;
    EXPECT_EQ(values.BasicValues[13], 77);
    EXPECT_EQ(values.BasicValues[14], 77);
    for (size_t i = 0; i < 500; ++i)
        ASSERT_EQ(values.SegmentValues[i], 0) << i;
    EXPECT_EQ(values.SegmentValues[500], 77);
    EXPECT_EQ(values.SegmentValues[550], 77);
}

TEST(ProgramMap, RatesAreTenthsRoundedHalfToEven)
{
    const struct {
        int32_t reg, rate;
    } cases[] = {{15, 2}, {25, 2}, {35, 4}, {-15, -2}, {-25, -2}, {14, 1}, {16, 2},
                 {0, 0},  {32767, 3277}, {-32768, -3277}};
    for (const auto& c : cases)
        EXPECT_EQ(program::RateFromRegister(c.reg), c.rate) << c.reg;
}

using ProgramRead = testsupport::LinkTest;

TEST_F(ProgramRead, NineReadsInOrderWithTheirProgress)
{
    line->setReg(1001, 0);
    line->setReg(1010, -500);
    line->setReg(1014, 14);
    line->setReg(1015, 15);
    line->setReg(1017, 15);
    line->setReg(1018, 15);
    line->setReg(1028, 25);
    line->setReg(1038, 35);
    line->setReg(1048, -15);
    line->setReg(1516, 9);
    line->setReg(1518, 123);   // element 501, a rate place past the rows
    line->setReg(1527, 7);     // element 510
    line->setReg(1528, 75);    // element 511, a rate place too
    ProgramValues values;
    values.BasicValues[14] = 55;
    values.SegmentValues[512] = 66;
    std::vector<int> progress;
    EXPECT_EQ(program::ReadProgram(values, [&](int p) { progress.push_back(p); }), 0);

    const std::vector<zc4160sim::Request> expected = {
        {1, 3, 1000, 16}, {1, 3, 1016, 64}, {1, 3, 1080, 64}, {1, 3, 1144, 64}, {1, 3, 1208, 64},
        {1, 3, 1272, 64}, {1, 3, 1336, 64}, {1, 3, 1400, 64}, {1, 3, 1464, 64},
    };
    EXPECT_EQ(line->requests(), expected);
    EXPECT_EQ(progress, (std::vector<int>{0, 8, 19, 29, 39, 49, 59, 69, 78, 91, 100}));

    EXPECT_EQ(values.BasicValues[0], 0);
    EXPECT_EQ(values.BasicValues[9], -500);
    EXPECT_EQ(values.BasicValues[13], 14);   // 1014: read, never shown
    EXPECT_EQ(values.BasicValues[14], 55);   // 1015 is not stored
    EXPECT_EQ(values.SegmentValues[0], 15);  // 1017: a setpoint, as read
    EXPECT_EQ(values.SegmentValues[1], 2);
    EXPECT_EQ(values.SegmentValues[11], 2);
    EXPECT_EQ(values.SegmentValues[21], 4);
    EXPECT_EQ(values.SegmentValues[31], -2);
    EXPECT_EQ(values.SegmentValues[499], 9);
    EXPECT_EQ(values.SegmentValues[501], 12);
    EXPECT_EQ(values.SegmentValues[510], 7);
    EXPECT_EQ(values.SegmentValues[511], 8);
    EXPECT_EQ(values.SegmentValues[512], 66);
}

// A read that fails stops the run there and leaves both arrays as they
// were, even where earlier reads had succeeded.
TEST_F(ProgramRead, AFailureAnywhereChangesNeitherArray)
{
    line->setReg(1001, 5);
    line->setReg(1017, 40);
    const struct {
        const char* name;
        Fault fault;
        int afterProgress;   // the fault starts once this progress is shown
        size_t reads;
        std::vector<int> progress;
    } cases[] = {
        {"silent from the third read", Fault::NoAnswer, 19, 3, {0, 8, 19}},
        {"exception at the first read", Fault::Exception, 0, 1, {0}},
        {"damaged answer at the last read", Fault::DamagedCrc, 78, 9,
         {0, 8, 19, 29, 39, 49, 59, 69, 78}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        line->setFault(Fault::None);
        line->clearRequests();
        ProgramValues values;
        program::LoadDefaults(values);
        const ProgramValues before = values;
        std::vector<int> progress;
        const int32_t result = program::ReadProgram(values, [&](int p) {
            progress.push_back(p);
            if (p == c.afterProgress)
                line->setFault(c.fault);
        });
        EXPECT_LT(result, 0);
        EXPECT_EQ(progress, c.progress);
        EXPECT_EQ(line->requests().size(), c.reads);
        EXPECT_EQ(values.BasicValues, before.BasicValues);
        EXPECT_EQ(values.SegmentValues, before.SegmentValues);
    }
}

} // namespace
