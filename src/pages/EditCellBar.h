#pragma once
// The status bar of the grouped pages: where the operator last clicked a
// value cell. Four panels of equal width: "当前行", the row, "当前列", the
// column. The window's 100 ms timer rewrites the numbers, so they show 0
// and 0 until the first value click of the run and, after a reopen, the
// cell of the previous visit.

#include "pages/ParameterPage.h"
#include "platform/forms/Forms.h"

namespace pages {

class EditCellBar : public forms::StatusBar {
    Q_OBJECT
public:
    explicit EditCellBar(QWidget* parent);

    // Panels 2 and 4 from the page's EditRow and EditCol.
    void ShowEditCell(const PageState& state);
};

} // namespace pages
