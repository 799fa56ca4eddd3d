#include "exchange/RecordGrid.h"

#include "platform/basic/daynumbers.h"
#include "platform/basic/numbers.h"
#include "platform/db/Tables.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTime>
#include <cmath>

namespace exchange {

namespace {

constexpr GridColumn kConfigLeading[] = {
    {db::conf::RecordNumber, "编号", CellFormat::General},
    {db::conf::Operator, "用户", CellFormat::General},
    {db::conf::Date, "日期", CellFormat::Date},
    {db::conf::Time, "时间", CellFormat::Time},
};
// The value fields "1" to "120" (registers 4097 to 4216); the rest of the
// record has no column.
constexpr int kConfigNamedCount = 120;
constexpr GridDesign kConfigGrid{db::ConfTable, kConfigLeading, db::conf::FirstValue,
                                 kConfigNamedCount};

constexpr GridColumn kCalibrationLeading[] = {
    {db::cali::RecordNumber, "序号", CellFormat::General},
    {db::cali::Operator, "操作信息", CellFormat::General},
    {db::cali::Date, "日期", CellFormat::General},
    {db::cali::Time, "时间", CellFormat::General},
    {db::cali::Note, "操作摘要", CellFormat::General},
};
// The forty named values; the last two value fields have no column.
constexpr GridDesign kCalibrationGrid{db::CaliTable, kCalibrationLeading, db::cali::FirstValue,
                                      db::cali::NamedValueCount};

constexpr int kSecondsPerDay = 86400;


} // namespace

const GridDesign& ConfigGrid() { return kConfigGrid; }
const GridDesign& CalibrationGrid() { return kCalibrationGrid; }

QString CellText(const QVariant& value, CellFormat format)
{
    if (value.isNull())
        return QString();
    switch (format) {
    case CellFormat::Date:
        return basic::DateFromDayNumber(value.toDouble()).toString(QStringLiteral("yyyy-M-d"));
    case CellFormat::Time: {
        // A stored single can read back a hair below the second the
        // recorder took: show the nearest second.
        const double day = value.toDouble();
        const qint64 seconds = std::llround((day - std::floor(day)) * kSecondsPerDay);
        return QTime(0, 0).addSecs(int(seconds % kSecondsPerDay)).toString(QStringLiteral("H:mm:ss"));
    }
    case CellFormat::General:
        break;
    }
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::ULongLong:
        return basic::PlainText(int64_t(value.toLongLong()));
    case QMetaType::Double: {
        const double d = value.toDouble();
        const float f = static_cast<float>(d);
        return static_cast<double>(f) == d ? basic::PlainText(f) : basic::PlainTextDouble(d);
    }
    default:
        return value.toString();
    }
}

RecordGridModel::RecordGridModel(QString connection, const GridDesign& design, QueryFault& fault,
                                 QObject* parent)
    : QSqlQueryModel(parent), connection_(std::move(connection)), fault_(fault)
{
    const db::TableLayout* table = db::FindTable(QString::fromLatin1(design.table));
    const QStringList names = table ? db::FieldNames(*table) : QStringList();
    QStringList columns;
    for (const GridColumn& c : design.leading) {
        columns << names.value(c.field);
        captions_ << QString::fromUtf8(c.caption);
        formats_.push_back(c.format);
    }
    for (int i = 0; i < design.namedCount; ++i) {
        const QString name = names.value(design.firstNamedField + i);
        columns << name;
        captions_ << name;
        formats_.push_back(CellFormat::General);
    }
    numberTest_ = db::RecordNumberTest(QString::fromLatin1(design.table), names.value(0));
    select_ = QStringLiteral("select %1 from  %2")
                  .arg(db::QuotedNames(columns),
                       db::QuotedName(QString::fromLatin1(design.table)));
}

bool RecordGridModel::ShowAll()
{
    return Run(select_, {});
}

bool RecordGridModel::ShowRecord(std::optional<qint64> number)
{
    // Without a number the query still runs, bound to no value, and shows
    // no record.
    return Run(select_ + QStringLiteral(" where ") + numberTest_,
               {number ? QVariant(*number) : QVariant()});
}

void RecordGridModel::ShowNoRecord()
{
    clear();
}

void RecordGridModel::Release()
{
    clear();
}

bool RecordGridModel::Run(const QString& sql, const QVariantList& binds)
{
    const QSqlDatabase d = QSqlDatabase::database(connection_, false);
    if (!d.isOpen()) {
        clear();   // no file: no record, as the failed open leaves it
        return true;
    }
    QSqlQuery q(d);
    if (q.prepare(sql)) {
        for (int i = 0; i < binds.size(); ++i)
            q.bindValue(i, binds[i]);
        q.exec();
    }
    setQuery(std::move(q));
    // The tables hold a few hundred records at most: take them all now, so
    // the statement is done and holds no snapshot of the file.
    while (canFetchMore())
        fetchMore();
    // A refused statement shows no record, as a query that found nothing
    // does; only the log tells them apart.
    const QSqlError error = lastError();
    if (!error.isValid())
        return true;
    fault_.Failed(error.text());
    return false;
}

int RecordGridModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(captions_.size());
}

QVariant RecordGridModel::data(const QModelIndex& index, int role) const
{
    if (role != Qt::DisplayRole || !index.isValid())
        return QSqlQueryModel::data(index, role);
    const size_t column = static_cast<size_t>(index.column());
    return CellText(QSqlQueryModel::data(index, role),
                    column < formats_.size() ? formats_[column] : CellFormat::General);
}

QVariant RecordGridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return QSqlQueryModel::headerData(section, orientation, role);
    if (orientation == Qt::Vertical)
        return QString();   // a record selector, as the grid's rows have no numbers
    return captions_.value(section);
}

} // namespace exchange
