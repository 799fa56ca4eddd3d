// The recorder and the file at the database's path: the file alone as the
// whole database between ticks, a file deleted, moved away or replaced under
// the running station, a path that is a link pointed elsewhere, and a
// second station on one file.

#include "db/DatabasePeer.h"
#include "db/LogCapture.h"
#include "db/TempDatabase.h"
#include "device/Met1.h"
#include "platform/db/Tables.h"
#include "trend/RecorderReset.h"
#include "trend/RecorderShared.h"
#include "trend/mscom.h"

#include <QFile>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QThread>
#include <QSqlQuery>
#include <QStringList>
#include <csignal>
#include <cstdio>
#include <gtest/gtest.h>
#include <memory>
#include <unistd.h>

namespace {

const QString kConn = QStringLiteral("path-recorder");
// A window's connection (the chart's, an import window's) beside the recorder.
const QString kReader = QStringLiteral("path-reader");
const char* const kMoved = "is not the file the station opened";

class RecorderPathTest : public ::testing::Test {
protected:
    void SetUp() override { ResetHandshake(); }
    void TearDown() override
    {
        rec.reset();
        other.reset();
        db::CloseConnection(kConn);
        db::CloseConnection(kConn + QStringLiteral("-2"));
        db::CloseConnection(kReader);
        ResetHandshake();
    }
    std::unique_ptr<mscom> recorder(const QString& name)
    {
        db::CloseConnection(name);
        auto r = std::make_unique<mscom>([this] { return now; }, name, [this] { return steady; });
        r->Timer1.stop();   // the tests tick by hand
        return r;
    }
    // One clock second on, and every recorder ticks once.
    void nextSecond()
    {
        now = now.addSecs(1);
        steady += 1000;
        for (mscom* r : {rec.get(), other.get()})
            if (r)
                r->Timer1_Timer();
    }
    // A tick a second later on the steady clock but in the same clock
    // second: nothing is stored, and a fold of whatever the log still holds
    // is asked again.
    void settle()
    {
        steady += 1000;
        for (mscom* r : {rec.get(), other.get()})
            if (r)
                r->Timer1_Timer();
    }
    void requestBoth(int value)
    {
        ConfBuf.fill(value);
        CaliBuf.fill(value);
        SaveConfFlag = SaveCaliFlag = true;
    }
    int count(const char* table)
    {
        return t.scalar(QStringLiteral("select count(*) from %1").arg(QLatin1String(table))).toInt();
    }
    // pattern with %1 the record table, %2 its number field and %3 its
    // first value's field.
    static QString sql(const char* pattern, const char* table)
    {
        const QString name = QLatin1String(table);
        const QStringList names = db::FieldNames(*db::FindTable(name));
        const int first = name == QLatin1String(db::ConfTable) ? db::conf::FirstValue
                                                               : db::cali::FirstValue;
        return QString::fromLatin1(pattern).arg(db::QuotedName(name), db::QuotedName(names[0]),
                                                db::QuotedName(names[first]));
    }
    // The file at the path, as a program that opens it now sees it.
    QString integrity()
    {
        t.closeOutside();
        return t.scalar(QStringLiteral("pragma integrity_check")).toString();
    }

    // The file, or its folder, renamed away while another program holds
    // a read transaction on it, so that the log cannot be folded in yet.
    void MoveAwayWhileRead(bool folder);

    TempDatabase t;
    QDateTime now{QDate(2026, 3, 14), QTime(10, 0, 0)};
    qint64 steady = 0;
    std::unique_ptr<mscom> rec, other;
};

} // namespace

