#pragma once
// Another program on the station's database, in a process of its own:
// db_peer_child reading or writing with its own connection.

#include "db/FileAlone.h"

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
