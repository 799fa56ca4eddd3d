#pragma once
// The grouped PID page: ten PID sets of six parameters each, registers
// 2201 to 2260, in one page grid read every second, with the last clicked
// cell in the status bar.

#include "pages/GroupedPage.h"

#include <QLabel>

// MSFlexGrid1 with its editor Text1, "返回" (Command1), Timer1 (1000 ms),
// Label2, StatusBar1 and Timer2 (100 ms) are the grouped page's.
class FenzuPID : public pages::GroupedPage {
    Q_OBJECT
public:
    FenzuPID();

    // The page as data, and what it keeps across "返回" and a reopen
    // (EditRow, EditCol, EditValue, PageBuffer).
    static const pages::PageDescription& Page();
    static pages::PageState& State();

    QLabel* Label1 = nullptr;   // "十个分组PID 参数组设定"
};