namespace {

// A copy of the file as it is committed now, made by another program.
QString CopyOf(TempDatabase& t, const QString& name)
{
    const QString copy = QFileInfo(t.path()).absolutePath() + u'/' + name;
    t.exec(QStringLiteral("vacuum into ?"), {copy});
    return copy;
}

void Edit(const QString& file, const QStringList& statements)
{
    {
        QSqlDatabase d = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("editor"));
        d.setDatabaseName(file);
        ASSERT_TRUE(d.open());
        QSqlQuery q(d);
        for (const QString& s : statements)
            ASSERT_TRUE(q.exec(s)) << s.toStdString() << ": " << q.lastError().text().toStdString();
        q.finish();
        d.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("editor"));
}

} // namespace

TEST_F(RecorderPathTest, AFileDeletedUnderTheStationIsInstalledAgainAndEverythingGoesThere)
{
    rec = recorder(kConn);
    ASSERT_TRUE(db::OpenConnection(kReader).isOpen());
    for (int i = 0; i < 3; ++i)
        nextSecond();
    ASSERT_EQ(count("pv_data"), 3);

    LogCapture log("zc4160.");
    t.closeOutside();   // the program that deletes it holds no connection
    ASSERT_TRUE(QFile::remove(t.path()));   // as rm does: the journal files stay
    requestBoth(7);
    nextSecond();

    EXPECT_EQ(log.warnings().filter(QLatin1String(kMoved)).size(), 1) << log.warnings().join(u'\n').toStdString();
    EXPECT_EQ(log.infos().filter(QStringLiteral("installed a new database")).size(), 1);
    ASSERT_TRUE(QFileInfo::exists(t.path()));
    EXPECT_EQ(SaveConfResult.outcome, SaveOutcome::Stored);
    EXPECT_EQ(SaveCaliResult.outcome, SaveOutcome::Stored);
    EXPECT_EQ(SaveConfResult.recordNumber, 1);
    EXPECT_EQ(SaveCaliResult.recordNumber, 1);

    nextSecond();
    EXPECT_EQ(integrity(), QStringLiteral("ok"));
    // Empty rings, going on from the new file's heads.
    EXPECT_EQ(t.rows(QStringLiteral("select w_id from pv_data order by w_id")).size(), 2u);
    EXPECT_EQ(t.scalar(QStringLiteral("select max(w_id) from pv_data")).toInt(), 2);
    EXPECT_EQ(t.scalar(QStringLiteral("select ShortHead from sl_void")).toInt(), 2);
    EXPECT_EQ(t.scalar(sql("select %3 from %1 where %2 = 1", "CONF")).toInt(), 7);
    EXPECT_EQ(t.scalar(sql("select %3 from %1 where %2 = 1", "Calibration")).toInt(), 7);
    // The window's connection reads the file at the path too.
    QSqlQuery reader(QSqlDatabase::database(kReader, false));
    ASSERT_TRUE(reader.exec(QStringLiteral("select count(*) from \"CONF\""))) ;
    ASSERT_TRUE(reader.next());
    EXPECT_EQ(reader.value(0).toInt(), 1);
    EXPECT_EQ(log.warnings().filter(QLatin1String(kMoved)).size(), 1);
}

