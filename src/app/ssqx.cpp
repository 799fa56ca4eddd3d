#include "app/ssqx.h"

#include "app/Pages.h"
#include "app/StatusPanel.h"
#include "device/DeviceLink.h"
#include "device/Met1.h"
#include "platform/basic/numbers.h"
#include "platform/basic/twips.h"
#include "platform/db/DatabaseFile.h"
#include "trend/ChartShared.h"
#include "trend/RecorderShared.h"
#include "trend/frmLogin.h"
#include "trend/lsqx.h"

#include <QKeyEvent>
#include <QPainter>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <span>

using forms::PlaceTwips;
using forms::TwipsRect;
using forms::Rgb;

namespace {

// ---- Layout tables (twips) ---------------------------------------------
//
// Every place of the window is here; the construction below only walks
// these tables. Window coordinates unless a group says otherwise.

constexpr int kClientWidth = 19440;
constexpr int kClientHeight = 11430;

// The regions of the window, top left to bottom right.
enum class Region {
    Port, Station, Baud, Parity, Open, Close, ClockPage, DateLabel, TimeLabel,
    Valve, Process, Sensors, Alarms, Program, Relays, StatusTabs, CommandTabs,
    ChartAxis, Ruler, ChartFrame, ChartCanvas, ChartFunctions, YRangeEditor,
    NavigationBar, NetworkPage, ControllerState, SetpointSource, StatusBar,
};
struct RegionDef {
    Region region;
    const char* control;
    const char* caption;  // nullptr where the control has none
    TwipsRect place;
};
constexpr RegionDef kRegions[] = {
    {Region::Port, "Frame6", "通讯端口选择", {30, 0, 2115, 585}},
    {Region::Station, "Frame5(0)", "从站地址", {2220, 0, 2175, 585}},
    {Region::Baud, "Frame2(1)", "波特率", {4470, 0, 2865, 585}},
    {Region::Parity, "Frame5(1)", "校验方式", {7410, 30, 3255, 585}},
    {Region::Open, "Command9", "打开", {10710, 120, 825, 435}},
    {Region::Close, "Command10", "关闭", {11610, 120, 825, 435}},
    {Region::ClockPage, "Command39", "TIME SET", {12780, 30, 825, 525}},
    {Region::DateLabel, "Label2(9)", nullptr, {13590, 0, 1335, 285}},
    {Region::TimeLabel, "Label2(10)", nullptr, {13590, 300, 1335, 285}},
    {Region::Valve, "Frame1", "Value Position", {15030, 0, 4305, 765}},
    {Region::Process, "Frame4", "Process Parmeters", {30, 570, 4125, 1335}},
    {Region::Sensors, "Frame8", "Sensor Alarm", {4560, 570, 2145, 1335}},
    {Region::Alarms, "Frame9", "Alarm Type", {7110, 570, 2145, 1335}},
    {Region::Program, "Frame7", "Program Status", {9660, 570, 5325, 1335}},
    {Region::Relays, "Frame10", "Relay Action", {15060, 780, 4335, 825}},
    {Region::StatusTabs, "SSTab1", nullptr, {15030, 780, 4335, 3465}},
    {Region::CommandTabs, "SSTab2", nullptr, {15030, 4290, 4365, 5805}},
    {Region::ChartAxis, "Frame2(0)", nullptr, {60, 1950, 1035, 7965}},
    {Region::Ruler, "hc", nullptr, {1170, 1980, 12255, 225}},
    {Region::ChartFrame, "pt0", nullptr, {1290, 2190, 12010, 7510}},
    // Within pt0.
    {Region::ChartCanvas, "pt", nullptr, {0, 30, 12008, 7508}},
    {Region::ChartFunctions, "Frame3", "功能", {13590, 2040, 1395, 7695}},
    // Label9, YKD, Label10, YKD1 and Command26 together (yRange below).
    {Region::YRangeEditor, "Label9..Command26", nullptr, {240, 10650, 3915, 315}},
    {Region::NavigationBar, "Frame11", nullptr, {4440, 10410, 10185, 645}},
    {Region::NetworkPage, "Command40", "Ethernet SET", {14850, 10530, 1785, 405}},
    // A caption over its value label.
    {Region::ControllerState, "Label1(88)", "当前状态", {16860, 10380, 855, 465}},
    {Region::SetpointSource, "Label1(89)", "当前SV取值", {17940, 10380, 1005, 465}},
    {Region::StatusBar, "StatusBar1", nullptr, {0, 11085, 19440, 345}},
};
constexpr bool RegionsInOrder()
{
    for (size_t i = 0; i < std::size(kRegions); ++i)
        if (kRegions[i].region != static_cast<Region>(i))
            return false;
    return true;
}
static_assert(RegionsInOrder(), "kRegions is indexed by Region");
constexpr const RegionDef& RegionOf(Region region)
{
    return kRegions[static_cast<size_t>(region)];
}
constexpr TwipsRect PlaceOf(Region region) { return RegionOf(region).place; }

// A value label of the status panel and its caption above it.
constexpr int kValueWidth = 855;
constexpr int kValueHeight = 285;
constexpr int kCaptionHeight = 255;

// Inside the three link frames: the caption, and the list right of it.
namespace linkBand {
constexpr TwipsRect kCaption{90, 240, 780, 300};
constexpr TwipsRect kPortList{900, 225, 1140, 330};
constexpr TwipsRect kStationList{900, 225, 1200, 330};
constexpr TwipsRect kBaudList{900, 225, 1890, 330};
} // namespace linkBand

// Inside "校验方式": the first option button and the pitch of the others.
namespace parity {
constexpr TwipsRect kFirstOption{120, 225, 1020, 315};
constexpr int kOptionPitch = 1035;
} // namespace parity

// "选择" in "Process Parmeters" stands in the fourth column of the second
// row, raised above the value labels' line; "端口返回值" on "DO Status"
// under the third row.
constexpr int kSelectColumn = 3;
constexpr int kSelectRaise = 180;
constexpr int kSelectHeight = 450;
constexpr int kPortResultRow = 3;
constexpr int kPortResultWidth = 1500;

// Inside a command tab page: row pitch, and the columns of value label,
// input and button. The inputs and the button stand a little above the
// value label's top so that their middles meet.
namespace commandRow {
constexpr int kFirstValueTop = 330;
constexpr int kPitch = 570;
constexpr int kValueLeft = 180;
constexpr int kInputLeft = 1170;
constexpr int kInputWidth = 1950;
constexpr int kListRaise = 30;
constexpr int kListHeight = 345;
constexpr int kBoxRaise = 15;
constexpr int kBoxHeight = 315;
constexpr int kButtonLeft = 3270;
constexpr int kButtonWidth = 840;
constexpr int kButtonRaise = 60;
constexpr int kButtonHeight = 405;
} // namespace commandRow

// Inside the axis frame: each value label just above its grid line, the OP
// percent just below it, the legend near the foot and "VALUE" halfway up.
namespace axis {
constexpr int kLabelLeft = 30;
constexpr int kLabelRightInset = 90;  // from the frame's width
constexpr int kValueAboveLine = 300;
constexpr int kValueMinTop = 15;
constexpr int kValueHeight = 240;
constexpr int kPercentAboveLine = 75;
constexpr int kPercentHeight = 210;
constexpr int kLegendLeft[] = {60, 700, 380};  // PV, OP, SV; so PV, SV, OP from left to right
constexpr int kLegendTop = 7050;
constexpr int kLegendWidth = 330;
constexpr int kLegendHeight = 270;
constexpr TwipsRect kValueCaption{60, 3180, 915, 330};
} // namespace axis

// Below the canvas: time labels over date labels, centred on the canvas's
// left edge and every 1500 twips after it.
namespace timeScale {
constexpr int kCount = 9;
constexpr int kPitch = 1500;
constexpr int kWidth = 1200;
constexpr int kTimeTop = 9840;
constexpr int kDateTop = 10125;
constexpr int kHeight = 285;
} // namespace timeScale

// Inside "功能": the first button and the pitch of those below it.
namespace functions {
constexpr TwipsRect kFirstButton{120, 360, 1155, 600};
constexpr int kPitch = 900;
} // namespace functions

// The Y range editor, left to right, and the hidden label above it.
namespace yRange {
constexpr TwipsRect kMaxCaption{240, 10650, 900, 315};   // Label9
constexpr TwipsRect kMaxBox{1155, 10650, 630, 315};      // YKD
constexpr TwipsRect kMinCaption{1830, 10650, 900, 315};  // Label10
constexpr TwipsRect kMinBox{2745, 10650, 630, 315};      // YKD1
constexpr TwipsRect kButton{3420, 10620, 735, 375};      // Command26
constexpr TwipsRect kHiddenLabel{240, 10350, 900, 255};  // Label19
static_assert(kMaxCaption.left == PlaceOf(Region::YRangeEditor).left &&
              kButton.left + kButton.width ==
                  PlaceOf(Region::YRangeEditor).left + PlaceOf(Region::YRangeEditor).width);
} // namespace yRange

// Inside the navigation bar: the buttons side by side.
namespace navigation {
constexpr int kFirstLeft = 150;
constexpr int kPitch = 1245;
constexpr int kTop = 105;
constexpr int kButtonWidth = 1170;
constexpr int kButtonHeight = 435;
} // namespace navigation

// "当前状态" and "当前SV取值": the value label 180 below the region's top,
// the caption a little wider than the label.
constexpr int kStateValueOffset = 180;
constexpr int kStateCaptionExtraWidth = 150;

// The chart frame and canvas sizes the load sets.
constexpr TwipsRect kChartFrame = PlaceOf(Region::ChartFrame);
constexpr TwipsRect kChartCanvas = PlaceOf(Region::ChartCanvas);
// The Y-axis frame and where the canvas's bottom and top edges fall in it.
constexpr TwipsRect kAxisFrame = PlaceOf(Region::ChartAxis);
constexpr int kAxisCanvasTop = kChartFrame.top + kChartCanvas.top - kAxisFrame.top;
constexpr int kAxisCanvasBottom = kAxisCanvasTop + kChartCanvas.height;

// Where the captioned value labels stand inside each frame or tab page: the
// column pitch and the top of the first row's value label.
enum class Box { Frame1, Frame4, Frame7, Frame8, Frame9, Frame10, DIPage, DOPage, ParmPage };
struct BoxGrid {
    int firstLeft, columnPitch, firstValueTop, rowPitch;
};
constexpr BoxGrid GridOf(Box box)
{
    switch (box) {
    case Box::Frame1: return {420, 1290, 450, 525};
    case Box::Frame4: return {150, 990, 480, 540};
    case Box::Frame8:
    case Box::Frame9: return {180, 990, 480, 540};
    case Box::Frame7: return {120, 1050, 480, 540};
    case Box::Frame10: return {120, 1050, 450, 525};
    case Box::DIPage:
    case Box::DOPage:
    case Box::ParmPage: return {180, 1035, 330, 570};
    }
    return {};
}

struct PanelField {
    Box box;
    int row, column;
    const char* caption;
    int element;  // D_4WH
    QRgb captionColour = 0xff000000;
};

constexpr PanelField kPanelFields[] = {
    {Box::Frame1, 0, 0, "阀门上限", 12},
    {Box::Frame1, 0, 1, "阀门下限", 13},
    {Box::Frame1, 0, 2, "阀门开度", 14},
    // The process captions carry the colours of the chart's curves.
    {Box::Frame4, 0, 0, "当前PV", 0, 0xffff0000},
    {Box::Frame4, 0, 1, "当前SV", 2, 0xff008000},
    {Box::Frame4, 0, 2, "SV1 SV", 5, 0xff000000},
    {Box::Frame4, 0, 3, "SV2 SV", 6, 0xff804040},
    {Box::Frame4, 1, 0, "输出OP", 1, 0xff0000ff},
    {Box::Frame4, 1, 1, "CH1 PV", 3, 0xff00ffff},
    {Box::Frame4, 1, 2, "CH2 PV", 4, 0xffff00ff},
    {Box::Frame8, 0, 0, "CH1开路", 28},
    {Box::Frame8, 0, 1, "CH2 开路", 30},
    {Box::Frame8, 1, 0, "CH1 短路", 29},
    {Box::Frame8, 1, 1, "CH2 短路", 31},
    {Box::Frame9, 0, 0, "报警1", 32},
    {Box::Frame9, 0, 1, "报警3", 34},
    {Box::Frame9, 1, 0, "报警2", 33},
    {Box::Frame9, 1, 1, "报警4", 35},
    {Box::Frame7, 0, 0, "程序状态", 16},
    {Box::Frame7, 0, 1, "当前SV", 18},
    {Box::Frame7, 0, 2, "段剩余时间", 20},
    {Box::Frame7, 0, 3, "循环次数", 22},
    {Box::Frame7, 0, 4, "偏差等待", 24},
    {Box::Frame7, 1, 0, "当前PV", 17},
    {Box::Frame7, 1, 1, "当前段号", 19},
    {Box::Frame7, 1, 2, "总剩余时间", 21},
    {Box::Frame7, 1, 3, "段循环次数", 23},
    {Box::Frame7, 1, 4, "当前", 25},
    {Box::Frame10, 0, 0, "CH1开路", 36},
    {Box::Frame10, 0, 1, "CH2 开路", 37},
    {Box::Frame10, 0, 2, "CH1 短路", 38},
    {Box::Frame10, 0, 3, "CH2 短路", 39},
    {Box::DIPage, 0, 0, "DI1", 49},
    {Box::DIPage, 0, 1, "DI2", 50},
    {Box::DIPage, 0, 2, "DI3", 51},
    {Box::DIPage, 0, 3, "DI4", 52},
    {Box::DIPage, 1, 0, "DI5", 53},
    {Box::DIPage, 1, 1, "DI6", 54},
    {Box::DIPage, 1, 2, "DI7", 55},
    {Box::DIPage, 1, 3, "DI8", 56},
    {Box::DIPage, 2, 0, "DI9", 57},
    {Box::DOPage, 0, 0, "DO1", 40},
    {Box::DOPage, 0, 1, "DO2", 41},
    {Box::DOPage, 0, 2, "DO3", 42},
    {Box::DOPage, 0, 3, "DO4", 43},
    {Box::DOPage, 1, 0, "DO5", 44},
    {Box::DOPage, 1, 1, "DO6", 45},
    {Box::DOPage, 1, 2, "DO7", 46},
    {Box::DOPage, 1, 3, "DO8", 47},
    {Box::DOPage, 2, 0, "DO9", 48},
    {Box::ParmPage, 0, 0, "分组PID", 60},
    {Box::ParmPage, 0, 1, "主比列带", 61},
    {Box::ParmPage, 0, 2, "主积分", 62},
    {Box::ParmPage, 0, 3, "主微分", 63},
    {Box::ParmPage, 1, 1, "副比例带", 64},
    {Box::ParmPage, 1, 2, "副积分", 65},
    {Box::ParmPage, 1, 3, "副微分", 66},
    {Box::ParmPage, 2, 0, "P分组限幅", 68},
    {Box::ParmPage, 2, 1, "P上限幅", 69},
    {Box::ParmPage, 2, 2, "P下限幅", 70},
    {Box::ParmPage, 2, 3, "P-PID组", 71},
    {Box::ParmPage, 3, 0, "S-分组号", 72},
    {Box::ParmPage, 3, 1, "S-分界点", 73},
    {Box::ParmPage, 3, 2, "S-上限幅", 74},
    {Box::ParmPage, 3, 3, "S-下限幅", 75},
    {Box::ParmPage, 4, 0, "S-PID组", 76},
};

// The labels that show "-99999" until the first refresh; D_4WH(25) starts
// empty, every other label with its own index.
constexpr int kStartsAtMinus99999[] = {0,  1,  2,  3,  4,  5,  6,  8,  9,  12, 13, 14, 16,
                                       17, 18, 19, 20, 21, 22, 23, 24, 28, 29, 30, 31};

QString DesignText(panel::LabelArray array, int element)
{
    if (array == panel::LabelArray::D_4WH) {
        if (element == 25)
            return {};
        for (int e : kStartsAtMinus99999)
            if (e == element)
                return QStringLiteral("-99999");
    }
    return QString::number(element);
}

// Command rows on SSTab2: caption, input, button, and the register the row
// writes, whose read-back label D_4WW(register - 1) stands beside it. A
// list row sends the leading number of its list's text; a typed row sends
// ten times its box's number, when that lies within the row's range.
enum class Tab2 { FixedSv, Program, CommDo };
struct Range {
    double min, max;
};
struct CommandRow {
    Tab2 tab;
    const char* caption;
    int reg;
    forms::DropDownList* ssqx::* list;            // or nullptr
    int textBox;                                  // Text1 index, or -1
    Range accepted;                               // typed rows
    forms::CommandButton* ssqx::* button;
    void (ssqx::*click)();
};
constexpr Range kList{};
constexpr CommandRow kCommandRows[] = {
    {Tab2::FixedSv, "A/M/STB", 309, &ssqx::Combo32, -1, kList, &ssqx::Command11, &ssqx::Command11_Click},
    {Tab2::FixedSv, "SV1/SV2", 310, &ssqx::Combo3, -1, kList, &ssqx::Command12, &ssqx::Command12_Click},
    {Tab2::FixedSv, "SV/PROG", 311, &ssqx::Combo4, -1, kList, &ssqx::Command13, &ssqx::Command13_Click},
    {Tab2::FixedSv, "ATUN", 313, &ssqx::Combo5, -1, kList, &ssqx::Command17, &ssqx::Command17_Click},
    {Tab2::FixedSv, "OP", 301, nullptr, 300, {0, 100}, &ssqx::Command18, &ssqx::Command18_Click},
    {Tab2::FixedSv, "SV1", 302, nullptr, 301, {-99999, 99999}, &ssqx::Command19, &ssqx::Command19_Click},
    {Tab2::FixedSv, "SV2", 303, nullptr, 302, {-99999, 99999}, &ssqx::Command20, &ssqx::Command20_Click},
    {Tab2::Program, "程序状态", 305, &ssqx::Combo6, -1, kList, &ssqx::Command25, &ssqx::Command25_Click},
    {Tab2::Program, "曲线选择", 307, &ssqx::Combo7, -1, kList, &ssqx::Command27, &ssqx::Command27_Click},
    {Tab2::Program, "程序跳段", 306, nullptr, 305, {0, 50}, &ssqx::Command28, &ssqx::Command28_Click},
    {Tab2::CommDo, "Force DO1", 317, &ssqx::Combo8, -1, kList, &ssqx::Command30, &ssqx::Command30_Click},
    {Tab2::CommDo, "Force DO2", 318, &ssqx::Combo9, -1, kList, &ssqx::Command31, &ssqx::Command31_Click},
    {Tab2::CommDo, "Force DO3", 319, &ssqx::Combo10, -1, kList, &ssqx::Command32, &ssqx::Command32_Click},
    {Tab2::CommDo, "Force DO4", 320, &ssqx::Combo11, -1, kList, &ssqx::Command33, &ssqx::Command33_Click},
    {Tab2::CommDo, "Force DO5", 321, &ssqx::Combo12, -1, kList, &ssqx::Command34, &ssqx::Command34_Click},
    {Tab2::CommDo, "Force DO6", 322, &ssqx::Combo13, -1, kList, &ssqx::Command35, &ssqx::Command35_Click},
    {Tab2::CommDo, "Force DO7", 323, &ssqx::Combo14, -1, kList, &ssqx::Command36, &ssqx::Command36_Click},
    {Tab2::CommDo, "Force DO8", 324, &ssqx::Combo15, -1, kList, &ssqx::Command37, &ssqx::Command37_Click},
    {Tab2::CommDo, "Force DO9", 325, &ssqx::Combo16, -1, kList, &ssqx::Command38, &ssqx::Command38_Click},
};

// The selection lists in the order the load fills them, with the item each
// shows afterwards. Lists of numbers hold "1 " to "n ".
constexpr const char* kBaudItems[] = {"0:4800 BPS",    "1:9600 BPS",    "2:19200 BPS",
                                      "3: 38400 BPS",  "4: 57600 BPS",  "5: 115200 BPS",
                                      "6: 230400 BPS", "7: 460800 BPS", "8: 921600 BPS"};
constexpr const char* kModeItems[] = {"0:自动 ", "1:手动 ", "2:待机 "};
constexpr const char* kSvChoiceItems[] = {"0:设定值SV1 ", "1:设定值SV2 "};
constexpr const char* kSvModeItems[] = {"0:固定SV模式 ", "1:程序模式 "};
constexpr const char* kAutotuneItems[] = {"0:自整定关 ", "1:自整定开 "};
constexpr const char* kProgramItems[] = {"0:停止 ", "1:运行 ", "2:暂停 ", "4:结束 "};
constexpr const char* kForceItems[] = {"0:OPEN ", "1:CLOSE "};

struct ListFill {
    forms::DropDownList* ssqx::* list;
    forms::ListItems content;
};
// Port, baud and station lists first (with the parity between them, see
// Form_Load), then the command lists.
constexpr ListFill kLinkLists[] = {
    {&ssqx::Combo17, {kBaudItems, 0, 3}},
    {&ssqx::Combo1, {{}, 20, 0}},
};
constexpr ListFill kStationList = {&ssqx::Combo2, {{}, 16, 0}};
constexpr ListFill kCommandLists[] = {
    {&ssqx::Combo32, {kModeItems, 0, 0}},     {&ssqx::Combo3, {kSvChoiceItems, 0, 0}},
    {&ssqx::Combo4, {kSvModeItems, 0, 0}},    {&ssqx::Combo5, {kAutotuneItems, 0, 0}},
    {&ssqx::Combo6, {kProgramItems, 0, 0}},   {&ssqx::Combo7, {{}, 20, 0}},
    {&ssqx::Combo8, {kForceItems, 0, 0}},     {&ssqx::Combo9, {kForceItems, 0, 0}},
    {&ssqx::Combo10, {kForceItems, 0, 0}},    {&ssqx::Combo11, {kForceItems, 0, 0}},
    {&ssqx::Combo12, {kForceItems, 0, 0}},    {&ssqx::Combo13, {kForceItems, 0, 0}},
    {&ssqx::Combo14, {kForceItems, 0, 0}},    {&ssqx::Combo15, {kForceItems, 0, 0}},
    {&ssqx::Combo16, {kForceItems, 0, 0}},
};

void FillList(ssqx& window, const ListFill& fill)
{
    if (forms::DropDownList* list = window.*fill.list)
        forms::FillList(*list, fill.content);
}

// Buttons of the frame "功能", top to bottom; "F3 打印" and "F5 选择" are
// disabled by the layout.
struct FunctionButton {
    forms::CommandButton* ssqx::* button;
    const char* caption;
    bool enabled;
};
constexpr FunctionButton kFunctionButtons[] = {
    {&ssqx::Command4, "F1 缩小", true},  {&ssqx::Command3, "F2 放大", true},
    {&ssqx::Command2, "F3 打印", false}, {&ssqx::Command5, "F4 标尺", true},
    {&ssqx::Command6, "F5 选择", false}, {&ssqx::Command7, "F6 左移", true},
    {&ssqx::Command8, "F7 右移", true},  {&ssqx::Command29, "历史曲线", true},
};

// The navigation bar, left to right; "参数校准" keeps its place, hidden.
struct NavigationButton {
    forms::CommandButton* ssqx::* button;
    const char* caption;
    void (ssqx::*click)();
    bool exit;
};
constexpr NavigationButton kNavigationButtons[] = {
    {&ssqx::Command14, "曲线设置", &ssqx::Command14_Click, false},
    {&ssqx::Command15, "报警设定", &ssqx::Command15_Click, false},
    {&ssqx::Command16, "PID", &ssqx::Command16_Click, false},
    {&ssqx::Command21, "CONFIG", &ssqx::Command21_Click, false},
    {&ssqx::Command22, "分组PID", &ssqx::Command22_Click, false},
    {&ssqx::Command24, "分组输出", &ssqx::Command24_Click, false},
    {&ssqx::Command23, "参数校准", &ssqx::Command23_Click, false},
    {&ssqx::Command1, "退出", &ssqx::Command1_Click, true},
};

constexpr const char* kOpScale[] = {"-10", "10", "30", "50", "70", "90", "110"};

QString Utf8(const char* text) { return QString::fromUtf8(text); }
QString CaptionOf(Region region) { return Utf8(RegionOf(region).caption); }

} // namespace

