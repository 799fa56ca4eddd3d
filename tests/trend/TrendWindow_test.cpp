// The data window: which ring rows a load puts into which samples, the gap
// marks, and the live append with its reload.

#include "ChartFixture.h"
#include "basic/LogLines.h"
#include "platform/db/Tables.h"
#include "trend/ChartProfile.h"
#include "trend/TrendWindow.h"

#include <QSqlError>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <array>
#include <memory>
#include <vector>

using namespace chart;
using chart::testing::RingFixture;

namespace {

const QDateTime kNoon(QDate(2024, 3, 5), QTime(12, 0, 0));

std::vector<int> LoadedIds(const ChartState& s, int count)
{
    std::vector<int> ids;
    for (int j = 1; j <= count; ++j)
        ids.push_back(static_cast<int>(s.TrendVal[7][j]));
    return ids;
}

std::vector<int> Ids(std::initializer_list<std::pair<int, int>> ranges)
{
    std::vector<int> ids;
    for (auto [from, to] : ranges)
        for (int id = from; id <= to; ++id)
            ids.push_back(id);
    return ids;
}

// A full short ring whose newest row is id 100: ids 101..65500 are older
// than 1..100. Built once; loads only read it.
class FullRing : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        ring = new RingFixture;
        ring->WriteRing(QStringLiteral("pv_data"), 100, 65500, kNoon);
        ring->SetHeads(100, 0);
    }
    static void TearDownTestSuite() { delete ring; ring = nullptr; }
    static RingFixture* ring;
};
RingFixture* FullRing::ring = nullptr;

} // namespace

TEST_F(FullRing, WindowEndSelectsTheIdsInTimeOrder)
{
    struct Case {
        int end, size;
        std::vector<int> ids;
    };
    const std::vector<Case> cases = {
        {1000, 241, Ids({{760, 1000}})},
        {100, 241, Ids({{65360, 65500}, {1, 100}})},     // across the wrap
        {65500, 241, Ids({{65260, 65500}})},
        {0, 241, Ids({{65260, 65500}})},                 // an empty ring's head
        {940, 321, Ids({{620, 940}})},                   // a paged window
        {40, 321, Ids({{65220, 65500}, {1, 40}})},
    };
    for (const Case& c : cases) {
        ChartState s;
        TrendWindow w(s, kOverviewChart);
        w.SetDatabase(ring->Database());
        s.WindowEnd = c.end;
        s.WindowSize = c.size;
        w.LoadTrendWindow();
        EXPECT_EQ(LoadedIds(s, c.size), c.ids) << "window end " << c.end;
        EXPECT_EQ(s.TrendVal[7][c.size + 1], 0) << "window end " << c.end;
        EXPECT_EQ(s.TrendVal[7][0], 0);
    }
}

TEST_F(FullRing, LiveLoadStartsFromTheHeadAndSeesTheWrap)
{
    ChartState s;
    s.ZoomLevel = 1;
    TrendWindow w(s, kOverviewChart);
    w.SetDatabase(ring->Database());
    w.LiveLoad();
    EXPECT_EQ(s.HeadId, 100);
    EXPECT_TRUE(s.RingWrapped);
    EXPECT_EQ(s.WindowStart, 65359);
    EXPECT_EQ(s.LastIndex, 241);
    EXPECT_EQ(s.TrendVal[7][241], 100);
    EXPECT_EQ(s.TrendVal[7][1], 65360);
}

TEST(TrendWindow, ShortAndEmptyRings)
{
    RingFixture ring;
    ChartState s;
    TrendWindow w(s, kOverviewChart);
    w.SetDatabase(ring.Database());

    // Empty ring, head 0: nothing to load, nothing marked.
    w.LiveLoad();
    EXPECT_FALSE(s.RingWrapped);
    for (int j = 0; j <= 241; ++j) {
        EXPECT_EQ(s.TrendTime[j], 0);
        EXPECT_EQ(s.GapMark[j], 0) << j;
    }

    // 100 rows, ids 1..100, the newest at noon: samples 1..100, the rest
    // zero, and the drop to the empty sample 101 is a gap.
    ring.WriteRing(QStringLiteral("pv_data"), 100, 100, kNoon);
    ring.SetHeads(100, 0);
    w.LiveLoad();
    EXPECT_FALSE(s.RingWrapped);
    EXPECT_EQ(LoadedIds(s, 100), Ids({{1, 100}}));
    EXPECT_EQ(s.TrendVal[7][101], 0);
    EXPECT_EQ(s.GapMark[1], 1);      // sample 0 is empty: time 0
    EXPECT_EQ(s.GapMark[2], 0);
    EXPECT_EQ(s.GapMark[101], 101);
    EXPECT_EQ(s.GapMark[102], 0);
}

