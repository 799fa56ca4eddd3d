// The recorder killed at random moments: the file must stay sound, the
// heads must name the newest stored rows, and at most the tick in flight
// may be lost.

#include "db/TempDatabase.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QRandomGenerator>
#include <QSqlQuery>
#include <gtest/gtest.h>
#include <csignal>
#include <sys/types.h>

namespace {

int NextId(int id) { return id >= 65500 ? 1 : id + 1; }

struct Printed {
    int shortId = -1;
    int longId = -1;
};

// The ids of the last complete line.
Printed LastPrinted(const QByteArray& out)
{
    Printed p;
    const QList<QByteArray> lines = out.split('\n');
    for (int i = lines.size() - 2; i >= 0; --i) {   // the last piece may be cut
        const QList<QByteArray> w = lines[i].split(' ');
        if (w.size() == 4 && w[0] == "S" && w[2] == "L") {
            p.shortId = w[1].toInt();
            p.longId = w[3].toInt();
            break;
        }
    }
    return p;
}

} // namespace

TEST(RecorderCrash, KilledTwentyTimesTheFileStaysSound)
{
    TempDatabase t;
    // Both rings cross the wrap during the runs.
    t.exec(QStringLiteral("update sl_void set ShortHead=65000, ShortHeadCopy=65000, "
                          "LongHead=65495, LongHeadCopy=65495"));
    t.outside().close();
    QRandomGenerator rng(4160);   // fixed seed: a failure can be replayed

    for (int run = 0; run < 20; ++run) {
        SCOPED_TRACE(run);
        QProcess child;
        child.setProcessChannelMode(QProcess::SeparateChannels);
        child.start(QStringLiteral(RECORDER_CRASH_CHILD),
                    {t.path(), QString::number(qint64(run) * 1000000)});
        ASSERT_TRUE(child.waitForStarted(10000));
        QByteArray out;
        QElapsedTimer clock;
        clock.start();
        while (!out.contains('\n') && clock.elapsed() < 20000 && child.state() == QProcess::Running) {
            child.waitForReadyRead(50);
            out += child.readAllStandardOutput();
        }
        ASSERT_TRUE(out.contains('\n')) << child.readAllStandardError().toStdString();
        const int delay = rng.bounded(20, 400);
        clock.restart();
        while (clock.elapsed() < delay) {
            child.waitForReadyRead(5);
            out += child.readAllStandardOutput();
        }
        ::kill(static_cast<pid_t>(child.processId()), SIGKILL);
        ASSERT_TRUE(child.waitForFinished(10000));
        out += child.readAllStandardOutput();
        const Printed printed = LastPrinted(out);
        ASSERT_GE(printed.shortId, 1);

        ASSERT_TRUE(t.outside().open());
        EXPECT_EQ(t.scalar(QStringLiteral("PRAGMA integrity_check")).toString(), QStringLiteral("ok"));
        const auto heads = t.rows(QStringLiteral("select * from sl_void"));
        ASSERT_EQ(heads.size(), 1u);
        const int shortHead = heads[0][0].toInt();
        const int longHead = heads[0][2].toInt();
        EXPECT_EQ(heads[0][1].toInt(), shortHead);
        EXPECT_EQ(heads[0][3].toInt(), longHead);
        // Everything reported stored is there; only the tick in flight may
        // have gone further.
        EXPECT_TRUE(shortHead == printed.shortId || shortHead == NextId(printed.shortId))
            << shortHead << " after " << printed.shortId;
        EXPECT_TRUE(longHead == printed.longId || longHead == NextId(printed.longId))
            << longHead << " after " << printed.longId;
        for (auto [table, key, head] : {std::tuple{"pv_data", "w_id", shortHead},
                                        std::tuple{"Lpv_wdjl", "lw_id", longHead}}) {
            const QVariant newest = t.scalar(
                QStringLiteral("select %1 from %2 order by w_date desc, w_time desc limit 1")
                    .arg(QLatin1String(key), QLatin1String(table)));
            EXPECT_EQ(newest.toInt(), head) << table;
        }
        t.outside().close();
    }
}
