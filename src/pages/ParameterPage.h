#pragma once
// The parameter grid page without its widgets: what a page is (its
// description as data), how a register becomes the text of its value cell,
// how a typed text becomes the value sent, the page state that outlives the
// window, and the table model behind a grid.
//
// A page shows registers PageBase + 1 to PageBase + N, one per row (row 0 is
// the header). Its one block read lands in PageBuffer from a chosen element,
// so the element feeding row r follows from the read block; registers at the
// tail of a longer block are read and never shown.

#include "device/DeviceLink.h"

#include <QAbstractTableModel>
#include <QString>
#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace pages {

// One row's fixed texts (UTF-8), shown exactly as stored.
struct ParameterRow {
    const char* name;
    const char* range;
    const char* help;
};

// How a register value becomes the text of its value cell.
enum class ValueText {
    // The whole number; on a decimal row the quotient by 10 in double
    // precision (125 → "12.5", 120 → "12").
    Whole,
    // The value, or on a decimal row the quotient by 10 in double precision,
    // narrowed to single precision and shown with at most 7 digits.
    Single,
};

// How the typed number is held before it is scaled and rounded.
enum class TypedValue {
    Double,        // a double-precision local value
    Single,        // EditValue as a single: the parse narrowed, ×10 in single
    WholeAtParse,  // EditValue as a whole number, rounded right after the parse
};

// The order of the steps on Enter.
enum class EnterOrder {
    WriteEchoHide,  // the parameter pages
    EchoHideWrite,  // the program editor
};

// A page as data, written with designated initialisers; the members left
// out take the defaults that most pages share.
struct PageDescription {
    // Row r (1 to N) is register pageBase + r; its texts are rows[r - 1].
    int pageBase;
    std::span<const ParameterRow> rows;
    // The one block read: readCount registers (at most 64) from readFirst,
    // landing in PageBuffer from bufferElement on. A count of 0: the grid
    // reads nothing itself (the program editor's, filled from its own
    // arrays, whose element Element(r) shows row r).
    int readFirst;
    int readCount;
    int bufferElement = 0;
    // The page timer's interval: the cadence of the read. Every page names
    // its own.
    int timerMs;
    // How a register becomes its cell's text and a typed text its value.
    std::span<const int> decimalRows = {};   // rows holding ten times the shown value
    ValueText valueText = ValueText::Whole;
    TypedValue typedValue = TypedValue::Double;
    EnterOrder enterOrder = EnterOrder::WriteEchoHide;

    constexpr int RowCount() const { return static_cast<int>(rows.size()); }
    constexpr int Register(int row) const { return pageBase + row; }
    // The PageBuffer element that holds the register of row.
    constexpr int Element(int row) const { return Register(row) - readFirst + bufferElement; }
    bool IsDecimalRow(int row) const;

    // Whether the page's read fits a PageBuffer of bufferSize elements: the
    // block is one the link sends, lies inside the buffer, and holds the
    // register of every row, so every row's element lies inside the block.
    // A page with no read of its own fits any buffer.
    constexpr bool FitsBuffer(size_t bufferSize) const { return FitsBuffer(bufferSize, RowCount()); }
    // The same for rowCount rows: the check of a page whose rows are
    // composed at run time, made on its constant part before they exist.
    constexpr bool FitsBuffer(size_t bufferSize, int rowCount) const
    {
        if (readCount == 0)
            return true;
        const int64_t firstRow = int64_t(pageBase) + 1;
        const int64_t lastRow = int64_t(pageBase) + rowCount;
        return BlockFits(bufferElement, readCount, bufferSize)
               && (rowCount <= 0
                   || (firstRow >= readFirst && lastRow < int64_t(readFirst) + readCount));
    }
    // This description with the rows given: how a page whose rows are
    // composed at run time gets them.
    constexpr PageDescription WithRows(std::span<const ParameterRow> composed) const
    {
        PageDescription page = *this;
        page.rows = composed;
        return page;
    }
};

