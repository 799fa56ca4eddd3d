#include "db/FailingWrites.h"
#include "db/FileAlone.h"
#include "db/LogCapture.h"
#include "db/TempDatabase.h"
#include "device/Met1.h"
#include "platform/basic/daynumbers.h"
#include "platform/db/Tables.h"
#include "trend/RecorderReset.h"
#include "trend/RecorderShared.h"
#include "trend/mscom.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QSqlQuery>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <gtest/gtest.h>
#include <memory>
#include <optional>
#include <utility>

namespace {

const QString kConn = QStringLiteral("test-recorder");
const QDate kDay(2026, 3, 14);

double Day(const QDate& d) { return basic::DayNumber(d); }

// Both records as an export hands them over: the registers' numbers as
// their values, operator "op", note "note".
void FillRecordBuffers()
{
    for (int i = 0; i < 192; ++i)
        ConfBuf[i] = 4097 + i;
    for (int i = 0; i < 64; ++i)
        CaliBuf[i] = 24577 + i;
    OperatorName = QStringLiteral("op");
    CaliNote = QStringLiteral("note");
}

// File modes for the tests whose recorder runs in recorder_user_child, as a
// user for whom they hold.
constexpr auto kReadable = QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther;
constexpr auto kOpenFolder =
    kReadable | QFileDevice::ExeOwner | QFileDevice::ExeGroup | QFileDevice::ExeOther;
constexpr auto kAnyoneWrites = QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther;

// The child's output lines that start with prefix.
QStringList Lines(const QStringList& output, const QString& prefix)
{
    QStringList out;
    for (const QString& line : output)
        if (line.startsWith(prefix))
            out << line;
    return out;
}

// Runs the child to its end and collects its output; it must have run.
void RunUserChild(const QStringList& args, QStringList& output)
{
    QProcess child;
    child.setProcessChannelMode(QProcess::SeparateChannels);
    child.start(QStringLiteral(RECORDER_USER_CHILD), args);
    ASSERT_TRUE(child.waitForFinished(60000));
    ASSERT_EQ(child.exitStatus(), QProcess::NormalExit);
    ASSERT_NE(child.exitCode(), 3) << "the child could write the file";
    ASSERT_EQ(child.exitCode(), 0) << child.readAllStandardError().toStdString();
    output = QString::fromUtf8(child.readAllStandardOutput()).split(QLatin1Char('\n'));
}
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
        rec = std::make_unique<mscom>([this] { return now; }, kConn, [this] { return steady; });
        rec->Timer1.stop();   // the tests tick by hand
    }
    void tick() { rec->Timer1_Timer(); }
    void tickAfter(int ms)
    {
        now = now.addMSecs(ms);
        steady += ms;
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
    qint64 steady = 0;   // the clock that spaces the reopens
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

// The record tables rebuilt by another program after the recorder opened
// its connection: in reverse order each value still goes into its own
// field; without one of the record's fields nothing is stored, rather than
// a record shifted from that field on, and the log names the field.
TEST_F(RecorderTest, RecordsGoIntoTheirFieldsByNameWhateverTheTableIsLike)
{
    FillRecordBuffers();
    load();
    tick();   // the connection has seen the tables as installed
    struct Record {
        const char* table;
        bool* flag;
        const SaveResult* result;
        const char* lastValue;   // the field of the last value stored
        int32_t lastRegister;
        const char* dropped;
    };
    const Record records[] = {
        {"CONF", &SaveConfFlag, &SaveConfResult, "192", 4288, "100"},
        {"Calibration", &SaveCaliFlag, &SaveCaliResult, "F46", 24618, "P-4KL"},
    };
    for (const Record& r : records) {
        SCOPED_TRACE(r.table);
        const QString table = QString::fromLatin1(r.table);
        QStringList names = db::FieldNames(*db::FindTable(table));
        const QString key = names[0];
        std::reverse(names.begin(), names.end());
        t.keep(table);
        t.rebuild(table, names, key);
        *r.flag = true;
        tickAfter(100);
        ASSERT_EQ(r.result->outcome, SaveOutcome::Stored);
        const auto stored = t.rows(QStringLiteral("select \"%1\", \"%2\", \"%3\" from \"%4\"")
                                       .arg(key, names[names.size() - 2], QLatin1String(r.lastValue),
                                            table));
        ASSERT_EQ(stored.size(), 1u);
        EXPECT_EQ(stored[0], (QVariantList{r.result->recordNumber, QStringLiteral("op"),
                                           r.lastRegister}));

        LogCapture log("zc4160.recorder");
        names.removeOne(QString::fromLatin1(r.dropped));
        t.keep(table);
        t.rebuild(table, names, key);
        *r.flag = true;
        tickAfter(100);
        EXPECT_EQ(r.result->outcome, SaveOutcome::Failed);
        EXPECT_FALSE(*r.flag);
        EXPECT_EQ(count(r.table), 1);
        ASSERT_EQ(log.warnings().size(), 1);
        EXPECT_TRUE(log.warnings()[0].contains(QStringLiteral("no such column: ")
                                               + QString::fromLatin1(r.dropped)))
            << log.warnings()[0].toStdString();

        // Without its integer key: the record takes the next number; where
        // the table will not keep a number, the export fails and says so.
        names.append(QString::fromLatin1(r.dropped));
        t.rebuild(table, names, QString());
        *r.flag = true;
        tickAfter(100);
        ASSERT_EQ(r.result->outcome, SaveOutcome::Stored);
        EXPECT_EQ(r.result->recordNumber, 2);
        EXPECT_EQ(t.scalar(QStringLiteral("select \"%1\" from \"%2\" where \"%3\"=%4")
                               .arg(key, table, QLatin1String(r.lastValue))
                               .arg(r.lastRegister)
                           + QStringLiteral(" order by rowid desc limit 1")),
                  2);
        t.renumber(table, key, QStringLiteral("NULL"));
        *r.flag = true;
        tickAfter(100);
        EXPECT_EQ(r.result->outcome, SaveOutcome::Failed);
        EXPECT_EQ(count(r.table), 2);
        ASSERT_EQ(log.warnings().size(), 2) << log.warnings().join(u'\n').toStdString();
        EXPECT_TRUE(log.Warned(1, QStringLiteral("no number")));
        t.stopRenumbering();
    }
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

    // Now running: a negative or empty head is stored again from the id
    // the recorder holds, for that ring alone.
    setHeads(-5, 1);
    tickAfter(1000);
    EXPECT_EQ(heads(), (QVariantList{303, 303, 1, 1}));
    setHeads(QVariant(), 1);   // an empty field
    tickAfter(1000);
    EXPECT_EQ(heads(), (QVariantList{304, 304, 1, 1}));
}

// Rows stamped ahead of the clock (a clock that was set back) make the
// newest stamp no guide to the head. A head that cannot be read while the
// recorder runs keeps the id it holds, and the heads are stored from those
// ids: every row written since the start stays as it was written. Only a
// new start with no head to read takes the newest stamp.
TEST_F(RecorderTest, AHeadThatCannotBeReadWhileRunningKeepsTheIdHeld)
{
    const double tomorrow = Day(kDay.addDays(1));
    struct Case {
        const char* how;
        const char* sql;
    };
    // The rows the recorder wrote, in both rings.
    auto rowsOfToday = [&] {
        return t.rows(QStringLiteral("select 's', * from pv_data where w_date < ? union all "
                                     "select 'l', * from Lpv_wdjl where w_date < ?"),
                      {tomorrow, tomorrow});
    };
    const Case cases[] = {
        {"the heads' row deleted", "delete from sl_void"},
        {"both heads empty", "update sl_void set ShortHead=NULL, LongHead=NULL"},
        {"both heads negative", "update sl_void set ShortHead=-1, LongHead=-7"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.how);
        now = QDateTime(kDay, QTime(10, 0, 0, 50));
        t.exec(QStringLiteral("delete from pv_data"));
        t.exec(QStringLiteral("delete from Lpv_wdjl"));
        t.exec(QStringLiteral("BEGIN"));
        for (int id = 29901; id <= 30005; ++id)
            t.exec(QStringLiteral("insert into pv_data values (?, ?, ?, 0,0,0,0,0,0,0,0)"),
                   {id, tomorrow, (id - 29900) / 86400.0});
        for (int id = 29991; id <= 30000; ++id)
            t.exec(QStringLiteral("insert into Lpv_wdjl values (?, ?, ?, 0,0,0,0,0,0,0,0)"),
                   {id, tomorrow, (id - 29990) * 10 / 86400.0});
        t.exec(QStringLiteral("COMMIT"));
        setHeads(30005, 30000);
        LogCapture log("zc4160.recorder");
        load();
        for (int s = 0; s <= 36; ++s)
            tickAfter(s == 0 ? 0 : 1000);   // short rows 30006..30042, long 30001..30004
        ASSERT_EQ(heads(), (QVariantList{30042, 30042, 30004, 30004}));
        const auto written = rowsOfToday();
        ASSERT_EQ(written.size(), 37u + 4u);

        t.exec(QString::fromLatin1(c.sql));
        tickAfter(1000);
        EXPECT_EQ(heads(), (QVariantList{30043, 30043, 30004, 30004}));
        for (int s = 38; s <= 40; ++s)
            tickAfter(1000);
        EXPECT_EQ(heads(), (QVariantList{30046, 30046, 30005, 30005}));
        // Nothing written since the start was overwritten; the new rows
        // went to the ids after it.
        const auto after = rowsOfToday();
        ASSERT_EQ(after.size(), written.size() + 5);
        for (const QVariantList& r : written)
            EXPECT_NE(std::find(after.begin(), after.end(), r), after.end())
                << "overwritten: " << r[0].toString().toStdString() << " " << r[1].toInt();
        EXPECT_EQ(count("pv_data"), 105 + 37 + 4);
        EXPECT_EQ(count("Lpv_wdjl"), 10 + 4 + 1);
        ASSERT_EQ(log.warnings().size(), 1) << log.warnings().join('\n').toStdString();
        EXPECT_TRUE(log.Warned(0, QStringLiteral("kept as the recorder held them (30042, 30004)")));
    }

    // A new start on that file with no head to read has no id of its own
    // yet: it takes the rows with the newest stamps.
    t.exec(QStringLiteral("delete from sl_void"));
    LogCapture log("zc4160.recorder");
    load();
    tickAfter(1000);
    EXPECT_EQ(heads(), (QVariantList{30006, 30006, 30001, 30001}));
    EXPECT_TRUE(log.Warned(0, QStringLiteral("taken from the newest rows (30005, 30000)")));
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
    EXPECT_TRUE(log.Warned(0, QStringLiteral("refused")));

    t.exec(QStringLiteral("drop trigger refuse"));
    tickAfter(1000);
    EXPECT_EQ(ids("pv_data"), std::vector<int>{11});   // the same id, no gap
    EXPECT_EQ(heads()[0].toInt(), 11);
}

// The database's error text carries what a trigger of the file says: in the
// recorder's line it is escaped, so it cannot start a line or steer the
// terminal.
TEST_F(RecorderTest, ATriggersTextInTheErrorStaysInsideTheRecordersLine)
{
    const QString text = QStringLiteral("no\nzc4160.recorder: forged \x1B[31mred");
    t.exec(QStringLiteral("create trigger refuse before insert on CONF begin "
                          "select raise(abort, '%1'); end").arg(text));
    LogCapture log("zc4160.recorder");
    load();
    SaveConfFlag = true;
    tick();
    EXPECT_EQ(SaveConfResult.outcome, SaveOutcome::Failed);
    ASSERT_EQ(log.warnings().size(), 1) << log.warnings().join('\n').toStdString();
    EXPECT_FALSE(log.warnings()[0].contains(u'\n'));
    EXPECT_FALSE(log.warnings()[0].contains(QChar(0x1B)));
    EXPECT_TRUE(log.Warned(0, QStringLiteral("no\\nzc4160.recorder: forged \\x1B[31mred")));
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
    ASSERT_TRUE(QFile::setPermissions(t.folder(), kOpenFolder | QFileDevice::WriteOwner));
    ASSERT_TRUE(QFile::setPermissions(folder, kOpenFolder));
    ASSERT_TRUE(QFile::setPermissions(t.path(), kReadable));
    QStringList output;
    ASSERT_NO_FATAL_FAILURE(RunUserChild({t.path(), QStringLiteral("12")}, output));
    QFile::setPermissions(folder, kOpenFolder | QFileDevice::WriteOwner);
    QFile::setPermissions(t.path(), kReadable | QFileDevice::WriteOwner);

    const QStringList warnings = Lines(output, QStringLiteral("warning "));
    const QString end = Lines(output, QStringLiteral("end ")).value(0);
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

TEST_F(RecorderTest, ARunOnAReadOnlyFileLeavesNoJournalThatKeepsTheNextRunFromWriting)
{
    // In a writable folder SQLite makes the journal files (-wal, -shm) even
    // for a read-only connection, with the file's read-only permissions, and
    // leaves them when the run ends. Once the file is writable again, the
    // next run must write all the same.
    t.outside().close();
    const QString folder = QFileInfo(t.path()).absolutePath();
    ASSERT_TRUE(QFile::setPermissions(t.folder(), kOpenFolder | QFileDevice::WriteOwner));
    ASSERT_TRUE(QFile::setPermissions(folder, kOpenFolder | kAnyoneWrites));
    ASSERT_TRUE(QFile::setPermissions(t.path(), kReadable));
    QStringList output;
    ASSERT_NO_FATAL_FAILURE(RunUserChild({t.path(), QStringLiteral("3")}, output));
    EXPECT_EQ(Lines(output, QStringLiteral("warning ")).size(), 2);
    const QString shm = t.path() + QStringLiteral("-shm");
    ASSERT_TRUE(QFileInfo::exists(shm)) << "the read-only run left no journal: nothing to show";
    EXPECT_FALSE(QFile::permissions(shm) & QFileDevice::WriteOwner);

    ASSERT_TRUE(QFile::setPermissions(t.path(), kReadable | kAnyoneWrites));
    ASSERT_NO_FATAL_FAILURE(
        RunUserChild({t.path(), QStringLiteral("3"), QStringLiteral("writable")}, output));
    EXPECT_TRUE(Lines(output, QStringLiteral("warning ")).isEmpty())
        << output.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(Lines(output, QStringLiteral("end ")).value(0),
              QStringLiteral("end connected=1 conf=%1 short=3 long=1 newshort=1 newlong=1")
                  .arg(static_cast<int>(SaveOutcome::Stored)));
    ASSERT_TRUE(t.outside().open());
    EXPECT_EQ(count("pv_data"), 3);
    EXPECT_EQ(count("CONF"), 1);
}

TEST_F(RecorderTest, AConnectionThatCannotWriteIsOpenedAgainAfterTenSeconds)
{
    // query_only stands for a connection that SQLite opened read-only: it
    // refuses every write with the read-only error, and only a new
    // connection writes again. (Permissions cannot show it here: the tests
    // may run as root, who writes any file.)
    LogCapture log("zc4160.recorder");
    load();
    QSqlQuery(QSqlDatabase::database(kConn, false)).exec(QStringLiteral("PRAGMA query_only=1"));
    CurveOpen = true;
    SaveCaliFlag = true;
    tick();
    for (int s = 1; s <= 9; ++s)
        tickAfter(1000);
    // Nine seconds on the same connection: nothing stored, one line each.
    EXPECT_EQ(count("pv_data") + count("Lpv_wdjl") + count("Calibration"), 0);
    EXPECT_EQ(SaveCaliResult.outcome, SaveOutcome::Failed);
    ASSERT_EQ(log.warnings().size(), 2) << log.warnings().join('\n').toStdString();
    EXPECT_EQ(log.warnings().filter(QStringLiteral("readonly")).size(), 2);
    EXPECT_TRUE(log.infos().isEmpty());

    // Ten seconds after the open the tick opens the connection again and
    // stores at once; the seconds before are not made up.
    tickAfter(1000);
    EXPECT_EQ(ids("pv_data"), std::vector<int>{1});
    EXPECT_EQ(row("pv_data", 1).mid(0, 3), (QVariantList{1, Day(kDay), Secs(10, 0, 10)}));
    EXPECT_EQ(ids("Lpv_wdjl"), std::vector<int>{1});
    EXPECT_EQ(heads(), (QVariantList{1, 1, 1, 1}));
    EXPECT_EQ(log.warnings().size(), 2);
    EXPECT_EQ(log.infos(), QStringList{QStringLiteral("the ring rows: stored again")});
    SaveCaliFlag = true;
    tickAfter(1000);
    EXPECT_EQ(SaveCaliResult.outcome, SaveOutcome::Stored);
    EXPECT_EQ(ids("pv_data"), (std::vector<int>{1, 2}));
}

TEST_F(RecorderTest, AFileThatCouldNotBeInstalledIsInstalledOnALaterTry)
{
    // A plain file stands where the database's folder must go, so the
    // install at start fails (for root too); it is taken away at 12 s.
    const QString folder = QFileInfo(t.path()).absolutePath();
    ASSERT_TRUE(QDir(folder).removeRecursively());
    QFile blocker(folder);
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    LogCapture log("zc4160.");
    EXPECT_FALSE(db::InstallIfMissing());
    load();
    ASSERT_FALSE(rec->Connected());
    CurveOpen = true;
    tick();
    for (int s = 1; s <= 19; ++s) {
        if (s == 12) {
            ASSERT_TRUE(QFile::remove(folder));
        }
        tickAfter(1000);   // tries at 10 s (still blocked) and 20 s
        ASSERT_FALSE(QFileInfo::exists(t.path())) << "installed at " << s << " s";
    }
    tickAfter(1000);
    ASSERT_TRUE(rec->Connected());
    EXPECT_EQ(ids("pv_data"), std::vector<int>{1});
    EXPECT_EQ(row("pv_data", 1).mid(0, 3), (QVariantList{1, Day(kDay), Secs(10, 0, 20)}));
    EXPECT_EQ(heads(), (QVariantList{1, 1, 1, 1}));
    // The install's line and the recorder's at start; the install and the
    // first stored row when it comes back; nothing for the tries between.
    ASSERT_EQ(log.warnings().size(), 2) << log.warnings().join('\n').toStdString();
    EXPECT_TRUE(log.warnings()[0].contains(QStringLiteral("cannot be installed")));
    EXPECT_TRUE(log.warnings()[1].contains(QStringLiteral("cannot open the database")));
    ASSERT_EQ(log.infos().size(), 2) << log.infos().join('\n').toStdString();
    EXPECT_TRUE(log.infos()[0].startsWith(QStringLiteral("installed a new database")));
    EXPECT_EQ(log.infos()[1], QStringLiteral("the ring rows: stored again"));
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

namespace {

// The station's situation, in real time: the file (or its folder, where the
// file is missing) is not writable when the recorder starts, and is made
// writable while it runs.
struct WritableLater {
    const char* name;
    bool fileThere;        // else missing, and installed by a later try
    bool folderWritable;   // at start
    const char* fault;     // in the recorder's one warning
};

void PrintTo(const WritableLater& c, std::ostream* os) { *os << c.name; }

// Ten seconds between tries and one tick of 100 ms, then the try itself:
// the install where the file was missing, the open and the first write.
// Under the sanitizers, with every core busy and another writer syncing the
// disk, that try alone can take a second or two (it waits for its own
// syncs), so the bound allows three; a spacing of twice the ten seconds
// still fails it.
constexpr qint64 kResumeWithinMs = 10000 + 100 + 3000;

class RecorderComesBack : public ::testing::TestWithParam<WritableLater> {};

} // namespace

TEST_P(RecorderComesBack, WithinElevenSecondsOfTheFileBecomingWritable)
{
    const WritableLater& c = GetParam();
    TempDatabase t(c.fileThere);
    const QString folder = QFileInfo(t.path()).absolutePath();
    ASSERT_TRUE(QDir().mkpath(folder));
    ASSERT_TRUE(QFile::setPermissions(t.folder(), kOpenFolder | QFileDevice::WriteOwner));
    ASSERT_TRUE(QFile::setPermissions(folder, c.folderWritable ? kOpenFolder | kAnyoneWrites : kOpenFolder));
    if (c.fileThere) {
        ASSERT_TRUE(QFile::setPermissions(t.path(), kReadable));
    }

    QProcess child;
    child.setProcessChannelMode(QProcess::SeparateChannels);
    child.start(QStringLiteral(RECORDER_USER_CHILD), {t.path(), QStringLiteral("live"), QStringLiteral("30")});
    QStringList output;
    auto readUntil = [&](const QString& wanted, qint64 ms) {
        QElapsedTimer waited;
        waited.start();
        for (;;) {
            while (child.canReadLine()) {
                output << QString::fromUtf8(child.readLine()).chopped(1);
                if (output.last().startsWith(wanted))
                    return true;
            }
            if (waited.elapsed() >= ms || child.state() == QProcess::NotRunning)
                return false;
            child.waitForReadyRead(static_cast<int>(std::max<qint64>(1, ms - waited.elapsed())));
        }
    };
    const bool faulted = readUntil(QStringLiteral("warning zc4160.recorder "), 10000);

    // The file, then its folder, as an administrator would mend them.
    const QDateTime writableAt = QDateTime::currentDateTime();
    QElapsedTimer sinceWritable;
    sinceWritable.start();
    if (c.fileThere)
        QFile::setPermissions(t.path(), kReadable | kAnyoneWrites);
    QFile::setPermissions(folder, kOpenFolder | kAnyoneWrites);
    const bool resumed =
        faulted && readUntil(QStringLiteral("info zc4160.recorder the ring rows: stored again"),
                             kResumeWithinMs + 3000);
    const qint64 resumedAfter = sinceWritable.elapsed();
    if (!resumed)
        child.kill();
    ASSERT_TRUE(child.waitForFinished(10000));
    output += QString::fromUtf8(child.readAllStandardOutput()).split(QLatin1Char('\n'));
    const std::string shown = output.join(QLatin1Char('\n')).toStdString();
    ASSERT_NE(child.exitCode(), 3) << "the child could write the file";
    ASSERT_TRUE(faulted) << child.readAllStandardError().toStdString() << shown;
    ASSERT_TRUE(resumed) << shown;
    EXPECT_LE(resumedAfter, kResumeWithinMs) << shown;

    // The recorder: one line when the fault began and one when it ended.
    const QStringList recorder = Lines(output, QStringLiteral("warning zc4160.recorder "))
                                 + Lines(output, QStringLiteral("info zc4160.recorder "));
    ASSERT_EQ(recorder.size(), 2) << shown;
    EXPECT_TRUE(recorder[0].contains(QLatin1String(c.fault))) << shown;
    // Nothing per try, from the install either.
    for (const char* kind : {"warning", "info"})
        EXPECT_LE(Lines(output, QStringLiteral("%1 zc4160.db ").arg(QLatin1String(kind))).size(), 1) << shown;
    // A chart's connection opened before the recorder's reads the new rows:
    // the child says so when the head leaves 0. (One whose file was missing
    // opens again by itself: the data window's tests show that.)
    if (c.fileThere) {
        EXPECT_FALSE(Lines(output, QStringLiteral("chart head=")).isEmpty()) << shown;
    }

    // Rows from the moment of the reopen on, ids from 1 without a gap, the
    // head on the newest; none for the time the file was not writable.
    ASSERT_TRUE(t.outside().open());
    const auto rows = t.rows(QStringLiteral("select w_id, w_date, w_time from pv_data order by w_date, w_time"));
    ASSERT_FALSE(rows.empty());
    const basic::DayStamp from = basic::SplitDayStamp(writableAt.addMSecs(-writableAt.time().msec()));
    for (size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(rows[i][0].toInt(), static_cast<int>(i) + 1);
        EXPECT_GE(std::make_pair(rows[i][1].toDouble(), rows[i][2].toDouble()),
                  std::make_pair(from.date, from.time));
    }
    EXPECT_EQ(t.scalar(QStringLiteral("select ShortHead from sl_void")).toInt(), static_cast<int>(rows.size()));
}

INSTANTIATE_TEST_SUITE_P(
    FileMadeWritable, RecorderComesBack,
    ::testing::Values(
        WritableLater{"ReadOnlyFileAndFolder", true, false, "attempt to write a readonly database"},
        WritableLater{"ReadOnlyFileInAWritableFolder", true, true, "attempt to write a readonly database"},
        WritableLater{"MissingFileInAReadOnlyFolder", false, false, "cannot open the database"}),
    [](const ::testing::TestParamInfo<WritableLater>& param) { return std::string(param.param.name); });

// The file deleted under a station that may not write its folder: no new
// file can be installed, and the reopen at the path opens nothing. The
// recorder must know it is without a connection, so that it tries again
// (after its spacing), and records once the folder can be written.
TEST(RecorderAfterADelete, RecordsAgainOnceTheFolderCanBeWritten)
{
    TempDatabase t;
    t.outside().close();
    const QString folder = QFileInfo(t.path()).absolutePath();
    ASSERT_TRUE(QFile::setPermissions(t.folder(), kOpenFolder | QFileDevice::WriteOwner));
    ASSERT_TRUE(QFile::setPermissions(folder, kOpenFolder | kAnyoneWrites));
    ASSERT_TRUE(QFile::setPermissions(t.path(), kReadable | kAnyoneWrites));

    QProcess child;
    child.setProcessChannelMode(QProcess::SeparateChannels);
    child.start(QStringLiteral(RECORDER_USER_CHILD), {t.path(), QStringLiteral("batches")});
    ASSERT_TRUE(child.waitForStarted(10000));
    QStringList output;
    // Runs n ticks in the child and returns its state line after them.
    auto ticks = [&](int n) {
        child.write(QByteArray::number(n) + '\n');
        QElapsedTimer waited;
        waited.start();
        for (;;) {
            while (child.canReadLine()) {
                output << QString::fromUtf8(child.readLine()).trimmed();
                if (output.last().startsWith(QLatin1String("state ")))
                    return output.last();
            }
            if (waited.elapsed() > 60000 || child.state() == QProcess::NotRunning)
                return QString();
            child.waitForReadyRead(1000);
        }
    };
    auto shown = [&] { return output.join(u'\n').toStdString() + child.readAllStandardError().toStdString(); };
    ASSERT_EQ(ticks(3), QStringLiteral("state connected=1 short=3")) << shown();

    // The administrator closes the folder and deletes the file.
    ASSERT_TRUE(QFile::setPermissions(folder, kOpenFolder));
    ASSERT_TRUE(QFile::remove(t.path()));
    EXPECT_EQ(ticks(1), QStringLiteral("state connected=0 short=4")) << shown();
    EXPECT_EQ(ticks(12), QStringLiteral("state connected=0 short=16")) << shown();
    EXPECT_FALSE(QFileInfo::exists(t.path()));

    // Opened again: within the ten seconds between tries, a new file and
    // rows in it.
    ASSERT_TRUE(QFile::setPermissions(folder, kOpenFolder | kAnyoneWrites));
    const QString resumed = ticks(11);
    child.closeWriteChannel();
    ASSERT_TRUE(child.waitForFinished(10000));
    EXPECT_TRUE(resumed.startsWith(QLatin1String("state connected=1 "))) << shown();
    ASSERT_TRUE(t.outside().open());
    EXPECT_GT(t.scalar(QStringLiteral("select count(*) from pv_data")).toInt(), 0) << shown();
    EXPECT_EQ(t.scalar(QStringLiteral("select max(w_id) from pv_data")).toInt(),
              t.scalar(QStringLiteral("select ShortHead from sl_void")).toInt());
}

// Outcomes by name in failure messages.
void PrintTo(SaveOutcome o, std::ostream* os)
{
    static const char* const names[] = {"None", "Pending", "Stored", "Failed"};
    *os << names[static_cast<int>(o)];
}

namespace {

// Writes that fail under the running recorder: its file system fills up, or
// no write to any file goes through (a file size limit).
struct WriteFault {
    const char* name;
    bool fullDisk;
};

void PrintTo(const WriteFault& c, std::ostream* os) { *os << c.name; }

class RecorderOnFailingWrites : public ::testing::TestWithParam<WriteFault> {
protected:
    void SetUp() override { ResetHandshake(); }
    void TearDown() override
    {
        db::CloseConnection(kConn);
        ResetHandshake();
    }
};

} // namespace

// Every store while writes fail, each export and the ring rows beside
// them, is told failed, logged once a fault, and leaves neither a row nor a
// transaction behind; once writes go through again, the next ones are
// stored and say so.
TEST_P(RecorderOnFailingWrites, NothingIsToldStoredThatIsNotInTheFile)
{
    std::unique_ptr<SmallFileSystem> disk;
    if (GetParam().fullDisk) {
        disk = std::make_unique<SmallFileSystem>(4 << 20);
        if (!disk->error().empty())
            GTEST_SKIP() << disk->error();
    }
    TempDatabase t(true, disk ? disk->path() : QString());
    FillRecordBuffers();
    QDateTime now{kDay, QTime(10, 0, 0, 50)};
    qint64 steady = 0;
    mscom rec([&] { return now; }, kConn, [&] { return steady; });
    rec.Timer1.stop();
    auto tickAfter = [&](int ms) {
        now = now.addMSecs(ms);
        steady += ms;
        rec.Timer1_Timer();
    };
    auto count = [&](const char* table) {
        return t.scalar(QStringLiteral("select count(*) from \"%1\"").arg(QLatin1String(table))).toInt();
    };
    tickAfter(0);
    ASSERT_EQ(count("pv_data"), 1);
    // The row folded into the file and the log emptied before the disk
    // fills: emptied later, the log would give the space the test takes.
    steady += 1000;
    rec.Timer1_Timer();
    ASSERT_TRUE(LogEmptied(t.path()));
    LogCapture log("zc4160.recorder");

    // Two seconds of ring rows and four exports while the writes fail,
    // both records in one tick: a transaction that the first left open
    // would take the second in and tell it stored. The exports' ticks fall
    // in the clock second of a ring row, so nothing after the records ends
    // such a transaction before it is looked for. What the exports gave is
    // looked at once writes go through again.
    std::vector<SaveOutcome> outcomes;
    bool leftATransaction = false;
    {
        std::optional<FileSizeLimit> limit;
        if (disk)
            ASSERT_TRUE(disk->fill());
        else
            limit.emplace();
        for (int round = 0; round < 2; ++round) {
            tickAfter(1000);
            SaveConfFlag = SaveCaliFlag = true;
            tickAfter(100);
            outcomes.push_back(SaveConfResult.outcome);
            outcomes.push_back(SaveCaliResult.outcome);
            leftATransaction = leftATransaction
                               || db::InTransaction(QSqlDatabase::database(kConn, false));
        }
        if (disk)
            disk->free();
    }
    EXPECT_EQ(outcomes, std::vector<SaveOutcome>(4, SaveOutcome::Failed));
    EXPECT_FALSE(leftATransaction);
    EXPECT_EQ(count("CONF"), 0);
    EXPECT_EQ(count("Calibration"), 0);
    EXPECT_EQ(count("pv_data"), 1);
    EXPECT_EQ(t.rows(QStringLiteral("select * from sl_void"))[0], (QVariantList{1, 1, 1, 1}));
    // One line for each fault: the ring rows, each record.
    ASSERT_EQ(log.warnings().size(), 3) << log.warnings().join(u'\n').toStdString();
    EXPECT_EQ(log.warnings().filter(QStringLiteral("the ring rows: cannot be stored")).size(), 1);
    EXPECT_EQ(log.warnings().filter(QStringLiteral("a configuration record: cannot be stored")).size(), 1);
    EXPECT_EQ(log.warnings().filter(QStringLiteral("a calibration record: cannot be stored")).size(), 1);
    EXPECT_TRUE(log.infos().isEmpty()) << log.infos().join(u'\n').toStdString();

    SaveConfFlag = SaveCaliFlag = true;
    tickAfter(1000);
    EXPECT_EQ(SaveConfResult.outcome, SaveOutcome::Stored);
    EXPECT_EQ(SaveCaliResult.outcome, SaveOutcome::Stored);
    EXPECT_EQ(SaveConfResult.recordNumber, 1);
    EXPECT_EQ(SaveCaliResult.recordNumber, 1);
    EXPECT_EQ(t.rows(QStringLiteral("select \"C_ID\", \"1\", \"192\" from CONF")),
              (std::vector<QVariantList>{{1, 4097, 4288}}));
    EXPECT_EQ(t.rows(QStringLiteral("select \"ID\", \"NOTE\", \"F46\" from Calibration")),
              (std::vector<QVariantList>{{1, QStringLiteral("note"), 24618}}));
    EXPECT_EQ(count("pv_data"), 2);
    EXPECT_EQ(log.infos().size(), 3) << log.infos().join(u'\n').toStdString();
    EXPECT_EQ(log.warnings().size(), 3);
    SaveConfFlag = true;
    tickAfter(1000);
    EXPECT_EQ(SaveConfResult.recordNumber, 2);
    EXPECT_EQ(count("CONF"), 2);
}

INSTANTIATE_TEST_SUITE_P(
    WritesFail, RecorderOnFailingWrites,
    ::testing::Values(WriteFault{"FileSystemFull", true}, WriteFault{"FileSizeLimit", false}),
    [](const ::testing::TestParamInfo<WriteFault>& param) { return std::string(param.param.name); });
