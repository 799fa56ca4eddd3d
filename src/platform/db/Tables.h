#pragma once
// The five tables of the station's database, in one place. Every window
// addresses fields by their position in the row (0 first); the queries name
// the fields they read (a "select *" of a record set stands for the names
// below in this order), so the positions hold whatever order a file keeps
// its fields in, and a field the file lacks is an error, not a shifted row.
//
//  pv_data   short ring, one row per clock second, ids 1..65500
//            0 w_id (ring id, the integer primary key)
//            1 w_date (day number, double)  2 w_time (day fraction, double)
//            3..10 ShortPv0..ShortPv7 = StatusValues(0..7), singles
//  Lpv_wdjl  long ring, one row every ten seconds: the same layout with
//            0 lw_id and 3..10 LongPv0..LongPv7
//  sl_void   exactly one row: 0 ShortHead, 1 ShortHeadCopy, 2 LongHead,
//            3 LongHeadCopy (newest id of each ring; the copies follow)
//  CONF      one row per configuration export:
//            0 C_ID (record number given by the database), 1 CAZZ operator,
//            2 DAT day number, 3 TI day fraction (singles),
//            4..195 fields "1".."192" = registers 4097..4288
//  Calibration one row per calibration export:
//            0 ID (record number given by the database), 1 USER operator,
//            2 DATE, 3 TIME (singles), 4 NOTE remark,
//            5..44 the forty named values (P-10VHI ... CLEAR),
//            45, 46 two more values without a grid name;
//            5 + i = register 24577 + i
//
// Day numbers count days from 30 December 1899, the time of day is a
// fraction of a day. Single-precision values are stored as the exact double
// of the single, so they read back bit for bit.

#include <QString>
#include <QStringList>
#include <span>

namespace db {

enum class FieldType {
    RingId,        // INTEGER PRIMARY KEY, written by the station
    RecordNumber,  // INTEGER PRIMARY KEY AUTOINCREMENT, given by the database
    Integer,
    Real,
    Text,
};

// A run of fields: one named field (count 1), or `count` fields named
// prefix + n for n = firstNumber, firstNumber + 1, ...
struct FieldRun {
    const char* name;
    FieldType type;
    int count = 1;
    int firstNumber = 0;
};

struct TableLayout {
    const char* name;
    std::span<const FieldRun> runs;
    int fieldCount;   // what the runs add up to; checked by the tests
};

// pv_data / Lpv_wdjl field positions.
namespace ring {
inline constexpr int Id = 0;
inline constexpr int Date = 1;
inline constexpr int Time = 2;
inline constexpr int FirstValue = 3;
inline constexpr int ValueCount = 8;
inline constexpr int FieldCount = 11;
inline constexpr int MaxId = 65500;   // RingMaxId: the id after it is 1
} // namespace ring

// sl_void field positions.
namespace heads {
inline constexpr int ShortHead = 0;
inline constexpr int ShortHeadCopy = 1;
inline constexpr int LongHead = 2;
inline constexpr int LongHeadCopy = 3;
} // namespace heads

// CONF field positions.
namespace conf {
inline constexpr int RecordNumber = 0;
inline constexpr int Operator = 1;
inline constexpr int Date = 2;
inline constexpr int Time = 3;
inline constexpr int FirstValue = 4;
inline constexpr int ValueCount = 192;
inline constexpr int FieldCount = 196;
} // namespace conf

// Calibration field positions.
namespace cali {
inline constexpr int RecordNumber = 0;
inline constexpr int Operator = 1;
inline constexpr int Date = 2;
inline constexpr int Time = 3;
inline constexpr int Note = 4;
inline constexpr int FirstValue = 5;
inline constexpr int ValueCount = 42;
inline constexpr int NamedValueCount = 40;
inline constexpr int FieldCount = 47;
} // namespace cali

// The highest record number of CONF and Calibration the station gives: a
// double holds every whole number up to it exactly, so the operator's entry
// finds each of them.
inline constexpr qint64 MaxRecordNumber = 9'000'000'000'000'000;

// The five tables: pv_data, Lpv_wdjl, sl_void, CONF, Calibration.
std::span<const TableLayout> Tables();
const TableLayout* FindTable(const QString& name);   // ignores letter case

QStringList FieldNames(const TableLayout& table);
// CREATE TABLE text with every name quoted.
QString CreateTableSql(const TableLayout& table);

// A table or field name quoted for SQL, so that names such as "1" or "TI"
// stand as names ("a""b" for a"b).
QString QuotedName(const QString& name);
// Names quoted as above and joined by ", ", for a query's field list.
QString QuotedNames(const QStringList& names);

// The condition by which the import windows find a record of CONF or
// Calibration by the number the operator enters: "table"."key"=? with the
// number bound as an integer. A record is stored only where it finds that
// record alone (RecordSet::Update).
QString RecordNumberTest(const QString& table, const QString& key);

// Table names as the station's SQL writes them.
inline constexpr const char* ShortRingTable = "pv_data";
inline constexpr const char* LongRingTable = "Lpv_wdjl";
inline constexpr const char* HeadsTable = "sl_void";
inline constexpr const char* ConfTable = "CONF";
inline constexpr const char* CaliTable = "Calibration";

} // namespace db
