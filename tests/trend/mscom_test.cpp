#include "db/LogCapture.h"
#include "db/TempDatabase.h"
#include "device/Met1.h"
#include "platform/basic/daynumbers.h"
#include "platform/db/Tables.h"
#include "trend/RecorderShared.h"
#include "trend/mscom.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

namespace {

const QString kConn = QStringLiteral("test-recorder");
const QDate kDay(2026, 3, 14);

void ResetHandshake()
{
    CurveOpen = NewShortRec = NewLongRec = false;
    SaveConfFlag = SaveCaliFlag = false;
    ConfBuf.fill(0);
    CaliBuf.fill(0);
    OperatorName.clear();
    CaliNote.clear();
    SaveConfResult = SaveCaliResult = {};
    StatusValues.fill(0);
}

double Day(const QDate& d) { return basic::DayNumber(d); }
double Secs(int h, int m, int s) { return (h * 3600 + m * 60 + s) / 86400.0; }

class RecorderTest : public ::testing::Test {
protected:
    void SetUp() override { ResetHandshake(); }
    void TearDown() override
    {
        rec.reset();
        db::CloseConnection(kConn);
        ResetHandshake();
    }
    void load()
    {
        rec.reset();
        db::CloseConnection(kConn);
        rec = std::make_unique<mscom>([this] { return now; }, kConn);
        rec->Timer1.stop();   // the tests tick by hand
    }
    void tick() { rec->Timer1_Timer(); }
    void tickAfter(int ms)
    {
        now = now.addMSecs(ms);
        tick();
    }
    void setHeads(QVariant s, QVariant l)
    {
        t.exec(QStringLiteral("update sl_void set ShortHead=?, ShortHeadCopy=?, LongHead=?, LongHeadCopy=?"),
               {s, s, l, l});
    }
    QVariantList heads()
    {
        auto r = t.rows(QStringLiteral("select * from sl_void"));
        return r.size() == 1 ? r[0] : QVariantList{};
    }
    int count(const char* table)
    {
        return t.scalar(QStringLiteral("select count(*) from %1").arg(QLatin1String(table))).toInt();
    }
    QVariantList row(const char* table, int id)
    {
        auto r = t.rows(QStringLiteral("select * from %1 where rowid = ?").arg(QLatin1String(table)), {id});
        return r.size() == 1 ? r[0] : QVariantList{};
    }
    std::vector<int> ids(const char* table)
    {
        std::vector<int> out;
        for (const auto& r : t.rows(QStringLiteral("select rowid from %1 order by w_date, w_time")
                                        .arg(QLatin1String(table))))
            out.push_back(r[0].toInt());
        return out;
    }

    TempDatabase t;
    QDateTime now{kDay, QTime(10, 0, 0, 50)};
    std::unique_ptr<mscom> rec;
};

} // namespace

TEST_F(RecorderTest, FirstTickWritesOneRowOfEachRingAndRaisesBothFlags)
{
    const float values[9] = {812.5f, 37.3f, 800.f, -12.25f, 0.1f, 1.f / 3.f, 2.f, 31000.f, 999.f};
    std::copy(std::begin(values), std::end(values), StatusValues.begin());
    setHeads(100, 7);
    CurveOpen = true;
    load();
    EXPECT_TRUE(rec->Timer1.interval() == 100);
    tick();

    ASSERT_EQ(count("pv_data"), 1);
    ASSERT_EQ(count("Lpv_wdjl"), 1);
    for (auto [table, id] : {std::pair{"pv_data", 101}, std::pair{"Lpv_wdjl", 8}}) {
        const QVariantList r = row(table, id);
        ASSERT_EQ(r.size(), db::ring::FieldCount) << table;
        EXPECT_EQ(r[0].toInt(), id);
        EXPECT_EQ(r[1].toDouble(), Day(kDay));
        EXPECT_EQ(r[2].toDouble(), Secs(10, 0, 0));   // whole seconds
        for (int i = 0; i < 8; ++i)
            EXPECT_EQ(r[3 + i].toDouble(), static_cast<double>(values[i])) << table << " " << i;
    }
    EXPECT_EQ(heads(), (QVariantList{101, 101, 8, 8}));
    EXPECT_TRUE(NewShortRec);
    EXPECT_TRUE(NewLongRec);

    // A second tick in the same clock second writes nothing.
    NewShortRec = NewLongRec = false;
    tickAfter(100);
    EXPECT_EQ(count("pv_data"), 1);
    EXPECT_FALSE(NewShortRec);

    // Without a chart open rows are written but no flag raised.
    CurveOpen = false;
    tickAfter(1000);
    EXPECT_EQ(count("pv_data"), 2);
    EXPECT_FALSE(NewShortRec);
}