const QString ssqx::kConnection = QStringLiteral("overview");

OverviewChartHooks& ssqx::ChartHooks()
{
    static OverviewChartHooks hooks;
    return hooks;
}

ssqx::ssqx()
{
    setWindowTitle(QStringLiteral("过程控制器DAQ ZC4160  OverView"));
    setObjectName(QStringLiteral("ssqx"));
    setFixedSize(basic::TwipsToPixels(kClientWidth), basic::TwipsToPixels(kClientHeight));
    BuildLayout();

    Timer1.setInterval(200);
    Timer2.setInterval(1000);
    Timer3.setInterval(1000);
    Timer4.setInterval(1000);
    connect(&Timer1, &QTimer::timeout, this, &ssqx::Timer1_Timer);
    connect(&Timer2, &QTimer::timeout, this, &ssqx::Timer2_Timer);
    connect(&Timer3, &QTimer::timeout, this, &ssqx::Timer3_Timer);

    keyPreview_ = new forms::KeyPreview(this, [this](QKeyEvent* event) {
        const auto& keyDown = ChartHooks().keyDown;
        return keyDown ? keyDown(*this, event) : false;
    });

    // The window opens centred on the screen.
    forms::CentreOnScreen(this);

    Form_Load();
}

ssqx::~ssqx() = default;

