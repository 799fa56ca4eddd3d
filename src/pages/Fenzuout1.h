#pragma once
// The grouped output page: ten setpoint groups of four parameters each,
// registers 2502 to 2541, in one page grid read every two seconds, and
// above the grid the grouping switch, register 2501: its state, a list of
// its two values and "修改", which writes the list's value. Each time the
// focus leaves the list for another control of the window, the list's
// value also goes to register 4609.

#include "pages/GroupedPage.h"

#include <QLabel>
#include <array>

// MSFlexGrid1 with its editor Text1, "返回" (Command1), Timer1 (2000 ms),
// Label2, StatusBar1 and Timer2 (100 ms) are the grouped page's.
class Fenzuout1 : public pages::GroupedPage {
    Q_OBJECT
public:
    Fenzuout1();

    // The page as data, and what it keeps across "返回" and a reopen
    // (EditRow, EditCol, EditValue, PageBuffer; element 0 is the switch).
    static const pages::PageDescription& Page();
    static pages::PageState& State();

    std::array<QLabel*, 2> Label1{};       // "当前功能", "地址：2501"
    std::array<QLabel*, 1> D_4WRWC{};      // the switch: "禁止" or "允许"
    forms::DropDownList* Combo30 = nullptr;
    forms::CommandButton* Command2 = nullptr;   // "修改"

    // The block read, then the switch's state from element 0; a failed
    // read leaves the state as it was (empty before the visit's first
    // good read).
    bool Timer1_Timer() override;
    void Command2_Click();
    void Combo30_LostFocus();

private:
    void OnFocusChanged(QWidget* old, QWidget* now);
};
