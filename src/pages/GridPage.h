#pragma once
// A page window with one parameter grid: the grid with its editor, the
// return button and the read timer, wired to the window's handlers. The
// alarm, PID and grouped pages are such windows; each adds its own
// controls around the grid.
//
// The load (the constructor) builds the grid from the page's tables with
// empty value cells, sets the close guard, gives "返回" the focus and
// starts Timer1: the first read is its first tick, one interval later, and
// nothing touches the line before it.

#include "pages/ParameterGrid.h"
#include "platform/forms/Forms.h"

#include <QTimer>
#include <array>

namespace pages {

// The header row of these pages' grids.
inline constexpr std::array<const char*, kColumns> kPageHeaders{"功能 ", "参数值", "地址", "参数范围",
                                                                "参数说明"};

// The grid of the alarm and PID pages: both show their fourteen rows with
// the same headers, column widths (twips) and font.
inline constexpr GridLayout kParameterPageGrid{
    .headers = kPageHeaders,
    .widthsTwips = {3000, 1500, 1100, 1600, 10500},
    .fontPoints = 12,
};

// The window's design: caption, client size and title-bar buttons, the page
// and its grid, and the places of the grid and of "返回" (twips).
struct GridPageDesign {
    const char* objectName;
    const char* caption;
    int clientWidth;
    int clientHeight;
    bool minimiseButton;    // else the title bar offers the close box alone
    bool centred = true;    // centred on the screen when loaded
    const PageDescription& page;
    const GridLayout& grid;
    forms::TwipsRect gridPlace;
    forms::TwipsRect returnPlace;
};

class GridPage : public forms::Form {
    Q_OBJECT
public:
    ParameterGrid* MSFlexGrid1 = nullptr;
    CellEditor* Text1 = nullptr;                   // the grid's editor
    forms::CommandButton* Command1 = nullptr;      // "返回"
    QTimer Timer1;                                 // the page's read timer

    void MSFlexGrid1_Click();
    void Text1_KeyPress(int keyAscii);
    // Reads the page's block; a failed read shows this visit's last good
    // read again. Returns whether the read succeeded.
    virtual bool Timer1_Timer();
    void Command1_Click();

protected:
    GridPage(const GridPageDesign& design, PageState& state);
    // Stops the timers before the window goes; a page with more timers
    // stops them too and calls this.
    void Form_Unload() override;
};

} // namespace pages