TEST(TrendWindow, MissingDatabaseGivesZeros)
{
    ChartState s;
    s.HeadId = 7;
    TrendWindow w(s, kOverviewChart);
    w.SetDatabase(QSqlDatabase());
    s.TrendVal[0][5] = 3;
    w.LiveLoad();
    EXPECT_EQ(s.HeadId, 7);   // the head read failed: kept
    EXPECT_EQ(s.TrendVal[0][5], 0);
}

TEST(TrendWindow, GapBoundaries)
{
    // Sample 1 after the empty sample 0, then steps of 299 and 300 s; a
    // step across midnight is marked although it is one second long (the
    // test compares times of day only, as the chart always has).
    struct Case {
        QTime first;
        int step;
        bool firstMarked, secondMarked;
    };
    const std::vector<Case> cases = {
        {QTime(0, 4, 59), 299, false, false},
        {QTime(0, 5, 0), 300, true, true},
        {QTime(10, 0, 0), 299, true, false},
        {QTime(23, 59, 59), 1, true, true},    // second sample at 00:00:00
    };
    for (const Case& c : cases) {
        RingFixture ring;
        const QDateTime t1(QDate(2024, 3, 5), c.first);
        ring.WriteRow(QStringLiteral("pv_data"), 1, t1, {});
        ring.WriteRow(QStringLiteral("pv_data"), 2, t1.addSecs(c.step), {});
        ring.WriteRow(QStringLiteral("pv_data"), 3, t1.addSecs(c.step + 1), {});
        ChartState s;
        TrendWindow w(s, kOverviewChart);
        w.SetDatabase(ring.Database());
        s.WindowEnd = 3;
        s.WindowSize = 3;
        w.LoadTrendWindow();
        EXPECT_EQ(s.GapMark[1] != 0, c.firstMarked) << c.first.toString().toStdString();
        EXPECT_EQ(s.GapMark[2] != 0, c.secondMarked) << c.first.toString().toStdString();
        EXPECT_EQ(s.GapMark[3], 0);
    }
}

TEST(TrendWindow, HistoryWindowReadsTheLongRing)
{
    RingFixture ring;
    ring.WriteRing(QStringLiteral("Lpv_wdjl"), 500, 500, kNoon, 10);
    ring.WriteRing(QStringLiteral("pv_data"), 9, 9, kNoon);
    ring.SetHeads(9, 500);
    ChartState s;
    TrendWindow w(s, kHistoryChart);
    w.SetDatabase(ring.Database());
    w.LiveLoad();
    EXPECT_EQ(s.HeadId, 500);
    EXPECT_EQ(LoadedIds(s, 241), Ids({{260, 500}}));
}

