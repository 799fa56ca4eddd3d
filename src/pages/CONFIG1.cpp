#include "pages/CONFIG1.h"

#include "exchange/CExport.h"
#include "exchange/Inport1.h"
#include "exchange/Inport_Cali.h"
#include "exchange/Inportb.h"
#include "pages/ConfigPictures.h"
#include "pages/ConfigRegisterMap.h"
#include "platform/basic/twips.h"

#include <QEvent>
#include <QLineEdit>

using forms::PlaceTwips;
using forms::TwipsRect;
namespace config = pages::config;

namespace {

// The tab the window is designed to show: "COMM", at every load.
constexpr int kDesignedTab = 4;

// ---- The grids' layout ------------------------------------------------------

constexpr std::array<const char*, pages::kColumns> kHeaders = {"参数名称", "当前值", "Addr",
                                                               "数值范围", "参数说明"};
constexpr double kGridFontPoints = 9.75;

// Column widths in twips, columns 0 to 4.
using Widths = std::array<int, pages::kColumns>;
constexpr Widths kWidthsInstrument{1600, 1000, 800, 1500, 13800};   // tabs 0, 1, 3
constexpr Widths kWidthsInputUse{1100, 750, 600, 1400, 15000};      // tab 2
constexpr Widths kWidthsComm{1800, 1000, 800, 1200, 17800};         // tab 4
constexpr Widths kWidthsRelay{2000, 1000, 800, 1500, 13800};        // tab 5
constexpr Widths kWidthsDio{2000, 1000, 800, 1500, 13250};          // tabs 6 to 10

// Each grid fills its tab page, but for the valve's short grid, under which
// lie its two pictures.
constexpr TwipsRect kGridPlace{60, 60, 18780, 7230};
constexpr TwipsRect kShortGridPlace{60, 60, 18780, 1290};

struct TabLayout {
    const Widths* widths;
    // Word wrap: on, but for the grid of "AI Input", whose long help texts
    // are cut at the cell's edge.
    bool wordWrap;
    // The help cell of the last row aligned left and bottom like the others
    // (the grids of tabs 1 and 2 leave it at the default).
    bool lastRowHelpLeftBottom;
    const TwipsRect* place;
};
constexpr TabLayout kTabLayouts[config::kTabCount] = {
    {&kWidthsInstrument, true, true, &kGridPlace},    // 0 "Instrment"
    {&kWidthsInstrument, false, false, &kGridPlace},  // 1 "AI Input"
    {&kWidthsInputUse, true, false, &kGridPlace},     // 2 "输入应用"
    {&kWidthsInstrument, true, true, &kGridPlace},    // 3 "DA Output"
    {&kWidthsComm, true, true, &kGridPlace},          // 4 "COMM"
    {&kWidthsRelay, true, true, &kGridPlace},         // 5 "RELAY ALARM"
    {&kWidthsDio, true, true, &kGridPlace},           // 6 "DIO"
    {&kWidthsDio, true, true, &kGridPlace},           // 7 "时标和DO功能 "
    {&kWidthsDio, true, true, &kGridPlace},           // 8 "8点线性化输入"
    {&kWidthsDio, true, true, &kShortGridPlace},      // 9 "阀位控制"
    {&kWidthsDio, true, true, &kGridPlace},           // 10 "碳势功能"
};

// ---- The window's layout (twips) --------------------------------------------

constexpr int kClientWidth = 19080;
constexpr int kClientHeight = 10785;
constexpr TwipsRect kLabel1{7740, 45, 3600, 360};
constexpr TwipsRect kSSTab1{60, 420, 18960, 7860};
constexpr int kValveTab = 9;
constexpr TwipsRect kImage1{60, 1470, 4500, 5820};    // on tab 9, under its grid
constexpr TwipsRect kImage3{4680, 1470, 9840, 5820};
constexpr TwipsRect kImage2{60, 8340, 11400, 2040};   // under the tabs, left
constexpr TwipsRect kLabel2{11640, 8400, 7380, 660};  // under the tabs, right
constexpr TwipsRect kStatusBar1{0, 10440, 19080, 345};

// The button row under the help line, left to right: the two calibration
// exchanges, the two configuration exchanges, the way back.
constexpr int kButtonTop = 9240, kButtonWidth = 1380, kButtonHeight = 600, kButtonPitch = 1500;
constexpr int kButtonLeft = 11640;
struct Button {
    forms::CommandButton* CONFIG1::* member;
    const char* name;
    const char* caption;
    void (CONFIG1::*click)();
};
constexpr Button kButtons[] = {
    {&CONFIG1::Command3, "Command3", "校准导入", &CONFIG1::Command3_Click},
    {&CONFIG1::Command4, "Command4", "校准导出", &CONFIG1::Command4_Click},
    {&CONFIG1::Command2, "Command2", "数据导入", &CONFIG1::Command2_Click},
    {&CONFIG1::Command1, "Command1", "数据导出", &CONFIG1::Command1_Click},
    {&CONFIG1::Command11, "Command11", " Esc 返回", &CONFIG1::Command11_Click},
};

// The hint lists in the order of config::HintLists().
constexpr forms::DropDownList* CONFIG1::* kHintLists[] = {&CONFIG1::Combo1, &CONFIG1::Combo2,
                                                          &CONFIG1::Combo7};

} // namespace

