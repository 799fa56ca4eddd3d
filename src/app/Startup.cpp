#include "app/Startup.h"

#include "app/Pages.h"
#include "app/frmSplash.h"
#include "platform/db/DatabaseFile.h"
#include "platform/forms/Forms.h"
#include "app/ssqxChart.h"

#include <QApplication>
#include <QSocketNotifier>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {

// The write end of the pipe that carries an ending signal to the event
// loop; a signal handler may do no more than write to it.
int endSignalPipe = -1;

void OnEndSignal(int signal)
{
    const int saved = errno;
    const unsigned char byte = static_cast<unsigned char>(signal);
    [[maybe_unused]] const ssize_t written = ::write(endSignalPipe, &byte, 1);
    errno = saved;
}

// Ends the station as "退出" does, but for the signal: the database closed,
// output flushed, nothing else run; then the signal's own end, so that
// whoever sent it sees the station ended by it.
void EndBySignal(int signal)
{
    db::CloseAllConnections();
    std::fflush(nullptr);
    std::signal(signal, SIG_DFL);
    std::raise(signal);
    std::_Exit(128 + signal);
}

bool IsSet(const char* name)
{
    const char* value = std::getenv(name);
    return value && *value;
}

} // namespace

void EndOnSignals(QApplication& app)
{
    int fds[2];
    if (endSignalPipe >= 0 || ::pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    endSignalPipe = fds[1];
    auto* notifier = new QSocketNotifier(fds[0], QSocketNotifier::Read, &app);
    QObject::connect(notifier, &QSocketNotifier::activated, [fd = fds[0]] {
        unsigned char signal = 0;
        if (::read(fd, &signal, 1) == 1)
            EndBySignal(signal);
    });
    // A log-out (SIGHUP), a shut-down (SIGTERM) or Ctrl+C (SIGINT) would
    // otherwise end the station in the middle of whatever it was doing. A
    // signal ignored at start stays ignored: the station was started to
    // outlive it (nohup, a background job).
    for (const int signal : {SIGTERM, SIGHUP, SIGINT}) {
        struct sigaction was {};
        if (::sigaction(signal, nullptr, &was) != 0 || was.sa_handler == SIG_IGN)
            continue;
        struct sigaction handler {};
        handler.sa_handler = &OnEndSignal;
        sigemptyset(&handler.sa_mask);
        handler.sa_flags = SA_RESTART;
        ::sigaction(signal, &handler, nullptr);
    }
}

bool CanShowWindows(int argc, char** argv)
{
    if (IsSet("DISPLAY") || IsSet("WAYLAND_DISPLAY") || IsSet("QT_QPA_PLATFORM"))
        return true;
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        if (std::strncmp(arg, "--", 2) == 0)
            ++arg;   // Qt takes its options with one dash or two
        if (std::strcmp(arg, "-platform") == 0 && i + 1 < argc)
            return true;
    }
    std::fprintf(stderr, "zc4160-station needs a desktop session: neither DISPLAY nor "
                         "WAYLAND_DISPLAY is set\n");
    return false;
}

void PrepareStation(QApplication& app)
{
    forms::SetUpStation(app);
    db::InstallIfMissing();
    InstallHomeWindow();
    chart::InstallOverviewChart();
}

void StartStation(QApplication& app)
{
    EndOnSignals(app);
    PrepareStation(app);
    forms::Instance<frmSplash>().show();
}
