#pragma once
// Real files whose writes fail, for the database's faults:
//
// SmallFileSystem, a file system of a given size of the test's own that
// fill() fills up (writes then fail for want of space, as on a full disk)
// and free() empties again: a tmpfs mounted in a mount namespace of the
// test's thread, so that no one else sees it and it goes with the process.
// It needs the right to mount (root); error() says why it is not there.
//
// FileSizeLimit, the process's file size limit at 0 while it lives: every
// write to a regular file fails (EFBIG) whatever space there is, the
// signal of such a write ignored as the station ignores it.

#include "platform/db/FileSizeSignal.h"

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sched.h>
#include <string>
#include <sys/mount.h>
#include <sys/resource.h>
#include <unistd.h>

class SmallFileSystem {
public:
    explicit SmallFileSystem(qint64 bytes)
    {
        if (!dir_.isValid()) {
            error_ = "no temporary folder";
            return;
        }
        // Mounts made in a namespace of the thread's own, private to it, go
        // when the process ends however it ends.
        if (::unshare(CLONE_NEWNS) != 0
            || ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) {
            error_ = std::string("no mount namespace of the test's own: ") + std::strerror(errno);
            return;
        }
        const QByteArray options = "size=" + QByteArray::number(bytes);
        if (::mount("zc4160-test", QFile::encodeName(dir_.path()).constData(), "tmpfs", 0,
                    options.constData())
            != 0) {
            error_ = std::string("cannot mount a tmpfs: ") + std::strerror(errno);
            return;
        }
        mounted_ = true;
    }
    ~SmallFileSystem()
    {
        if (mounted_)
            ::umount2(QFile::encodeName(dir_.path()).constData(), MNT_DETACH);
    }
    SmallFileSystem(const SmallFileSystem&) = delete;
    SmallFileSystem& operator=(const SmallFileSystem&) = delete;

    // Empty where the file system is there.
    const std::string& error() const { return error_; }
    QString path() const { return dir_.path(); }

    // Writes a filler file until not one byte more goes in.
    bool fill()
    {
        const int fd = ::open(QFile::encodeName(filler()).constData(),
                              O_WRONLY | O_CREAT | O_APPEND, 0600);
        if (fd < 0)
            return false;
        static const QByteArray block(4096, '\0');
        for (qsizetype size = block.size(); size > 0; size /= 2)
            while (::write(fd, block.constData(), size_t(size)) > 0) {
            }
        const bool full = errno == ENOSPC;
        ::close(fd);
        return full;
    }
    void free() { QFile::remove(filler()); }

private:
    QString filler() const { return dir_.path() + QStringLiteral("/filler"); }

    QTemporaryDir dir_;
    std::string error_;
    bool mounted_ = false;
};

class FileSizeLimit {
public:
    FileSizeLimit()
    {
        ::getrlimit(RLIMIT_FSIZE, &saved_);
        // A write past the limit fails with EFBIG instead of ending the
        // process, as in the station; the signal stays ignored afterwards,
        // as it does there.
        db::IgnoreFileSizeSignal();
        rlimit none = saved_;
        none.rlim_cur = 0;
        ::setrlimit(RLIMIT_FSIZE, &none);
    }
    ~FileSizeLimit() { ::setrlimit(RLIMIT_FSIZE, &saved_); }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit saved_{};
};
