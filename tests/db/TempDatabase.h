#pragma once
// A freshly installed database in a temporary folder, named by ZC4160_DB for
// the time of a test, plus a plain connection of the test's own to look at
// it from outside.

#include "platform/db/DatabaseFile.h"
#include "platform/db/Tables.h"

#include <QByteArray>
#include <QMap>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <QVariant>
#include <QVariantList>
#include <gtest/gtest.h>
#include <vector>

#include <ostream>

// Readable values in failure messages.
inline void PrintTo(const QVariant& v, std::ostream* os)
{
    *os << (v.isNull() ? std::string("NULL") : v.toString().toStdString());
}
inline void PrintTo(const QString& s, std::ostream* os)
{
    *os << '"' << s.toStdString() << '"';
}

class TempDatabase {
public:
    // In a temporary folder of its own, or in the folder given.
    explicit TempDatabase(bool install = true, const QString& folder = QString())
    {
        saved_ = qgetenv("ZC4160_DB");
        hadSaved_ = qEnvironmentVariableIsSet("ZC4160_DB");
        folder_ = folder.isEmpty() ? dir_.path() : folder;
        path_ = folder_ + QStringLiteral("/Lumo/Rdatabj.db");
        qputenv("ZC4160_DB", path_.toUtf8());
        if (install) {
            QString error;
            EXPECT_TRUE(db::InstallAt(path_, &error)) << error.toStdString();
        }
    }
    ~TempDatabase()
    {
        if (QSqlDatabase::contains(kOutside)) {
            QSqlDatabase::database(kOutside, false).close();
            QSqlDatabase::removeDatabase(kOutside);
        }
        if (hadSaved_)
            qputenv("ZC4160_DB", saved_);
        else
            qunsetenv("ZC4160_DB");
    }
    const QString& path() const { return path_; }

    // Closes the test's own connection, so that the next use opens the file
    // that is at the path then.
    void closeOutside()
    {
        if (QSqlDatabase::contains(kOutside)) {
            QSqlDatabase::database(kOutside, false).close();
            QSqlDatabase::removeDatabase(kOutside);
        }
    }
    const QString& folder() const { return folder_; }

    // The test's own connection (opened on first use).
    QSqlDatabase outside()
    {
        if (!QSqlDatabase::contains(kOutside)) {
            QSqlDatabase d = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), kOutside);
            d.setDatabaseName(path_);
            d.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=2000"));
            EXPECT_TRUE(d.open());
        }
        return QSqlDatabase::database(kOutside, false);
    }
    void exec(const QString& sql, const QVariantList& binds = {})
    {
        QSqlQuery q(outside());
        ASSERT_TRUE(q.prepare(sql)) << q.lastError().text().toStdString();
        for (int i = 0; i < binds.size(); ++i)
            q.bindValue(i, binds[i]);
        ASSERT_TRUE(q.exec()) << q.lastError().text().toStdString();
    }
    std::vector<QVariantList> rows(const QString& sql, const QVariantList& binds = {})
    {
        std::vector<QVariantList> out;
        QSqlQuery q(outside());
        q.setForwardOnly(true);
        EXPECT_TRUE(q.prepare(sql)) << q.lastError().text().toStdString();
        for (int i = 0; i < binds.size(); ++i)
            q.bindValue(i, binds[i]);
        EXPECT_TRUE(q.exec()) << q.lastError().text().toStdString();
        while (q.next()) {
            QVariantList row;
            for (int i = 0; i < q.record().count(); ++i)
                row << q.value(i);
            out.push_back(row);
        }
        return out;
    }
    QVariant scalar(const QString& sql, const QVariantList& binds = {})
    {
        auto r = rows(sql, binds);
        return r.empty() || r[0].isEmpty() ? QVariant() : r[0][0];
    }

    // Keeps a copy of a table as it is now, to rebuild it from later.
    void keep(const QString& table)
    {
        exec(QStringLiteral("drop table if exists %1").arg(Quoted(KeptName(table))));
        exec(QStringLiteral("create table %1 as select * from %2")
                 .arg(Quoted(KeptName(table)), Quoted(table)));
    }
    // Rebuilds a kept table from its copy, as another program might: with
    // these fields in this order and the rows it held; a field left out is
    // gone, one the copy did not have comes in empty. The key, when listed,
    // stays the integer key, so the records keep their numbers. A field
    // named in defaults takes that SQL value where a new row leaves it out.
    void rebuild(const QString& table, const QStringList& fields, const QString& key,
                 const QMap<QString, QString>& defaults = {})
    {
        QStringList had;
        for (const QVariantList& column :
             rows(QStringLiteral("pragma table_info(%1)").arg(Quoted(KeptName(table)))))
            had << column.value(1).toString();
        QStringList columns, names, values;
        for (const QString& field : fields) {
            columns << Quoted(field) + (field == key ? QStringLiteral(" INTEGER PRIMARY KEY") : QString())
                           + (defaults.contains(field) ? QStringLiteral(" DEFAULT ") + defaults[field]
                                                       : QString());
            names << Quoted(field);
            values << (had.contains(field) ? Quoted(field) : QStringLiteral("NULL"));
        }
        exec(QStringLiteral("drop table if exists %1").arg(Quoted(table)));
        exec(QStringLiteral("create table %1 (%2)").arg(Quoted(table), columns.join(u',')));
        exec(QStringLiteral("insert into %1 (%2) select %3 from %4")
                 .arg(Quoted(table), names.join(u','), values.join(u','), Quoted(KeptName(table))));
    }

    // The table rebuilt as another program might leave it: its rows, but
    // neither its integer key nor the fields' types, so a field keeps any
    // value as it was given, a number as a text too; the number field with
    // the SQL value keyDefault as its default, when given.
    void dropKey(const QString& table, const QString& keyDefault = QString())
    {
        keep(table);
        const QStringList names = db::FieldNames(*db::FindTable(table));
        QMap<QString, QString> defaults;
        if (!keyDefault.isEmpty())
            defaults[names[0]] = keyDefault;
        rebuild(table, names, QString(), defaults);
    }
    // The table as the station installs it, empty, its numbering begun anew.
    void reinstall(const QString& table)
    {
        exec(QStringLiteral("drop table if exists %1").arg(Quoted(table)));
        exec(db::CreateTableSql(*db::FindTable(table)));
        exec(QStringLiteral("delete from sqlite_sequence where name=?"), {table});
    }
    // A trigger of another program: each record stored in the table gets
    // the number valueSql (an SQL expression; NULL takes it away) the
    // moment its number is given, until stopRenumbering().
    void renumber(const QString& table, const QString& key, const QString& valueSql)
    {
        exec(QStringLiteral("create trigger renumbered after update of %2 on %1 begin "
                            "update %1 set %2=%3 where rowid=new.rowid; end")
                 .arg(Quoted(table), Quoted(key), valueSql));
    }
    void stopRenumbering() { exec(QStringLiteral("drop trigger if exists renumbered")); }

private:
    static QString Quoted(const QString& name) { return u'"' + name + u'"'; }
    static QString KeptName(const QString& table) { return QStringLiteral("kept_") + table; }

    static inline const QString kOutside = QStringLiteral("test-outside");
    QTemporaryDir dir_;
    QString folder_;
    QString path_;
    QByteArray saved_;
    bool hadSaved_ = false;
};
