#pragma once
// A page grid on screen: a table view over the page's model with five
// columns under a header row, the page's own cell editor laid over a value
// cell, and on some grids a hint list laid over a help cell.
//
// A click whose cell is a value cell (column 1) lays the editor exactly
// over it with the cell's text, focused and all selected; the grid moves it
// with its cell on every scroll, resize and move, and takes it along when
// the grid itself is given another parent. Enter in the editor (also keypad
// Enter) is the only commit; Esc does nothing.

#include "pages/ParameterPage.h"
#include "platform/basic/Rgb.h"
#include "platform/forms/Forms.h"

#include <QLineEdit>
#include <QPointer>
#include <QTableView>
#include <array>
#include <optional>
#include <span>

namespace pages {

// How a grid looks: header texts, column widths in twips, the Song face's
// size, word wrap, the help alignment's exceptions and the editor's colour.
struct GridLayout {
    std::array<const char*, kColumns> headers;
    std::array<int, kColumns> widthsTwips;
    double fontPoints;
    bool wordWrap = false;
    bool headerHelpLeftBottom = false;     // the header cell "参数说明" too
    bool lastRowHelpLeftBottom = true;     // false: the last help cell keeps the default
    basic::Rgb editorColour{192, 255, 255};
};

// The cell editor: an ordinary text box laid over its cell. It opens with
// its whole text selected, so typing straight away replaces the value; a
// click in it places the caret as in any text box. It reports Enter as key
// 13 and leaves every other key to the text box. A key or wheel turn the
// text box leaves unused goes on to its grid (arrows move the current cell,
// page keys and the wheel scroll), and from there to the window.
class CellEditor : public QLineEdit {
    Q_OBJECT
public:
    CellEditor(QAbstractItemView* grid, QWidget* parent);
signals:
    void KeyPress(int keyAscii);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    QPointer<QAbstractItemView> grid_;
};

class ParameterGrid : public QTableView {
    Q_OBJECT
public:
    ParameterGrid(const PageDescription& page, const GridLayout& layout, PageState& state,
                  QWidget* parent);
    ~ParameterGrid() override;

    ParameterModel& Model() { return model_; }
    const PageDescription& Page() const { return model_.Page(); }
    // The grid's editor (Text1, Text2, ...): hidden until a value click.
    CellEditor* Editor() const { return editor_; }
    // The row under this grid's editor: the row its Enter writes; 0 before
    // the first value click of this visit.
    int EditingRow() const { return editingRow_; }
    // The rectangle of a cell in the viewport's coordinates (row 1..N).
    QRect CellRect(int row, int column) const;

    // A list laid over the help cell of the rows given (the configuration
    // page's hint lists): a click on such a cell shows it there, any other
    // click in this grid hides it.
    void AttachHintList(forms::DropDownList* list, std::span<const int> rows);

    // The click handler's step (MSFlexGridN_Click): acts on the current cell.
    // Returns whether the editor was laid over a value cell.
    bool ShowCellEditor();
    // Enter in the editor: the page's steps in its order (parse, write with
    // the any-negative repeat, echo into the cell under the editor, editor
    // hidden). Returns the write's final result, or nothing when no value
    // was sent; parsed, when given, receives what the parse made of the
    // text (left as it was when the editor was not open).
    std::optional<int32_t> CommitCellEdit(CellEntry* parsed = nullptr);
    // The timer's read of the page's block (see ParameterModel).
    bool RefreshPage() { return model_.RefreshPage(); }

signals:
    // A click in the grid, once the current cell is set: MSFlexGridN_Click.
    void Click();

protected:
    void scrollContentsBy(int dx, int dy) override;
    void updateGeometries() override;
    void moveEvent(QMoveEvent* event) override;
    bool event(QEvent* event) override;

private:
    void PlaceOverCell(QWidget* widget, int row, int column) const;
    void PlaceEditor();
    void PlaceOverlays();
    void FollowNewParent();
    void OnClicked(const QModelIndex& index);

    ParameterModel model_;
    // Not the grid's child: its parent may delete it first.
    QPointer<CellEditor> editor_;
    bool editorHiddenWithGrid_ = false;
    int editingRow_ = 0;
    int currentRow_ = 0;
    int currentCol_ = 0;
    QPointer<forms::DropDownList> hintList_;
    std::vector<int> hintRows_;
    int hintRow_ = 0;
};

} // namespace pages