TEST_F(RecorderTest, RingIdsAcrossTheWrapOverwriteInPlace)
{
    struct Case {
        int head;
        int next;
    };
    const Case cases[] = {{0, 1}, {65499, 65500}, {65500, 1}, {65535, 1}, {70000, 1}, {1234, 1235}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.head);
        t.exec(QStringLiteral("delete from pv_data"));
        t.exec(QStringLiteral("delete from Lpv_wdjl"));
        // An old row already holds the id that comes next.
        t.exec(QStringLiteral("insert into pv_data values (?, 1, 0.5, 9,9,9,9,9,9,9,9)"), {c.next});
        setHeads(c.head, c.head);
        StatusValues[0] = static_cast<float>(c.head);
        load();
        tick();
        EXPECT_EQ(count("pv_data"), 1);
        const QVariantList r = row("pv_data", c.next);
        ASSERT_FALSE(r.isEmpty());
        EXPECT_EQ(r[1].toDouble(), Day(kDay));
        EXPECT_EQ(r[3].toDouble(), static_cast<double>(c.head));
        EXPECT_EQ(r[4].toDouble(), 0.0);
        EXPECT_FALSE(row("Lpv_wdjl", c.next).isEmpty());
        EXPECT_EQ(heads(), (QVariantList{c.next, c.next, c.next, c.next}));
    }

    // Another program moves the head while the recorder runs: the next row
    // follows it.
    setHeads(5000, 40);
    tickAfter(1000);
    EXPECT_FALSE(row("pv_data", 5001).isEmpty());
    EXPECT_EQ(heads()[0].toInt(), 5001);
    EXPECT_EQ(heads()[2].toInt(), 40);   // no long row due yet
}

