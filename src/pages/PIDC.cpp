#include "pages/PIDC.h"

namespace {

// Registers 2001 to 2014: output 1 heats, output 2 cools.
constexpr pages::ParameterRow kRows[] = {
    {"加热输出1比例带", "0~99999", "主输出1 比例带，量程单位。默认值：20"},
    {"加热输出1积分时间", "0-3600 S", "主输出1 积分时间，单位：秒，默认值：120 S"},
    {"加热输出1微分时间", "0-360.0 S", "主输出1 微分时间，单位：秒，默认值：10 S"},
    {"加热输出1位式控制回差", "0~2000LSB", "主控输出1 做位式控制时回差值，量程单位，默认值：1"},
    {"加热输出1开关控制周期", "0.1-200.0 S",
     "主控输出1 时间比例输出时控制周期，单位：秒，默认值：2.0"},
    {"制冷输出2比例带", "0~99999", "付输出2 比例带，量程单位。默认值：20"},
    {"制冷输出2积分时间", "0-3600 S", "付输出2 积分时间，单位：秒，默认值：120 S"},
    {"制冷输出2微分时间", "0-360.0 S", "付输出2 微分时间，单位：秒，默认值：10 S"},
    {"制冷输出2位式控制回差", "0~2000LSB", "付输出2 做位式控制时回差值，量程单位，默认值：1"},
    {"制冷输出2开关控制周期", "0.1-200.0 S",
     "付输出2 时间比例输出时控制周期，单位：秒，默认值：2.0"},
    {"冷却死区", "0-1000LSB",
     "加热制冷输出的死区，在此范围内虽有制冷输出，单实际无输出。单位：量程单位，默认值：0"},
    {"微分滤波系数", "1-10", "对微分进行有限元数字滤波处理，减弱微分作用项，默认值：1"},
    {"抑制上过冲参数", "1.0-4.0", "对上过冲进行抑制，提前介入比例作用，默认值：1"},
    {"抑制下过冲参数", "1.0-4.0", "对下过冲进行抑制，提前介入比例作用，默认值：1"},
};
// The rows whose range shows one decimal place hold ten times the value.
constexpr int kDecimalRows[] = {3, 5, 8, 10, 13, 14};

// Rows 1 to 14 are registers 2001 to 2014; the read of 16 from 2001 lands
// from element 0, and 2015 and 2016 are never shown. A failed read shows
// the visit's last good read, never zeros.
constexpr pages::PageDescription kPage{
    .pageBase = 2000,
    .rows = kRows,
    .readFirst = 2001,
    .readCount = 16,
    .timerMs = 2000,
    .decimalRows = kDecimalRows,
    .valueText = pages::ValueText::Single,
};

// PageBuffer, elements 0 to 50: the page's own array, kept larger than its
// read of 16 (elements 0 to 15). It outlives the window.
constexpr size_t kBufferSize = 51;
static_assert(kPage.FitsBuffer(kBufferSize));

// Layout (twips): centred, with the close box alone.
const pages::GridPageDesign kDesign{
    .objectName = "PIDC",
    .caption = "PID参数设置",
    .clientWidth = 17955,
    .clientHeight = 5340,
    .minimiseButton = false,
    .page = kPage,
    .grid = pages::kParameterPageGrid,
    .gridPlace = {30, 180, 17895, 4455},
    .returnPlace = {15990, 4710, 1815, 525},   // Command1 "返回"
};

} // namespace

const pages::PageDescription& PIDC::Page() { return kPage; }

pages::PageState& PIDC::State()
{
    static pages::PageState state(kBufferSize);
    return state;
}

PIDC::PIDC() : GridPage(kDesign, State()) {}
