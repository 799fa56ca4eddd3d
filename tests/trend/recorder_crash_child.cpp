// Runs the recorder flat out for the crash test until it is killed: the
// clock moves one second on every tick (or on every TICKS_PER_SECOND-th tick,
// as the station's timer ticks several times a second), and after each tick
// the ids it holds go to stdout, so the test knows what had been stored when
// the kill came. Given STOP_AT (a ring and an id, such as "L 0"), the child
// stops itself with SIGSTOP right after printing the first line where that
// ring holds that id, so the test can kill it in exactly that state.
//
//   recorder_crash_child DATABASE FIRST_SECOND [TICKS_PER_SECOND [STOP_AT]]

#include "device/Met1.h"
#include "platform/db/DatabaseFile.h"
#include "trend/mscom.h"

#include <QCoreApplication>
#include <QDateTime>
#include <csignal>
#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc < 3 || argc > 5) {
        std::fprintf(stderr, "usage: recorder_crash_child DATABASE FIRST_SECOND "
                             "[TICKS_PER_SECOND [STOP_AT]]\n");
        return 2;
    }
    qputenv("ZC4160_DB", argv[1]);
    db::InstallIfMissing();
    const QDateTime base(QDate(2026, 1, 1), QTime(0, 0), Qt::UTC);
    qint64 second = QByteArray(argv[2]).toLongLong();
    const int ticksPerSecond = argc > 3 ? QByteArray(argv[3]).toInt() : 1;
    const QList<QByteArray> stopAt = argc > 4 ? QByteArray(argv[4]).split(' ') : QList<QByteArray>();
    if (ticksPerSecond < 1 || (argc > 4 && (stopAt.size() != 2 || (stopAt[0] != "S" && stopAt[0] != "L")))) {
        std::fprintf(stderr, "TICKS_PER_SECOND must be 1 or more, STOP_AT \"S id\" or \"L id\"\n");
        return 2;
    }
    mscom recorder([&] { return base.addSecs(second); }, QStringLiteral("recorder"));
    recorder.Timer1.stop();
    if (!recorder.Connected())
        return 1;
    for (qint64 tick = 1;; ++tick) {
        for (int i = 0; i < 8; ++i)
            StatusValues[i] = static_cast<float>(second % 1000 + i);
        recorder.Timer1_Timer();
        std::printf("S %d L %d\n", recorder.ShortRingId, recorder.LongRingId);
        std::fflush(stdout);
        if (!stopAt.isEmpty()
            && (stopAt[0] == "S" ? recorder.ShortRingId : recorder.LongRingId) == stopAt[1].toInt())
            std::raise(SIGSTOP);
        if (tick % ticksPerSecond == 0)
            ++second;
    }
}