TEST_F(RecorderPathTest, AnEditedCopyMovedOverTheFileIsTakenWithItsEdits)
{
    rec = recorder(kConn);
    ASSERT_TRUE(db::OpenConnection(kReader).isOpen());
    for (int i = 0; i < 3; ++i)
        nextSecond();
    requestBoth(5);
    nextSecond();
    ASSERT_EQ(SaveConfResult.recordNumber, 1);

    // Another program copies the file, edits the copy (a record of its own,
    // a value of a ring row), and later moves it over the file, as a restore
    // does. Meanwhile the station has written on into the old file.
    const QString copy = CopyOf(t, QStringLiteral("restore.db"));
    Edit(copy, {QStringLiteral("pragma journal_mode=wal"),
                sql("insert into %1 (%2, %3) values (40, 40)", "CONF"),
                QStringLiteral("update pv_data set ShortPv0 = 123.5 where w_id = 2"),
                // Its heads lost too: they are the copy's newest rows, not
                // the ids the station held for the old file.
                QStringLiteral("delete from sl_void")});
    nextSecond();
    nextSecond();
    ASSERT_EQ(count("pv_data"), 6);

    LogCapture log("zc4160.");
    t.closeOutside();
    ASSERT_EQ(std::rename(QFile::encodeName(copy).constData(), QFile::encodeName(t.path()).constData()), 0);
    requestBoth(9);
    nextSecond();

    EXPECT_EQ(log.warnings().filter(QLatin1String(kMoved)).size(), 1) << log.warnings().join(u'\n').toStdString();
    EXPECT_EQ(SaveConfResult.outcome, SaveOutcome::Stored);
    EXPECT_EQ(SaveConfResult.recordNumber, 41);   // after the copy's own record
    EXPECT_EQ(SaveCaliResult.outcome, SaveOutcome::Stored);
    EXPECT_EQ(SaveCaliResult.recordNumber, 2);
    for (int i = 0; i < 3; ++i)
        nextSecond();

    // Everything ends as a station that closes does: nothing left of the old
    // file's journal may come back into the file at the path.
    rec.reset();
    db::CloseConnection(kConn);
    db::CloseConnection(kReader);
    EXPECT_EQ(integrity(), QStringLiteral("ok"));
    EXPECT_EQ(t.rows(sql("select %2, %3 from %1", "CONF")).size(), 3u);
    EXPECT_EQ(t.scalar(sql("select %3 from %1 where %2 = 40", "CONF")).toInt(), 40);
    EXPECT_EQ(t.scalar(sql("select %3 from %1 where %2 = 41", "CONF")).toInt(), 9);
    EXPECT_EQ(t.scalar(sql("select %3 from %1 where %2 = 2", "Calibration")).toInt(), 9);
    EXPECT_EQ(t.scalar(QStringLiteral("select ShortPv0 from pv_data where w_id = 2")).toDouble(), 123.5);
    // The copy's four rows, then the rows written since it stands there:
    // the two the old file took in between are not in it.
    EXPECT_EQ(count("pv_data"), 4 + 4);
    EXPECT_EQ(t.scalar(QStringLiteral("select ShortHead from sl_void")).toInt(), 8);
    EXPECT_EQ(t.scalar(QStringLiteral("select max(w_id) from pv_data")).toInt(), 8);
    EXPECT_EQ(log.warnings().filter(QStringLiteral("taken from the newest rows")).size(), 1);
    EXPECT_EQ(log.warnings().filter(QLatin1String(kMoved)).size(), 1);
}

TEST_F(RecorderPathTest, ASecondStationOnTheFileWritesNoRingRowsUntilTheFirstEnds)
{
    rec = recorder(kConn);
    nextSecond();
    LogCapture log("zc4160.recorder");
    other = recorder(kConn + QStringLiteral("-2"));
    for (int i = 0; i < 12; ++i)
        nextSecond();
    EXPECT_TRUE(rec->HoldsRings());
    EXPECT_FALSE(other->HoldsRings());
    // One row a second: the first station's alone.
    EXPECT_EQ(count("pv_data"), 13);
    EXPECT_EQ(log.warnings().filter(QStringLiteral("another station")).size(), 1)
        << log.warnings().join(u'\n').toStdString();

    // Its records are stored as always, and folded into the file by it:
    // the first station ticks no more meanwhile.
    ConfBuf.fill(6);
    SaveConfFlag = true;
    rec->Timer1.stop();
    other->Timer1_Timer();
    EXPECT_EQ(SaveConfResult.outcome, SaveOutcome::Stored);
    {
        steady += 1000;
        other->Timer1_Timer();
        ASSERT_TRUE(LogEmptied(t.path()));
        FileAlone alone(t.path());
        ASSERT_TRUE(alone.copied());
        EXPECT_EQ(alone.scalar(sql("select %3 from %1 where %2 = 1", "CONF")).toInt(), 6);
    }

    // The first ends: the second takes the rings over by itself, from the
    // head the first left.
    rec.reset();
    db::CloseConnection(kConn);
    for (int i = 0; i < 11; ++i)
        nextSecond();
    EXPECT_TRUE(other->HoldsRings());
    EXPECT_GT(count("pv_data"), 13);
    EXPECT_EQ(t.scalar(QStringLiteral("select max(w_id) from pv_data")).toInt(), count("pv_data"));
    EXPECT_EQ(log.infos().filter(QStringLiteral("other station has ended")).size(), 1);
    EXPECT_EQ(log.warnings().filter(QStringLiteral("another station")).size(), 1);
}

