#include "platform/db/FileLock.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <mutex>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>
#include <vector>

namespace db {

namespace {

struct Spare {
    int fd;
    dev_t device;
    ino_t inode;
};

std::mutex& SpareMutex()
{
    static std::mutex m;
    return m;
}

std::vector<Spare>& Spares()
{
    static std::vector<Spare> spares;
    return spares;
}

} // namespace

FileLock::~FileLock()
{
    if (fd_ >= 0)
        Drop();
    CloseSpare();
}

bool FileLock::OnFileAt(const QString& path) const
{
    if (fd_ < 0)
        return false;
    struct stat st {};
    // Where nothing is at the path for the moment, the file held is kept:
    // the station takes a missing file's place before it looks again.
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return true;
    return st.st_dev == device_ && st.st_ino == inode_;
}

FileLock::State FileLock::Take(const QString& path)
{
    CloseSpare();
    if (fd_ < 0 || !OnFileAt(path)) {
        // The lock on the file left is given up; its descriptor is closed
        // here already where no connection to that file is left.
        if (fd_ >= 0) {
            Drop();
            CloseSpare();
        }
        // Read access is all flock asks for; never waiting for a writer
        // should the path name a pipe.
        const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
        if (fd < 0) {
            error_ = errno;
            state_ = State::Unavailable;
            return state_;
        }
        struct stat st {};
        ::fstat(fd, &st);   // cannot fail on a descriptor just opened
        fd_ = fd;
        device_ = st.st_dev;
        inode_ = st.st_ino;
    }
    int result;
    do
        result = ::flock(fd_, LOCK_EX | LOCK_NB);
    while (result != 0 && errno == EINTR);
    if (result == 0) {
        state_ = State::Held;
    } else if (errno == EWOULDBLOCK) {
        state_ = State::Refused;
    } else {
        error_ = errno;
        state_ = State::Unavailable;
    }
    return state_;
}

void FileLock::Release()
{
    if (fd_ >= 0 && state_ == State::Held)
        ::flock(fd_, LOCK_UN);
    state_ = State::None;
}

void FileLock::Drop()
{
    Release();
    {
        std::lock_guard lock(SpareMutex());
        Spares().push_back({fd_, device_, inode_});
    }
    fd_ = -1;
}

QString FileLock::Error() const
{
    return QString::fromLocal8Bit(std::strerror(error_));
}

qint64 FileLock::Holder() const
{
    if (fd_ < 0)
        return 0;
    // The kernel's list names the file by its device and inode:
    //   1: FLOCK  ADVISORY  WRITE 1234 fe:00:10953073 0 EOF
    // and a process waiting for a lock with "->" after the number.
    char id[64];
    std::snprintf(id, sizeof id, "%02x:%02x:%lu", major(device_), minor(device_),
                  static_cast<unsigned long>(inode_));
    FILE* list = std::fopen("/proc/locks", "re");
    if (!list)
        return 0;
    qint64 holder = 0;
    char line[256];
    while (holder == 0 && std::fgets(line, sizeof line, list)) {
        char kind[16], mode[16], access[16], file[64];
        long long pid = 0;
        if (std::sscanf(line, "%*s %15s %15s %15s %lld %63s", kind, mode, access, &pid, file) == 5
            && std::strcmp(kind, "FLOCK") == 0 && std::strcmp(access, "WRITE") == 0
            && std::strcmp(file, id) == 0)
            holder = pid;
    }
    std::fclose(list);
    return holder;
}

void FileLock::CloseSpare()
{
    std::lock_guard lock(SpareMutex());
    std::vector<Spare>& spares = Spares();
    if (spares.empty())
        return;
    // Every other descriptor of this process and the file it is of. Where
    // the list cannot be read nothing is closed: a descriptor kept too long
    // costs less than SQLite's locks.
    DIR* dir = ::opendir("/proc/self/fd");
    if (!dir)
        return;
    struct Open {
        dev_t device;
        ino_t inode;
    };
    std::vector<Open> others;
    while (const dirent* entry = ::readdir(dir)) {
        char* end = nullptr;
        const long fd = std::strtol(entry->d_name, &end, 10);
        if (end == entry->d_name || *end != '\0' || fd == ::dirfd(dir))
            continue;
        if (std::any_of(spares.begin(), spares.end(), [&](const Spare& s) { return s.fd == fd; }))
            continue;
        struct stat st {};
        if (::fstat(static_cast<int>(fd), &st) == 0)
            others.push_back({st.st_dev, st.st_ino});
    }
    ::closedir(dir);
    std::erase_if(spares, [&](const Spare& s) {
        const bool inUse = std::any_of(others.begin(), others.end(), [&](const Open& o) {
            return o.device == s.device && o.inode == s.inode;
        });
        if (!inUse)
            ::close(s.fd);
        return !inUse;
    });
}

} // namespace db
