// One station records a database's rings at a time, whatever happens to
// the file's folder and whoever ran the stations: this station in the test's
// process, the other in a process of its own (recorder_crash_child records
// flat out as root; recorder_user_child is driven tick by tick as nobody).

#include "db/TempDatabase.h"
#include "device/Met1.h"
#include "platform/db/Tables.h"
#include "trend/RecorderReset.h"
#include "trend/mscom.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QThread>
#include <csignal>
#include <gtest/gtest.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString kConn = QStringLiteral("lock-recorder");
// The rows of this station, and of the driven child, carry these.
constexpr float kMine = 4242;
constexpr float kStepChild = 777.5f;

constexpr auto kReadable = QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther;
constexpr auto kOpenFolder =
    kReadable | QFileDevice::ExeOwner | QFileDevice::ExeGroup | QFileDevice::ExeOther;
constexpr auto kAnyoneWrites = QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther;

const QString kSetpriv = QStringLiteral("/usr/bin/setpriv");

// recorder_crash_child: records flat out on its own clock until killed; its
// rows carry small whole numbers. Its log goes to its standard error. As
// nobody it runs under setpriv.
class FlatOutStation {
public:
    explicit FlatOutStation(const QString& path, bool asNobody = false)
    {
        const QStringList args{path, QStringLiteral("0")};
        child_.setProcessChannelMode(QProcess::SeparateChannels);
        if (asNobody)
            child_.start(kSetpriv, QStringList{QStringLiteral("--reuid=65534"),
                                               QStringLiteral("--regid=65534"),
                                               QStringLiteral("--clear-groups"),
                                               QStringLiteral(RECORDER_CRASH_CHILD)}
                                       + args);
        else
            child_.start(QStringLiteral(RECORDER_CRASH_CHILD), args);
    }
    ~FlatOutStation() { End(SIGKILL); }
    // Whether it has run `ticks` ticks (a wide limit).
    bool Ran(int ticks)
    {
        QElapsedTimer clock;
        clock.start();
        while (out_.count('\n') < ticks && clock.elapsed() < 60000
               && child_.state() != QProcess::NotRunning) {
            child_.waitForReadyRead(50);
            out_ += child_.readAllStandardOutput();
        }
        return out_.count('\n') >= ticks;
    }
    void End(int signal)
    {
        if (child_.state() == QProcess::NotRunning)
            return;
        ::kill(static_cast<pid_t>(child_.processId()), signal);
        child_.waitForFinished(10000);
        log_ += QString::fromUtf8(child_.readAllStandardError());
    }
    const QString& Log() const { return log_; }
    qint64 Pid() const { return child_.processId(); }

private:
    QProcess child_;
    QByteArray out_;
    QString log_;
};

// recorder_user_child steps: one tick per line it is sent, as nobody.
class SteppedStation {
public:
    explicit SteppedStation(const QString& path, bool writable)
    {
        QStringList args{path, QStringLiteral("steps")};
        if (writable)
            args << QStringLiteral("writable");
        child_.setProcessChannelMode(QProcess::SeparateChannels);
        child_.start(QStringLiteral(RECORDER_USER_CHILD), args);
    }
    ~SteppedStation()
    {
        child_.closeWriteChannel();
        if (!child_.waitForFinished(10000))
            child_.kill();
    }
    // Whether it loaded its recorder, which opens its connection.
    ::testing::AssertionResult Loaded() { return Await(QStringLiteral("ready"), nullptr); }
    // One tick; whether it may write the rings after it.
    ::testing::AssertionResult Tick(bool& holds)
    {
        child_.write("t\n");
        return Await(QStringLiteral("held="), &holds);
    }
    // The station's log lines that contain part.
    QStringList Logged(const QString& part) const { return log_.filter(part); }

private:
    ::testing::AssertionResult Await(const QString& answer, bool* holds)
    {
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < 60000) {
            while (child_.canReadLine()) {
                const QString line = QString::fromUtf8(child_.readLine()).trimmed();
                if (line.startsWith(answer)) {
                    if (holds)
                        *holds = line.startsWith(QLatin1String("held=1"));
                    return ::testing::AssertionSuccess();
                }
                if (line != QLatin1String("ready"))
                    log_ << line;
            }
            if (child_.state() == QProcess::NotRunning)
                return ::testing::AssertionFailure()
                       << "the child ended with " << child_.exitCode()
                       << (child_.exitCode() == 3   ? " (it could write the file)"
                           : child_.exitCode() == 4 ? " (it could not write the file)"
                                                    : "")
                       << ": " << child_.readAllStandardError().toStdString();
            child_.waitForReadyRead(50);
        }
        return ::testing::AssertionFailure() << "no \"" << answer.toStdString() << "\"";
    }

    QProcess child_;
    QStringList log_;
};