TEST_F(RecorderPathTest, AStationInAnotherProcessKeepsTheRingsUntilItIsGone)
{
    // The other station records flat out from its first tick on.
    QProcess other;
    other.setStandardOutputFile(QProcess::nullDevice());
    other.start(QStringLiteral(RECORDER_CRASH_CHILD), {t.path(), QStringLiteral("0")});
    ASSERT_TRUE(other.waitForStarted(10000));
    QElapsedTimer waited;
    waited.start();
    while (count("pv_data") == 0 && waited.elapsed() < 60000)
        QThread::msleep(20);
    ASSERT_GT(count("pv_data"), 0);

    LogCapture log("zc4160.recorder");
    StatusValues.fill(4242);   // this station's rows carry these
    rec = recorder(kConn);
    for (int i = 0; i < 3; ++i)
        nextSecond();
    EXPECT_FALSE(rec->HoldsRings());
    ASSERT_TRUE(log.Warned(0, QStringLiteral("another station (process %1)").arg(other.processId())));

    // Killed, it holds nothing any more: the lock ends with its process.
    ::kill(static_cast<pid_t>(other.processId()), SIGKILL);
    ASSERT_TRUE(other.waitForFinished(10000));
    const QString mine = QStringLiteral("select count(*) from pv_data where ShortPv0 = 4242");
    EXPECT_EQ(t.scalar(mine).toInt(), 0);
    for (int i = 0; i < 11; ++i)
        nextSecond();
    EXPECT_TRUE(rec->HoldsRings());
    EXPECT_GT(t.scalar(mine).toInt(), 0);
    EXPECT_EQ(log.warnings().size(), 1) << log.warnings().join(u'\n').toStdString();
}

TEST_F(RecorderPathTest, TheFileAloneHoldsEveryRowHeadAndRecordOnceStored)
{
    rec = recorder(kConn);
    ASSERT_TRUE(db::OpenConnection(kReader).isOpen());   // a window's, beside it
    for (int i = 0; i < 3; ++i)
        nextSecond();
    requestBoth(5);
    nextSecond();
    settle();

    // Emptied, not only copied from: frames left in it would be taken for
    // its own by a file that replaces this one.
    ASSERT_TRUE(LogEmptied(t.path()));
    FileAlone alone(t.path());
    ASSERT_TRUE(alone.copied());
    EXPECT_EQ(alone.scalar(QStringLiteral("pragma integrity_check")).toString(), QStringLiteral("ok"));
    EXPECT_EQ(alone.count("pv_data"), 4);
    EXPECT_EQ(alone.count("Lpv_wdjl"), 1);
    EXPECT_EQ(alone.scalar(QStringLiteral("select ShortHead from sl_void")).toInt(), 4);
    EXPECT_EQ(alone.scalar(QStringLiteral("select LongHead from sl_void")).toInt(), 1);
    EXPECT_EQ(alone.scalar(sql("select %3 from %1 where %2 = 1", "CONF")).toInt(), 5);
    EXPECT_EQ(alone.scalar(sql("select %3 from %1 where %2 = 1", "Calibration")).toInt(), 5);
}

