#include "pages/FenzuPID.h"

#include "pages/GroupedRows.h"

#include <array>

namespace {

// One PID set; row r = 6 (g - 1) + k. The first name suffix has no
// trailing blank, the other five have one.
constexpr pages::GroupParameter kParameters[] = {
    {" 加热比例带", "0~99999", "主输出过程设定值为单位的比例带，单位：过程值，默认值：20"},
    {" 加热积分时间 ", "0-3600 S", "主输出的积分时间，单位：秒，默认值：120"},
    {" 加热微分时间 ", "0-360.0 S", "主输出的微分时间，单位：秒，默认值：10"},
    {" 制冷比例带 ", "0~99999", "付输出过程设定值为单位的比例带，单位：过程值，默认值：20"},
    {" 制冷积分时间 ", "0-3600 S", "付输出的积分时间，单位：秒，默认值：120"},
    {" 制冷微分时间 ", "0-360.0 S", "付输出的微分时间，单位：秒，默认值：10"},
};
constexpr int kGroups = 10;
constexpr int kRowCount = kGroups * int(std::size(kParameters));

// The derivative times, every third row, hold ten times the value.
constexpr auto kDecimalRows = pages::RowSeries<kRowCount / 3>(3, 3);

const pages::GridLayout kGrid{
    .headers = pages::kPageHeaders,
    .widthsTwips = {3000, 1500, 1100, 1600, 9100},
    .fontPoints = 12,
    .editorColour = {255, 224, 192},
};

// Rows 1 to 60 are registers 2201 to 2260; the read of 64 from 2201 lands
// from element 1, and 2261 to 2264 are never shown. Values pass through
// single precision both ways.
constexpr pages::PageDescription kPage{
    .pageBase = 2200,
    .rows = {},   // composed at first use: WithRows
    .readFirst = 2201,
    .readCount = 64,
    .bufferElement = 1,
    .timerMs = 1000,
    .decimalRows = kDecimalRows,
    .valueText = pages::ValueText::Single,
    .typedValue = pages::TypedValue::Single,
};

// PageBuffer, elements 0 to 200: the page's own array, kept larger than its
// read (elements 1 to 64; element 0 is never used). It outlives the window.
constexpr size_t kBufferSize = 201;
static_assert(kPage.FitsBuffer(kBufferSize, kRowCount));

constexpr forms::TwipsRect kLabel1{0, 60, 16770, 360};
constexpr forms::TwipsRect kLabel2{120, 6390, 7200, 300};

const pages::GridPageDesign& Design()
{
    // Centred; the caption is the grouped output page's too.
    static const pages::GridPageDesign design{
        .objectName = "FenzuPID",
        .caption = "分组输出限制",
        .clientWidth = 16770,
        .clientHeight = 7485,
        .minimiseButton = true,
        .page = FenzuPID::Page(),
        .grid = kGrid,
        .gridPlace = {75, 480, 16620, 5760},
        .returnPlace = {15345, 6300, 1245, 465},   // Command1 "返回"
    };
    return design;
}

} // namespace

const pages::PageDescription& FenzuPID::Page()
{
    static const pages::GroupedRows rows(kParameters, kGroups, pages::GroupHelp::Shared);
    static const pages::PageDescription page = kPage.WithRows(rows.Rows());
    return page;
}

pages::PageState& FenzuPID::State()
{
    static pages::PageState state(kBufferSize);
    return state;
}

FenzuPID::FenzuPID() : GroupedPage(Design(), State(), kLabel2)
{
    Label1 = new QLabel(QStringLiteral("十个分组PID 参数组设定"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setAlignment(Qt::AlignCenter);
    Label1->setFont(forms::SongFont(12, true));
    forms::PlaceTwips(Label1, kLabel1);
}
