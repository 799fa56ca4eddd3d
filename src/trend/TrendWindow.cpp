#include "trend/TrendWindow.h"

#include "platform/basic/logtext.h"
#include "platform/basic/numbers.h"
#include "platform/db/RecordSet.h"

#include <QLoggingCategory>
#include <QSqlError>
#include <QSqlQuery>
#include <algorithm>
#include <cmath>

Q_LOGGING_CATEGORY(lcChart, "zc4160.chart")

namespace chart {

TrendWindow::TrendWindow(ChartState& state, const ChartProfile& profile, db::SteadyClock steady)
    : s_(state), profile_(profile), pacing_(std::move(steady))
{
}

void TrendWindow::SetDatabase(const QSqlDatabase& database)
{
    db_ = database;
    pacing_.Opened();
}

bool TrendWindow::Connection()
{
    // A chart only reads: a connection that opened read-only reads on once
    // the file's folder lets it, so only a closed one needs opening again.
    // An invalid one (no window's connection) has nothing to reopen.
    if (!db_.isOpen() && !db_.connectionName().isEmpty() && pacing_.Due())
        db_ = db::OpenConnection(db_.connectionName());
    return db_.isOpen();
}

void TrendWindow::CloseDatabase()
{
    db_ = QSqlDatabase();
}

bool TrendWindow::Exec(QSqlQuery& query, const char* what)
{
    // A statement that did not prepare (a table missing or not as the
    // station made it) holds the database's reason; running it anyway
    // would replace that with "No query".
    const QSqlError prepared = query.lastError();
    if (!prepared.isValid() && query.exec()) {
        if (failing_)
            qCInfo(lcChart) << "chart reads the database again";
        failing_ = false;
        return true;
    }
    // One line when the chart's reads start failing, not one per reload.
    if (!failing_)
        qCWarning(lcChart).noquote()
            << what << "failed:"
            << basic::LogEscaped((prepared.isValid() ? prepared : query.lastError()).text());
    failing_ = true;
    return false;
}

void TrendWindow::ReadHead()
{
    if (!Connection()) {
        if (!failing_)
            qCWarning(lcChart) << "chart has no open database connection";
        failing_ = true;
        return;
    }
    QSqlQuery head(db_);
    head.setForwardOnly(true);
    head.prepare(db::SpellOutStar(QStringLiteral("select * from  sl_void")));
    if (!Exec(head, "head read") || !head.next())
        return;
    bool ok = false;
    const double value = head.value(profile_.headField).toDouble(&ok);
    if (!ok)
        return;
    auto id = basic::RoundToLong(value);
    if (!id)
        return;
    // A head outside the ring is taken as the empty ring's head, as the
    // recorder takes it: the next row it writes is id 1.
    s_.HeadId = (*id >= 0 && *id <= RingMaxId) ? *id : 0;

    QSqlQuery top(db_);
    top.setForwardOnly(true);
    top.prepare(QStringLiteral("select max(%1) from  %2")
                    .arg(QLatin1String(profile_.idField), QLatin1String(profile_.table)));
    if (Exec(top, "ring top read") && top.next())
        s_.RingWrapped = top.value(0).toLongLong() > s_.HeadId;
}

void TrendWindow::ClearTrendBuffers()
{
    for (int j = 0; j < ClearedSamples; ++j) {
        s_.TrendDate[j] = 0;
        s_.TrendTime[j] = 0;
        for (int k = 0; k < ClearedValues; ++k)
            s_.TrendVal[k][j] = 0;
    }
}

void TrendWindow::LoadTrendWindow()
{
    ClearTrendBuffers();
    std::fill(s_.GapMark.begin(), s_.GapMark.begin() + ClearedSamples, int16_t{0});
    const int size = std::clamp(s_.WindowSize, 0, ClearedSamples - 1);
    const int32_t end = std::clamp(s_.WindowEnd, 0, RingMaxId);

    // The ids WindowStart + 1 to WindowEnd, counted across the top of the
    // ring when the window reaches below id 1. Both forms let SQLite walk
    // the id index; a range is given smaller bound first, and the wrapped
    // window never takes an id outside 1..65500.
    bool more = Connection();
    QSqlQuery rows(db_);
    rows.setForwardOnly(true);
    const QString table = QLatin1String(profile_.table);
    const QString id = QLatin1String(profile_.idField);
    const bool wraps = end < size;
    s_.WindowStart = wraps ? RingMaxId - (size - end) : end - size;
    if (more && !wraps) {
        rows.prepare(db::SpellOutStar(QStringLiteral("select * from  %1 where %2  between ? and ? "
                                                     "order by w_date,w_time")
                                          .arg(table, id)));
        rows.addBindValue(s_.WindowStart + 1);
        rows.addBindValue(end);
    } else if (more) {
        rows.prepare(db::SpellOutStar(QStringLiteral("select * from  %1 where %2 between 1 and ? "
                                                     "or %2 between ? and ? order by w_date,w_time ")
                                          .arg(table, id)));
        rows.addBindValue(end);
        rows.addBindValue(s_.WindowStart + 1);
        rows.addBindValue(RingMaxId);
    }
    more = more && Exec(rows, "window load");

    for (int j = 1; j <= size; ++j) {
        if (more)
            more = rows.next();
        if (more) {
            bool ok = false;
            double v = rows.value(1).toDouble(&ok);
            if (ok) s_.TrendDate[j] = v;
            v = rows.value(2).toDouble(&ok);
            if (ok) s_.TrendTime[j] = v;
            for (int k = 0; k < RecordedValues; ++k) {
                v = rows.value(3 + k).toDouble(&ok);
                if (ok) s_.TrendVal[k][j] = static_cast<float>(v);
            }
        }
        // Times of day only: the first sample after midnight, and sample 1
        // after the empty sample 0, are marked as gaps like any long step.
        if (std::abs(s_.TrendTime[j] - s_.TrendTime[j - 1]) > GapDays)
            s_.GapMark[j] = static_cast<int16_t>(j);
    }
}

void TrendWindow::LiveLoad()
{
    ReadHead();
    s_.PointCount = LiveWindowSize;
    s_.WindowSize = LiveWindowSize;
    s_.WindowEnd = s_.HeadId;
    s_.LastIndex = s_.WriteIndex = LiveWindowSize;
    LoadTrendWindow();
}

int TrendWindow::ReloadIndex() const
{
    return LiveWindowSize + 20 * s_.ZoomLevel;
}

bool TrendWindow::LiveAppend(std::span<const float> values, const basic::DayStamp& stamp)
{
    ++s_.LastIndex;
    ++s_.WriteIndex;
    bool reloaded = false;
    if (s_.LastIndex >= ReloadIndex() || s_.WriteIndex >= SampleSlots) {
        LiveLoad();
        reloaded = true;
    }
    const int j = s_.WriteIndex;
    if (IsSampleIndex(j)) {
        const int n = std::min<int>(profile_.appendedValues, static_cast<int>(values.size()));
        for (int k = 0; k < n; ++k)
            s_.TrendVal[k][j] = values[k];
        s_.TrendDate[j] = stamp.date;
        s_.TrendTime[j] = stamp.time;
    }
    return reloaded;
}

} // namespace chart