// Another program rebuilds the rings and the heads with their fields in
// reverse order under the open chart windows: a window reads them by name,
// so its next load shows the same rows with the same values.
TEST(TrendWindow, RingsRebuiltInAnotherOrderUnderAnOpenWindowLoadTheSameRows)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("rings.db"));
    RingFixture ring(file);
    ring.WriteRing(QStringLiteral("pv_data"), 300, 300, kNoon);
    ring.WriteRing(QStringLiteral("Lpv_wdjl"), 400, 400, kNoon, 10);
    ring.SetHeads(300, 400);

    struct Window {
        const ChartProfile& chart;
        int head;
        ChartState s;
        std::unique_ptr<TrendWindow> w;
    };
    Window windows[] = {{kOverviewChart, 300, {}, nullptr}, {kHistoryChart, 400, {}, nullptr}};
    auto loaded = [](const ChartState& s) {
        std::vector<std::array<float, 3>> samples;   // age, 50, id
        for (int j = 1; j <= 241; ++j)
            samples.push_back({s.TrendVal[0][j], s.TrendVal[1][j], s.TrendVal[7][j]});
        return samples;
    };
    std::vector<std::array<float, 3>> before[2];
    for (int i = 0; i < 2; ++i) {
        Window& win = windows[i];
        win.w = std::make_unique<TrendWindow>(win.s, win.chart);
        win.w->SetDatabase(ring.Database());
        win.w->LiveLoad();
        ASSERT_EQ(win.s.HeadId, win.head);
        before[i] = loaded(win.s);
        ASSERT_EQ(before[i].back(), (std::array<float, 3>{0, 50, float(win.head)}));
    }

    {
        QSqlDatabase other = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"),
                                                       QStringLiteral("rebuilder"));
        other.setDatabaseName(file);
        ASSERT_TRUE(other.open());
        for (const char* table : {"pv_data", "Lpv_wdjl", "sl_void"}) {
            QSqlQuery q(other);
            QStringList fields;
            q.exec(QStringLiteral("pragma table_info(%1)").arg(QLatin1String(table)));
            while (q.next())
                fields.prepend(q.value(1).toString());
            const QString name = QLatin1String(table);
            for (const QString& sql :
                 {QStringLiteral("create table rebuilt as select %1 from %2").arg(fields.join(u','), name),
                  QStringLiteral("drop table %1").arg(name),
                  QStringLiteral("alter table rebuilt rename to %1").arg(name)})
                ASSERT_TRUE(q.exec(sql)) << q.lastError().text().toStdString();
        }
        other.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("rebuilder"));

    for (int i = 0; i < 2; ++i) {
        Window& win = windows[i];
        SCOPED_TRACE(win.head);
        win.w->LiveLoad();
        EXPECT_EQ(win.s.HeadId, win.head);
        EXPECT_EQ(loaded(win.s), before[i]);
    }
}

TEST(TrendWindow, ReloadComesAtOrPastThePointOfTheZoomLevel)
{
    RingFixture ring;
    ring.WriteRing(QStringLiteral("pv_data"), 1000, 1000, kNoon);
    ring.SetHeads(1000, 0);
    const std::array<float, 8> live{1, 2, 3, 4, 5, 6, 7, 8};
    for (int zoom = 1; zoom <= 4; ++zoom) {
        ChartState s;
        s.ZoomLevel = zoom;
        TrendWindow w(s, kOverviewChart);
        w.SetDatabase(ring.Database());
        w.LiveLoad();
        int reloadedAt = 0;
        for (int n = 1; n <= 100 && !reloadedAt; ++n)
            if (w.LiveAppend(live, {45000, 0.5}))
                reloadedAt = n;
        EXPECT_EQ(reloadedAt, 20 * zoom) << "zoom " << zoom;
        // The reload leaves the live values in sample 241, over the row
        // just loaded; value 7 is not appended.
        EXPECT_EQ(s.WriteIndex, 241);
        EXPECT_EQ(s.TrendVal[6][241], 7);
        EXPECT_EQ(s.TrendVal[7][241], 1000);
        EXPECT_EQ(s.TrendDate[241], 45000);
    }

    // Zoomed in from 4 to 1 with 50 samples appended: the next append is
    // past 261 and reloads, so the curve goes on; no index leaves 0..322.
    ChartState s;
    s.ZoomLevel = 4;
    TrendWindow w(s, kOverviewChart);
    w.SetDatabase(ring.Database());
    w.LiveLoad();
    for (int n = 0; n < 50; ++n)
        w.LiveAppend(live, {45000, 0.5});
    EXPECT_EQ(s.LastIndex, 291);
    s.ZoomLevel = 1;
    EXPECT_TRUE(w.LiveAppend(live, {45000, 0.5}));
    EXPECT_EQ(s.LastIndex, 241);
}

#include "platform/db/DatabaseFile.h"
#include <QTemporaryDir>