// Another program writes into the file and keeps its connection open, so
// that its own close does not fold its write in. The station folds it at its
// next tick, though it stored nothing itself: a backup copied then, or a copy
// moved over the file, would miss it otherwise.
TEST_F(RecorderPathTest, AnotherProgramsWriteIsInTheFileAloneAfterTheNextTick)
{
    rec = recorder(kConn);
    nextSecond();
    settle();
    ASSERT_TRUE(LogEmptied(t.path()));
    t.closeOutside();
    DatabasePeer writer({QStringLiteral("write"), t.path(),
                         sql("insert into %1 (%2, %3) values (70, 70)", "CONF")});
    ASSERT_EQ(writer.said(), QStringLiteral("written")) << writer.error();
    settle();   // the same clock second: nothing of its own to store

    ASSERT_TRUE(LogEmptied(t.path()));
    FileAlone alone(t.path());
    ASSERT_TRUE(alone.copied());
    EXPECT_EQ(alone.scalar(sql("select %3 from %1 where %2 = 70", "CONF")).toInt(), 70);
    EXPECT_EQ(alone.count("pv_data"), 1);
    EXPECT_TRUE(writer.Release());
}

// Another program that holds a read transaction keeps the log's frames from
// the file while it lasts: the recorder stores on, a row every second, and
// gives the fold up at once each tick rather than wait for the reader.
TEST_F(RecorderPathTest, AReaderCostsNoRowAndOnceItEndsTheNextTickFoldsTheLog)
{
    rec = recorder(kConn);
    nextSecond();
    DatabasePeer reader({QStringLiteral("hold"), t.path()});
    ASSERT_EQ(reader.said(), QStringLiteral("holding 1")) << reader.error();

    QElapsedTimer ticking;
    ticking.start();
    for (int i = 0; i < 30; ++i)
        nextSecond();
    // A fold that waited the recorder's busy timeout would take six seconds.
    EXPECT_LT(ticking.elapsed(), 3000);
    EXPECT_EQ(count("pv_data"), 31);
    t.closeOutside();
    EXPECT_GT(QFileInfo(t.path() + QStringLiteral("-wal")).size(), 0);   // the reader held it

    ASSERT_TRUE(reader.Release());
    rec->Timer1_Timer();   // the same clock second: nothing to store
    ASSERT_TRUE(LogEmptied(t.path()));
    FileAlone alone(t.path());
    ASSERT_TRUE(alone.copied());
    EXPECT_EQ(alone.count("pv_data"), 31);
    EXPECT_EQ(alone.scalar(QStringLiteral("select ShortHead from sl_void")).toInt(), 31);
}

void RecorderPathTest::MoveAwayWhileRead(bool folder)
{
    rec = recorder(kConn);
    ASSERT_TRUE(db::OpenConnection(kReader).isOpen());
    nextSecond();
    DatabasePeer reader({QStringLiteral("hold"), t.path()});
    ASSERT_EQ(reader.said(), QStringLiteral("holding 1")) << reader.error();
    requestBoth(3);
    for (int i = 0; i < 3; ++i)
        nextSecond();   // rows 2 to 4 and the records in the log alone

    LogCapture log("zc4160.");
    t.closeOutside();
    const QString lumo = QFileInfo(t.path()).absolutePath();
    const QString from = folder ? lumo : t.path();
    const QString to = folder ? lumo + QStringLiteral("-2026-11") : lumo + QStringLiteral("/Rdatabj-2026-11.db");
    const QString away = folder ? to + QStringLiteral("/Rdatabj.db") : to;
    ASSERT_EQ(std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()), 0);
    nextSecond();   // row 5, still into the file moved away
    EXPECT_TRUE(log.Warned(-1, QStringLiteral("a reader holds the log"))) << log.warnings().join(u'\n').toStdString();
    EXPECT_FALSE(QFileInfo::exists(t.path()));

    ASSERT_TRUE(reader.Release());
    nextSecond();   // folded, let go, and row 1 of a new file at the path
    nextSecond();
    EXPECT_EQ(log.warnings().filter(QLatin1String(kMoved)).size(), 1) << log.warnings().join(u'\n').toStdString();
    EXPECT_EQ(log.warnings().size(), 2) << log.warnings().join(u'\n').toStdString();
    EXPECT_EQ(count("pv_data"), 2);

    FileAlone alone(away);
    ASSERT_TRUE(alone.copied());
    EXPECT_EQ(alone.scalar(QStringLiteral("pragma integrity_check")).toString(), QStringLiteral("ok"));
    EXPECT_EQ(alone.count("pv_data"), 5);
    EXPECT_EQ(alone.scalar(QStringLiteral("select ShortHead from sl_void")).toInt(), 5);
    EXPECT_EQ(alone.scalar(sql("select %3 from %1 where %2 = 1", "CONF")).toInt(), 3);
    EXPECT_EQ(alone.scalar(sql("select %3 from %1 where %2 = 1", "Calibration")).toInt(), 3);
}