class RecorderLockTest : public ::testing::Test {
protected:
    void SetUp() override { ResetHandshake(); }
    void TearDown() override
    {
        rec.reset();
        db::CloseConnection(kConn);
        ResetHandshake();
        // Root's test folders are removed whatever the child left in them.
        QFile::setPermissions(t.folder(), kOpenFolder | QFileDevice::WriteOwner);
        QFile::setPermissions(folder(), kOpenFolder | QFileDevice::WriteOwner);
    }
    QString folder() const { return QFileInfo(t.path()).absolutePath(); }
    void load()
    {
        StatusValues.fill(kMine);
        rec = std::make_unique<mscom>([this] { return now; }, kConn, [this] { return steady; });
        rec->Timer1.stop();   // the tests tick by hand
    }
    void nextSecond()
    {
        now = now.addSecs(1);
        steady += 1000;
        StatusValues.fill(kMine);
        rec->Timer1_Timer();
    }
    int rows(const char* which)
    {
        t.closeOutside();   // the file at the path now
        return t.scalar(QStringLiteral("select count(*) from pv_data where ShortPv0 %1")
                            .arg(QLatin1String(which)))
            .toInt();
    }
    int mine() { return rows("= 4242"); }
    int theChilds() { return rows("<> 4242"); }
    // A folder that nobody may reach, holding a file that anyone may write.
    void shareWithNobody(QFileDevice::Permissions folderMode)
    {
        t.closeOutside();
        ASSERT_TRUE(QFile::setPermissions(t.folder(), kOpenFolder | QFileDevice::WriteOwner));
        ASSERT_TRUE(QFile::setPermissions(folder(), folderMode));
        ASSERT_TRUE(QFile::setPermissions(t.path(), kReadable | kAnyoneWrites));
    }

    TempDatabase t;
    QDateTime now{QDate(2026, 3, 14), QTime(10, 0, 0)};
    qint64 steady = 0;
    std::unique_ptr<mscom> rec;
};

} // namespace

// The folder renamed, or removed and made again, under the running
// station: it makes a new file at the path and takes the rings of that one.
TEST_F(RecorderLockTest, AfterTheFolderWentTheStationHoldsTheRingsOfTheNewFile)
{
    for (const bool rename : {true, false}) {
        SCOPED_TRACE(rename ? "renamed" : "removed and made again");
        load();
        for (int i = 0; i < 3; ++i)
            nextSecond();
        ASSERT_EQ(mine(), 3);
        t.closeOutside();
        const QString old = folder() + QStringLiteral(".old");
        if (rename) {
            ASSERT_TRUE(QDir().rename(folder(), old));
        } else {
            ASSERT_TRUE(QDir(folder()).removeRecursively());
            ASSERT_TRUE(QDir().mkdir(folder()));
        }
        nextSecond();   // the new file, with empty rings
        ASSERT_EQ(mine(), 1);

        FlatOutStation other(t.path());
        ASSERT_TRUE(other.Ran(30));
        for (int i = 0; i < 3; ++i)
            nextSecond();
        other.End(SIGKILL);
        EXPECT_TRUE(rec->HoldsRings());
        EXPECT_EQ(theChilds(), 0);
        EXPECT_EQ(mine(), 4);   // one a second
        EXPECT_TRUE(other.Log().contains(QLatin1String("another station")))
            << other.Log().toStdString();

        // The next case starts from a fresh file.
        rec.reset();
        db::CloseConnection(kConn);
        t.closeOutside();
        QDir(old).removeRecursively();
        ASSERT_TRUE(QDir(folder()).removeRecursively());
        ASSERT_TRUE(db::InstallAt(t.path()));
    }
}