QLabel* ssqx::ValueLabel(QWidget* parent, int left, int top, const QString& text)
{
    auto* label = new forms::BoxLabel(text, parent);
    PlaceTwips(label, left, top, kValueWidth, kValueHeight);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    label->setFont(forms::SongFont(10.5, true));
    forms::SetBackColour(label, Qt::white);
    return label;
}

// A caption sits on the value label below it: its text's foot on the
// label's top edge.
QLabel* ssqx::Caption(QWidget* parent, int left, int valueTop, int width, const QString& text)
{
    auto* label = new QLabel(text, parent);
    PlaceTwips(label, left, valueTop - kCaptionHeight, width, kCaptionHeight);
    label->setAlignment(Qt::AlignLeft | Qt::AlignBottom);
    return label;
}

void ssqx::BuildLayout()
{
    const QColor red = Rgb(255, 0, 0), green = Rgb(0, 128, 0), blue = Rgb(0, 0, 255);

    // Serial link band. A link frame holds its caption and the list right of it.
    auto linkFrame = [this](Region region, const QString& caption, const TwipsRect& listPlace,
                            const QString& listName, forms::DropDownList*& list) {
        auto* frame = new forms::Frame(CaptionOf(region), this);
        PlaceTwips(frame, PlaceOf(region));
        auto* label = new QLabel(caption, frame);
        PlaceTwips(label, linkBand::kCaption);
        list = new forms::DropDownList(frame);
        list->setObjectName(listName);
        PlaceTwips(list, listPlace);
        return frame;
    };
    Frame6 = linkFrame(Region::Port, QStringLiteral("通讯端口"), linkBand::kPortList,
                       QStringLiteral("Combo1"), Combo1);
    Frame6->SetCaptionColour(red);
    Frame5[0] = linkFrame(Region::Station, QStringLiteral("从站地址"), linkBand::kStationList,
                          QStringLiteral("Combo2"), Combo2);
    Frame2[1] = linkFrame(Region::Baud, QStringLiteral("通讯速度"), linkBand::kBaudList,
                          QStringLiteral("Combo17"), Combo17);
    Frame2[1]->SetCaptionColour(green);

    Frame5[1] = new forms::Frame(CaptionOf(Region::Parity), this);
    PlaceTwips(Frame5[1], PlaceOf(Region::Parity));
    const char* parities[] = {"无校验", "奇校验", "偶校验"};
    for (int i = 0; i < 3; ++i) {
        TwipsRect place = parity::kFirstOption;
        place.left += i * parity::kOptionPitch;
        Option2[static_cast<size_t>(i)] = new QRadioButton(Utf8(parities[i]), Frame5[1]);
        PlaceTwips(Option2[static_cast<size_t>(i)], place);
    }

    auto regionButton = [this](Region region) {
        auto* button = new forms::CommandButton(CaptionOf(region), this);
        PlaceTwips(button, PlaceOf(region));
        return button;
    };
    Command9 = regionButton(Region::Open);
    Command10 = regionButton(Region::Close);
    Command39 = regionButton(Region::ClockPage);
    connect(Command9, &QPushButton::clicked, this, &ssqx::Command9_Click);
    connect(Command10, &QPushButton::clicked, this, &ssqx::Command10_Click);
    connect(Command39, &QPushButton::clicked, this, &ssqx::Command39_Click);

    struct ClockLabel {
        int index;
        Region region;
    };
    for (const ClockLabel& c : {ClockLabel{9, Region::DateLabel}, ClockLabel{10, Region::TimeLabel}}) {
        auto* label = new forms::BoxLabel(QString(), this);
        PlaceTwips(label, PlaceOf(c.region));
        label->setAlignment(Qt::AlignCenter);
        label->setFont(forms::ArialFont(10.5, true));
        forms::SetTextColour(label, red);
        forms::SetBackColour(label, Rgb(192, 192, 255));
        Label2[c.index] = label;
    }

    // Status frames. "Relay Action" comes before SSTab1, which covers it.
    auto regionFrame = [this](Region region) {
        auto* frame = new forms::Frame(CaptionOf(region), this);
        PlaceTwips(frame, PlaceOf(region));
        return frame;
    };
    Frame1 = regionFrame(Region::Valve);
    Frame4 = regionFrame(Region::Process);
    Frame4->SetCaptionColour(blue);
    Frame4->SetCaptionFont(forms::SongFont(9, true));
    Frame8 = regionFrame(Region::Sensors);
    Frame9 = regionFrame(Region::Alarms);
    Frame7 = regionFrame(Region::Program);
    Frame10 = regionFrame(Region::Relays);
    forms::SetBackColour(Frame10, Rgb(0, 255, 255));

    SSTab1 = new QTabWidget(this);
    SSTab1->setObjectName(QStringLiteral("SSTab1"));
    SSTab1->setAutoFillBackground(true);
    PlaceTwips(SSTab1, PlaceOf(Region::StatusTabs));
    std::map<Box, QWidget*> boxes{{Box::Frame1, Frame1},   {Box::Frame4, Frame4},
                                  {Box::Frame7, Frame7},   {Box::Frame8, Frame8},
                                  {Box::Frame9, Frame9},   {Box::Frame10, Frame10}};
    // Each tab page holds one frame without caption that fills it.
    const auto addPage = forms::AddTabPage;
    boxes[Box::DIPage] = addPage(SSTab1, QStringLiteral("DI Status"));
    boxes[Box::DOPage] = addPage(SSTab1, QStringLiteral("DO Status"));
    boxes[Box::ParmPage] = addPage(SSTab1, QStringLiteral("Current Parm"));

    for (const PanelField& field : kPanelFields) {
        const BoxGrid grid = GridOf(field.box);
        QWidget* parent = boxes[field.box];
        const int left = grid.firstLeft + field.column * grid.columnPitch;
        const int top = grid.firstValueTop + field.row * grid.rowPitch;
        QLabel* caption =
            Caption(parent, left, top, grid.columnPitch, Utf8(field.caption));
        forms::SetTextColour(caption, QColor::fromRgb(field.captionColour));
        D_4WH[static_cast<size_t>(field.element)] =
            ValueLabel(parent, left, top, DesignText(panel::LabelArray::D_4WH, field.element));
    }
    {
        const BoxGrid grid = GridOf(Box::Frame4);
        Command41 = new forms::CommandButton(QStringLiteral("选择"), Frame4);
        PlaceTwips(Command41, grid.firstLeft + kSelectColumn * grid.columnPitch,
                   grid.firstValueTop + grid.rowPitch - kSelectRaise, kValueWidth, kSelectHeight);
        connect(Command41, &QPushButton::clicked, this, &ssqx::Command41_Click);

        const BoxGrid doGrid = GridOf(Box::DOPage);
        Label13 = new QLabel(QStringLiteral("端口返回值"), boxes[Box::DOPage]);
        PlaceTwips(Label13, doGrid.firstLeft, doGrid.firstValueTop + kPortResultRow * doGrid.rowPitch,
                   kPortResultWidth, kValueHeight);
        Label13->setVisible(false);
    }

    // Command rows.
    SSTab2 = new QTabWidget(this);
    SSTab2->setObjectName(QStringLiteral("SSTab2"));
    PlaceTwips(SSTab2, PlaceOf(Region::CommandTabs));
    std::map<Tab2, QWidget*> pages{{Tab2::FixedSv, addPage(SSTab2, QStringLiteral("固定SV"))},
                                   {Tab2::Program, addPage(SSTab2, QStringLiteral("程序模式"))},
                                   {Tab2::CommDo, addPage(SSTab2, QStringLiteral("通讯DO"))}};
    std::map<Tab2, int> rowsOnPage;
    for (const CommandRow& row : kCommandRows) {
        QWidget* page = pages[row.tab];
        using namespace commandRow;
        const int top = kFirstValueTop + kPitch * rowsOnPage[row.tab]++;
        Caption(page, kValueLeft, top, kInputLeft - kValueLeft + kInputWidth, Utf8(row.caption));
        const int element = row.reg - 1;
        D_4WW[static_cast<size_t>(element)] =
            ValueLabel(page, kValueLeft, top, DesignText(panel::LabelArray::D_4WW, element));
        if (row.list) {
            auto* list = new forms::DropDownList(page);
            PlaceTwips(list, kInputLeft, top - kListRaise, kInputWidth, kListHeight);
            this->*row.list = list;
        } else {
            auto* box = new QLineEdit(QStringLiteral("0"), page);
            PlaceTwips(box, kInputLeft, top - kBoxRaise, kInputWidth, kBoxHeight);
            box->setFont(forms::SongFont(9, true));
            forms::SetBackColour(box, Qt::white);
            Text1[static_cast<size_t>(row.textBox)] = box;
        }
        auto* button = new forms::CommandButton(QStringLiteral("确定"), page);
        PlaceTwips(button, kButtonLeft, top - kButtonRaise, kButtonWidth, kButtonHeight);
        connect(button, &QPushButton::clicked, this, row.click);
        this->*row.button = button;
    }

    // The chart's Y axis: each value label just above its grid line, the OP
    // percent just below it.
    Frame2[0] = regionFrame(Region::ChartAxis);
    const int axisLabelWidth = kAxisFrame.width - axis::kLabelRightInset;
    for (int i = 0; i < 7; ++i) {
        const int line = kAxisCanvasBottom - i * kChartCanvas.height / 6;
        auto* value = new QLabel(Frame2[0]);
        PlaceTwips(value, axis::kLabelLeft, std::max(axis::kValueMinTop, line - axis::kValueAboveLine),
                   axisLabelWidth, axis::kValueHeight);
        value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        value->setFont(forms::SongFont(10.5, true));
        forms::SetTextColour(value, red);
        Label5[static_cast<size_t>(i)] = value;
        auto* percent = new QLabel(Utf8(kOpScale[i]), Frame2[0]);
        PlaceTwips(percent, axis::kLabelLeft, line - axis::kPercentAboveLine, axisLabelWidth,
                   axis::kPercentHeight);
        percent->setAlignment(Qt::AlignRight | Qt::AlignTop);
        percent->setFont(forms::SongFont(9, true));
        forms::SetTextColour(percent, blue);
        Label6[static_cast<size_t>(i)] = percent;
    }
    const char* legend[] = {"PV", "OP", "SV"};
    const QColor legendColours[] = {red, blue, green};
    for (int i = 0; i < 3; ++i) {
        auto* label = new QLabel(Utf8(legend[i]), Frame2[0]);
        PlaceTwips(label, axis::kLegendLeft[i], axis::kLegendTop, axis::kLegendWidth,
                   axis::kLegendHeight);
        label->setFont(forms::SongFont(9, true));
        forms::SetTextColour(label, legendColours[i]);
        Label8[static_cast<size_t>(i)] = label;
    }
    Label11 = new QLabel(QStringLiteral("VALUE"), Frame2[0]);
    PlaceTwips(Label11, axis::kValueCaption);
    Label11->setAlignment(Qt::AlignCenter);
    Label11->setFont(forms::SongFont(12, true));
    forms::SetTextColour(Label11, red);

    hc = new QSlider(Qt::Horizontal, this);
    hc->setObjectName(QStringLiteral("hc"));
    PlaceTwips(hc, PlaceOf(Region::Ruler));
    hc->setRange(-1, 12001);

    pt0 = new QWidget(this);
    pt0->setObjectName(QStringLiteral("pt0"));
    forms::SetBackColour(pt0, Rgb(192, 192, 255));
    pt = new QWidget(pt0);
    pt->setObjectName(QStringLiteral("pt"));
    forms::SetBackColour(pt, Qt::white);
    PlaceTwips(pt0, kChartFrame);
    PlaceTwips(pt, kChartCanvas);

    for (int i = 0; i < timeScale::kCount; ++i) {
        using namespace timeScale;
        const int left = kChartFrame.left + i * kPitch - kWidth / 2;
        auto* time = new QLabel(this);
        PlaceTwips(time, left, kTimeTop, kWidth, kHeight);
        auto* date = new QLabel(this);
        PlaceTwips(date, left, kDateTop, kWidth, kHeight);
        for (QLabel* label : {time, date}) {
            label->setAlignment(Qt::AlignCenter);
            label->setFont(forms::SongFont(10.5, true));
            forms::SetTextColour(label, Rgb(64, 64, 64));
        }
        Label4[static_cast<size_t>(i)] = time;
        Label7[static_cast<size_t>(i)] = date;
    }

    Frame3 = regionFrame(Region::ChartFunctions);
    for (size_t i = 0; i < std::size(kFunctionButtons); ++i) {
        const FunctionButton& def = kFunctionButtons[i];
        TwipsRect place = functions::kFirstButton;
        place.top += static_cast<int>(i) * functions::kPitch;
        auto* button = new forms::CommandButton(Utf8(def.caption), Frame3);
        PlaceTwips(button, place);
        button->setEnabled(def.enabled);
        this->*def.button = button;
    }
    connect(Command29, &QPushButton::clicked, this, &ssqx::Command29_Click);

    // The bottom band.
    Label9 = new QLabel(QStringLiteral("Y轴最大值"), this);
    PlaceTwips(Label9, yRange::kMaxCaption);
    YKD = new QLineEdit(this);
    PlaceTwips(YKD, yRange::kMaxBox);
    Label10 = new QLabel(QStringLiteral("Y轴最小值"), this);
    PlaceTwips(Label10, yRange::kMinCaption);
    YKD1 = new QLineEdit(QStringLiteral("0"), this);
    PlaceTwips(YKD1, yRange::kMinBox);
    for (QLineEdit* box : {YKD, YKD1}) {
        box->setFont(forms::SongFont(9, true));
        forms::SetBackColour(box, Qt::white);
    }
    Command26 = new forms::CommandButton(QStringLiteral("修改Y"), this);
    PlaceTwips(Command26, yRange::kButton);
    Label19 = new QLabel(this);
    PlaceTwips(Label19, yRange::kHiddenLabel);
    Label19->setVisible(false);

    Frame11 = regionFrame(Region::NavigationBar);
    for (size_t i = 0; i < std::size(kNavigationButtons); ++i) {
        const NavigationButton& def = kNavigationButtons[i];
        auto* button = new forms::CommandButton(Utf8(def.caption), Frame11);
        PlaceTwips(button, navigation::kFirstLeft + static_cast<int>(i) * navigation::kPitch,
                   navigation::kTop, navigation::kButtonWidth, navigation::kButtonHeight);
        button->setFont(forms::SongFont(10.5));
        forms::SetBackColour(button, def.exit ? Rgb(255, 128, 255) : Rgb(255, 128, 0));
        connect(button, &QPushButton::clicked, this, def.click);
        this->*def.button = button;
    }
    Command23->setVisible(false);

    Command40 = regionButton(Region::NetworkPage);
    Command40->setFont(forms::SongFont(10.5));
    forms::SetBackColour(Command40, Rgb(255, 128, 0));
    connect(Command40, &QPushButton::clicked, this, &ssqx::Command40_Click);

    struct StateCaption {
        int index;
        Region region;
        int element;
    };
    for (const StateCaption& c : {StateCaption{88, Region::ControllerState, 8},
                                  StateCaption{89, Region::SetpointSource, 9}}) {
        const TwipsRect place = PlaceOf(c.region);
        const int valueTop = place.top + kStateValueOffset;
        QLabel* caption = Caption(this, place.left, valueTop,
                                  place.width + kStateCaptionExtraWidth, CaptionOf(c.region));
        forms::SetTextColour(caption, red);
        Label1[c.index] = caption;
        D_4WH[static_cast<size_t>(c.element)] =
            ValueLabel(this, place.left, valueTop, DesignText(panel::LabelArray::D_4WH, c.element));
    }

    StatusBar1 = new pages::LiveValueBar(pages::TimeForm::Seconds, this);
    PlaceTwips(StatusBar1, PlaceOf(Region::StatusBar));
    StatusBar1->setFont(forms::SongFont(14.25, true));

    // SSTab1 lies in front of "Relay Action".
    SSTab1->raise();
}

