#pragma once
// The overview window: link settings, status panel, command rows,
// navigation, the real-time chart's controls and the status bar.

#include "pages/LiveValueBar.h"
#include "platform/forms/Forms.h"

#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSlider>
#include <QTabWidget>
#include <QTimer>
#include <array>
#include <functional>
#include <map>

class ssqx;

// What the real-time chart adds to the overview. The chart engine sets these
// once; each runs at its place in the window's handlers, and an empty one is
// skipped.
struct OverviewChartHooks {
    // The chart set-up of the load, after the window's connection is open.
    std::function<void(ssqx&)> setUpAtLoad;
    // The chart's steps of the 200 ms tick, between the status bar panels and
    // the status panel: clock label colour, Y-axis labels, live append.
    std::function<void(ssqx&)> liveTickSteps;
    // The text the tick shows last in the hidden Label19.
    std::function<QString(ssqx&)> stepXText;
    std::function<void(ssqx&)> redrawTick;   // Timer2, every second
    std::function<void(ssqx&)> clockTick;    // Timer3, every second
    // A key the window sees before its controls; true when used up.
    std::function<bool(ssqx&, QKeyEvent*)> keyDown;
    // The chart's part of closing the window's database, before the
    // connection closes: its record set closed, the chart gone with it. Run
    // by "退出" and again by the unload, so a second call must find nothing
    // left to do.
    std::function<void(ssqx&)> unload;
};

class ssqx : public forms::Form {
    Q_OBJECT
public:
    ssqx();
    ~ssqx() override;

    static OverviewChartHooks& ChartHooks();
    // The name of the window's database connection.
    static const QString kConnection;

    // Timers: Timer1 200 ms (live tick), Timer2 and Timer3 1000 ms (chart
    // redraw, clock labels), Timer4 1000 ms and never switched on.
    QTimer Timer1, Timer2, Timer3, Timer4;

    // Serial link band.
    forms::Frame* Frame6 = nullptr;
    std::array<forms::Frame*, 2> Frame5{};
    std::array<forms::Frame*, 2> Frame2{};   // 0 the chart's Y axis, 1 "波特率"
    forms::DropDownList* Combo1 = nullptr;   // port
    forms::DropDownList* Combo2 = nullptr;   // station address
    forms::DropDownList* Combo17 = nullptr;  // baud rate
    std::array<QRadioButton*, 3> Option2{};  // parity
    forms::CommandButton* Command9 = nullptr;   // "打开"
    forms::CommandButton* Command10 = nullptr;  // "关闭"
    forms::CommandButton* Command39 = nullptr;  // "TIME SET"
    std::map<int, QLabel*> Label2;              // 9 date, 10 time

    // Status frames, tabs and value labels; nullptr where an index names no
    // label.
    forms::Frame *Frame1 = nullptr, *Frame4 = nullptr, *Frame7 = nullptr, *Frame8 = nullptr,
                 *Frame9 = nullptr, *Frame10 = nullptr;
    QTabWidget* SSTab1 = nullptr;
    QTabWidget* SSTab2 = nullptr;
    std::array<QLabel*, 80> D_4WH{};
    std::array<QLabel*, 325> D_4WW{};
    std::map<int, QLabel*> Label1;  // captions 88 "当前状态", 89 "当前SV取值"
    QLabel* Label13 = nullptr;      // the open result, never shown
    forms::CommandButton* Command41 = nullptr;  // "选择"

    // Command rows.
    forms::DropDownList *Combo3 = nullptr, *Combo4 = nullptr, *Combo5 = nullptr,
                        *Combo6 = nullptr, *Combo7 = nullptr, *Combo8 = nullptr,
                        *Combo9 = nullptr, *Combo10 = nullptr, *Combo11 = nullptr,
                        *Combo12 = nullptr, *Combo13 = nullptr, *Combo14 = nullptr,
                        *Combo15 = nullptr, *Combo16 = nullptr, *Combo32 = nullptr;
    std::array<QLineEdit*, 306> Text1{};  // 300, 301, 302 and 305
    forms::CommandButton *Command11 = nullptr, *Command12 = nullptr, *Command13 = nullptr,
                         *Command17 = nullptr, *Command18 = nullptr, *Command19 = nullptr,
                         *Command20 = nullptr, *Command25 = nullptr, *Command27 = nullptr,
                         *Command28 = nullptr, *Command30 = nullptr, *Command31 = nullptr,
                         *Command32 = nullptr, *Command33 = nullptr, *Command34 = nullptr,
                         *Command35 = nullptr, *Command36 = nullptr, *Command37 = nullptr,
                         *Command38 = nullptr;

