#include "pages/ParameterGrid.h"

#include "device/DeviceLink.h"
#include "platform/basic/twips.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QScrollBar>

namespace pages {

void CellEditor::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        emit KeyPress(13);
        return;
    }
    QLineEdit::keyPressEvent(event);
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

    editor_ = new CellEditor(viewport());
    editor_->setObjectName(QStringLiteral("CellEditor"));
    editor_->setFrame(false);
    editor_->setTextMargins(0, 0, 0, 0);
    forms::SetBackColour(editor_, forms::Colour(layout.editorColour));
    editor_->hide();

    connect(this, &QAbstractItemView::clicked, this, &ParameterGrid::OnClicked);
}

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

void ParameterGrid::PlaceOverlays()
{
    if (editor_ && editor_->isVisible() && editingRow_ > 0)
        PlaceOverCell(editor_, editingRow_, ValueColumn);
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
    editor_->show();
    editor_->raise();
    PlaceOverCell(editor_, row, ValueColumn);
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
