#pragma once
// Other programs on the station's database, each in a process of its own:
// db_peer_child reading or writing with its own connection, and cp taking
// the file alone as a backup does.

#include <QProcess>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QVariant>
#include <gtest/gtest.h>

// db_peer_child, started with its arguments; it waits for a line before it
// lets go of the file.
class DatabasePeer {
public:
    explicit DatabasePeer(const QStringList& arguments)
    {
        child_.setProcessChannelMode(QProcess::SeparateChannels);
        child_.start(QStringLiteral(DB_PEER_CHILD), arguments);
        if (child_.waitForStarted(10000)) {
            while (!child_.canReadLine() && child_.state() == QProcess::Running)
                child_.waitForReadyRead(60000);
            said_ = QString::fromUtf8(child_.readLine()).trimmed();
        }
    }
    ~DatabasePeer() { Release(); }
    // Its first line ("holding N", "written"); empty when it failed.
    const QString& said() const { return said_; }
    std::string error() { return child_.readAllStandardError().toStdString(); }
    // Lets go of the file and ends; whether it ended well.
    bool Release()
    {
        if (child_.state() == QProcess::NotRunning)
            return child_.exitStatus() == QProcess::NormalExit && child_.exitCode() == 0;
        child_.write("\n");
        child_.closeWriteChannel();
        if (!child_.waitForFinished(30000)) {
            child_.kill();
            child_.waitForFinished(10000);
            return false;
        }
        return child_.exitStatus() == QProcess::NormalExit && child_.exitCode() == 0;
    }

private:
    QProcess child_;
    QString said_;
};

// The file alone, as a backup taken while the station runs sees it: copied
// by cp, then read with no journal beside the copy.
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