TEST_F(RecorderTest, TenSecondsGiveTenShortRowsAndOneLongRow)
{
    load();
    for (int k = 0; k < 100; ++k)
        tickAfter(k == 0 ? 0 : 100);
    EXPECT_EQ(count("pv_data"), 10);
    EXPECT_EQ(count("Lpv_wdjl"), 1);
    EXPECT_EQ(ids("pv_data"), (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
    tickAfter(100);   // 10:00:10.050
    EXPECT_EQ(count("pv_data"), 11);
    EXPECT_EQ(count("Lpv_wdjl"), 2);
    EXPECT_EQ(row("Lpv_wdjl", 2)[2].toDouble(), Secs(10, 0, 10));
    EXPECT_EQ(heads(), (QVariantList{11, 11, 2, 2}));
}

TEST_F(RecorderTest, ALateTickWritesOneRowNotOnePerSecondMissed)
{
    load();
    tick();
    tickAfter(7000);
    EXPECT_EQ(count("pv_data"), 2);
    EXPECT_EQ(count("Lpv_wdjl"), 1);
    EXPECT_EQ(row("pv_data", 2)[2].toDouble(), Secs(10, 0, 7));
    tickAfter(3000);
    EXPECT_EQ(count("pv_data"), 3);
    EXPECT_EQ(count("Lpv_wdjl"), 2);
}

TEST_F(RecorderTest, AClockSetBackCountsAsElapsedTime)
{
    load();
    tick();
    tickAfter(1000);
    ASSERT_EQ(count("pv_data"), 2);
    now = now.addSecs(-3600);   // 09:00:01.050
    tick();
    EXPECT_EQ(count("pv_data"), 3);
    EXPECT_EQ(count("Lpv_wdjl"), 2);
    EXPECT_EQ(row("pv_data", 3)[2].toDouble(), Secs(9, 0, 1));
    EXPECT_EQ(row("Lpv_wdjl", 2)[2].toDouble(), Secs(9, 0, 1));
    tickAfter(100);   // the stamps follow the new clock
    EXPECT_EQ(count("pv_data"), 3);
    tickAfter(1000);
    EXPECT_EQ(count("pv_data"), 4);
    EXPECT_EQ(count("Lpv_wdjl"), 2);
}

TEST_F(RecorderTest, AtMidnightOneReadingStampsDateAndTime)
{
    // A clock that moves on with every look: reading it twice in one tick
    // would stamp 23:59:59 with the date of the next day.
    now = QDateTime(kDay, QTime(23, 59, 59, 999));
    rec.reset();
    rec = std::make_unique<mscom>([this] {
        const QDateTime r = now;
        now = now.addMSecs(1);
        return r;
    }, kConn);
    rec->Timer1.stop();
    tick();
    QVariantList r = row("pv_data", 1);
    ASSERT_FALSE(r.isEmpty());
    EXPECT_EQ(r[1].toDouble(), Day(kDay));
    EXPECT_EQ(r[2].toDouble(), Secs(23, 59, 59));
    tick();   // 00:00:00.000 of the next day
    r = row("pv_data", 2);
    ASSERT_FALSE(r.isEmpty());
    EXPECT_EQ(r[1].toDouble(), Day(kDay.addDays(1)));
    EXPECT_EQ(r[2].toDouble(), 0.0);
    EXPECT_EQ(count("Lpv_wdjl"), 1);
}

TEST_F(RecorderTest, BothRecordsInOneTickConfigurationFirst)
{
    for (int i = 0; i < 211; ++i)
        ConfBuf[i] = i < 192 ? 4097 + i : -1;
    for (int i = 0; i < 91; ++i)
        CaliBuf[i] = i < 64 ? 24577 + i : -1;
    OperatorName = QStringLiteral("张工 'O'Neil'");
    CaliNote = QStringLiteral("校准 after repair");
    SaveConfFlag = SaveCaliFlag = true;
    SaveConfResult.outcome = SaveCaliResult.outcome = SaveOutcome::Pending;
    load();
    tick();

    EXPECT_FALSE(SaveConfFlag);
    EXPECT_FALSE(SaveCaliFlag);
    EXPECT_EQ(SaveConfResult.outcome, SaveOutcome::Stored);
    EXPECT_EQ(SaveConfResult.recordNumber, 1);
    EXPECT_EQ(SaveCaliResult.outcome, SaveOutcome::Stored);
    EXPECT_EQ(SaveCaliResult.recordNumber, 1);

    const float date = static_cast<float>(Day(kDay));
    const float time = static_cast<float>(Secs(10, 0, 0));
    const QVariantList c = row("CONF", 1);
    ASSERT_EQ(c.size(), db::conf::FieldCount);
    EXPECT_EQ(c[1].toString(), OperatorName);
    EXPECT_EQ(c[2].toDouble(), static_cast<double>(date));
    EXPECT_EQ(c[3].toDouble(), static_cast<double>(time));
    for (int i = 0; i < 192; ++i)
        ASSERT_EQ(c[4 + i].toInt(), 4097 + i) << i;

    const QVariantList k = row("Calibration", 1);
    ASSERT_EQ(k.size(), db::cali::FieldCount);
    EXPECT_EQ(k[1].toString(), OperatorName);
    EXPECT_EQ(k[2].toDouble(), static_cast<double>(date));
    EXPECT_EQ(k[3].toDouble(), static_cast<double>(time));
    EXPECT_EQ(k[4].toString(), CaliNote);
    for (int i = 0; i < 42; ++i)
        ASSERT_EQ(k[5 + i].toInt(), 24577 + i) << i;
    EXPECT_EQ(rec->SaveDate, date);
    EXPECT_EQ(rec->SaveTime, time);
    EXPECT_EQ(count("pv_data"), 1);   // the ring rows of the tick as well

    // The next export gets the next record number.
    SaveConfFlag = true;
    tickAfter(100);
    EXPECT_EQ(SaveConfResult.recordNumber, 2);
    EXPECT_EQ(count("CONF"), 2);
    EXPECT_EQ(count("Calibration"), 1);
}

TEST_F(RecorderTest, AMissingOrNegativeHeadIsTakenFromTheNewestRow)
{
    // The short ring has wrapped before: ids 1..300 are newer than the rest.
    t.exec(QStringLiteral("BEGIN"));
    for (int id = 1; id <= 600; ++id) {
        const int ring = id <= 300 ? id + 65500 : id;
        t.exec(QStringLiteral("insert into pv_data values (?, ?, ?, 0,0,0,0,0,0,0,0)"),
               {id, 46000 + ring / 86400, (ring % 86400) / 86400.0});
    }
    t.exec(QStringLiteral("COMMIT"));
    t.exec(QStringLiteral("delete from sl_void"));
    LogCapture log("zc4160.recorder");
    load();
    tick();
    EXPECT_FALSE(row("pv_data", 301).isEmpty());
    EXPECT_EQ(row("pv_data", 301)[1].toDouble(), Day(kDay));
    EXPECT_EQ(count("pv_data"), 600);   // 301 overwritten, nothing added
    EXPECT_FALSE(row("Lpv_wdjl", 1).isEmpty());
    EXPECT_EQ(heads(), (QVariantList{301, 301, 1, 1}));
    tickAfter(1000);
    EXPECT_EQ(heads()[0].toInt(), 302);
    EXPECT_EQ(log.warnings().size(), 1) << log.warnings().join('\n').toStdString();

    // A negative head: only that ring is re-derived.
    setHeads(-5, 1);
    tickAfter(1000);
    EXPECT_EQ(heads(), (QVariantList{303, 303, 1, 1}));
    setHeads(QVariant(), 1);   // an empty field
    tickAfter(1000);
    EXPECT_EQ(heads(), (QVariantList{304, 304, 1, 1}));
}

TEST_F(RecorderTest, ARowThatCannotBeStoredLeavesTheHead)
{
    setHeads(10, 0);
    t.exec(QStringLiteral("create trigger refuse before insert on pv_data begin select raise(abort, 'refused'); end"));
    LogCapture log("zc4160.recorder");
    load();
    CurveOpen = true;
    for (int s = 0; s < 3; ++s)
        tickAfter(s == 0 ? 0 : 1000);
    EXPECT_EQ(count("pv_data"), 0);
    EXPECT_EQ(heads(), (QVariantList{10, 10, 1, 1}));   // the long ring goes on
    EXPECT_TRUE(NewShortRec);                            // the live chart goes on
    EXPECT_EQ(log.warnings().size(), 1) << log.warnings().join('\n').toStdString();
    EXPECT_TRUE(log.warnings()[0].contains(QStringLiteral("refused")));

    t.exec(QStringLiteral("drop trigger refuse"));
    tickAfter(1000);
    EXPECT_EQ(ids("pv_data"), std::vector<int>{11});   // the same id, no gap
    EXPECT_EQ(heads()[0].toInt(), 11);
}

TEST_F(RecorderTest, ALockedFileFailsQuietlyAndRecordingResumes)
{
    LogCapture log("zc4160.recorder");
    load();
    tick();
    ASSERT_EQ(count("pv_data"), 1);
    t.exec(QStringLiteral("BEGIN IMMEDIATE"));
    SaveConfFlag = true;
    for (int s = 0; s < 3; ++s)
        tickAfter(1000);
    EXPECT_FALSE(SaveConfFlag);
    EXPECT_EQ(SaveConfResult.outcome, SaveOutcome::Failed);
    t.exec(QStringLiteral("COMMIT"));
    EXPECT_EQ(count("pv_data"), 1);
    EXPECT_EQ(count("CONF"), 0);
    EXPECT_EQ(heads()[0].toInt(), 1);
    // One line for the rings, one for the lost configuration record.
    EXPECT_EQ(log.warnings().size(), 2) << log.warnings().join('\n').toStdString();
    tickAfter(1000);
    EXPECT_EQ(ids("pv_data"), (std::vector<int>{1, 2}));
    EXPECT_EQ(heads()[0].toInt(), 2);
}

TEST_F(RecorderTest, AFileThatIsNotADatabaseFailsWithOneLine)
{
    // Stands for any file the station can open but not write.
    t.outside().close();
    QFile f(t.path());
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(QByteArray(8192, 'x'));
    f.close();
    QFile::remove(t.path() + QStringLiteral("-wal"));
    QFile::remove(t.path() + QStringLiteral("-shm"));
    LogCapture log("zc4160.recorder");
    load();
    CurveOpen = true;
    SaveCaliFlag = true;
    for (int s = 0; s < 12; ++s)
        tickAfter(1000);
    EXPECT_FALSE(SaveCaliFlag);
    EXPECT_EQ(SaveCaliResult.outcome, SaveOutcome::Failed);
    EXPECT_TRUE(NewShortRec && NewLongRec);
    EXPECT_LE(log.warnings().size(), 2) << log.warnings().join('\n').toStdString();
    EXPECT_GE(log.warnings().size(), 1);
}

TEST_F(RecorderTest, AReadOnlyFileFailsWithOneLine)
{
    // The file and its folder can be read but not written, so neither the
    // file nor a journal beside it can be changed. The recorder runs in a
    // child, which as root becomes nobody first: root writes anything.
    t.outside().close();
    const QString folder = QFileInfo(t.path()).absolutePath();
    const auto readable = QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther;
    const auto open = readable | QFileDevice::ExeOwner | QFileDevice::ExeGroup | QFileDevice::ExeOther;
    ASSERT_TRUE(QFile::setPermissions(t.folder(), open | QFileDevice::WriteOwner));
    ASSERT_TRUE(QFile::setPermissions(folder, open));
    ASSERT_TRUE(QFile::setPermissions(t.path(), readable));
    QProcess child;
    child.setProcessChannelMode(QProcess::SeparateChannels);
    child.start(QStringLiteral(RECORDER_USER_CHILD), {t.path(), QStringLiteral("12")});
    const bool finished = child.waitForFinished(60000);
    QFile::setPermissions(folder, open | QFileDevice::WriteOwner);
    QFile::setPermissions(t.path(), readable | QFileDevice::WriteOwner);
    ASSERT_TRUE(finished);
    ASSERT_EQ(child.exitStatus(), QProcess::NormalExit);
    ASSERT_NE(child.exitCode(), 3) << "the child could write the file";
    ASSERT_EQ(child.exitCode(), 0) << child.readAllStandardError().toStdString();

    QStringList warnings;
    QString end;
    for (const QString& line : QString::fromUtf8(child.readAllStandardOutput()).split(QLatin1Char('\n'))) {
        if (line.startsWith(QLatin1String("warning ")))
            warnings << line;
        else if (line.startsWith(QLatin1String("end ")))
            end = line;
    }
    // Twelve seconds of failing ticks: one line for the ring rows and one
    // for the configuration record that was lost, not one per tick.
    EXPECT_EQ(warnings.size(), 2) << warnings.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(warnings.filter(QStringLiteral("ring rows")).size(), 1);
    EXPECT_EQ(warnings.filter(QStringLiteral("configuration record")).size(), 1);
    // Connected read-only; the request reported failed; the ids of twelve
    // short rows and two long rows, counted in memory; the live chart told.
    EXPECT_EQ(end, QStringLiteral("end connected=1 conf=%1 short=12 long=2 newshort=1 newlong=1")
                       .arg(static_cast<int>(SaveOutcome::Failed)));

    ASSERT_TRUE(t.outside().open());
    EXPECT_EQ(count("pv_data"), 0);
    EXPECT_EQ(count("CONF"), 0);
    EXPECT_EQ(heads(), (QVariantList{0, 0, 0, 0}));
}

TEST_F(RecorderTest, WithoutADatabaseIdsCountInMemoryAndRequestsFail)
{
    // The install failed (a file stands where the folder must go).
    QTemporaryDir dir;
    QFile blocker(dir.path() + QStringLiteral("/blocker"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    qputenv("ZC4160_DB", (dir.path() + QStringLiteral("/blocker/Rdatabj.db")).toUtf8());
    EXPECT_FALSE(db::InstallIfMissing());
    LogCapture log("zc4160.recorder");
    load();
    EXPECT_FALSE(rec->Connected());
    EXPECT_EQ(log.warnings().size(), 1);
    CurveOpen = true;
    SaveConfFlag = SaveCaliFlag = true;
    tick();
    EXPECT_FALSE(SaveConfFlag || SaveCaliFlag);
    EXPECT_EQ(SaveConfResult.outcome, SaveOutcome::Failed);
    EXPECT_EQ(SaveCaliResult.outcome, SaveOutcome::Failed);
    EXPECT_TRUE(NewShortRec && NewLongRec);
    EXPECT_EQ(rec->ShortRingId, 1);
    NewShortRec = NewLongRec = false;
    for (int s = 0; s < 4; ++s)
        tickAfter(1000);
    EXPECT_EQ(rec->ShortRingId, 5);
    EXPECT_EQ(rec->LongRingId, 1);
    EXPECT_TRUE(NewShortRec);
    EXPECT_FALSE(NewLongRec);
    EXPECT_EQ(log.warnings().size(), 1);   // said once, at load
    EXPECT_FALSE(QFileInfo::exists(db::DatabasePath()));
}

TEST_F(RecorderTest, AMissingFileIsInstalledAtStart)
{
    QFile::remove(t.path());
    QFile::remove(t.path() + QStringLiteral("-wal"));
    QFile::remove(t.path() + QStringLiteral("-shm"));
    ASSERT_FALSE(QFileInfo::exists(t.path()));
    ASSERT_TRUE(db::InstallIfMissing());
    load();
    tick();
    EXPECT_EQ(count("pv_data"), 1);
    EXPECT_EQ(heads(), (QVariantList{1, 1, 1, 1}));
}
