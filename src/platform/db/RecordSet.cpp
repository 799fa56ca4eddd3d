#include "platform/db/RecordSet.h"

#include "platform/basic/logtext.h"
#include "platform/basic/numbers.h"
#include "platform/db/DatabaseFile.h"
#include "platform/db/Tables.h"

#include <QRegularExpression>
#include <QSqlError>
#include <QSqlRecord>
#include <QSqlResult>
#include <QStringList>

#include <algorithm>
#include <cmath>
#include <sqlite3.h>

namespace db {

namespace {

// Whether the statement under q is gone: the driver finalizes the
// statements of a connection that closes, and a query kept from before
// then cannot run again.
bool Finalized(const QSqlQuery& q)
{
    const QSqlResult* result = q.result();
    const QVariant handle = result ? result->handle() : QVariant();
    if (qstrcmp(handle.typeName(), "sqlite3_stmt*") != 0)
        return true;
    return *static_cast<sqlite3_stmt* const*>(handle.constData()) == nullptr;
}

// A number field of the file as an error text shows it.
QString KeyText(const QVariant& key)
{
    return basic::LogValue(key, QStringLiteral("empty"));
}

// "select * from <table>" at the start of a query: the rows are those of
// one table and can be written back. The capture's start is the star.
const QRegularExpression& WritableSelect()
{
    static const QRegularExpression re(
        QStringLiteral(R"re(^\s*select\s+(\*)\s+from\s+"?([A-Za-z_][A-Za-z0-9_]*)"?(\s|$))re"),
        QRegularExpression::CaseInsensitiveOption);
    return re;
}

// What the star of a select over the table stands for: its field names
// when it is one of the station's tables, else the star itself.
QString StarFields(const QString& table)
{
    const TableLayout* layout = FindTable(table);
    return layout ? QuotedNames(FieldNames(*layout)) : QStringLiteral("*");
}

} // namespace

QString SpellOutStar(const QString& sql)
{
    const QRegularExpressionMatch m = WritableSelect().match(sql);
    if (!m.hasMatch())
        return sql;
    return sql.left(m.capturedStart(1)) + StarFields(m.captured(2)) + sql.mid(m.capturedEnd(1));
}

RecordSet::RecordSet(QString connectionName) : connection_(std::move(connectionName)) {}

RecordSet::~RecordSet() { Release(); }

void RecordSet::Release()
{
    Close();
    query_ = nullptr;
    cache_.clear();
}

QSqlQuery* RecordSet::Prepared(const QString& sql)
{
    auto it = cache_.find(sql);
    // A connection closed under the set finalizes its statements: such a
    // one is prepared anew on the connection as it is now.
    if (it != cache_.end() && Finalized(*it->second)) {
        cache_.erase(it);
        it = cache_.end();
    }
    if (it == cache_.end()) {
        auto q = std::make_unique<QSqlQuery>(QSqlDatabase::database(connection_, false));
        q->setForwardOnly(true);
        if (!q->prepare(sql)) {
            // Not kept: the next use prepares again.
            Fail(*q);
            return nullptr;
        }
        it = cache_.emplace(sql, std::move(q)).first;
    }
    return it->second.get();
}

void RecordSet::Forget(const QString& sql)
{
    cache_.erase(sql);
}

QSqlQuery* RecordSet::Exec(const QString& sql, const QVariantList& binds)
{
    // Run once: a statement the database ran and refused is never run
    // again here. After a failed commit SQLite may have undone the
    // transaction's changes while the transaction stays open, and a commit
    // tried again then "succeeds" with nothing in the file.
    QSqlQuery* q = Prepared(sql);
    if (!q)
        return nullptr;
    for (int i = 0; i < binds.size(); ++i)
        q->bindValue(i, binds[i]);
    if (q->exec())
        return q;
    Fail(*q);
    Forget(sql);
    return nullptr;
}

bool RecordSet::Fail(const QSqlQuery& q)
{
    Fail(q.lastError().text());
    sqlError_ = q.lastError();
    return false;
}

bool RecordSet::Fail(const QString& text)
{
    error_ = text.isEmpty() ? QStringLiteral("database error") : text;
    sqlError_ = QSqlError();
    return false;
}

bool RecordSet::Open(const QString& sql, const QVariantList& binds)
{
    Close();
    error_.clear();
    sqlError_ = QSqlError();
    QSqlDatabase d = QSqlDatabase::database(connection_, false);
    if (!d.isOpen())
        return Fail(QStringLiteral("the connection %1 is not open").arg(connection_));

    QString text = sql;
    table_.clear();
    keyedByFirst_ = numberedByDatabase_ = false;
    const QRegularExpressionMatch m = WritableSelect().match(sql);
    if (m.hasMatch()) {
        // The rowid rides along in front so a visited row can be changed in
        // place; it is not one of the row's fields.
        table_ = m.captured(2);
        text = sql.left(m.capturedStart(1)) + QStringLiteral("rowid, ") + StarFields(table_)
               + sql.mid(m.capturedEnd(1));
        if (const TableLayout* layout = FindTable(table_)) {
            const FieldType first = layout->runs[0].type;
            keyedByFirst_ = first == FieldType::RingId || first == FieldType::RecordNumber;
            numberedByDatabase_ = first == FieldType::RecordNumber;
        }
    }
    QSqlQuery* q = Exec(text, binds);
    if (!q)
        return false;
    query_ = q;
    const QSqlRecord rec = q->record();
    const int skip = table_.isEmpty() ? 0 : 1;
    names_.clear();
    for (int i = skip; i < rec.count(); ++i)
        names_.push_back(rec.fieldName(i));
    open_ = true;
    exhausted_ = false;
    current_ = 0;
    FetchOne();
    return true;
}

bool RecordSet::FetchOne()
{
    if (exhausted_ || !query_)
        return false;
    if (!query_->next()) {
        exhausted_ = true;
        if (query_->lastError().isValid())
            Fail(*query_);
        query_->finish();
        return false;
    }
    Row row;
    const int skip = table_.isEmpty() ? 0 : 1;
    if (skip)
        row.rowid = query_->value(0).toLongLong();
    const int n = static_cast<int>(names_.size());
    row.values.reserve(n);
    for (int i = 0; i < n; ++i)
        row.values.append(query_->value(i + skip));
    rows_.push_back(std::move(row));
    return true;
}

void RecordSet::Close()
{
    if (query_)
        query_->finish();
    query_ = nullptr;
    open_ = false;
    exhausted_ = true;
    rows_.clear();
    names_.clear();
    current_ = 0;
    CancelUpdate();
}

int RecordSet::RecordCount()
{
    while (FetchOne()) {
    }
    return static_cast<int>(rows_.size());
}

bool RecordSet::AtEnd()
{
    if (adding_)
        return false;
    while (current_ >= rows_.size())
        if (!FetchOne())
            return true;
    return false;
}

bool RecordSet::MoveFirst()
{
    CancelUpdate();
    current_ = 0;
    return !AtEnd();
}

bool RecordSet::MoveNext()
{
    CancelUpdate();
    if (current_ < rows_.size() || !AtEnd())
        ++current_;
    return !AtEnd();
}

bool RecordSet::Find(int position, const QVariant& value)
{
    CancelUpdate();
    for (; !AtEnd(); ++current_)
        if (Field(position) == value)
            return true;
    return false;
}

QString RecordSet::FieldName(int position) const
{
    if (position < 0 || position >= FieldCount())
        return {};
    return names_[position];
}

QVariant RecordSet::Field(int position)
{
    if (position < 0 || position >= FieldCount())
        return {};
    if (editing_)
        return edit_[position];
    if (AtEnd())
        return {};
    return rows_[current_].values[position];
}

bool RecordSet::SetField(int position, const QVariant& value)
{
    if (!open_ || position < 0 || position >= FieldCount())
        return Fail(QStringLiteral("no field %1").arg(position));
    if (!editing_) {
        if (AtEnd())
            return Fail(QStringLiteral("no current row"));
        edit_ = rows_[current_].values;
        changed_.assign(names_.size(), false);
        editing_ = true;
    }
    edit_[position] = value;
    changed_[position] = true;
    return true;
}

bool RecordSet::AddNew()
{
    if (!open_)
        return Fail(QStringLiteral("the record set is not open"));
    if (table_.isEmpty())
        return Fail(QStringLiteral("the query's rows cannot be written back"));
    CancelUpdate();
    editing_ = adding_ = true;
    edit_ = QVariantList(FieldCount());
    changed_.assign(names_.size(), false);
    return true;
}

void RecordSet::CancelUpdate()
{
    editing_ = adding_ = false;
    edit_.clear();
    changed_.clear();
}

bool RecordSet::Update()
{
    if (!open_ || !editing_)
        return Fail(QStringLiteral("nothing to store"));
    if (table_.isEmpty())
        return Fail(QStringLiteral("the query's rows cannot be written back"));
    QStringList columns;
    QVariantList values;
    for (int i = 0; i < FieldCount(); ++i)
        if (changed_[i]) {
            columns << QuotedName(names_[i]);
            values << edit_[i];
        }
    QString sql;
    if (adding_) {
        if (columns.isEmpty())
            sql = QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(QuotedName(table_));
        else
            sql = QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                      .arg(QuotedName(table_), columns.join(QLatin1Char(',')),
                           QStringList(columns.size(), QStringLiteral("?")).join(QLatin1Char(',')));
    } else {
        if (columns.isEmpty()) {
            CancelUpdate();
            return true;
        }
        sql = QStringLiteral("UPDATE %1 SET %2=? WHERE rowid=?")
                  .arg(QuotedName(table_), columns.join(QStringLiteral("=?,")));
        values << rows_[current_].rowid;
    }
    // A new record that the database numbers is stored together with its
    // number or not at all.
    const bool numbering = adding_ && numberedByDatabase_ && !changed_[0];
    // Outermost, the savepoint is the record's own transaction, and its
    // release is the commit that puts the record into the file.
    const bool outermost =
        numbering && !InTransaction(QSqlDatabase::database(connection_, false));
    if (numbering && !Run(QStringLiteral("SAVEPOINT new_record"), {}))
        return false;
    QSqlQuery* prepared = Exec(sql, values);
    if (!prepared) {
        if (numbering)
            EndSavepoint(false, outermost);
        return false;
    }
    QSqlQuery& q = *prepared;
    if (!adding_ && q.numRowsAffected() != 1) {
        q.finish();
        return Fail(QStringLiteral("the row is gone"));
    }
    if (adding_) {
        Row row;
        row.rowid = q.lastInsertId().toLongLong();
        row.values = edit_;
        q.finish();
        if (numbering) {
            const std::optional<qint64> number = NumberNewRecord(row.rowid);
            if (!EndSavepoint(number.has_value(), outermost) || !number)
                return false;
            row.values[0] = *number;
        } else if (keyedByFirst_ && !changed_[0]) {
            // The database gave the key: the new row shows it, as a read would.
            row.values[0] = row.rowid;
        }
        // The new row ends the set and stays current: rows of the query
        // not visited yet are dropped rather than all read (adding a record
        // to a large table must not read the table).
        if (query_)
            query_->finish();
        exhausted_ = true;
        rows_.push_back(std::move(row));
        current_ = rows_.size() - 1;
    } else {
        q.finish();
        rows_[current_].values = edit_;
    }
    CancelUpdate();
    return true;
}

bool RecordSet::Run(const QString& sql, const QVariantList& binds)
{
    QSqlQuery* q = Exec(sql, binds);
    if (q)
        q->finish();
    return q != nullptr;
}

QString RecordSet::KeySql(const char* pattern) const
{
    return QString::fromLatin1(pattern).arg(QuotedName(table_), QuotedName(names_[0]));
}

std::optional<QVariant> RecordSet::KeyOf(qint64 rowid)
{
    QSqlQuery* q = Exec(KeySql("SELECT %2 FROM %1 WHERE rowid=?"), {rowid});
    if (!q)
        return std::nullopt;
    const QVariant key = q->next() ? q->value(0) : QVariant();
    q->finish();
    return key;
}

std::optional<qint64> RecordSet::NextNumber(qint64 rowid)
{
    // Every other record's number as the operator's entry reads it: a
    // number as it is, a text by its leading number ("7" is 7, "12xy" 12),
    // no number at all for an empty field or a text without one. Compared
    // as numbers, whatever the file keeps them as: the file's own order
    // puts any text above every number.
    QSqlQuery* q = Exec(KeySql("SELECT %2 FROM %1 WHERE rowid<>?"), {rowid});
    if (!q)
        return std::nullopt;
    double highest = 0;
    QVariant highestKey;
    while (q->next()) {
        const QVariant key = q->value(0);
        std::optional<double> n;
        switch (key.typeId()) {
        case QMetaType::Int:
        case QMetaType::LongLong:
        case QMetaType::Double:
            n = key.toDouble();
            break;
        default:
            if (!key.isNull())
                n = basic::LeadingNumberIfAny(key.toString());
            break;
        }
        if (n && !(*n <= highest)) {
            highest = *n;
            highestKey = key;
        }
    }
    if (q->lastError().isValid()) {
        Fail(*q);
        q->finish();
        return std::nullopt;
    }
    q->finish();
    const double next = std::floor(highest) + 1;
    if (!(next <= double(MaxRecordNumber))) {
        Fail(QStringLiteral("the new record of %1 has no number in %2: above the highest it "
                            "holds, %3, no record number can be given")
                 .arg(table_, names_[0], KeyText(highestKey)));
        return std::nullopt;
    }
    return static_cast<qint64>(next);
}

std::optional<qint64> RecordSet::NumberNewRecord(qint64 rowid)
{
    // The table numbers its records through field 0, its integer key, which
    // is the row's own id. A table that another program rebuilt without
    // that key has stored the row with field 0 empty, and no number would
    // ever find it again: it takes the number after the highest instead.
    std::optional<QVariant> number = KeyOf(rowid);
    if (number && number->isNull()) {
        const std::optional<qint64> next = NextNumber(rowid);
        if (!next
            || !Run(KeySql("UPDATE %1 SET %2=? WHERE rowid=?"), {*next, rowid}))
            return std::nullopt;
        number = KeyOf(rowid);
    }
    if (!number)
        return std::nullopt;
    bool whole = false;
    const qint64 n = number->toLongLong(&whole);
    if (number->isNull() || !whole || n < 1) {
        Fail(QStringLiteral("the new record of %1 has no number in %2 (%3)")
                 .arg(table_, names_[0], KeyText(*number)));
        return std::nullopt;
    }
    // The operator finds a record by entering its number, which the entry
    // takes only up to the highest record number; looked up by it as the
    // import windows do, the number must find this record and no other.
    // A text field holding "9" beside a record 9 is not found by 9 at all.
    if (n > MaxRecordNumber) {
        Fail(QStringLiteral("the new record of %1 has the number %2 in %3, above %4, the "
                            "highest a record can be looked up by")
                 .arg(table_).arg(n).arg(names_[0]).arg(MaxRecordNumber));
        return std::nullopt;
    }
    QSqlQuery* q = Exec(QStringLiteral("SELECT rowid FROM %1 WHERE %2")
                            .arg(QuotedName(table_), RecordNumberTest(table_, names_[0])),
                        {n});
    if (!q)
        return std::nullopt;
    qint64 found = 0;
    bool ours = false;
    while (q->next()) {
        ++found;
        ours = ours || q->value(0).toLongLong() == rowid;
    }
    if (q->lastError().isValid()) {
        Fail(*q);
        q->finish();
        return std::nullopt;
    }
    q->finish();
    if (found != 1 || !ours) {
        Fail(QStringLiteral("the new record of %1 has no number of its own in %2: its number "
                            "%3 finds %4")
                 .arg(table_, names_[0])
                 .arg(n)
                 .arg(found == 1 ? QStringLiteral("another record")
                                 : QStringLiteral("%1 records").arg(found)));
        return std::nullopt;
    }
    return n;
}

bool RecordSet::EndSavepoint(bool keep, bool outermost)
{
    if (keep && Run(QStringLiteral("RELEASE new_record"), {}))
        return true;
    // Undone as a whole, also where the release failed: a transaction left
    // open would take in the next record, whose own release would then
    // commit nothing. The error that got here stays the one told. A
    // savepoint of its own leaves no transaction open behind it, whatever
    // SQLite made of the failure: where the commit waited in vain for a
    // reader (a file in rollback-journal mode), the release below waits in
    // vain too, and only the rollback ends the transaction.
    const QString error = error_;
    const QSqlError sqlError = sqlError_;
    Run(QStringLiteral("ROLLBACK TO new_record"), {});
    Run(QStringLiteral("RELEASE new_record"), {});
    if (outermost && InTransaction(QSqlDatabase::database(connection_, false)))
        Run(QStringLiteral("ROLLBACK"), {});
    error_ = error;
    sqlError_ = sqlError;
    return false;
}

SqlPart RangeTest(const QString& field, qint64 bound1, qint64 bound2, bool negated)
{
    const qint64 lo = std::min(bound1, bound2);
    const qint64 hi = std::max(bound1, bound2);
    return {QStringLiteral("%1 %2between ? and ?").arg(field, negated ? QStringLiteral("not ") : QString()),
            {lo, hi}};
}

} // namespace db