void ssqx::Form_Load()
{
    for (const ListFill& fill : kLinkLists)
        FillList(*this, fill);
    Option2[2]->setChecked(true);
    FillList(*this, kStationList);
    for (const ListFill& fill : kCommandLists)
        FillList(*this, fill);

    // The chart set-up.
    CurveOpen = true;
    hc->setEnabled(false);
    Command3->setEnabled(false);
    Command7->setEnabled(false);
    db::OpenConnection(kConnection);
    if (ChartHooks().setUpAtLoad)
        ChartHooks().setUpAtLoad(*this);
    CurveSel[0] = true;
    CurveSel[1] = true;
    CurveSel[2] = true;
    CloseGuard = true;
    PlaceTwips(pt0, kChartFrame);
    PlaceTwips(pt, kChartCanvas);
    hc->setValue(0);

    SSTab1->setCurrentIndex(1);  // "DO Status"
    SSTab2->setCurrentIndex(2);  // "通讯DO"

    Timer1.start();
    Timer2.start();
    Timer3.start();
}

void ssqx::Form_Unload()
{
    CloseDatabase();
    CurveOpen = false;
    Timer1.stop();
    Timer2.stop();
    Timer3.stop();
}

void ssqx::CloseDatabase()
{
    if (ChartHooks().unload)
        ChartHooks().unload(*this);
    db::CloseConnection(kConnection);
}