pages::PageState& CONFIG1::State()
{
    static pages::PageState state(config::kBufferSize);
    return state;
}

CONFIG1::CONFIG1()
{
    setWindowTitle(QStringLiteral("ZC4160 CONFIG "));
    setObjectName(QStringLiteral("CONFIG1"));
    setFixedSize(basic::TwipsToPixels(kClientWidth), basic::TwipsToPixels(kClientHeight));

    Label1 = new QLabel(QStringLiteral("系统配置参数"), this);
    PlaceTwips(Label1, kLabel1);
    Label1->setFont(forms::SongFont(12, true));
    Label1->setAlignment(Qt::AlignCenter);

    SSTab1 = new QTabWidget(this);
    SSTab1->setObjectName(QStringLiteral("SSTab1"));
    PlaceTwips(SSTab1, kSSTab1);
    const std::span<const config::Tab> tabs = config::Tabs();
    std::array<forms::Frame*, config::kTabCount> frames{};
    for (int t = 0; t < config::kTabCount; ++t) {
        const config::Tab& tab = tabs[size_t(t)];
        const TabLayout& look = kTabLayouts[t];
        frames[size_t(t)] = forms::AddTabPage(SSTab1, QString::fromUtf8(tab.caption));
        const pages::GridLayout layout{
            .headers = kHeaders,
            .widthsTwips = *look.widths,
            .fontPoints = kGridFontPoints,
            .wordWrap = look.wordWrap,
            .headerHelpLeftBottom = true,
            .lastRowHelpLeftBottom = look.lastRowHelpLeftBottom,
        };
        auto* grid = new pages::ParameterGrid(tab.page, layout, State(), frames[size_t(t)]);
        grid->setObjectName(QStringLiteral("MSFlexGrid%1").arg(t + 1));
        PlaceTwips(grid, *look.place);
        MSFlexGrid[size_t(t)] = grid;
        Text[size_t(t)] = grid->Editor();
        Text[size_t(t)]->setObjectName(QStringLiteral("Text%1").arg(t + 1));
        connect(grid, &pages::ParameterGrid::Click, this, [this, t] { MSFlexGrid_Click(t); });
        connect(Text[size_t(t)], &pages::CellEditor::KeyPress, this,
                [this, t](int keyAscii) { Text_KeyPress(t, keyAscii); });
    }
    SSTab1->setCurrentIndex(kDesignedTab);

    // The hint lists lie over their grid's help cells, hidden until a click
    // on one of their rows.
    const std::span<const config::HintList> hints = config::HintLists();
    for (size_t i = 0; i < hints.size() && i < std::size(kHintLists); ++i) {
        pages::ParameterGrid* grid = MSFlexGrid[size_t(hints[i].tab)];
        auto* list = new forms::DropDownList(grid->viewport());
        list->setObjectName(QStringLiteral("Combo%1").arg(hints[i].tab + 1));
        forms::FillList(*list, forms::ListItems{hints[i].items, 0, 0});
        grid->AttachHintList(list, hints[i].rows);
        this->*kHintLists[i] = list;
    }
    Combo1->installEventFilter(this);
    if (Combo1->lineEdit())
        Combo1->lineEdit()->installEventFilter(this);

    Image1 = new forms::PaintedPicture(pages::config_pictures::Valve, frames[kValveTab]);
    Image1->setObjectName(QStringLiteral("Image1"));
    PlaceTwips(Image1, kImage1);
    Image3 = new forms::PaintedPicture(pages::config_pictures::ValveWiring, frames[kValveTab]);
    Image3->setObjectName(QStringLiteral("Image3"));
    PlaceTwips(Image3, kImage3);
    Image2 = new forms::PaintedPicture(pages::config_pictures::RearTerminals, this);
    Image2->setObjectName(QStringLiteral("Image2"));
    PlaceTwips(Image2, kImage2);

    Label2 = new QLabel(
        QStringLiteral("帮助：单元格内容超出范围，单击单元格会下拉提示列表，取消单击其他单元格消隐"),
        this);
    Label2->setWordWrap(true);
    PlaceTwips(Label2, kLabel2);

    for (size_t i = 0; i < std::size(kButtons); ++i) {
        auto* button = new forms::CommandButton(QString::fromUtf8(kButtons[i].caption), this);
        button->setObjectName(QString::fromUtf8(kButtons[i].name));
        PlaceTwips(button, kButtonLeft + int(i) * kButtonPitch, kButtonTop, kButtonWidth,
                   kButtonHeight);
        // No key presses a button of this page: not Enter, not Esc.
        button->setAutoDefault(false);
        this->*kButtons[i].member = button;
        connect(button, &QPushButton::clicked, this, kButtons[i].click);
    }

    StatusBar1 = new pages::LiveValueBar(pages::TimeForm::Minutes, this);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    PlaceTwips(StatusBar1, kStatusBar1);

    Timer1.setInterval(config::kTimerMs);
    connect(&Timer1, &QTimer::timeout, this, &CONFIG1::Timer1_Timer);

    Form_Load();
}

