// Runs the recorder as a user for whom file permissions hold, and reports
// what it did. Started as root it first becomes the user nobody, since root
// writes read-only files.
//
//   recorder_user_child DATABASE TICKS [writable]
//     TICKS ticks, one clock second apart, as fast as they run. Without
//     "writable" the file must not be writable (exit code 3 otherwise: the
//     test is void).
//   recorder_user_child DATABASE live SECONDS
//     The station's way, in real time: the install at start, a chart's
//     connection opened first (it reads the short head every 0.5 s, as a
//     chart's reload does), then the recorder on its 100 ms timer. The
//     file (or, where it is missing, its folder) must not be writable at
//     start (exit code 3 otherwise); the test makes it writable meanwhile.
//     Ends 1.5 s after recording resumed, or after SECONDS.
//   recorder_user_child DATABASE steps [writable]
//     A station driven by the test: each line on standard input is one
//     tick, one clock second and one steady second after the last, and is
//     answered with "held=H short=S" (H: whether the recorder may write the
//     rings). "ready" once the recorder is loaded, before the first tick. Its ring rows carry 777.5. The file must not be writable
//     without "writable" (exit code 3) and must be with it (exit code 4).
//     Ends at the end of the input.
//   recorder_user_child DATABASE batches
//     Ticks as told on standard input: each line "N" runs N ticks, one
//     clock second and one second of the spacing clock apart, and prints
//     "state connected=C short=S" after them. The test changes the file and
//     its folder between the lines; it ends with the input.
//
// Output: one line "<warning|info> <category> <text>" per line of the
// station's log, "chart head=N" whenever the chart reads a new short head
// (live), then "end connected=C conf=O short=S long=L newshort=N newlong=M".

#include "device/Met1.h"
#include "platform/db/DatabaseFile.h"
#include "trend/RecorderShared.h"
#include "trend/mscom.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QSqlQuery>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <grp.h>
#include <pwd.h>
#include <unistd.h>