// ---- Command rows ---------------------------------------------------------

namespace {

// The CommPar element that carries a typed value just before it is sent.
constexpr size_t kTypedValue = 24;

// Ten times the typed number, when the number lies within the row's range
// (both ends accepted; a number beyond double range is outside). The four
// quantities are signed and the poll reads them back sign-extended, so a
// ten-fold outside -32768 to 32767 is not sent either: any value put in its
// place would come back as another number.
void ScaledWrite(const QString& text, Range accepted, int reg)
{
    const double x = basic::LeadingNumber(text);
    if (!(x >= accepted.min && x <= accepted.max))
        return;
    const std::optional<int16_t> tenfold = basic::RoundToInteger(x * 10);
    if (!tenfold)
        return;
    CommPar[kTypedValue] = *tenfold;
    WriteRegister(reg, CommPar[kTypedValue], WriteRule::NoAnswer);
}

// One press of a row's "确定": nothing is shown and nothing read back; the
// poll brings what the controller then holds into the row's label.
void SendCommand(ssqx& window, void (ssqx::*click)())
{
    for (const CommandRow& row : kCommandRows) {
        if (row.click != click)
            continue;
        if (row.list) {
            if (const forms::DropDownList* list = window.*row.list)
                WriteListValue(list->currentText(), row.reg);
        } else if (const QLineEdit* box = window.Text1[static_cast<size_t>(row.textBox)]) {
            ScaledWrite(box->text(), row.accepted, row.reg);
        }
        return;
    }
}

} // namespace

