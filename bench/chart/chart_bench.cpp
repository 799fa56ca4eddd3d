// Measures one redraw (all seven series over a full paged window), one
// live tick with an append, each as a share of its timer period, and the
// window load from a full 65500-row ring against a bare SQLite read of the
// same rows.

#include "ChartFixture.h"
#include "trend/ChartCanvas.h"
#include "trend/ChartEngine.h"
#include "trend/ChartShared.h"
#include "trend/TrendWindow.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPainter>
#include <QTemporaryDir>
#include <sqlite3.h>

#include "../common/MeanMs.h"
#include "../common/NullChartBinding.h"

#include <cstdio>

using namespace chart;

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir dir;
    const QString file = dir.filePath("ring.db");
    const QDateTime newest(QDate(2024, 3, 5), QTime(12, 0, 0));
    double loadMs = 0, bareMs = 0, redrawMs = 0, renderMs = 0, tickMs = 0;
    {
        chart::testing::RingFixture ring(file);
        ring.WriteRing(QStringLiteral("pv_data"), 30000, 65500, newest);
        ring.SetHeads(30000, 0);
        YSpan = 1500;
        YMin = 0;
        CurveSel.fill(true);

        // Window load: 321 rows, paged, through the engine's data window.
        ChartState state;
        state.ZoomLevel = 4;
        TrendWindow window(state, kOverviewChart);
        window.SetDatabase(ring.Database());
        state.WindowSize = PagedWindowSize;
        state.WindowEnd = 20000;
        loadMs = MeanMs(200, [&] { window.LoadTrendWindow(); });

        // Bare read of the same ids with the SQLite library itself.
        sqlite3* raw = nullptr;
        sqlite3_open_v2(file.toUtf8().constData(), &raw, SQLITE_OPEN_READONLY, nullptr);
        sqlite3_stmt* stmt = nullptr;
        sqlite3_prepare_v2(raw, "select * from pv_data where w_id between ?1 and ?2", -1, &stmt,
                           nullptr);
        double sink = 0;
        bareMs = MeanMs(200, [&] {
            sqlite3_reset(stmt);
            sqlite3_bind_int(stmt, 1, 20000 - 320);
            sqlite3_bind_int(stmt, 2, 20000);
            while (sqlite3_step(stmt) == SQLITE_ROW)
                for (int c = 1; c < 11; ++c)
                    sink += sqlite3_column_double(stmt, c);
        });
        sqlite3_finalize(stmt);
        sqlite3_close(raw);
        if (sink == 42) std::puts("");

        // Redraw: compute the picture of a full paged window at level 4
        // with all seven series, then render it on an 801 x 501 canvas.
        NullBinding ui;
        bool open = false, newRow = false;
        ChartEngine engine(kOverviewChart, ui, {&open, &newRow});
        engine.Setup(ring.Database());
        engine.Command4_Click();
        engine.Command4_Click();
        engine.Command4_Click();
        engine.Command8_Click();   // paged: 320 steps on the canvas
        redrawMs = MeanMs(500, [&] { engine.Redraw(); });
        QImage canvas(801, 501, QImage::Format_RGB32);
        renderMs = MeanMs(200, [&] {
            QPainter p(&canvas);
            ChartCanvas::Render(p, engine.Picture(), canvas.size());
        });

        // Live tick with an append and its redraw (reloads included as
        // they come, one in every 80 appends at level 4).
        engine.Command7_Click();
        std::array<float, 301> live{};
        tickMs = MeanMs(400, [&] {
            newRow = true;
            engine.LiveTick(live);
        });
    }
    const double drawTotal = redrawMs + renderMs;
    std::printf("window load, 321 rows of a 65500-row ring: %.3f ms; bare SQLite read %.3f ms; "
                "ratio %.2f\n",
                loadMs, bareMs, loadMs / bareMs);
    std::printf("redraw, 7 series x 320 steps: compute %.3f ms + render %.3f ms = %.3f ms; "
                "%.2f %% of the 1 s redraw\n",
                redrawMs, renderMs, drawTotal, drawTotal / 10.0);
    std::printf("live tick with append and redraw compute: %.3f ms (+ render %.3f ms) = "
                "%.2f %% of the 200 ms tick\n",
                tickMs, renderMs, (tickMs + renderMs) / 2.0);
    return 0;
}