    // The chart area.
    std::array<QLabel*, 7> Label5{};  // Y axis, bottom to top
    std::array<QLabel*, 7> Label6{};  // OP percent scale
    std::array<QLabel*, 3> Label8{};  // legend: 0 PV, 1 OP, 2 SV
    QLabel* Label11 = nullptr;        // "VALUE"
    QSlider* hc = nullptr;
    QWidget* pt0 = nullptr;
    QWidget* pt = nullptr;
    std::array<QLabel*, 9> Label4{};  // times under the canvas
    std::array<QLabel*, 9> Label7{};  // dates under the times
    forms::Frame* Frame3 = nullptr;   // "功能"
    forms::CommandButton *Command4 = nullptr, *Command3 = nullptr, *Command2 = nullptr,
                         *Command5 = nullptr, *Command6 = nullptr, *Command7 = nullptr,
                         *Command8 = nullptr, *Command29 = nullptr;
    QLabel* Label9 = nullptr;
    QLineEdit* YKD = nullptr;
    QLabel* Label10 = nullptr;
    QLineEdit* YKD1 = nullptr;
    forms::CommandButton* Command26 = nullptr;
    QLabel* Label19 = nullptr;  // hidden

    // Navigation and the network page.
    forms::Frame* Frame11 = nullptr;
    forms::CommandButton *Command14 = nullptr, *Command15 = nullptr, *Command16 = nullptr,
                         *Command21 = nullptr, *Command22 = nullptr, *Command24 = nullptr,
                         *Command23 = nullptr, *Command1 = nullptr, *Command40 = nullptr;

    pages::LiveValueBar* StatusBar1 = nullptr;

    // Handlers.
    void Command9_Click();
    void Command10_Click();
    void Timer1_Timer();
    void Timer2_Timer();
    void Timer3_Timer();
    void RefreshStatusPanel();

    // The command rows: each sends its list's leading number or ten times
    // its typed value to its register of the command block.
    void Command11_Click();
    void Command12_Click();
    void Command13_Click();
    void Command17_Click();
    void Command18_Click();
    void Command19_Click();
    void Command20_Click();
    void Command25_Click();
    void Command27_Click();
    void Command28_Click();
    void Command30_Click();
    void Command31_Click();
    void Command32_Click();
    void Command33_Click();
    void Command34_Click();
    void Command35_Click();
    void Command36_Click();
    void Command37_Click();
    void Command38_Click();
    // The page buttons (see app/Pages.h).
    void Command14_Click();
    void Command15_Click();
    void Command16_Click();
    void Command21_Click();
    void Command22_Click();
    void Command24_Click();
    void Command39_Click();
    void Command40_Click();
    void Command23_Click() {}  // "参数校准": hidden, does nothing
    // "退出", also reached with Esc: closes the window's database, unloads
    // it and ends the station.
    void Command1_Click();

    // How "退出" ends the process once the overview is unloaded: at once,
    // with no other window unloaded and the serial port left as it is.
    // Replaceable so that tests can press "退出" without ending themselves.
    static std::function<void()>& EndProcess();

    // The record set of the chart and the window's connection closed and
    // released; what is closed already is skipped.
    void CloseDatabase();

    void Command29_Click();   // "历史曲线"
    void Command41_Click();   // "选择"

protected:
    void Form_Unload() override;
    void paintEvent(QPaintEvent* event) override;

private:
    void BuildLayout();
    void Form_Load();
    QLabel* ValueLabel(QWidget* parent, int left, int top, const QString& text);
    QLabel* Caption(QWidget* parent, int left, int valueTop, int width, const QString& text);

    forms::KeyPreview* keyPreview_ = nullptr;
};
