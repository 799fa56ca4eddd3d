// Opens the history window over a full 65500-row long ring and measures the
// time to its first painted chart (construction, load with its own
// connection, head read, the 241-row window, redraw, show, paint), then the
// chart set-up alone, against bare SQLite reads: the same 241 rows and the
// head on an open connection, the same with opening the connection, and
// the whole ring.

#include "ChartFixture.h"
#include "platform/db/DatabaseFile.h"
#include "platform/forms/Forms.h"
#include "trend/ChartCanvas.h"
#include "trend/ChartEngine.h"
#include "trend/ChartShared.h"
#include "trend/lsqx.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <sqlite3.h>

#include "../common/MeanMs.h"
#include "../common/NullChartBinding.h"

#include <cstdio>

namespace {

constexpr int kHead = 30000;


// Head and the window's 241 rows, every column read, on an open connection.
double BareWindowRead(sqlite3* db)
{
    double sink = 0;
    sqlite3_stmt* head = nullptr;
    sqlite3_prepare_v2(db, "select * from sl_void", -1, &head, nullptr);
    if (sqlite3_step(head) == SQLITE_ROW)
        sink += sqlite3_column_int(head, 2);
    sqlite3_finalize(head);
    sqlite3_stmt* rows = nullptr;
    sqlite3_prepare_v2(db, "select * from lpv_wdjl where lw_id between ?1 and ?2 "
                           "order by w_date,w_time", -1, &rows, nullptr);
    sqlite3_bind_int(rows, 1, kHead - 240);
    sqlite3_bind_int(rows, 2, kHead);
    while (sqlite3_step(rows) == SQLITE_ROW)
        for (int c = 1; c < 11; ++c)
            sink += sqlite3_column_double(rows, c);
    sqlite3_finalize(rows);
    return sink;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    forms::SetUpStation(app);
    QTemporaryDir dir;
    const QString file = dir.filePath("Rdatabj.db");
    const QDateTime newest(QDate(2024, 3, 5), QTime(12, 0, 0));
    chart::testing::RingFixture ring(file);
    ring.WriteRing(QStringLiteral("Lpv_wdjl"), kHead, 65500, newest, 10);
    ring.SetHeads(0, kHead);
    qputenv("ZC4160_DB", file.toUtf8());
    YSpan = 1500;

    // Opening to the first paint of the chart, and the window unloaded
    // again (not timed).
    const int runs = 40;
    double openMs = 0, loadMs = 0;
    int painted = 0;
    for (int i = 0; i <= runs; ++i) {
        QElapsedTimer t;
        t.start();
        lsqx& w = forms::Instance<lsqx>();
        const double loaded = t.nsecsElapsed() / 1e6;
        w.show();
        while (w.pt->RenderCount() == 0 && t.elapsed() < 5000)
            QCoreApplication::processEvents();
        const double ms = t.nsecsElapsed() / 1e6;
        if (i > 0) {   // the first opening loads fonts and styles
            openMs += ms;
            loadMs += loaded;
        }
        painted += w.pt->RenderCount() > 0;
        w.CloseGuard = false;
        w.Unload();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    openMs /= runs;
    loadMs /= runs;

    // The chart set-up alone: the window's own connection opened, head,
    // ring top, the 241 rows, the first redraw computed.
    double setupMs = 0;
    {
        NullBinding ui;
        bool open = false, newRow = false;
        setupMs = MeanMs(runs, [&] {
            chart::ChartEngine engine(chart::kHistoryChart, ui, {&open, &newRow});
            engine.Setup(db::OpenConnection(QStringLiteral("bench")));
            engine.Teardown();
            db::CloseConnection(QStringLiteral("bench"));
        });
    }

    double sink = 0;
    sqlite3* raw = nullptr;
    sqlite3_open_v2(file.toUtf8().constData(), &raw, SQLITE_OPEN_READONLY, nullptr);
    const double bareMs = MeanMs(200, [&] { sink += BareWindowRead(raw); });
    const double ringMs = MeanMs(10, [&] {
        sqlite3_stmt* all = nullptr;
        sqlite3_prepare_v2(raw, "select * from lpv_wdjl", -1, &all, nullptr);
        while (sqlite3_step(all) == SQLITE_ROW)
            for (int c = 1; c < 11; ++c)
                sink += sqlite3_column_double(all, c);
        sqlite3_finalize(all);
    });
    sqlite3_close(raw);
    const double bareOpenMs = MeanMs(200, [&] {
        sqlite3* db = nullptr;
        sqlite3_open_v2(file.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr);
        sink += BareWindowRead(db);
        sqlite3_close(db);
    });
    if (sink == 42)
        std::puts("");

    std::printf("history window over a 65500-row long ring, %d of %d openings painted\n",
                painted, runs + 1);
    std::printf("  opening to first paint:            %8.3f ms (load %.3f ms, show and paint %.3f ms)\n",
                openMs, loadMs, openMs - loadMs);
    std::printf("  chart set-up alone (own connection, head, 241 rows, redraw): %8.3f ms\n",
                setupMs);
    std::printf("  bare SQLite read, head + 241 rows, open connection:          %8.3f ms\n",
                bareMs);
    std::printf("  bare SQLite read, head + 241 rows, opening the connection:   %8.3f ms\n",
                bareOpenMs);
    std::printf("  bare SQLite read of the whole ring (65500 rows):             %8.3f ms\n",
                ringMs);
    std::printf("  ratio chart set-up / bare read opening its connection: %.2f\n",
                setupMs / bareOpenMs);
    std::printf("  ratio opening to first paint / bare window read:      %.2f\n", openMs / bareMs);
    std::printf("  ratio opening to first paint / bare read of the ring: %.2f\n", openMs / ringMs);
    return 0;
}