TEST_F(RecorderPathTest, AFileMovedAwayWhileReadKeepsEverythingStoredInIt)
{
    MoveAwayWhileRead(false);
}

TEST_F(RecorderPathTest, AFolderRenamedAwayWhileReadKeepsEverythingStoredInItsFile)
{
    MoveAwayWhileRead(true);
}

// A copy moved over the file, and another program that opens the file at
// the path at once, before the station's next tick, and writes into it. It
// takes the journal files beside the path, the station's until then: the
// station must neither give it anything of the old file nor take its write
// away, and the new file keeps the copy's content and that write.
TEST_F(RecorderPathTest, ACopyMovedOverTheFileKeepsItsContentAndAnotherProgramsWrite)
{
    rec = recorder(kConn);
    ASSERT_TRUE(db::OpenConnection(kReader).isOpen());
    for (int i = 0; i < 3; ++i)
        nextSecond();
    // In WAL mode, as a copy of the file is: the writer uses the log.
    const QString copy = CopyOf(t, QStringLiteral("restore.db"));
    Edit(copy, {QStringLiteral("pragma journal_mode=wal"),
                sql("insert into %1 (%2, %3) values (40, 40)", "CONF")});
    nextSecond();
    nextSecond();   // rows 4 and 5 into the old file
    settle();
    ASSERT_TRUE(LogEmptied(t.path()));   // and folded into it

    t.closeOutside();
    ASSERT_EQ(std::rename(QFile::encodeName(copy).constData(), QFile::encodeName(t.path()).constData()), 0);
    DatabasePeer writer({QStringLiteral("write"), t.path(),
                         sql("insert into %1 (%2, %3) values (50, 50)", "CONF")});
    ASSERT_EQ(writer.said(), QStringLiteral("written")) << writer.error();
    requestBoth(9);
    nextSecond();
    EXPECT_EQ(SaveConfResult.recordNumber, 51);
    ASSERT_TRUE(writer.Release());
    nextSecond();
    nextSecond();
    settle();

    ASSERT_TRUE(LogEmptied(t.path()));
    FileAlone alone(t.path());
    ASSERT_TRUE(alone.copied());
    EXPECT_EQ(alone.scalar(QStringLiteral("pragma integrity_check")).toString(), QStringLiteral("ok"));
    EXPECT_EQ(alone.scalar(sql("select group_concat(%3) from (select %3 from %1 order by %2)", "CONF")).toString(),
              QStringLiteral("40,50,9"));
    // The copy's three rows, then three stored since it stands there.
    EXPECT_EQ(alone.count("pv_data"), 6);
    EXPECT_EQ(alone.scalar(QStringLiteral("select ShortHead from sl_void")).toInt(), 6);
    rec.reset();
    db::CloseConnection(kConn);
    db::CloseConnection(kReader);
    EXPECT_EQ(integrity(), QStringLiteral("ok"));
    EXPECT_EQ(count("CONF"), 3);
}

