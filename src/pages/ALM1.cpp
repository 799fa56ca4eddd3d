#include "pages/ALM1.h"

#include "pages/AlarmPictures.h"

using forms::PlaceTwips;
using forms::TwipsRect;

namespace {

// Registers 601 to 614; rows 1, 4 and 7 show their range without a minus
// sign and row 10's help has "位" where the others have "为", as the
// controller's documentation has them.
constexpr pages::ParameterRow kRows[] = {
    {"报警1 设定值或偏差值", "99999~99999",
     "当报警类型为上下限报警时，参数值为报警设定值，当报警值为偏差报警时，参数值为偏差设定值"},
    {"报警1 动作回差", "0-2000LSB", "避免报警频繁动作设置的动作区间值"},
    {"报警1 动作延迟", "0-600S", "避免报警频繁动作设置的动作延迟时间，保护驱动设备"},
    {"报警2 设定值或偏差值", "99999~99999",
     "当报警类型为上下限报警时，参数值为报警设定值，当报警值为偏差报警时，参数值为偏差设定值"},
    {"报警2 动作回差", "0-2000LSB", "避免报警频繁动作设置的动作区间值"},
    {"报警2 动作延迟", "0-600S", "避免报警频繁动作设置的动作延迟时间，保护驱动设备"},
    {"报警3 设定值或偏差值", "99999~99999",
     "当报警类型为上下限报警时，参数值为报警设定值，当报警值为偏差报警时，参数值为偏差设定值"},
    {"报警3 动作回差", "0-2000LSB", "避免报警频繁动作设置的动作区间值"},
    {"报警3 动作延迟", "0-600S", "避免报警频繁动作设置的动作延迟时间，保护驱动设备"},
    {"报警4 设定值或偏差值", "-99999~99999",
     "当报警类型为上下限报警时，参数值位报警设定值，当报警值为偏差报警时，参数值为偏差设定值"},
    {"报警4 动作回差", "0-2000LSB", "避免报警频繁动作设置的动作区间值"},
    {"报警4 动作延迟", "0-600S", "避免报警频繁动作设置的动作延迟时间，保护驱动设备"},
    {"加热器断线报警值", "-99999~99999",
     "加热器断线报警设定的动作设定值，当测量值低于此设定值时判定断线报警"},
    {"加热器断线判断输出值", "0.0%-100.0%",
     "加热器断线报警设定的输出动作判定值，当前输出大于和断线报警值符合条件判定加热器断线报警"},
};
constexpr int kDecimalRows[] = {14};

// Rows 1 to 14 are registers 601 to 614; the read of 16 from 601 lands in
// PageBuffer from element 0, and 615 and 616 are never shown.
constexpr pages::PageDescription kPage{
    .pageBase = 600,
    .rows = kRows,
    .readFirst = 601,
    .readCount = 16,
    .timerMs = 500,
    .decimalRows = kDecimalRows,
    .valueText = pages::ValueText::Single,
};

// PageBuffer, elements 0 to 50: the page's own array, kept larger than its
// read of 16 (elements 0 to 15). It outlives the window.
constexpr size_t kBufferSize = 51;
static_assert(kPage.FitsBuffer(kBufferSize));

// Layout (twips); the window keeps its place, with the close box alone.
const pages::GridPageDesign kDesign{
    .objectName = "ALM1",
    .caption = "ALARM",
    .clientWidth = 18045,
    .clientHeight = 10770,
    .minimiseButton = false,
    .centred = false,
    .page = kPage,
    .grid = pages::kParameterPageGrid,
    .gridPlace = {90, 360, 17895, 4455},
    .returnPlace = {16770, 7230, 1245, 465},   // Command1 "返回"
};
constexpr TwipsRect kLabel1{7050, 30, 1755, 315};

struct Picture {
    TwipsRect place;
    forms::PaintedPicture::Painter painter;
};
const Picture kPictures[] = {
    {{60, 4860, 5385, 3000}, pages::alarm_pictures::UpperLimit},
    {{5430, 4860, 5265, 3000}, pages::alarm_pictures::LowerLimit},
    {{10710, 4830, 6000, 3000}, pages::alarm_pictures::UpperDeviation},
    {{60, 7830, 5835, 3000}, pages::alarm_pictures::LowerDeviation},
    {{5880, 7800, 5295, 3000}, pages::alarm_pictures::DeviationBand},
    {{11190, 7800, 3720, 3000}, pages::alarm_pictures::Summary},
    {{14850, 7740, 2565, 3000}, pages::alarm_pictures::Legend},
};

} // namespace

const pages::PageDescription& ALM1::Page() { return kPage; }

pages::PageState& ALM1::State()
{
    static pages::PageState state(kBufferSize);
    return state;
}

ALM1::ALM1() : GridPage(kDesign, State())
{
    Label1 = new QLabel(QStringLiteral("报警参数设定"), this);
    PlaceTwips(Label1, kLabel1);
    Label1->setFont(forms::SongFont(12, true));

    for (size_t i = 0; i < Image.size(); ++i) {
        Image[i] = new forms::PaintedPicture(kPictures[i].painter, this);
        Image[i]->setObjectName(QStringLiteral("Image%1").arg(i + 1));
        PlaceTwips(Image[i], kPictures[i].place);
    }
}