void ssqx::Command11_Click() { SendCommand(*this, &ssqx::Command11_Click); }
void ssqx::Command12_Click() { SendCommand(*this, &ssqx::Command12_Click); }
void ssqx::Command13_Click() { SendCommand(*this, &ssqx::Command13_Click); }
void ssqx::Command17_Click() { SendCommand(*this, &ssqx::Command17_Click); }
void ssqx::Command18_Click() { SendCommand(*this, &ssqx::Command18_Click); }
void ssqx::Command19_Click() { SendCommand(*this, &ssqx::Command19_Click); }
void ssqx::Command20_Click() { SendCommand(*this, &ssqx::Command20_Click); }
void ssqx::Command25_Click() { SendCommand(*this, &ssqx::Command25_Click); }
void ssqx::Command27_Click() { SendCommand(*this, &ssqx::Command27_Click); }
void ssqx::Command28_Click() { SendCommand(*this, &ssqx::Command28_Click); }
void ssqx::Command30_Click() { SendCommand(*this, &ssqx::Command30_Click); }
void ssqx::Command31_Click() { SendCommand(*this, &ssqx::Command31_Click); }
void ssqx::Command32_Click() { SendCommand(*this, &ssqx::Command32_Click); }
void ssqx::Command33_Click() { SendCommand(*this, &ssqx::Command33_Click); }
void ssqx::Command34_Click() { SendCommand(*this, &ssqx::Command34_Click); }
void ssqx::Command35_Click() { SendCommand(*this, &ssqx::Command35_Click); }
void ssqx::Command36_Click() { SendCommand(*this, &ssqx::Command36_Click); }
void ssqx::Command37_Click() { SendCommand(*this, &ssqx::Command37_Click); }
void ssqx::Command38_Click() { SendCommand(*this, &ssqx::Command38_Click); }

