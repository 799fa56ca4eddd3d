// Runs the recorder for a number of ticks as a user who can read the
// database file but not write it, and reports what it did. Started as root
// it first becomes the user nobody, since root writes read-only files.
//
//   recorder_user_child DATABASE TICKS
//
// Output: one line "warning <text>" per recorder warning, then
//   "end connected=C conf=O short=S long=L newshort=N newlong=M"
// Exit code 3: the process can still write the file (the test is void).

#include "device/Met1.h"
#include "trend/RecorderShared.h"
#include "trend/mscom.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <cstdio>
#include <cstring>
#include <grp.h>
#include <pwd.h>
#include <unistd.h>

namespace {

QtMessageHandler previous = nullptr;

void Handle(QtMsgType type, const QMessageLogContext& ctx, const QString& msg)
{
    if (ctx.category && std::strcmp(ctx.category, "zc4160.recorder") == 0) {
        if (type == QtWarningMsg || type == QtCriticalMsg)
            std::printf("warning %s\n", qUtf8Printable(msg));
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

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: recorder_user_child DATABASE TICKS\n");
        return 2;
    }
    if (::geteuid() == 0 && !DropToNobody()) {
        std::perror("cannot become nobody");
        return 2;
    }
    if (::access(argv[1], W_OK) == 0)
        return 3;
    if (::access(argv[1], R_OK) != 0) {
        std::fprintf(stderr, "cannot read %s\n", argv[1]);
        return 2;
    }
    QCoreApplication app(argc, argv);
    previous = qInstallMessageHandler(&Handle);
    qputenv("ZC4160_DB", argv[1]);
    const int ticks = QByteArray(argv[2]).toInt();

    const QDateTime base(QDate(2026, 3, 14), QTime(10, 0, 0, 50));
    int second = 0;
    mscom recorder([&] { return base.addSecs(second); });
    recorder.Timer1.stop();
    CurveOpen = true;
    SaveConfFlag = true;
    SaveConfResult.outcome = SaveOutcome::Pending;
    for (; second < ticks; ++second)
        recorder.Timer1_Timer();
    std::printf("end connected=%d conf=%d short=%d long=%d newshort=%d newlong=%d\n",
                recorder.Connected() ? 1 : 0, static_cast<int>(SaveConfResult.outcome),
                recorder.ShortRingId, recorder.LongRingId, NewShortRec ? 1 : 0, NewLongRec ? 1 : 0);
    std::fflush(stdout);
    return 0;
}
