#include "pages/ParameterPage.h"

#include "device/DeviceLink.h"
#include "platform/basic/numbers.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include <QLoggingCategory>

Q_LOGGING_CATEGORY(lcPages, "zc4160.pages")

namespace pages {

bool PageDescription::IsDecimalRow(int row) const
{
    return std::find(decimalRows.begin(), decimalRows.end(), row) != decimalRows.end();
}

QString ValueTextOf(const PageDescription& page, int row, int32_t registerValue)
{
    const bool decimal = page.IsDecimalRow(row);
    const double value = decimal ? registerValue / 10.0 : double(registerValue);
    switch (page.valueText) {
    case ValueText::Whole:
        return decimal ? basic::PlainTextDouble(value) : basic::PlainText(int64_t(registerValue));
    case ValueText::Single:
        return basic::PlainText(static_cast<float>(value));
    }
    return {};
}

namespace {

// The registers are 16 bits wide and read back sign-extended.
std::optional<int32_t> RegisterValue(double scaled)
{
    if (const std::optional<int16_t> rounded = basic::RoundToInteger(scaled))
        return *rounded;
    return std::nullopt;
}

} // namespace

CellEntry ParseCellEntry(const PageDescription& page, int row, const QString& text,
                         double& editValue)
{
    const double typed = basic::LeadingNumber(text);
    const bool decimal = page.IsDecimalRow(row);
    CellEntry entry{basic::PlainTextDouble(typed), std::nullopt};
    switch (page.typedValue) {
    case TypedValue::Double:
        entry.typed = typed;
        entry.value = RegisterValue(decimal ? typed * 10 : typed);
        break;
    case TypedValue::Single: {
        // A number beyond single range leaves EditValue as it was and sends
        // nothing, rather than the previous EditValue to this row.
        if (!std::isfinite(typed) || std::fabs(typed) > std::numeric_limits<float>::max())
            break;
        float single = static_cast<float>(typed);
        entry.typed = single;
        if (decimal)
            single = single * 10.0f;
        editValue = single;
        entry.value = RegisterValue(single);
        break;
    }
    case TypedValue::WholeAtParse: {
        const std::optional<int32_t> whole = basic::RoundToLong(typed);
        if (!whole)
            break;
        editValue = *whole;
        entry.typed = *whole;
        entry.value = RegisterValue(decimal ? double(*whole) * 10 : double(*whole));
        break;
    }
    }
    return entry;
}

// ---- ParameterModel -------------------------------------------------------

ParameterModel::ParameterModel(const PageDescription& page, PageState& state, QObject* parent)
    : QAbstractTableModel(parent), page_(page), state_(state),
      values_(size_t(page.RowCount())), lastGood_(size_t(page.RowCount())),
      helpLeftBottom_(size_t(page.RowCount()), 1)
{
    const bool fits = page.FitsBuffer(state.PageBuffer.size());
    reads_ = fits && page.readCount > 0;
    if (!fits)
        qCWarning(lcPages,
                  "a page of %d rows from %d is refused: its read of %d from %d into element %d "
                  "does not hold its rows inside a buffer of %d",
                  page.RowCount(), page.Register(1), page.readCount, page.readFirst,
                  page.bufferElement, int(state.PageBuffer.size()));
}

void ParameterModel::SetHeaders(const std::array<QString, kColumns>& headers)
{
    headers_ = headers;
    emit headerDataChanged(Qt::Horizontal, 0, kColumns - 1);
}

void ParameterModel::SetHelpAlignment(int row, bool leftBottom)
{
    if (row >= 1 && row <= page_.RowCount())
        helpLeftBottom_[size_t(row - 1)] = leftBottom;
}

void ParameterModel::SetHeaderHelpLeftBottom(bool leftBottom) { headerHelpLeftBottom_ = leftBottom; }

QString ParameterModel::ValueText(int row) const
{
    if (row < 1 || row > page_.RowCount())
        return {};
    return values_[size_t(row - 1)];
}

void ParameterModel::SetValueText(int row, const QString& text)
{
    if (row < 1 || row > page_.RowCount() || values_[size_t(row - 1)] == text)
        return;
    values_[size_t(row - 1)] = text;
    const QModelIndex cell = index(row - 1, ValueColumn);
    emit dataChanged(cell, cell, {Qt::DisplayRole});
}

void ParameterModel::SetValueTexts(const std::vector<QString>& texts)
{
    int first = -1, last = -1;
    const size_t n = std::min(texts.size(), values_.size());
    for (size_t i = 0; i < n; ++i) {
        if (values_[i] == texts[i])
            continue;
        values_[i] = texts[i];
        if (first < 0)
            first = int(i);
        last = int(i);
    }
    // One notice for the span of changed cells: the view repaints it once.
    if (first >= 0)
        emit dataChanged(index(first, ValueColumn), index(last, ValueColumn), {Qt::DisplayRole});
}

bool ParameterModel::RefreshPage()
{
    // The room was judged when the model was made; nothing in the station
    // resizes a page state's buffer after that.
    if (!reads_)
        return false;
    Q_ASSERT(page_.FitsBuffer(state_.PageBuffer.size()));
    const int32_t result = ReadBlock(
        page_.readFirst,
        std::span(state_.PageBuffer).subspan(size_t(page_.bufferElement), size_t(page_.readCount)));
    if (result == 0) {
        for (int row = 1; row <= page_.RowCount(); ++row)
            lastGood_[size_t(row - 1)] =
                ValueTextOf(page_, row, state_.PageBuffer[size_t(page_.Element(row))]);
    }
    SetValueTexts(lastGood_);
    return result == 0;
}

int ParameterModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : page_.RowCount();
}

int ParameterModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : kColumns;
}

QVariant ParameterModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return {};
    const int row = index.row() + 1;
    const ParameterRow& def = page_.rows[size_t(index.row())];
    if (role == Qt::DisplayRole) {
        switch (index.column()) {
        case NameColumn: return QString::fromUtf8(def.name);
        case ValueColumn: return values_[size_t(index.row())];
        case RegisterColumn: return QString::number(page_.Register(row));
        case RangeColumn: return QString::fromUtf8(def.range);
        case HelpColumn: return QString::fromUtf8(def.help);
        }
    }
    if (role == Qt::TextAlignmentRole) {
        // Numbers to the right, texts to the left, as a grid aligns them by
        // default; help cells at the left and bottom where the page says.
        switch (index.column()) {
        case ValueColumn:
        case RegisterColumn: return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
        case HelpColumn:
            if (helpLeftBottom_[size_t(index.row())])
                return QVariant::fromValue(Qt::AlignLeft | Qt::AlignBottom);
            return QVariant::fromValue(Qt::AlignLeft | Qt::AlignVCenter);
        default: return QVariant::fromValue(Qt::AlignLeft | Qt::AlignVCenter);
        }
    }
    return {};
}

QVariant ParameterModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= kColumns)
        return QAbstractTableModel::headerData(section, orientation, role);
    if (role == Qt::DisplayRole)
        return headers_[size_t(section)];
    if (role == Qt::TextAlignmentRole && section == HelpColumn && headerHelpLeftBottom_)
        return QVariant::fromValue(Qt::AlignLeft | Qt::AlignBottom);
    return {};
}

Qt::ItemFlags ParameterModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    // The name column is fixed: it cannot be selected. Nothing is edited in
    // the view itself; the page's own editor lies over a value cell.
    if (index.column() == NameColumn)
        return Qt::ItemIsEnabled;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}

} // namespace pages