TEST(TrendWindow, LoadsFromTheInstalledDatabase)
{
    QTemporaryDir dir;
    const QByteArray old = qgetenv("ZC4160_DB");
    qputenv("ZC4160_DB", dir.filePath("Rdatabj.db").toUtf8());
    ASSERT_TRUE(db::InstallIfMissing());
    {
        QSqlDatabase d = db::OpenConnection(QStringLiteral("chart-install-test"));
        ASSERT_TRUE(d.isOpen());
        QSqlQuery q(d);
        d.transaction();
        q.prepare(QStringLiteral("insert into pv_data values (?,?,?,?,?,?,?,?,?,?,?)"));
        for (int id = 1; id <= 300; ++id) {
            const basic::DayStamp st = basic::SplitDayStamp(kNoon.addSecs(id - 300));
            QVariantList row{id, st.date, st.time};
            for (int k = 0; k < 8; ++k)
                row << (k == 7 ? double(id) : 1.0);
            for (int i = 0; i < row.size(); ++i)
                q.bindValue(i, row[i]);
            ASSERT_TRUE(q.exec());
        }
        d.commit();
        q.exec(QStringLiteral("update sl_void set ShortHead = 300, ShortHeadCopy = 300"));
        ChartState s;
        s.ZoomLevel = 1;
        TrendWindow w(s, kOverviewChart);
        w.SetDatabase(d);
        w.LiveLoad();
        EXPECT_EQ(s.HeadId, 300);
        EXPECT_FALSE(s.RingWrapped);
        EXPECT_EQ(LoadedIds(s, 241), Ids({{60, 300}}));
    }
    db::CloseConnection(QStringLiteral("chart-install-test"));
    qputenv("ZC4160_DB", old);
}

#include "db/LogCapture.h"
#include "db/TempDatabase.h"

TEST(TrendWindow, AClosedConnectionIsOpenedAgainAtMostEveryTenSeconds)
{
    // The file is missing when the window opens its connection; the
    // recorder installs it later, and the chart comes back by itself.
    TempDatabase t(false);
    const QString name = QStringLiteral("chart-reopen-test");
    qint64 steady = 0;
    LogCapture log("zc4160.chart");
    {
        ChartState s;
        s.ZoomLevel = 1;
        TrendWindow w(s, kOverviewChart, [&] { return steady; });
        w.SetDatabase(db::OpenConnection(name));
        w.LiveLoad();
        EXPECT_EQ(s.HeadId, 0);

        steady = 10000;   // tried again: the file is still missing
        w.LiveLoad();
        QString error;
        ASSERT_TRUE(db::InstallAt(t.path(), &error)) << error.toStdString();
        for (int id = 1; id <= 5; ++id) {
            const basic::DayStamp st = basic::SplitDayStamp(kNoon.addSecs(id));
            t.exec(QStringLiteral("insert into pv_data values (?,?,?,0,0,0,0,0,0,0,?)"),
                   {id, st.date, st.time, double(id)});
        }
        t.exec(QStringLiteral("update sl_void set ShortHead = 5, ShortHeadCopy = 5"));

        steady = 19999;   // not yet: the last try was at 10 s
        w.LiveLoad();
        EXPECT_EQ(s.HeadId, 0);
        EXPECT_EQ(LoadedIds(s, 241), std::vector<int>(241, 0));

        steady = 20000;
        w.LiveLoad();
        EXPECT_EQ(s.HeadId, 5);
        EXPECT_EQ(LoadedIds(s, 5), Ids({{1, 5}}));
    }
    db::CloseConnection(name);
    // One line when the chart found no connection, one when it read again;
    // none for the tries between.
    EXPECT_EQ(log.warnings().size(), 1) << log.warnings().join('\n').toStdString();
    EXPECT_EQ(log.infos().size(), 1) << log.infos().join('\n').toStdString();
}

// The database's error text can carry what the file holds, here the name of
// a table that a view standing for the short ring reads: the chart's warning
// shows it escaped and short.
TEST(TrendWindow, AForgedReadErrorStaysInsideItsOneShortLine)
{
    for (const testsupport::ForgedText& forged : testsupport::ForgedTexts()) {
        SCOPED_TRACE(forged.shown.toStdString());
        RingFixture ring;
        ring.WriteRing(QStringLiteral("pv_data"), 10, 10, kNoon);
        ring.SetHeads(10, 0);
        ring.Exec(QStringLiteral("alter table pv_data rename to pv_away"));
        ring.Exec(QStringLiteral("create view pv_data as select * from %1")
                      .arg(db::QuotedName(forged.text)));
        ChartState s;
        TrendWindow w(s, kOverviewChart);
        w.SetDatabase(ring.Database());
        LogCapture log("zc4160.chart");
        w.LiveLoad();
        ASSERT_EQ(log.warnings().size(), 1) << log.warnings().join('\n').toStdString();
        EXPECT_TRUE(log.Warned(0, QStringLiteral("failed: no such table")));
        EXPECT_TRUE(log.Warned(0, forged.shown));
        EXPECT_TRUE(testsupport::SafeLine("zc4160.chart", log.warnings()[0]));
        EXPECT_EQ(LoadedIds(s, 241), std::vector<int>(241, 0));
    }
}