namespace {

QtMessageHandler previous = nullptr;
bool endAfterResume = false;

void Handle(QtMsgType type, const QMessageLogContext& ctx, const QString& msg)
{
    if (ctx.category && std::strncmp(ctx.category, "zc4160.", 7) == 0) {
        const bool warning = type == QtWarningMsg || type == QtCriticalMsg;
        if (warning || type == QtInfoMsg) {
            std::printf("%s %s %s\n", warning ? "warning" : "info", ctx.category, qUtf8Printable(msg));
            std::fflush(stdout);
        }
        // Ends a little after recording resumed, so that the test sees a
        // few rows and the chart reads them.
        if (endAfterResume && type == QtInfoMsg && std::strcmp(ctx.category, "zc4160.recorder") == 0
            && msg.contains(QLatin1String("stored again")))
            QTimer::singleShot(1500, qApp, &QCoreApplication::quit);
        return;
    }
    if (previous)
        previous(type, ctx, msg);
}

bool DropToNobody()
{
    const passwd* pw = ::getpwnam("nobody");
    if (!pw)
        return false;
    return ::setgroups(0, nullptr) == 0 && ::setgid(pw->pw_gid) == 0 && ::setuid(pw->pw_uid) == 0;
}

void PrintEnd(const mscom& recorder)
{
    std::printf("end connected=%d conf=%d short=%d long=%d newshort=%d newlong=%d\n",
                recorder.Connected() ? 1 : 0, static_cast<int>(SaveConfResult.outcome),
                recorder.ShortRingId, recorder.LongRingId, NewShortRec ? 1 : 0, NewLongRec ? 1 : 0);
    std::fflush(stdout);
}

int Ticks(int ticks)
{
    const QDateTime base(QDate(2026, 3, 14), QTime(10, 0, 0, 50));
    int second = 0;
    mscom recorder([&] { return base.addSecs(second); });
    recorder.Timer1.stop();
    CurveOpen = true;
    SaveConfFlag = true;
    SaveConfResult.outcome = SaveOutcome::Pending;
    for (; second < ticks; ++second)
        recorder.Timer1_Timer();
    PrintEnd(recorder);
    return 0;
}

int Steps()
{
    const QDateTime base(QDate(2026, 3, 14), QTime(10, 0, 0));
    qint64 second = 0;
    mscom recorder([&] { return base.addSecs(second); }, QStringLiteral("recorder"),
                   [&] { return second * 1000; });
    recorder.Timer1.stop();
    StatusValues.fill(777.5f);
    std::printf("ready\n");
    std::fflush(stdout);
    char line[64];
    while (std::fgets(line, sizeof line, stdin)) {
        ++second;
        recorder.Timer1_Timer();
        std::printf("held=%d short=%d\n", recorder.HoldsRings() ? 1 : 0, recorder.ShortRingId);
        std::fflush(stdout);
    }
    PrintEnd(recorder);
    return 0;
}

int Live(QCoreApplication& app, int seconds)
{
    db::InstallIfMissing();
    // The overview opens its chart's connection before the recorder loads.
    QSqlDatabase chart = db::OpenConnection(QStringLiteral("overview"));
    CurveOpen = true;
    mscom recorder([] { return QDateTime::currentDateTime(); });

    int shownHead = 0;
    QTimer reader;
    QObject::connect(&reader, &QTimer::timeout, [&] {
        QSqlQuery head(chart);
        if (head.exec(QStringLiteral("select ShortHead from sl_void")) && head.next()
            && head.value(0).toInt() != shownHead) {
            shownHead = head.value(0).toInt();
            std::printf("chart head=%d\n", shownHead);
            std::fflush(stdout);
        }
    });
    reader.start(500);

    endAfterResume = true;
    QTimer::singleShot(seconds * 1000, &app, &QCoreApplication::quit);
    app.exec();
    PrintEnd(recorder);
    return 0;
}

int Batches()
{
    const QDateTime base(QDate(2026, 3, 14), QTime(10, 0, 0, 50));
    int second = 0;
    qint64 steady = 0;
    mscom recorder([&] { return base.addSecs(second); }, QStringLiteral("recorder"),
                   [&] { return steady; });
    recorder.Timer1.stop();
    char line[32];
    while (std::fgets(line, sizeof line, stdin)) {
        for (int n = std::atoi(line); n > 0; --n) {
            ++second;
            steady += 1000;
            recorder.Timer1_Timer();
        }
        std::printf("state connected=%d short=%d\n", recorder.Connected() ? 1 : 0, recorder.ShortRingId);
        std::fflush(stdout);
    }
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    const bool live = argc == 4 && std::strcmp(argv[2], "live") == 0;
    const bool steps = std::strcmp(argv[argc > 2 ? 2 : 0], "steps") == 0;
    const bool batches = argc == 3 && std::strcmp(argv[2], "batches") == 0;
    const bool writable = argc == 4 && std::strcmp(argv[3], "writable") == 0;
    if (argc != 3 && !live && !writable) {
        std::fprintf(stderr, "usage: recorder_user_child DATABASE TICKS [writable]\n"
                             "       recorder_user_child DATABASE live SECONDS\n"
                             "       recorder_user_child DATABASE steps [writable]\n"
                             "       recorder_user_child DATABASE batches\n");
        return 2;
    }
    if (::geteuid() == 0 && !DropToNobody()) {
        std::perror("cannot become nobody");
        return 2;
    }
    const QString path = QString::fromLocal8Bit(argv[1]);
    const bool exists = ::access(argv[1], F_OK) == 0;
    if (!writable && !batches) {
        const QByteArray mustNotWrite =
            exists ? QByteArray(argv[1]) : QFile::encodeName(QFileInfo(path).absolutePath());
        if (::access(mustNotWrite.constData(), W_OK) == 0)
            return 3;
    }
    if (steps && writable && ::access(argv[1], W_OK) != 0)
        return 4;
    if ((exists || !live) && ::access(argv[1], R_OK) != 0) {
        std::fprintf(stderr, "cannot read %s\n", argv[1]);
        return 2;
    }
    QCoreApplication app(argc, argv);
    previous = qInstallMessageHandler(&Handle);
    qputenv("ZC4160_DB", argv[1]);
    if (live)
        return Live(app, QByteArray(argv[3]).toInt());
    if (steps)
        return Steps();
    if (batches)
        return Batches();
    return Ticks(QByteArray(argv[2]).toInt());
}
