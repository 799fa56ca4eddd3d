#pragma once
// The file alone, as a backup taken while the station runs sees it: copied
// by cp in a process of its own, then read with no journal beside the copy.

#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QThread>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QVariant>
#include <gtest/gtest.h>

class FileAlone {
public:
    explicit FileAlone(const QString& file) : copy_(dir_.path() + QStringLiteral("/alone.db"))
    {
        copied_ = QProcess::execute(QStringLiteral("cp"), {file, copy_}) == 0;
        QSqlDatabase d = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), kName);
        d.setDatabaseName(copy_);
        opened_ = copied_ && d.open();
    }
    ~FileAlone()
    {
        QSqlDatabase::database(kName, false).close();
        QSqlDatabase::removeDatabase(kName);
    }
    bool copied() const { return copied_ && opened_; }
    QVariant scalar(const QString& sql)
    {
        QSqlQuery q(QSqlDatabase::database(kName, false));
        EXPECT_TRUE(q.exec(sql)) << sql.toStdString() << ": " << q.lastError().text().toStdString();
        return q.next() ? q.value(0) : QVariant();
    }
    int count(const char* table)
    {
        return scalar(QStringLiteral("select count(*) from %1").arg(QLatin1String(table))).toInt();
    }

private:
    static inline const QString kName = QStringLiteral("test-file-alone");
    QTemporaryDir dir_;
    QString copy_;
    bool copied_ = false;
    bool opened_ = false;
};

// Waits, within a wide limit, until the log beside file is empty (or gone):
// the station folds it into the file on a thread of its own.
inline bool LogEmptied(const QString& file)
{
    const QString log = file + QStringLiteral("-wal");
    QElapsedTimer waited;
    waited.start();
    while (QFileInfo(log).size() > 0 && waited.elapsed() < 20000)
        QThread::msleep(2);
    return QFileInfo(log).size() == 0;
}
