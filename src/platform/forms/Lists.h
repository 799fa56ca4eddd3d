#pragma once
// The editable drop-down list and its design content.

#include <QComboBox>
#include <span>

namespace forms {

// A drop-down list with an editable text field: the operator picks an item
// or types; typed text is never added as an item and never completed from
// the items, so the field shows exactly what was typed.
class DropDownList : public QComboBox {
    Q_OBJECT
public:
    explicit DropDownList(QWidget* parent = nullptr);
    // Sets the field's text without touching the items.
    void SetText(const QString& text);
};

// A list's design content: its items, or the numbers 1 to numbers each
// followed by a blank ("1 ", "2 ", ...), and the item it shows at load.
struct ListItems {
    std::span<const char* const> items;
    int numbers = 0;
    int shown = 0;
};
// Replaces the list's items and shows the item of the design.
void FillList(DropDownList& list, const ListItems& content);

} // namespace forms
