// Measures, in one run:
//  - the recorder's tick cost (idle tick, tick with a short row, tick with
//    both rows) as a ratio to a bare SQLite insert of the same row on a
//    connection with the same settings;
//  - a real second with the log folded into the file after its row, as the
//    station runs: the ticks' time and the process's CPU time;
//  - the database file size after both rings have wrapped once and after
//    one more full cycle of the long ring (it must not grow).
//
//   recorder_bench [--cycles N]   (N long-ring cycles after the first wrap;
//                                  default 1; 0 skips the size run)

#include "device/Met1.h"
#include "platform/db/DatabaseFile.h"
#include "platform/db/Tables.h"
#include "trend/mscom.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QThread>
#include <cstdio>
#include <memory>
#include <sys/resource.h>

namespace {

const QDateTime kBase(QDate(2026, 1, 1), QTime(0, 0), Qt::UTC);

qint64 FileSize(const QString& path) { return QFileInfo(path).size(); }

double CpuSeconds()
{
    rusage usage {};
    ::getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec)
           + double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// Nanoseconds per call of f over n calls.
template <typename F>
double PerCall(int n, F f)
{
    QElapsedTimer t;
    t.start();
    for (int i = 0; i < n; ++i)
        f(i);
    return double(t.nsecsElapsed()) / n;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    int cycles = 1;
    for (int i = 1; i + 1 < argc; ++i)
        if (QByteArray(argv[i]) == "--cycles")
            cycles = QByteArray(argv[i + 1]).toInt();

    QTemporaryDir dir;
    const QString recPath = dir.path() + QStringLiteral("/Rdatabj.db");
    const QString barePath = dir.path() + QStringLiteral("/bare.db");
    if (!db::InstallAt(recPath) || !db::InstallAt(barePath))
        return 1;

    // The bare insert: the same row into the same table, prepared once,
    // one transaction per row as the recorder commits each row.
    qputenv("ZC4160_DB", barePath.toUtf8());
    QSqlDatabase bare = db::OpenConnection(QStringLiteral("bare"));
    QSqlQuery insert(bare);
    insert.prepare(QStringLiteral("insert into pv_data values (?,?,?,?,?,?,?,?,?,?,?)"));
    const int rows = 20000;
    const double bareNs = PerCall(rows, [&](int i) {
        insert.bindValue(0, i + 1);
        insert.bindValue(1, 46000.0);
        insert.bindValue(2, (i % 86400) / 86400.0);
        for (int v = 0; v < 8; ++v)
            insert.bindValue(3 + v, double(float(i + v)));
        insert.exec();
    });

    qputenv("ZC4160_DB", recPath.toUtf8());
    qint64 msecs = 0;
    auto recorder = std::make_unique<mscom>([&] { return kBase.addMSecs(msecs); },
                                            QStringLiteral("recorder"), [&] { return msecs; });
    recorder->Timer1.stop();
    for (int v = 0; v < 8; ++v)
        StatusValues[v] = float(v) + 0.5f;

    // Rows every tick (the clock one second on each time), then idle ticks
    // (a tenth of a second on, no row due).
    qint64 tick = 0;
    const double rowNs = PerCall(rows, [&](int) {
        msecs = ++tick * 1000;
        recorder->Timer1_Timer();
    });
    const double idleManyNs = [&] {
        // Idle ticks need a frozen clock; the first tick at it writes rows.
        msecs = ++tick * 1000 + 50;
        recorder->Timer1_Timer();
        return PerCall(rows, [&](int) { recorder->Timer1_Timer(); });
    }();

    // A real second as the station lives it: a tick with a row, the fold of
    // the log into the file on the recorder's own thread meanwhile, nine
    // idle ticks. Only the ticks are timed: the
    // window never waits for the fold. The process's CPU time counts the
    // fold's thread as well.
    const int seconds = 1000;
    double livedNs = 0;
    const double cpuBefore = CpuSeconds();
    for (int second = 0; second < seconds; ++second) {
        msecs = ++tick * 1000;
        livedNs += PerCall(1, [&](int) { recorder->Timer1_Timer(); });
        // The fold, when this row made one due, runs meanwhile.
        QThread::usleep(5000);
        livedNs += 9 * PerCall(9, [&](int) {
            msecs += 100;
            recorder->Timer1_Timer();
        });
    }
    const double cpuPerSecondUs = (CpuSeconds() - cpuBefore) * 1e6 / seconds;

    std::printf("bare insert of one ring row           %8.1f us\n", bareNs / 1000);
    std::printf("recorder tick, no row due (heads only) %8.1f us  ratio %.2f\n", idleManyNs / 1000,
                idleManyNs / bareNs);
    std::printf("recorder tick with a row (1 in 10 with both rings)\n"
                "                                       %8.1f us  ratio %.2f\n",
                rowNs / 1000, rowNs / bareNs);
    std::printf("a real second (1 row tick + 9 idle ticks, 1/10 long)\n"
                "                                       %8.1f us  ratio %.2f\n",
                (rowNs + 9 * idleManyNs) / 1000, (rowNs + 9 * idleManyNs) / bareNs);
    std::printf("a real second, its row folded into the file meanwhile\n"
                "  ticks (the window's share)           %8.1f us  ratio %.2f\n"
                "  CPU of the process, fold included    %8.1f us\n",
                livedNs / seconds / 1000, livedNs / seconds / bareNs, cpuPerSecondUs);

    if (cycles <= 0)
        return 0;
    // Size: run on until the long ring has wrapped once (65500 long rows,
    // the short ring ten times over), then `cycles` more long-ring cycles.
    const qint64 cycle = qint64(db::ring::MaxId) * 10;
    auto runTo = [&](qint64 lastTick) {
        while (tick < lastTick) {
            msecs = ++tick * 1000;
            recorder->Timer1_Timer();
        }
    };
    QElapsedTimer wall;
    wall.start();
    runTo(cycle + 10);
    const qint64 afterWrapDb = FileSize(recPath);
    const qint64 afterWrapWal = FileSize(recPath + QStringLiteral("-wal"));
    std::printf("after both rings wrapped once (%lld ticks with rows, %.0f s):\n"
                "  file %lld bytes, WAL %lld bytes\n",
                static_cast<long long>(tick), wall.elapsed() / 1000.0,
                static_cast<long long>(afterWrapDb), static_cast<long long>(afterWrapWal));
    for (int c = 1; c <= cycles; ++c) {
        runTo(cycle * (c + 1) + 10);
        std::printf("after %d more full cycle(s) (%.0f s): file %lld bytes (%+lld), WAL %lld bytes\n", c,
                    wall.elapsed() / 1000.0, static_cast<long long>(FileSize(recPath)),
                    static_cast<long long>(FileSize(recPath) - afterWrapDb),
                    static_cast<long long>(FileSize(recPath + QStringLiteral("-wal"))));
    }
    QSqlQuery count(QSqlDatabase::database(QStringLiteral("recorder")));
    count.exec(QStringLiteral("select (select count(*) from pv_data), (select count(*) from Lpv_wdjl)"));
    if (count.next())
        std::printf("rows: pv_data %d, Lpv_wdjl %d\n", count.value(0).toInt(), count.value(1).toInt());
    return 0;
}