// ---- Pages and exit -------------------------------------------------------

void ssqx::Command14_Click() { OpenPage(Page::Tech); }
void ssqx::Command15_Click() { OpenPage(Page::ALM1); }
void ssqx::Command16_Click() { OpenPage(Page::PIDC); }
void ssqx::Command21_Click() { OpenPage(Page::CONFIG1); }
void ssqx::Command22_Click() { OpenPage(Page::FenzuPID); }
void ssqx::Command24_Click() { OpenPage(Page::Fenzuout1); }
void ssqx::Command39_Click() { OpenPage(Page::TimeSet); }
void ssqx::Command40_Click() { OpenPage(Page::EtheernetSET); }

std::function<void()>& ssqx::EndProcess()
{
    // No quit of the event loop: that would run the other windows' unloads
    // and the library's clean-up, and the design ends here instead. Only
    // the database is closed first, so that nothing of it stays in a
    // journal beside the file, and buffered output is flushed.
    static std::function<void()> end = [] {
        db::CloseAllConnections();
        std::fflush(nullptr);
        std::_Exit(0);
    };
    return end;
}

void ssqx::Command1_Click()
{
    CloseDatabase();
    CloseGuard = false;
    Unload();
    // The unload has released the default instance; only the static end
    // remains.
    if (const std::function<void()> end = EndProcess())
        end();
}

