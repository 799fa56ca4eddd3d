// A write past the process's file size limit is a write fault the station
// lives through, not the end of it.

#include "platform/db/FileSizeSignal.h"

#include <QByteArray>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// A child under a file size limit of 4 KiB writes 8 KiB to a file: it exits
// 0 when the write past the limit fails with EFBIG, 1 when every write went
// in, 2 on another failure; or it is killed. Between fork and _exit it
// makes only calls that are safe there.
int WritePastTheLimit(const QByteArray& path, bool ignore)
{
    const pid_t pid = ::fork();
    if (pid == 0) {
        // As a process starts, whatever this test process did before.
        struct sigaction initial {};
        initial.sa_handler = SIG_DFL;
        sigemptyset(&initial.sa_mask);
        ::sigaction(SIGXFSZ, &initial, nullptr);
        if (ignore)
            db::IgnoreFileSizeSignal();
        // A child that the signal kills leaves no core file behind.
        const rlimit noCore{0, 0};
        ::setrlimit(RLIMIT_CORE, &noCore);
        rlimit limit{};
        ::getrlimit(RLIMIT_FSIZE, &limit);
        limit.rlim_cur = 4096;
        if (::setrlimit(RLIMIT_FSIZE, &limit) != 0)
            ::_exit(2);
        const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (fd < 0)
            ::_exit(2);
        static const char block[1024] = {};
        for (int i = 0; i < 8; ++i)
            if (::write(fd, block, sizeof block) < 0)
                ::_exit(errno == EFBIG ? 0 : 2);
        ::_exit(1);
    }
    int status = 0;
    if (pid < 0 || ::waitpid(pid, &status, 0) != pid)
        return -1;
    return status;
}

} // namespace

TEST(FileSizeSignal, AWritePastTheLimitFailsWithEFBIGAndTheProcessLivesOn)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QByteArray path = QFile::encodeName(dir.filePath(QStringLiteral("big")));

    const int status = WritePastTheLimit(path, true);
    ASSERT_TRUE(WIFEXITED(status)) << "status " << status;
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(QFile(QFile::decodeName(path)).size(), 4096);

    // The same child without the call is killed by the signal: the limit
    // above is one a write really met.
    const int killed = WritePastTheLimit(path, false);
    ASSERT_TRUE(WIFSIGNALED(killed)) << "status " << killed;
    EXPECT_EQ(WTERMSIG(killed), SIGXFSZ);
}