// The text of a register value on row in the page's value-text form.
QString ValueTextOf(const PageDescription& page, int row, int32_t registerValue);

// What Enter makes of a typed text on row.
struct CellEntry {
    // The echo: the parsed number, unscaled, in plain form ("12.50" → "12.5").
    QString echo;
    // The value for the register, or nothing when it is not to be sent: it
    // does not fit the page's typed form, or after scaling and rounding it
    // lies outside -32768..32767 (every register reads back sign-extended,
    // so any other value would reach the controller as another number).
    std::optional<int32_t> value;
    // The parsed number as the page holds it (its typed form: a double, a
    // single or a whole number), before the ten-times rule; nothing when
    // it does not fit that form.
    std::optional<double> typed = std::nullopt;
};

// The parse of Enter: the leading number; held in the page's typed form
// (editValue is the page's EditValue and keeps what it held when the
// number does not fit that form); ×10 on a decimal row; rounded half to
// even.
CellEntry ParseCellEntry(const PageDescription& page, int row, const QString& text,
                         double& editValue);

// What a page keeps across its window's unload and reopen.
struct PageState {
    // A state without a buffer serves grids with no read of their own.
    PageState() = default;
    explicit PageState(size_t bufferSize) : PageBuffer(bufferSize, 0) {}
    // The last value cell clicked on any grid of the window; 0 until the
    // first click of the run.
    int32_t EditRow = 0;
    int32_t EditCol = 0;
    // The typed value of pages that hold one (single or whole number).
    double EditValue = 0;
    std::vector<int32_t> PageBuffer;
};

// The five columns of a page grid.
enum Column { NameColumn = 0, ValueColumn = 1, RegisterColumn = 2, RangeColumn = 3, HelpColumn = 4 };
inline constexpr int kColumns = 5;

// The table behind one page grid: model row r - 1 is grid row r; the grid's
// header row is the model's horizontal header. Only the value cells change
// after set-up; a change notifies the view of the changed cells alone.
// The model lives with the window, so what it remembers is of this visit.
class ParameterModel : public QAbstractTableModel {
    Q_OBJECT
public:
    // The pair is judged here: a page whose read does not fit the state's
    // buffer (FitsBuffer) is refused at once, with one warning, and the
    // model never reads; its value cells stay empty for the visit.
    ParameterModel(const PageDescription& page, PageState& state, QObject* parent = nullptr);

    const PageDescription& Page() const { return page_; }
    PageState& State() const { return state_; }
    // Whether the page reads into the state: it has a read of its own and
    // was not refused.
    bool Reads() const { return reads_; }

    // Header texts of row 0, and the alignment of the help cells: left and
    // bottom for the rows given, the grid's default for the others.
    void SetHeaders(const std::array<QString, kColumns>& headers);
    void SetHelpAlignment(int row, bool leftBottom);
    void SetHeaderHelpLeftBottom(bool leftBottom);

    QString ValueText(int row) const;
    void SetValueText(int row, const QString& text);
    // Sets every value cell at once; only the cells that change are touched.
    void SetValueTexts(const std::vector<QString>& texts);

    // One read of the page's block into PageBuffer, and every value cell
    // from it. A read that fails shows this visit's last good read again
    // (cells empty where there was none), so a dead line never shows zeros
    // or the values of another visit and an echo on it does not pass for
    // accepted. Returns whether the read succeeded; false at once, with
    // nothing read, for a model that does not read.
    bool RefreshPage();

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    const PageDescription& page_;
    PageState& state_;
    std::array<QString, kColumns> headers_;
    bool headerHelpLeftBottom_ = false;
    std::vector<QString> values_;      // what the value cells show
    std::vector<QString> lastGood_;    // the texts of this visit's last good read
    bool reads_ = false;
    std::vector<char> helpLeftBottom_;
};

} // namespace pages
