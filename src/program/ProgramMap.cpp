#include "program/ProgramMap.h"

#include "device/DeviceLink.h"
#include "pages/GroupedRows.h"
#include "platform/basic/numbers.h"

#include <algorithm>

namespace program {

namespace {

struct BasicRow {
    pages::ParameterRow texts;
    int32_t defaultValue;
};

// Registers 1001 to 1013: each row's texts and the value the editor holds
// for it before the controller is read.
constexpr BasicRow kBasicMap[] = {
    {{"曲线类型", "0-1",
      "0：RATE 升温速率模式，单位时间内的升温速度，1：TIME 传统温度时间单位模式， 默认值：1"},
     1},
    {{"曲线时间单位", "0-2",
      "0：小时，1：分钟，2：秒，默认值：1 分钟"},
     1},
    {{"掉电处理方法", "0-2",
      "0:来电继续，1:斜坡返回，2:曲线复位，默认值：0 "},
     0},
    {{"曲线总段数", "1-50",
      "当前曲线的总段数，1-50，默认值：1"},
     1},
    {{"曲线总循环次数", "0-100",
      "当前曲线的总循环次数，当值为0时曲线无限循环，默认值：1"},
     1},
    {{"曲线段内循环次数", "0-100",
      "曲线实现段内循环的次数，当值为0时禁止段内循环，数值范围：0-100，默认值：0 禁止段内循环"},
     0},
    {{"段内循环开始段", "1-50",
      "当启用段内循环时，段循环的开始段，默认值：1"},
     1},
    {{"段内循环结束段", "1-50",
      "当启用段内循环时，段循环的结束段，默认值：1"},
     1},
    {{"曲线开始设定值选择", "0-1",
      "曲线开始设定值选择，选择设定值或测量值作为曲线的开始设定值，默认值：1 以设定值作为程序曲线的的开始设定值"},
     1},
    {{"曲线开始设定值", "-99999~99999",
      "当曲线采用设定值作为曲线开始的设定值时，本参数为曲线开始的设定值，默认值：0"},
     0},
    {{"曲线复位输出功能", "0-1",
      "曲线在复位状态时，输出值的处理方法， 0：输出为0，1：输出以固定SV模式下的SV1值做PID运算输出"},
     0},
    {{"曲线结束时输出功能", "0-1",
      "程序曲线在运行结束后的输出功能，0：输出为0，1：以曲线结束时的SV保持控制输出"},
     0},
    {{"时标方法选择", "0-1",
      "当程序曲线启用时标功能DO输出时，时标DO输出可以选择两种，0：固定模式下CONFIG配置菜单的时标输出功能，1：灵活模式下程序曲线内的灵活定义时间输出，默认值：0 固定模式"},
     0},
};

// The ten parameters of every segment: the name's suffix, the range and the
// help; segment k's rows are named "第 k 段：" followed by the suffix.
constexpr pages::GroupParameter kSegmentSuffixes[] = {
    {"设定值 ", "-99999~99999", "段设定值"},
    {"升温速率  ", "0.0-1000.0 LSB", "速率模式"},
    {"时间/保温时间 ", "0-1000", "设定时间或保温时间"},
    {"分组PID ", "0~10", "分组PID，默认值：0"},
    {"分组OUT ", "0-10", "分组输出，默认值：0"},
    {"DO 输出", "0-511", "8421码组合DO输出"},
    {"DO 断开时间", "0-30000", "DO断开时间"},
    {"DO 闭合时间", "0~30000", "DO闭合时间"},
    {"段等待类型", "0-3", "段等待类型，默认值：0"},
    {"段等待偏差值", "0-1000 LSB", "段等待偏差值"},
};
static_assert(std::size(kBasicMap) == kBasicRows);
static_assert(std::size(kSegmentSuffixes) == kSegmentParameters);

constexpr std::array<pages::ParameterRow, kBasicRows> kBasicTexts = [] {
    std::array<pages::ParameterRow, kBasicRows> rows{};
    for (size_t i = 0; i < rows.size(); ++i)
        rows[i] = kBasicMap[i].texts;
    return rows;
}();

// Rows 2, 12, ... 492: the ramp rates, held in tenths by the controller.
constexpr auto kRateRows = pages::RowSeries<kSegmentCount>(2, kSegmentParameters);

// One block of "读仪表": where it starts, how many registers, where it lands
// in the read buffer, and the progress shown once it is in.
struct BulkRead {
    int32_t first;
    int32_t count;
    size_t bufferElement;
    int progress;
};
// The basic block first (1015 and 1016 are read and dropped), then the
// segments in eight blocks of 64, the first over the basic block's
// elements; the last reaches 1528.
constexpr BulkRead kBulkReads[] = {
    {1001, 16, 0, 8},      {1017, 64, 0, 19},     {1081, 64, 64, 29},
    {1145, 64, 128, 39},   {1209, 64, 192, 49},   {1273, 64, 256, 59},
    {1337, 64, 320, 69},   {1401, 64, 384, 78},   {1465, 64, 448, 91},
};
constexpr size_t kBasicRead = 14;      // BasicValues 0 to 13 (1001 to 1014)
constexpr size_t kSegmentRead = 512;   // SegmentValues 0 to 511 (1017 to 1528)
// The read buffer: as long as SegmentValues, which it is stored into.
constexpr size_t kReadBuffer = std::tuple_size_v<decltype(ProgramValues::SegmentValues)>;
static_assert(std::ranges::all_of(kBulkReads, [](const BulkRead& read) {
    return BlockFits(int64_t(read.bufferElement), read.count, kReadBuffer);
}));
static_assert(kBasicRead <= size_t(kBulkReads[0].count)
              && kBasicRead <= std::tuple_size_v<decltype(ProgramValues::BasicValues)>);
static_assert(kSegmentRead <= kReadBuffer);

// The editor's grids read nothing themselves: "读仪表" fills the arrays, and
// row r shows element r - 1 of its grid's array. The cells show whole
// numbers, a typed value is held in single precision, and the echo comes
// before the write.
constexpr pages::PageDescription kBasicPage{
    .pageBase = 1000,
    .rows = kBasicTexts,
    .readFirst = 1001,
    .readCount = 0,
    .timerMs = 1000,
    .typedValue = pages::TypedValue::Single,
    .enterOrder = pages::EnterOrder::EchoHideWrite,
};
constexpr pages::PageDescription kSegmentPage{
    .pageBase = 1016,
    .rows = {},   // composed at first use: WithRows
    .readFirst = 1017,
    .readCount = 0,
    .timerMs = 1000,
    .decimalRows = kRateRows,
    .typedValue = pages::TypedValue::Single,
    .enterOrder = pages::EnterOrder::EchoHideWrite,
};

} // namespace

const pages::PageDescription& BasicPage() { return kBasicPage; }

const pages::PageDescription& SegmentPage()
{
    // The 500 rows, composed once from the ten suffixes.
    static const pages::GroupedRows table(kSegmentSuffixes, kSegmentCount, pages::GroupHelp::Shared,
                                          {"第 ", " 段："});
    static const pages::PageDescription page = kSegmentPage.WithRows(table.Rows());
    return page;
}

bool IsRateRow(int segmentRow)
{
    return segmentRow >= 2 && segmentRow <= kSegmentRows
           && (segmentRow - 2) % kSegmentParameters == 0;
}

void LoadDefaults(ProgramValues& values)
{
    for (size_t i = 0; i < kBasicRows; ++i)
        values.BasicValues[i] = kBasicMap[i].defaultValue;
    std::fill_n(values.SegmentValues.begin(), kSegmentRows, 0);
}

int32_t RateFromRegister(int32_t registerValue)
{
    return int32_t(basic::RoundHalfEven(registerValue / 10.0));
}

int32_t ReadProgram(ProgramValues& values, const std::function<void(int)>& progress)
{
    std::array<int32_t, kReadBuffer> buffer{};
    std::array<int32_t, kBasicRead> basicRead{};
    progress(0);
    for (const BulkRead& read : kBulkReads) {
        const int32_t result =
            ReadBlock(read.first, std::span(buffer).subspan(read.bufferElement, size_t(read.count)));
        if (result != 0)
            return result;
        if (&read == &kBulkReads[0])
            std::copy_n(buffer.begin(), kBasicRead, basicRead.begin());
        progress(read.progress);
    }
    std::copy(basicRead.begin(), basicRead.end(), values.BasicValues.begin());
    for (size_t i = 0; i < kSegmentRead; ++i)
        values.SegmentValues[i] = i % kSegmentParameters == RateParameter
                                      ? RateFromRegister(buffer[i])
                                      : buffer[i];
    progress(100);
    return 0;
}

} // namespace program
