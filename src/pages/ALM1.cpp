#include "pages/ALM1.h"

#include "pages/AlarmPictures.h"
#include "platform/basic/twips.h"

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
    600, kRows, 601, 16, 0, kDecimalRows,
    pages::ValueText::Single, pages::TypedValue::Double, pages::EnterOrder::WriteEchoHide, 500};

const pages::GridLayout kGrid{
    {"功能 ", "参数值", "地址", "参数范围", "参数说明"},
    {3000, 1500, 1100, 1600, 10500},
    12,
};

// Layout (twips).
constexpr int kClientWidth = 18045;
constexpr int kClientHeight = 10770;
constexpr TwipsRect kLabel1{7050, 30, 1755, 315};
constexpr TwipsRect kGridPlace{90, 360, 17895, 4455};
constexpr TwipsRect kCommand1{16770, 7230, 1245, 465};

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
    static pages::PageState state(51);
    return state;
}

ALM1::ALM1()
{
    setWindowTitle(QStringLiteral("ALARM"));
    setObjectName(QStringLiteral("ALM1"));
    // No minimise or maximise button.
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                   | Qt::WindowCloseButtonHint);
    setFixedSize(basic::TwipsToPixels(kClientWidth), basic::TwipsToPixels(kClientHeight));

    Label1 = new QLabel(QStringLiteral("报警参数设定"), this);
    PlaceTwips(Label1, kLabel1);
    Label1->setFont(forms::SongFont(12, true));

    MSFlexGrid1 = new pages::ParameterGrid(kPage, kGrid, State(), this);
    MSFlexGrid1->setObjectName(QStringLiteral("MSFlexGrid1"));
    PlaceTwips(MSFlexGrid1, kGridPlace);
    Text1 = MSFlexGrid1->Editor();
    Text1->setObjectName(QStringLiteral("Text1"));
    Text1->setFont(font());

    Command1 = new forms::CommandButton(QStringLiteral("返回"), this);
    PlaceTwips(Command1, kCommand1);

    for (size_t i = 0; i < Image.size(); ++i) {
        Image[i] = new forms::PaintedPicture(kPictures[i].painter, this);
        Image[i]->setObjectName(QStringLiteral("Image%1").arg(i + 1));
        PlaceTwips(Image[i], kPictures[i].place);
    }

    setTabOrder(Command1, MSFlexGrid1);
    setTabOrder(MSFlexGrid1, Text1);

    Timer1.setInterval(kPage.timerMs);
    connect(&Timer1, &QTimer::timeout, this, &ALM1::Timer1_Timer);
    connect(MSFlexGrid1, &pages::ParameterGrid::Click, this, &ALM1::MSFlexGrid1_Click);
    connect(Text1, &pages::CellEditor::KeyPress, this, &ALM1::Text1_KeyPress);
    connect(Command1, &QPushButton::clicked, this, &ALM1::Command1_Click);

    Form_Load();
}

void ALM1::Form_Load()
{
    // The grid's texts come from the page's table; the values stay empty
    // until the first tick, one interval from now. No device access here.
    CloseGuard = true;
    Command1->setFocus();
    Timer1.start();
}

void ALM1::Form_Unload() { Timer1.stop(); }

void ALM1::MSFlexGrid1_Click() { MSFlexGrid1->ShowCellEditor(); }

void ALM1::Text1_KeyPress(int keyAscii)
{
    if (keyAscii == 13)
        MSFlexGrid1->CommitCellEdit();
}

void ALM1::Timer1_Timer() { MSFlexGrid1->RefreshPage(); }

void ALM1::Command1_Click() { forms::ClosePage(*this); }