// The database's path is a link to a file on another disk; another program
// points it at another database, as `ln -sfn` does. The station follows the
// link as it leads now: rows and records go into the other database.
TEST_F(RecorderPathTest, APathThatIsALinkIsFollowedWhereItLeadsNow)
{
    const QString folder = QFileInfo(t.path()).absolutePath();
    const QString a = folder + QStringLiteral("/a.db");
    const QString b = folder + QStringLiteral("/b.db");
    t.closeOutside();
    ASSERT_TRUE(QFile::rename(t.path(), a));
    ASSERT_EQ(::symlink("a.db", QFile::encodeName(t.path()).constData()), 0);
    rec = recorder(kConn);
    ASSERT_TRUE(db::OpenConnection(kReader).isOpen());
    for (int i = 0; i < 3; ++i)
        nextSecond();
    ASSERT_TRUE(db::InstallAt(b));
    Edit(b, {sql("insert into %1 (%2, %3) values (40, 40)", "CONF")});

    LogCapture log("zc4160.");
    const QString link = folder + QStringLiteral("/link.new");
    ASSERT_EQ(::symlink("b.db", QFile::encodeName(link).constData()), 0);
    ASSERT_EQ(std::rename(QFile::encodeName(link).constData(), QFile::encodeName(t.path()).constData()), 0);
    requestBoth(7);
    nextSecond();
    nextSecond();

    EXPECT_EQ(log.warnings().filter(QLatin1String(kMoved)).size(), 1) << log.warnings().join(u'\n').toStdString();
    EXPECT_EQ(SaveConfResult.recordNumber, 41);
    {
        settle();
        ASSERT_TRUE(LogEmptied(b));
        FileAlone alone(b);
        ASSERT_TRUE(alone.copied());
        EXPECT_EQ(alone.scalar(sql("select %3 from %1 where %2 = 41", "CONF")).toInt(), 7);
        EXPECT_EQ(alone.count("pv_data"), 2);
        EXPECT_EQ(alone.scalar(QStringLiteral("select ShortHead from sl_void")).toInt(), 2);
    }
    FileAlone old(a);
    ASSERT_TRUE(old.copied());
    EXPECT_EQ(old.count("pv_data"), 3);
    EXPECT_EQ(old.count("CONF"), 0);
    // The window's connection reads where the link leads too.
    QSqlQuery reader(QSqlDatabase::database(kReader, false));
    ASSERT_TRUE(reader.exec(QStringLiteral("select count(*) from \"CONF\"")));
    ASSERT_TRUE(reader.next());
    EXPECT_EQ(reader.value(0).toInt(), 2);
}

// A file moved over the one at the path is followed as soon as the folder
// changes, not at the next tick: until the station lets go of the old file,
// a program that opens the new one takes the old one's log index.
TEST_F(RecorderPathTest, AFileMovedOverTheOneAtThePathIsFollowedWithoutWaitingForATick)
{
    rec = recorder(kConn);
    ASSERT_TRUE(db::OpenConnection(kReader).isOpen());
    nextSecond();
    const QString copy = CopyOf(t, QStringLiteral("restore.db"));
    Edit(copy, {QStringLiteral("pragma journal_mode=wal"),
                sql("insert into %1 (%2, %3) values (40, 40)", "CONF")});

    LogCapture log("zc4160.");
    t.closeOutside();
    ASSERT_EQ(std::rename(QFile::encodeName(copy).constData(), QFile::encodeName(t.path()).constData()), 0);
    QElapsedTimer waited;
    waited.start();
    while (log.warnings().filter(QLatin1String(kMoved)).isEmpty() && waited.elapsed() < 10000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    EXPECT_EQ(log.warnings().filter(QLatin1String(kMoved)).size(), 1) << log.warnings().join(u'\n').toStdString();
    QSqlQuery reader(QSqlDatabase::database(kReader, false));
    ASSERT_TRUE(reader.exec(sql("select count(*) from %1 where %2 = 40", "CONF")));
    ASSERT_TRUE(reader.next());
    EXPECT_EQ(reader.value(0).toInt(), 1);
}
