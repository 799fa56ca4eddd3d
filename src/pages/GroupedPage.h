#pragma once
// The window of the grouped pages (grouped PID sets, grouped outputs): a
// grid page with the hint under the grid and the edit-position status bar
// along the bottom edge, rewritten by Timer2 every 100 ms from the load.

#include "pages/EditCellBar.h"
#include "pages/GridPage.h"

#include <QLabel>
#include <QTimer>

namespace pages {

class GroupedPage : public GridPage {
    Q_OBJECT
public:
    QLabel* Label2 = nullptr;          // "更改数据用鼠标选中单元格，输入数据后按回车确认"
    EditCellBar* StatusBar1 = nullptr; // "当前行", EditRow, "当前列", EditCol
    QTimer Timer2;                     // 100 ms

    // ShowEditCell: the bar's numbers from the page's state.
    void Timer2_Timer();

protected:
    GroupedPage(const GridPageDesign& design, PageState& state, forms::TwipsRect label2Place);
    void Form_Unload() override;
};

} // namespace pages
