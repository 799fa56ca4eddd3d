#pragma once
// A small SQLite database with the ring tables and sl_void in the field
// positions the station uses, for the chart tests and the benchmark.

#include "platform/basic/daynumbers.h"

#include <QDateTime>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QVariant>
#include <array>
#include <functional>
#include <memory>

namespace chart::testing {

class RingFixture {
public:
    // An in-memory database unless a file is named.
    explicit RingFixture(const QString& file = QStringLiteral(":memory:"))
        : name_(QStringLiteral("chart-fixture-%1").arg(++Counter()))
    {
        db_ = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name_);
        db_.setDatabaseName(file);
        db_.open();
        for (const char* ring : {"pv_data (w_id", "Lpv_wdjl (lw_id"}) {
            const QString prefix = QString::fromLatin1(ring).startsWith(QLatin1String("pv"))
                                       ? QStringLiteral("ShortPv")
                                       : QStringLiteral("LongPv");
            QString sql = QStringLiteral("create table %1 integer, w_date double, w_time double")
                              .arg(QLatin1String(ring));
            for (int k = 0; k < 8; ++k)
                sql += QStringLiteral(", %1%2 real").arg(prefix).arg(k);
            Exec(sql + QLatin1Char(')'));
        }
        Exec(QStringLiteral("create unique index pv_data_id on pv_data (w_id)"));
        Exec(QStringLiteral("create unique index lpv_wdjl_id on Lpv_wdjl (lw_id)"));
        Exec(QStringLiteral("create table sl_void (ShortHead integer, ShortHeadCopy integer, "
                            "LongHead integer, LongHeadCopy integer)"));
        Exec(QStringLiteral("insert into sl_void values (0, 0, 0, 0)"));
    }
    ~RingFixture()
    {
        db_.close();
        db_ = QSqlDatabase();
        QSqlDatabase::removeDatabase(name_);
    }

    QSqlDatabase Database() const { return db_; }

    void Exec(const QString& sql)
    {
        QSqlQuery q(db_);
        q.exec(sql);
    }

    void SetHeads(int shortHead, int longHead)
    {
        QSqlQuery q(db_);
        q.prepare(QStringLiteral("update sl_void set ShortHead = ?, ShortHeadCopy = ?, "
                                 "LongHead = ?, LongHeadCopy = ?"));
        for (int v : {shortHead, shortHead, longHead, longHead})
            q.addBindValue(v);
        q.exec();
    }

    // One row: the id, its stamp and eight values.
    void WriteRow(const QString& table, int id, const QDateTime& stamp,
                  const std::array<float, 8>& values)
    {
        if (!insert_ || insertTable_ != table) {
            insert_ = std::make_unique<QSqlQuery>(db_);
            insert_->prepare(QStringLiteral("insert or replace into %1 values (?,?,?,?,?,?,?,?,?,?,?)")
                                 .arg(table));
            insertTable_ = table;
        }
        const basic::DayStamp d = basic::SplitDayStamp(stamp);
        insert_->bindValue(0, id);
        insert_->bindValue(1, d.date);
        insert_->bindValue(2, d.time);
        for (int k = 0; k < 8; ++k)
            insert_->bindValue(3 + k, double(values[k]));
        insert_->exec();
    }

    // count rows ending at id head, one every step seconds, the newest at
    // newest; the ids run back across the top of the ring. Value 7 holds
    // the id, value 0 the row's age in rows (0 for the newest).
    void WriteRing(const QString& table, int head, int count, const QDateTime& newest,
                   int stepSeconds = 1)
    {
        db_.transaction();
        for (int age = 0; age < count; ++age) {
            int id = head - age;
            while (id < 1)
                id += 65500;
            WriteRow(table, id, newest.addSecs(-qint64(age) * stepSeconds),
                     {float(age), 50, 0, 0, 0, 0, 0, float(id)});
        }
        db_.commit();
    }

private:
    static int& Counter() { static int n = 0; return n; }
    QString name_;
    QSqlDatabase db_;
    std::unique_ptr<QSqlQuery> insert_;
    QString insertTable_;
};

} // namespace chart::testing
