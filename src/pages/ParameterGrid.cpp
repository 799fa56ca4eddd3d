#include "pages/ParameterGrid.h"

#include "device/DeviceLink.h"
#include "platform/basic/twips.h"

#include <QCoreApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QRegion>
#include <QScrollBar>
#include <QWheelEvent>

namespace pages {

CellEditor::CellEditor(QAbstractItemView* grid, QWidget* parent) : QLineEdit(parent), grid_(grid)
{
}

void CellEditor::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        emit KeyPress(13);
        return;
    }
    QLineEdit::keyPressEvent(event);
    // A key the text box leaves unused goes to the grid, as it did when the
    // editor lay on the viewport. Qt passes on what the grid leaves unused
    // to the grid's parents, which are the editor's too: the key counts as
    // used here so that they do not see it twice.
    if (!event->isAccepted() && grid_) {
        QCoreApplication::sendEvent(grid_, event);
        event->accept();
    }
}

void CellEditor::wheelEvent(QWheelEvent* event)
{
    QLineEdit::wheelEvent(event);
    if (event->isAccepted() || !grid_)
        return;
    // The grid scrolls from wheel turns on its viewport.
    QWidget* viewport = grid_->viewport();
    QWheelEvent turn(viewport->mapFromGlobal(event->globalPosition()), event->globalPosition(),
                     event->pixelDelta(), event->angleDelta(), event->buttons(),
                     event->modifiers(), event->phase(), event->inverted(), event->source(),
                     event->pointingDevice());
    QCoreApplication::sendEvent(viewport, &turn);
    event->accept();
}

ParameterGrid::ParameterGrid(const PageDescription& page, const GridLayout& layout,
                             PageState& state, QWidget* parent)
    : QTableView(parent), model_(page, state, this)
{
    std::array<QString, kColumns> headers;
    for (int c = 0; c < kColumns; ++c)
        headers[size_t(c)] = QString::fromUtf8(layout.headers[size_t(c)]);
    model_.SetHeaders(headers);
    model_.SetHeaderHelpLeftBottom(layout.headerHelpLeftBottom);
    if (!layout.lastRowHelpLeftBottom)
        model_.SetHelpAlignment(page.RowCount(), false);
    setModel(&model_);

    setFont(forms::SongFont(layout.fontPoints));
    setWordWrap(layout.wordWrap);
    // A text wider than its cell is cut at the cell's edge, as a grid does,
    // not shortened with an ellipsis.
    setTextElideMode(Qt::ElideNone);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setTabKeyNavigation(false);
    verticalHeader()->hide();
    horizontalHeader()->setSectionsClickable(false);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    horizontalHeader()->setStretchLastSection(false);
    // The layout's widths hold even where they are narrower than the
    // header's own minimum for its font (a register column of 550 twips).
    horizontalHeader()->setMinimumSectionSize(1);
    for (int c = 0; c < kColumns; ++c)
        setColumnWidth(c, basic::TwipsToPixels(layout.widthsTwips[size_t(c)]));
    // Rows a fifth higher than the font's em, as a grid sizes them for its
    // font (the CJK faces' own line height is much larger).
    const int rowHeight = qRound(layout.fontPoints * 96 / 72 * 1.2);
    verticalHeader()->setMinimumSectionSize(rowHeight);
    verticalHeader()->setDefaultSectionSize(rowHeight);
    horizontalHeader()->setFixedHeight(rowHeight);

    // The editor lies over the grid as its sibling, not on the viewport: an
    // accessibility client walks a table through its cells and never meets a
    // widget on its viewport, so a screen reader could not reach the text
    // being typed there. Without a parent to share, the viewport takes it.
    editor_ = new CellEditor(this, parent ? parent : viewport());
    editor_->setFont(font());   // the grid's, as on the viewport it inherited it
    editor_->setObjectName(QStringLiteral("CellEditor"));
    editor_->setFrame(false);
    editor_->setTextMargins(0, 0, 0, 0);
    forms::SetBackColour(editor_, forms::Colour(layout.editorColour));
    editor_->hide();

    connect(this, &QAbstractItemView::clicked, this, &ParameterGrid::OnClicked);
}

// The editor is not the grid's child, so it would outlive it.
ParameterGrid::~ParameterGrid() { delete editor_; }

QRect ParameterGrid::CellRect(int row, int column) const
{
    return visualRect(model_.index(row - 1, column));
}

void ParameterGrid::PlaceOverCell(QWidget* widget, int row, int column) const
{
    const QRect cell = CellRect(row, column);
    if (widget->parentWidget() == viewport())
        widget->setGeometry(cell);
    else
        widget->setGeometry(QRect(viewport()->mapTo(widget->parentWidget(), cell.topLeft()),
                                  cell.size()));
}

void ParameterGrid::PlaceEditor()
{
    PlaceOverCell(editor_, editingRow_, ValueColumn);
    if (editor_->parentWidget() == viewport())
        return;
    // Cut at the viewport's edges as a widget on the viewport would be: a
    // cell scrolled partly out of view shows that part of its editor, one
    // scrolled out wholly none of it (an empty mask would mean no mask).
    const QRect cell = CellRect(editingRow_, ValueColumn);
    const QRect shown = cell.intersected(viewport()->rect());
    if (shown == cell)
        editor_->clearMask();
    else if (shown.isEmpty())
        editor_->setMask(QRegion(-1, -1, 1, 1));
    else
        editor_->setMask(QRegion(shown.translated(-cell.topLeft())));
}