void CONFIG1::Form_Load()
{
    // The grids' texts and the lists' items come from the register map; the
    // values stay empty until the first tick reads the tab shown now. No
    // device access here.
    LastTab = int16_t(SSTab1->currentIndex());
    RefreshPending = true;
    CloseGuard = true;
    Timer1.start();
}

void CONFIG1::Form_Unload() { Timer1.stop(); }

bool CONFIG1::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonDblClick
        && (watched == Combo1 || (Combo1 && watched == Combo1->lineEdit())))
        Combo1_DblClick();
    return forms::Form::eventFilter(watched, event);
}

void CONFIG1::MSFlexGrid_Click(int tab) { MSFlexGrid[size_t(tab)]->ShowCellEditor(); }

void CONFIG1::Text_KeyPress(int tab, int keyAscii)
{
    if (keyAscii != 13)
        return;
    MSFlexGrid[size_t(tab)]->CommitCellEdit();
    // The tab is read again at the next tick whatever the write did, so a
    // refused or lost value shows its old number coming back. One raise
    // after the write is enough: the write yields to no event, so no tick
    // can fall between a raise before it and this one.
    RefreshPending = true;
}

void CONFIG1::Combo1_DblClick() { Combo1->hide(); }

void CONFIG1::Timer1_Timer()
{
    StatusBar1->ShowLiveValues();
    // Reads come with the tick alone, so a tab visited and left between two
    // ticks is never read: rather than follow the tab control's change
    // signal, the tick compares the tab shown now with the one it last saw.
    const int visible = SSTab1->currentIndex();
    if (visible != LastTab) {
        LastTab = int16_t(visible);
        RefreshPending = true;
    }
    // Only a read that succeeded settles the request: after a failed one
    // the tab shows its own last good read of this visit (or nothing) and
    // the next tick asks again.
    if (RefreshPending && visible >= 0 && visible < config::kTabCount
        && MSFlexGrid[size_t(visible)]->RefreshPage())
        RefreshPending = false;
}

// The exports run modal over this page, whose timer keeps ticking; the
// imports take its place, and their return shows it again as it was left,
// with no read due.
void CONFIG1::Command1_Click() { forms::ShowModal<Inport1>(this); }
void CONFIG1::Command2_Click() { forms::ShowInPlaceOf(forms::Instance<Inportb>(), *this); }
void CONFIG1::Command3_Click() { forms::ShowInPlaceOf(forms::Instance<Inport_Cali>(), *this); }
void CONFIG1::Command4_Click() { forms::ShowModal<CExport>(this); }

void CONFIG1::Command11_Click() { forms::ClosePage(*this); }
