#pragma once
// The configuration page: the controller's configuration registers on
// eleven tabs, one page grid each. Only the visible tab is read, and only
// when a read is due: at the load, at the first tick that finds another tab
// visible, and around every Enter in an editor. An idle page costs the line
// nothing.

#include "pages/LiveValueBar.h"
#include "pages/ParameterGrid.h"
#include "platform/forms/Forms.h"

#include <QLabel>
#include <QTabWidget>
#include <QTimer>
#include <array>
#include <cstdint>

class CONFIG1 : public forms::Form {
    Q_OBJECT
public:
    CONFIG1();

    // EditRow, EditCol and the one PageBuffer that all eleven tabs read
    // into; they outlive the window.
    static pages::PageState& State();

    QLabel* Label1 = nullptr;                            // "系统配置参数"
    QTabWidget* SSTab1 = nullptr;                        // the eleven tabs
    std::array<pages::ParameterGrid*, 11> MSFlexGrid{};  // MSFlexGrid1 to 11, tab 0 to 10
    std::array<pages::CellEditor*, 11> Text{};           // Text1 to Text11, their editors
    forms::DropDownList* Combo1 = nullptr;               // units, tab 0
    forms::DropDownList* Combo2 = nullptr;               // input types, tab 1
    forms::DropDownList* Combo7 = nullptr;               // digital-input functions, tab 6
    forms::PaintedPicture* Image1 = nullptr;             // the valve, tab 9
    forms::PaintedPicture* Image2 = nullptr;             // the rear terminals
    forms::PaintedPicture* Image3 = nullptr;             // the valve's wiring, tab 9
    QLabel* Label2 = nullptr;                            // the help line
    forms::CommandButton* Command3 = nullptr;            // "校准导入"
    forms::CommandButton* Command4 = nullptr;            // "校准导出"
    forms::CommandButton* Command2 = nullptr;            // "数据导入"
    forms::CommandButton* Command1 = nullptr;            // "数据导出"
    forms::CommandButton* Command11 = nullptr;           // " Esc 返回"
    pages::LiveValueBar* StatusBar1 = nullptr;
    QTimer Timer1;                                       // 1000 ms, from the load

    // The tab visible at the last tick, and whether the next tick reads.
    int16_t LastTab = 0;
    bool RefreshPending = false;

    // MSFlexGrid1_Click to MSFlexGrid11_Click and Text1_KeyPress to
    // Text11_KeyPress, by tab index 0 to 10.
    void MSFlexGrid_Click(int tab);
    void Text_KeyPress(int tab, int keyAscii);
    void Combo1_DblClick();
    void Timer1_Timer();
    void Command1_Click();    // "数据导出": the configuration export
    void Command2_Click();    // "数据导入": the configuration import
    void Command3_Click();    // "校准导入": the calibration import
    void Command4_Click();    // "校准导出": the calibration export
    void Command11_Click();   // " Esc 返回"

protected:
    void Form_Unload() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Form_Load();
};
