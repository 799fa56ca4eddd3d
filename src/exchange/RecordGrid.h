#pragma once
// The import windows' record grid: a read-only query model over a record
// table on the window's own connection, with the design's columns bound by
// field name, their captions and display formats. The columns are the
// design's whatever the query did; only the rows come from the database.
// The view (Dg1) is a plain QTableView over it.

#include "exchange/QueryFault.h"

#include <QSqlQueryModel>
#include <QString>
#include <optional>
#include <span>

namespace exchange {

enum class CellFormat {
    General,   // plain text of the value
    Date,      // a day number as "yyyy-M-d"
    Time,      // a fraction of a day as "H:mm:ss", to the nearest second
};

// One leading column: the field at a position, its caption and format.
struct GridColumn {
    int field;
    const char* caption;
    CellFormat format;
};

// The leading columns, then namedCount columns in general format from field
// firstNamedField on, captioned with their field names.
struct GridDesign {
    const char* table;
    std::span<const GridColumn> leading;
    int firstNamedField;
    int namedCount;
};

// "编号", "用户", "日期", "时间", "1" … "120" over CONF; "序号", "操作信息",
// "日期", "时间", "操作摘要" and the forty value names over Calibration.
const GridDesign& ConfigGrid();
const GridDesign& CalibrationGrid();

// A cell's text: empty for an empty field. General shows whole numbers in
// decimal, a stored single with up to 7 significant digits (the recorder
// writes its stamps as the exact double of a single) and any other real
// with up to 15; text as it is.
QString CellText(const QVariant& value, CellFormat format);

class RecordGridModel : public QSqlQueryModel {
    Q_OBJECT
public:
    // A query the database refuses goes to fault, the window's fault of its
    // table.
    RecordGridModel(QString connection, const GridDesign& design, QueryFault& fault,
                    QObject* parent = nullptr);

    // Every record; only the record with this number (none for no number).
    // False when the database refused the query: the grid then shows no
    // record and the refusal goes to the fault. Without an open connection
    // the grid shows no record and nothing is refused.
    bool ShowAll();
    bool ShowRecord(std::optional<qint64> number);
    // No record, without asking the database.
    void ShowNoRecord();
    // Lets go of the connection (before it is closed).
    void Release();

    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    bool Run(const QString& sql, const QVariantList& binds);

    QString connection_;
    QStringList captions_;
    std::vector<CellFormat> formats_;
    QString select_;   // "select <columns> from  <table>"
    QString numberTest_;   // the table's field 0 equal to a bound number
    QueryFault& fault_;
};

} // namespace exchange