// A station that ended, however, holds nothing, whoever ran it: here it ran
// as root and is ended, and the one left runs as an ordinary user, on a
// shared file in a folder anyone may write but only the owner of a file may
// remove it from.
TEST_F(RecorderLockTest, AStationThatEndedAsAnotherUserHoldsNothing)
{
    for (const int signal : {SIGKILL, SIGTERM}) {
        SCOPED_TRACE(signal == SIGKILL ? "killed" : "terminated");
        t.exec(QStringLiteral("delete from pv_data"));
        ASSERT_NO_FATAL_FAILURE(shareWithNobody(kOpenFolder | kAnyoneWrites));
        ASSERT_EQ(::chmod(QFile::encodeName(folder()).constData(), 01777), 0);
        FlatOutStation first(t.path());
        ASSERT_TRUE(first.Ran(30));

        SteppedStation left(t.path(), true);
        bool holds = true;
        for (int i = 0; i < 2; ++i) {
            ASSERT_TRUE(left.Tick(holds));
            EXPECT_FALSE(holds);
        }
        EXPECT_EQ(left.Logged(QStringLiteral("another station (process %1)").arg(first.Pid())).size(), 1);
        first.End(signal);
        const int firstRows = theChilds();

        // Taken over at the next try, ten seconds after the first.
        int tick = 2;
        while (!holds && tick < 12) {
            ASSERT_TRUE(left.Tick(holds));
            ++tick;
        }
        ASSERT_TRUE(holds) << "not taken over in " << tick << " ticks";
        for (int i = 0; i < 4; ++i) {
            ASSERT_TRUE(left.Tick(holds));
            EXPECT_TRUE(holds);
        }
        EXPECT_EQ(rows("= 777.5"), 5);   // one a second from the take-over on
        EXPECT_EQ(theChilds() - rows("= 777.5"), firstRows);
        EXPECT_EQ(left.Logged(QStringLiteral("the other station has ended")).size(), 1);
    }
}

// The file and its journals writable by anyone, in a folder that the
// stations' user may not write: no file can be made beside it, and still a
// second station records nothing.
TEST_F(RecorderLockTest, WhereNothingCanBeMadeBesideTheFileASecondStationStillRecordsNothing)
{
    if (!QFileInfo(kSetpriv).isExecutable())
        GTEST_SKIP() << "no setpriv here to run a second station as nobody";
    ASSERT_NO_FATAL_FAILURE(shareWithNobody(kOpenFolder | QFileDevice::WriteOwner));
    // A reader of root's keeps the journals there (rows() leaves it open).
    ASSERT_EQ(rows("is not null"), 0);
    for (const char* journal : {"-wal", "-shm"})
        ASSERT_EQ(QFile::permissions(t.path() + QLatin1String(journal)) & kAnyoneWrites, kAnyoneWrites)
            << journal << ": the stations could not write at all";

    SteppedStation first(t.path(), true);
    bool holds = false;
    ASSERT_TRUE(first.Tick(holds));
    EXPECT_TRUE(holds);
    FlatOutStation second(t.path(), true);
    ASSERT_TRUE(second.Ran(30));
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(first.Tick(holds));
        EXPECT_TRUE(holds);
    }
    second.End(SIGKILL);
    EXPECT_EQ(rows("= 777.5"), 4);   // one a second, the first station's alone
    EXPECT_EQ(rows("not in (4242, 777.5)"), 0);
    EXPECT_TRUE(second.Log().contains(QLatin1String("another station"))) << second.Log().toStdString();
    EXPECT_TRUE(first.Logged(QString()).isEmpty()) << first.Logged(QString()).join(u'\n').toStdString();
}

