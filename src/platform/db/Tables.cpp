#include "platform/db/Tables.h"

#include <array>

namespace db {

namespace {

constexpr FieldRun kShortRing[] = {
    {"w_id", FieldType::RingId},
    {"w_date", FieldType::Real},
    {"w_time", FieldType::Real},
    {"ShortPv", FieldType::Real, 8, 0},
};

constexpr FieldRun kLongRing[] = {
    {"lw_id", FieldType::RingId},
    {"w_date", FieldType::Real},
    {"w_time", FieldType::Real},
    {"LongPv", FieldType::Real, 8, 0},
};

constexpr FieldRun kHeads[] = {
    {"ShortHead", FieldType::Integer},
    {"ShortHeadCopy", FieldType::Integer},
    {"LongHead", FieldType::Integer},
    {"LongHeadCopy", FieldType::Integer},
};

constexpr FieldRun kConf[] = {
    {"C_ID", FieldType::RecordNumber},
    {"CAZZ", FieldType::Text},
    {"DAT", FieldType::Real},
    {"TI", FieldType::Real},
    // Fields 4..195 are named "1".."192"; the import grid shows 1..120.
    {"", FieldType::Integer, 192, 1},
};

constexpr FieldRun kCali[] = {
    {"ID", FieldType::RecordNumber},
    {"USER", FieldType::Text},
    {"DATE", FieldType::Real},
    {"TIME", FieldType::Real},
    {"NOTE", FieldType::Text},
    {"P-10VHI", FieldType::Integer},  {"P-2VHI", FieldType::Integer},
    {"P-MAHI", FieldType::Integer},   {"P-100MVL", FieldType::Integer},
    {"P-100MVH", FieldType::Integer}, {"P-20MVL", FieldType::Integer},
    {"P-20MVH", FieldType::Integer},  {"P-4KL", FieldType::Integer},
    {"P-4KH", FieldType::Integer},    {"P-400L", FieldType::Integer},
    {"P-400H", FieldType::Integer},   {"P-80L", FieldType::Integer},
    {"P-80H", FieldType::Integer},
    {"S-10VHI", FieldType::Integer},  {"S-2VHI", FieldType::Integer},
    {"S-MAHI", FieldType::Integer},   {"S-100MVL", FieldType::Integer},
    {"S-100MVH", FieldType::Integer}, {"S-20MVL", FieldType::Integer},
    {"S-20MVH", FieldType::Integer},  {"S-4KL", FieldType::Integer},
    {"S-4KH", FieldType::Integer},    {"S-400L", FieldType::Integer},
    {"S-400H", FieldType::Integer},   {"S-80L", FieldType::Integer},
    {"S-80H", FieldType::Integer},
    {"20I_MARK", FieldType::Integer}, {"DA1_CALIB", FieldType::Integer},
    {"DA2_CALIB", FieldType::Integer}, {"DA3_CALIB", FieldType::Integer},
    {"COLD_T", FieldType::Integer},   {"COLS_18", FieldType::Integer},
    {"CALIB_C_T", FieldType::Integer}, {"C_IC", FieldType::Integer},
    {"DA1_Z", FieldType::Integer},    {"DA2_Z", FieldType::Integer},
    {"DA3_Z", FieldType::Integer},    {"RELAY", FieldType::Integer},
    {"DO_TEST", FieldType::Integer},  {"CLEAR", FieldType::Integer},
    // The last two values have no grid column; they are named by position.
    {"F", FieldType::Integer, 2, 45},
};

constexpr TableLayout kTables[] = {
    {ShortRingTable, kShortRing, ring::FieldCount},
    {LongRingTable, kLongRing, ring::FieldCount},
    {HeadsTable, kHeads, 4},
    {ConfTable, kConf, conf::FieldCount},
    {CaliTable, kCali, cali::FieldCount},
};

const char* TypeText(FieldType type)
{
    switch (type) {
    case FieldType::RingId: return "INTEGER PRIMARY KEY";
    case FieldType::RecordNumber: return "INTEGER PRIMARY KEY AUTOINCREMENT";
    case FieldType::Integer: return "INTEGER";
    case FieldType::Real: return "REAL";
    case FieldType::Text: return "TEXT";
    }
    return "";
}


} // namespace

std::span<const TableLayout> Tables() { return kTables; }

const TableLayout* FindTable(const QString& name)
{
    for (const TableLayout& t : kTables)
        if (name.compare(QLatin1String(t.name), Qt::CaseInsensitive) == 0)
            return &t;
    return nullptr;
}

QStringList FieldNames(const TableLayout& table)
{
    QStringList names;
    for (const FieldRun& run : table.runs) {
        if (run.count == 1 && run.firstNumber == 0) {
            names << QString::fromUtf8(run.name);
            continue;
        }
        for (int n = 0; n < run.count; ++n)
            names << QString::fromUtf8(run.name) + QString::number(run.firstNumber + n);
    }
    return names;
}

QString CreateTableSql(const TableLayout& table)
{
    QStringList columns;
    const QStringList names = FieldNames(table);
    int i = 0;
    for (const FieldRun& run : table.runs)
        for (int n = 0; n < run.count; ++n, ++i)
            columns << QuotedName(names[i]) + QLatin1Char(' ') + QLatin1String(TypeText(run.type));
    return QStringLiteral("CREATE TABLE %1 (%2)")
        .arg(QuotedName(QString::fromUtf8(table.name)), columns.join(QStringLiteral(", ")));
}

QString QuotedName(const QString& name)
{
    QString q = name;
    q.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + q + QLatin1Char('"');
}

QString QuotedNames(const QStringList& names)
{
    QStringList quoted;
    quoted.reserve(names.size());
    for (const QString& name : names)
        quoted << QuotedName(name);
    return quoted.join(QStringLiteral(", "));
}

QString RecordNumberTest(const QString& table, const QString& key)
{
    return QuotedName(table) + u'.' + QuotedName(key) + QStringLiteral("=?");
}

} // namespace db
