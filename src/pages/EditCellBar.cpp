#include "pages/EditCellBar.h"

#include "platform/basic/numbers.h"

namespace pages {

namespace {

using Kind = forms::StatusBar::Kind;

// Equal widths: the bar shares its width out by these.
constexpr forms::StatusBar::PanelDef kPanels[] = {
    {Kind::Text, "当前行", 1000},
    {Kind::Text, "", 1000},
    {Kind::Text, "当前列", 1000},
    {Kind::Text, "", 1000},
};

} // namespace

EditCellBar::EditCellBar(QWidget* parent)
    : forms::StatusBar(kPanels, static_cast<int>(std::size(kPanels)), parent)
{
}

void EditCellBar::ShowEditCell(const PageState& state)
{
    SetPanelText(2, basic::PlainText(int64_t(state.EditRow)));
    SetPanelText(4, basic::PlainText(int64_t(state.EditCol)));
}

} // namespace pages
