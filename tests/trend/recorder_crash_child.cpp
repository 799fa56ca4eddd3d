// Runs the recorder flat out for the crash test until it is killed: every
// tick is one clock second later than the one before, and after each tick
// the ids it stored go to stdout, so the test knows what had been stored
// when the kill came.
//
//   recorder_crash_child DATABASE FIRST_SECOND

#include "device/Met1.h"
#include "platform/db/DatabaseFile.h"
#include "trend/mscom.h"

#include <QCoreApplication>
#include <QDateTime>
#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: recorder_crash_child DATABASE FIRST_SECOND\n");
        return 2;
    }
    qputenv("ZC4160_DB", argv[1]);
    db::InstallIfMissing();
    const QDateTime base(QDate(2026, 1, 1), QTime(0, 0), Qt::UTC);
    qint64 second = QByteArray(argv[2]).toLongLong();
    mscom recorder([&] { return base.addSecs(second); }, QStringLiteral("recorder"));
    recorder.Timer1.stop();
    if (!recorder.Connected())
        return 1;
    for (;; ++second) {
        for (int i = 0; i < 8; ++i)
            StatusValues[i] = static_cast<float>(second % 1000 + i);
        recorder.Timer1_Timer();
        std::printf("S %d L %d\n", recorder.ShortRingId, recorder.LongRingId);
        std::fflush(stdout);
    }
}
