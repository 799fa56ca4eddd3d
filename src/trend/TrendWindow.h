#pragma once
// The data side of a chart: which recorded rows the sample buffers hold and
// how live samples are appended between two loads.

#include "platform/basic/daynumbers.h"
#include "platform/db/DatabaseFile.h"
#include "trend/ChartProfile.h"
#include "trend/ChartState.h"

#include <QSqlDatabase>
#include <QString>
#include <span>

class QSqlQuery;

namespace chart {

class TrendWindow {
public:
    // steady spaces the tries to open a closed connection again.
    TrendWindow(ChartState& state, const ChartProfile& profile,
                db::SteadyClock steady = db::SteadyMs);

    // The window's own connection (db::OpenConnection); an invalid or closed
    // one makes every load come back empty (all-zero buffers). A closed one
    // (the file was missing when the window opened it, and the recorder
    // installs it later) is opened again by a read at most every ten
    // seconds, so the chart comes back at its next reload.
    void SetDatabase(const QSqlDatabase& database);
    void CloseDatabase();

    // Reads the ring's head from sl_void into HeadId (left as it was when
    // the read fails), and whether the ring holds rows above it.
    void ReadHead();

    // Reads the WindowSize rows ending at WindowEnd, oldest first, into
    // samples 1 to WindowSize and marks the gaps.
    void LoadTrendWindow();
    void ClearTrendBuffers();

    // Head read, live sizes and WindowEnd = HeadId, then the load.
    void LiveLoad();

    // One new recorded row while live: counts the sample in, reloads from
    // the head when the reload point is reached or passed (so a zoom change
    // cannot leave the live curve standing), then stores the live values
    // with the stamp. Returns whether it reloaded.
    bool LiveAppend(std::span<const float> values, const basic::DayStamp& stamp);

    // The reload point of the current zoom level: 241 + 20 x ZoomLevel.
    int ReloadIndex() const;

private:
    bool Exec(QSqlQuery& query, const char* what);
    bool Connection();   // open, or opened again just now

    ChartState& s_;
    const ChartProfile& profile_;
    QSqlDatabase db_;
    db::ReopenPacing pacing_;
    bool failing_ = false;
};

} // namespace chart
