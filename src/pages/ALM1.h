#pragma once
// The alarm page: the fourteen alarm parameters, registers 601 to 614, in
// one page grid read every 500 ms, with seven pictures that explain the
// alarm types.

#include "pages/GridPage.h"

#include <QLabel>
#include <array>

// MSFlexGrid1 with its editor Text1, "返回" (Command1) and Timer1 (500 ms,
// from the load) are the grid page's.
class ALM1 : public pages::GridPage {
    Q_OBJECT
public:
    ALM1();

    // The page as data, and what it keeps across "返回" and a reopen
    // (EditRow, EditCol, PageBuffer).
    static const pages::PageDescription& Page();
    static pages::PageState& State();

    QLabel* Label1 = nullptr;                      // "报警参数设定"
    std::array<forms::PaintedPicture*, 7> Image{}; // Image1 to Image7
};
