#pragma once
// The record-set layer: what the windows use of a record set (open with an
// SQL text, fields by position, move, find, add new, update, close) over a
// named Qt SQL connection to the SQLite file.
//
// Values always travel as bound parameters: a query text carries "?" where
// an id, a bound or an operator's text goes, and the values come in binds.
// Rows are taken from the database as they are visited and the statement is
// finished by Close(), so no reader holds the file longer than its query.
//
// A set opened with "select * from <table> ..." can be written back: AddNew
// plus SetField plus Update adds a row, SetField plus Update on a visited row
// changes it in place. Field positions of the five tables: Tables.h.
//
// Over one of the five tables the star goes to the database as the table's
// field names (SpellOutStar): the set's fields are then the design's in the
// design's order, however the file orders them, and a field the file lacks
// fails the query. It also keeps the driver safe: SQLite prepares a star
// against the shape its connection last saw and widens or narrows it when
// it runs, once another connection has rebuilt the table, and Qt's SQLite
// driver writes such a row past the end of its row buffer. A query that
// names its fields cannot change width: it runs or fails.

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QString>
#include <QVariant>
#include <QVariantList>
#include <map>
#include <memory>
#include <optional>
#include <vector>

namespace db {

class RecordSet {
public:
    // Works on the owner's connection (see db::OpenConnection).
    explicit RecordSet(QString connectionName);
    ~RecordSet();
    RecordSet(const RecordSet&) = delete;
    RecordSet& operator=(const RecordSet&) = delete;

    // Runs the query; the first row (if any) becomes current. A set that is
    // open is closed first.
    bool Open(const QString& sql, const QVariantList& binds = {});
    void Close();
    bool IsOpen() const { return open_; }

    // The exact number of rows of the query (reads them all).
    int RecordCount();
    // No current row: the query had no rows, or a move passed the last one.
    bool AtEnd();
    bool MoveFirst();
    bool MoveNext();
    // From the current row on, the first whose field equals value becomes
    // current; false (and AtEnd) when there is none.
    bool Find(int position, const QVariant& value);

    int FieldCount() const { return static_cast<int>(names_.size()); }
    QString FieldName(int position) const;
    // The current row's field, with any value set since AddNew or the last
    // Update; a null QVariant where there is no such field or row.
    QVariant Field(int position);
    bool SetField(int position, const QVariant& value);

    // A new, empty row becomes current; Update stores it.
    bool AddNew();
    // Stores the current row: adds the new row, or changes the visited row
    // in place. An added row becomes the last row of the set and stays
    // current; rows of the query not visited before are then left out. On
    // failure the pending values stay until CancelUpdate, Close or the next
    // AddNew. A record of a table whose database numbers them (CONF,
    // Calibration) is stored with a number of its own in field 0 or not at
    // all, also where another program rebuilt the table without its key.
    bool Update();
    void CancelUpdate();

    QString LastError() const { return error_; }
    // The database's error behind LastError(); not valid where the set
    // itself refused (no row, nothing to store).
    const QSqlError& LastSqlError() const { return sqlError_; }

    // Drops the cached statements (before the connection is removed).
    void Release();

private:
    struct Row {
        QVariantList values;
        qint64 rowid = 0;
    };
    QSqlQuery* Prepared(const QString& sql);
    void Forget(const QString& sql);
    QSqlQuery* Exec(const QString& sql, const QVariantList& binds);
    // Runs a statement that returns no rows.
    bool Run(const QString& sql, const QVariantList& binds);
    // The number of the record just added with the given row id: the one
    // the database gave it, or, in a table without its integer key, the
    // next after the highest, given now. Nothing when it has none, one the
    // operator's entry cannot take, or one by which the import windows'
    // lookup (RecordNumberTest) finds another record or more than this one.
    std::optional<qint64> NumberNewRecord(qint64 rowid);
    // pattern with %1 the set's table and %2 its field 0, both quoted.
    QString KeySql(const char* pattern) const;
    // Field 0 of the row (null where it is empty or there is no such row);
    // nothing when the query failed.
    std::optional<QVariant> KeyOf(qint64 rowid);
    // The number after the highest that another row holds, compared as
    // numbers; nothing where no record number is left above it.
    std::optional<qint64> NextNumber(qint64 rowid);
    // Ends the savepoint of an added record: kept, or undone with all it
    // did; where it was outermost, no transaction is left open.
    bool EndSavepoint(bool keep, bool outermost);
    bool FetchOne();
    bool Fail(const QSqlQuery& q);
    bool Fail(const QString& text);

    QString connection_;
    // Prepared statements by text; the nodes stay put, so query_ may point
    // into the map while further statements are added.
    std::map<QString, std::unique_ptr<QSqlQuery>> cache_;
    QSqlQuery* query_ = nullptr;
    bool open_ = false;
    bool exhausted_ = true;
    QString table_;           // empty where the set cannot be written back
    bool keyedByFirst_ = false;   // field 0 is the table's integer key
    bool numberedByDatabase_ = false;   // ... and the database gives it
    std::vector<QString> names_;
    std::vector<Row> rows_;
    size_t current_ = 0;

    bool editing_ = false;
    bool adding_ = false;
    QVariantList edit_;
    std::vector<bool> changed_;

    QString error_;
    QSqlError sqlError_;
};

// A two-bound range test that matches the values from the smaller to the
// larger bound inclusive whichever bound is given first, as the charts'
// queries expect; SQLite's BETWEEN alone matches nothing when the larger
// bound comes first. Put sql into the WHERE clause and binds after any
// earlier parameters.
struct SqlPart {
    QString sql;
    QVariantList binds;
};
SqlPart RangeTest(const QString& field, qint64 bound1, qint64 bound2, bool negated = false);

// sql with the star of a leading "select * from <table>" replaced by the
// table's field names when the table is one of the five; any other query as
// it is. For queries that go to the driver without a record set.
QString SpellOutStar(const QString& sql);

} // namespace db