// Nothing of the lock is beside the file, so nothing there can be deleted
// from under the running station.
TEST_F(RecorderLockTest, NothingBesideTheFileHoldsTheRings)
{
    load();
    nextSecond();
    t.closeOutside();
    const QStringList beside =
        QDir(folder()).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
    EXPECT_EQ(beside, (QStringList{QStringLiteral("Rdatabj.db"), QStringLiteral("Rdatabj.db-shm"),
                                   QStringLiteral("Rdatabj.db-wal")}));
    // Whatever else is there goes, as a careless clean-up would remove it.
    for (const QString& name : beside) {
        if (name != QLatin1String("Rdatabj.db") && name != QLatin1String("Rdatabj.db-wal")
            && name != QLatin1String("Rdatabj.db-shm")) {
            ASSERT_TRUE(QFile::remove(folder() + u'/' + name));
        }
    }

    FlatOutStation other(t.path());
    ASSERT_TRUE(other.Ran(30));
    for (int i = 0; i < 3; ++i)
        nextSecond();
    other.End(SIGKILL);
    EXPECT_EQ(theChilds(), 0);
    EXPECT_EQ(mine(), 4);
}

// A station that cannot write the file does not keep the rings from one
// that can, whichever started first.
TEST_F(RecorderLockTest, AStationThatCannotWriteTheFileLeavesTheRingsToOneThatCan)
{
    t.closeOutside();
    ASSERT_TRUE(QFile::setPermissions(t.folder(), kOpenFolder | QFileDevice::WriteOwner));
    ASSERT_TRUE(QFile::setPermissions(folder(), kOpenFolder | kAnyoneWrites));
    ASSERT_TRUE(QFile::setPermissions(t.path(), kReadable | QFileDevice::WriteOwner));
    SteppedStation reader(t.path(), false);
    bool holds = false;
    for (int i = 0; i < 3; ++i)
        ASSERT_TRUE(reader.Tick(holds));

    load();
    for (int i = 0; i < 5; ++i) {
        nextSecond();
        ASSERT_TRUE(reader.Tick(holds));
    }
    EXPECT_TRUE(rec->HoldsRings());
    EXPECT_EQ(mine(), 5);
    EXPECT_EQ(theChilds(), 0);
}

// A file that the station cannot open for the lock (its permissions changed
// after the connection opened): the station records as before there was a
// lock, says so once, and tries again only as often as before.
TEST_F(RecorderLockTest, WhereTheLockCannotBeTakenTheStationSaysSoOnceAndRecords)
{
    ASSERT_NO_FATAL_FAILURE(shareWithNobody(kOpenFolder | kAnyoneWrites));
    SteppedStation station(t.path(), true);
    ASSERT_TRUE(station.Loaded());
    ASSERT_TRUE(QFile::setPermissions(t.path(), kAnyoneWrites));
    bool holds = false;
    for (int i = 0; i < 12; ++i) {
        ASSERT_TRUE(station.Tick(holds));
        EXPECT_TRUE(holds);
    }
    ASSERT_TRUE(QFile::setPermissions(t.path(), kReadable | kAnyoneWrites));
    EXPECT_EQ(rows("= 777.5"), 12);
    const QStringList lines = station.Logged(QStringLiteral("warning"));
    EXPECT_EQ(lines.size(), 1) << lines.join(u'\n').toStdString();
    EXPECT_EQ(station.Logged(QStringLiteral("cannot be locked (Permission denied)")).size(), 1);
}