void ssqx::Command9_Click()
{
    LinkSelection selection;
    selection.portText = Combo1->currentText();
    selection.baudText = Combo17->currentText();
    for (size_t i = 0; i < 3; ++i)
        selection.parity[i] = Option2[i]->isChecked();
    selection.stationText = Combo2->currentText();
    OpenLink(selection);
    Label13->setText(OpenResultText());
    SwitchLivePoll(true);
}

void ssqx::Command10_Click() { CloseLink(); }

void ssqx::Command29_Click()
{
    // The history window's load opens its own connection and sets CurveOpen
    // again; it is shown only after the overview has gone.
    CloseDatabase();
    CloseGuard = false;
    Unload();
    forms::Instance<lsqx>().show();
}

void ssqx::Command41_Click() { forms::ShowModal<frmLogin>(this); }

void ssqx::Timer1_Timer()
{
    StatusBar1->ShowLiveValues();
    if (ChartHooks().liveTickSteps)
        ChartHooks().liveTickSteps(*this);
    RefreshStatusPanel();
    if (ChartHooks().stepXText)
        Label19->setText(ChartHooks().stepXText(*this));
}

void ssqx::Timer2_Timer()
{
    if (ChartHooks().redrawTick)
        ChartHooks().redrawTick(*this);
}

void ssqx::Timer3_Timer()
{
    if (ChartHooks().clockTick)
        ChartHooks().clockTick(*this);
}

void ssqx::RefreshStatusPanel()
{
    for (const panel::LabelWrite& write : panel::StatusPanelWrites(StatusValues, CommandValues)) {
        const bool isH = write.array == panel::LabelArray::D_4WH;
        const auto index = static_cast<size_t>(write.element);
        QLabel* label = isH ? (index < D_4WH.size() ? D_4WH[index] : nullptr)
                            : (index < D_4WW.size() ? D_4WW[index] : nullptr);
        if (!label)
            continue;
        if (label->text() != write.text)
            label->setText(write.text);
        if (write.colour)
            forms::SetBackColour(label, forms::Colour(*write.colour));
    }
}

// The fixed tick marks around the canvas: 17 along its lower edge and 13 on
// each side, every second one dark red and 2 pixels wide.
void ssqx::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    auto pen = [](int i) {
        return i % 2 == 0 ? QPen(Rgb(192, 0, 0), 2) : QPen(Rgb(0, 0, 255), 1);
    };
    using basic::TwipsToPixels;
    const int left = kChartFrame.left, right = kChartFrame.left + kChartFrame.width;
    const int top = kChartFrame.top + kChartCanvas.top;
    const int bottom = kChartFrame.top + kChartFrame.height;
    for (int i = 0; i < 17; ++i) {
        p.setPen(pen(i));
        const int x = TwipsToPixels(left + i * kChartFrame.width / 16.0);
        p.drawLine(x, TwipsToPixels(bottom), x, TwipsToPixels(bottom + 105));
    }
    for (int i = 0; i < 13; ++i) {
        p.setPen(pen(i));
        const int y = TwipsToPixels(top + i * (bottom - top) / 12.0);
        p.drawLine(TwipsToPixels(left - 120), y, TwipsToPixels(left), y);
        p.drawLine(TwipsToPixels(right), y, TwipsToPixels(right + 120), y);
    }
}
