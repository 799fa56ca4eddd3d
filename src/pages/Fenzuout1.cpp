#include "pages/Fenzuout1.h"

#include "device/DeviceLink.h"
#include "pages/GroupedRows.h"
#include "platform/basic/numbers.h"

#include <QApplication>

namespace {

// One setpoint group; row r = 4 (g - 1) + k. Name and help both name the
// group; the suffixes keep their blanks.
constexpr pages::GroupParameter kParameters[] = {
    {" 设定温度", "-99999~99999",
     " 设定温度，固定SV 模式时调用的分组PID 分界点，只能固定SV模式使用，对程序曲线无作用"},
    {" 输出上限福 ", "0-100 %", " 输出上限福，本参数对固定SV模式和程序曲线模式都有效，默认值：120"},
    {" 输出下限福 ", "0-100 %", " 输出下限福，本参数对固定SV模式和程序曲线迷失都有效，默认值：0"},
    {" 调用PID ", "0-10",
     " 固定SV模式调用PID分组号，本参数对曲线模式无效，0：系统默认PID，1-10分组PID，默认值：0"},
};
constexpr int kGroups = 10;

// The grouping switch and the copy the list leaves behind it.
constexpr int kGroupingSwitch = 2501;
constexpr int kGroupingSwitchCopy = 4609;

constexpr const char* kSwitchItems[] = {"0:禁止 ", "1:允许 "};

const pages::GridLayout kGrid{
    .headers = pages::kPageHeaders,
    .widthsTwips = {2300, 1200, 700, 1600, 11380},
    .fontPoints = 12,
    .editorColour = {255, 224, 192},
};

constexpr int kRowCount = kGroups * int(std::size(kParameters));

// Rows 1 to 40 are registers 2502 to 2541. The read of 64 starts at the
// switch, 2501, into element 0, so element r feeds row r; 2542 to 2564 are
// read and never shown. The typed value is rounded at the parse.
constexpr pages::PageDescription kPage{
    .pageBase = kGroupingSwitch,
    .rows = {},   // composed at first use: WithRows
    .readFirst = kGroupingSwitch,
    .readCount = 64,
    .timerMs = 2000,
    .typedValue = pages::TypedValue::WholeAtParse,
};

// PageBuffer, elements 0 to 100: the page's own array, kept larger than its
// read (elements 0 to 63, the switch in element 0). It outlives the window.
constexpr size_t kBufferSize = 101;
static_assert(kPage.FitsBuffer(kBufferSize, kRowCount));

// Layout (twips): the switch row above the grid.
constexpr forms::TwipsRect kLabel1[] = {
    {120, 150, 960, 255},      // "当前功能"
    {5430, 150, 1800, 255},    // "地址：2501"
};
constexpr forms::TwipsRect kD_4WRWC{1140, 90, 1200, 330};
constexpr forms::TwipsRect kCombo30{2460, 75, 1695, 345};
constexpr forms::TwipsRect kCommand2{4290, 60, 1000, 375};
constexpr forms::TwipsRect kLabel2{120, 6600, 7200, 300};

const pages::GridPageDesign& Design()
{
    // Centred; the caption is the grouped PID page's too.
    static const pages::GridPageDesign design{
        .objectName = "Fenzuout1",
        .caption = "分组输出限制",
        .clientWidth = 17700,
        .clientHeight = 7695,
        .minimiseButton = true,
        .page = Fenzuout1::Page(),
        .grid = kGrid,
        .gridPlace = {90, 540, 17520, 5940},
        .returnPlace = {16365, 6510, 1245, 465},   // Command1 "返回"
    };
    return design;
}

// "修改" and the list's focus loss: a list write, except that a text whose
// number the register cannot hold (it reads back sign-extended) sends
// nothing, rather than another number.
void WriteSwitch(const QString& listText, int reg)
{
    if (basic::RoundToInteger(basic::LeadingNumber(listText)))
        WriteListValue(listText, reg);
}

bool Within(const QWidget* widget, const QWidget* control)
{
    return widget && (widget == control || control->isAncestorOf(widget));
}

} // namespace

const pages::PageDescription& Fenzuout1::Page()
{
    static const pages::GroupedRows rows(kParameters, kGroups, pages::GroupHelp::PerGroup);
    static const pages::PageDescription page = kPage.WithRows(rows.Rows());
    return page;
}

pages::PageState& Fenzuout1::State()
{
    static pages::PageState state(kBufferSize);
    return state;
}

Fenzuout1::Fenzuout1() : GroupedPage(Design(), State(), kLabel2)
{
    Label1[0] = new QLabel(QStringLiteral("当前功能"), this);
    Label1[1] = new QLabel(QStringLiteral("地址：2501"), this);
    for (size_t i = 0; i < Label1.size(); ++i) {
        Label1[i]->setObjectName(QStringLiteral("Label1_%1").arg(i));
        forms::PlaceTwips(Label1[i], kLabel1[i]);
    }

    D_4WRWC[0] = new forms::BoxLabel(QString(), this);
    D_4WRWC[0]->setObjectName(QStringLiteral("D_4WRWC_0"));
    D_4WRWC[0]->setAlignment(Qt::AlignCenter);
    forms::SetBackColour(D_4WRWC[0], Qt::white);
    forms::PlaceTwips(D_4WRWC[0], kD_4WRWC);

    Combo30 = new forms::DropDownList(this);
    Combo30->setObjectName(QStringLiteral("Combo30"));
    forms::PlaceTwips(Combo30, kCombo30);
    forms::FillList(*Combo30, forms::ListItems{kSwitchItems, 0, 0});

    Command2 = new forms::CommandButton(QStringLiteral("修改"), this);
    Command2->setObjectName(QStringLiteral("Command2"));
    forms::PlaceTwips(Command2, kCommand2);

    setTabOrder(Command1, Combo30);
    setTabOrder(Combo30, MSFlexGrid1);
    setTabOrder(MSFlexGrid1, Text1);
    setTabOrder(Text1, Command2);

    connect(Command2, &QPushButton::clicked, this, &Fenzuout1::Command2_Click);
    connect(qApp, &QApplication::focusChanged, this, &Fenzuout1::OnFocusChanged);
}

bool Fenzuout1::Timer1_Timer()
{
    if (!GroupedPage::Timer1_Timer())
        return false;
    D_4WRWC[0]->setText(State().PageBuffer[0] == 0 ? QStringLiteral("禁止") : QStringLiteral("允许"));
    return true;
}

void Fenzuout1::Command2_Click() { WriteSwitch(Combo30->currentText(), kGroupingSwitch); }

void Fenzuout1::Combo30_LostFocus() { WriteSwitch(Combo30->currentText(), kGroupingSwitchCopy); }

// The list loses the focus when it moves to another control of this window
// (Tab, a click on "修改", "返回" or the grid). The list's own drop-down
// and the window losing activation take the focus out of the window: no
// loss; the focus comes back to the list from there.
void Fenzuout1::OnFocusChanged(QWidget* old, QWidget* now)
{
    if (!Loaded() || !Within(old, Combo30) || !now || Within(now, Combo30) || now->window() != this)
        return;
    Combo30_LostFocus();
}