void ParameterGrid::PlaceOverlays()
{
    if (editor_ && editor_->isVisible() && editingRow_ > 0)
        PlaceEditor();
    if (hintList_ && hintList_->isVisible() && hintRow_ > 0)
        PlaceOverCell(hintList_, hintRow_, HelpColumn);
}

void ParameterGrid::scrollContentsBy(int dx, int dy)
{
    QTableView::scrollContentsBy(dx, dy);
    PlaceOverlays();
}

void ParameterGrid::updateGeometries()
{
    QTableView::updateGeometries();
    PlaceOverlays();
}

void ParameterGrid::moveEvent(QMoveEvent* event)
{
    QTableView::moveEvent(event);
    PlaceOverlays();
}

bool ParameterGrid::event(QEvent* event)
{
    // The editor hides and shows with the grid, as it did on the viewport;
    // a hidden window hides both anyway.
    if (event->type() == QEvent::HideToParent && editor_ && !editor_->isHidden()
        && editor_->parentWidget() != viewport()) {
        editor_->hide();
        editorHiddenWithGrid_ = true;
    } else if (event->type() == QEvent::ShowToParent && editorHiddenWithGrid_) {
        editorHiddenWithGrid_ = false;
        editor_->show();
        PlaceEditor();
    } else if (event->type() == QEvent::ParentChange && editor_) {
        FollowNewParent();
    }
    return QTableView::event(event);
}

// A grid moved to another parent takes its editor along, so that it stays
// the grid's sibling (or goes onto the viewport when the grid has no
// parent now) and an open one still lies over its cell on top of the rest.
void ParameterGrid::FollowNewParent()
{
    QWidget* home = parentWidget() ? parentWidget() : viewport();
    if (editor_->parentWidget() == home)
        return;
    const bool open = !editor_->isHidden() || editorHiddenWithGrid_;
    editor_->setParent(home);   // which hides it
    editor_->clearMask();       // the viewport cuts it itself
    editorHiddenWithGrid_ = false;
    if (!open)
        return;
    // Qt hides a widget it moves to another parent: a sibling editor comes
    // back when the grid is shown again, as when the grid was hidden.
    if (home != viewport() && isHidden()) {
        editorHiddenWithGrid_ = true;
        return;
    }
    editor_->show();
    editor_->raise();
    PlaceEditor();
}

void ParameterGrid::AttachHintList(forms::DropDownList* list, std::span<const int> rows)
{
    hintList_ = list;
    hintRows_.assign(rows.begin(), rows.end());
    if (list)
        list->hide();
}

void ParameterGrid::OnClicked(const QModelIndex& index)
{
    if (!index.isValid())
        return;
    currentRow_ = index.row() + 1;
    currentCol_ = index.column();
    emit Click();
}

bool ParameterGrid::ShowCellEditor()
{
    const int row = currentRow_, column = currentCol_;
    if (row < 1)
        return false;
    if (hintList_) {
        const bool listed = column == HelpColumn
                            && std::find(hintRows_.begin(), hintRows_.end(), row) != hintRows_.end();
        if (listed) {
            hintRow_ = row;
            hintList_->setEditText(model_.data(model_.index(row - 1, HelpColumn), Qt::DisplayRole)
                                       .toString());
            hintList_->show();
            hintList_->raise();
            PlaceOverCell(hintList_, row, HelpColumn);
            hintList_->setFocus();
            if (QLineEdit* text = hintList_->lineEdit())
                text->selectAll();
        } else {
            hintList_->hide();
        }
    }
    if (column != ValueColumn)
        return false;
    PageState& state = model_.State();
    state.EditRow = row;
    state.EditCol = column;
    editingRow_ = row;
    editor_->setText(model_.ValueText(row));
    editorHiddenWithGrid_ = false;
    editor_->show();
    editor_->raise();
    PlaceEditor();
    editor_->setFocus();
    editor_->selectAll();
    return true;
}

std::optional<int32_t> ParameterGrid::CommitCellEdit(CellEntry* parsed)
{
    const int row = editingRow_;
    if (row < 1 || !editor_->isVisible())
        return std::nullopt;
    const PageDescription& page = model_.Page();
    const CellEntry entry = ParseCellEntry(page, row, editor_->text(), model_.State().EditValue);
    if (parsed)
        *parsed = entry;
    std::optional<int32_t> result;
    auto write = [&] {
        if (entry.value)
            result = WriteRegister(page.Register(row), *entry.value, WriteRule::AnyNegative);
    };
    auto echoAndHide = [&] {
        model_.SetValueText(row, entry.echo);
        editorHiddenWithGrid_ = false;
        editor_->hide();
        setFocus();
    };
    if (page.enterOrder == EnterOrder::WriteEchoHide) {
        write();
        echoAndHide();
    } else {
        echoAndHide();
        write();
    }
    return result;
}

} // namespace pages
