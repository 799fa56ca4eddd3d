// The lock on a file itself: two locks exclude each other, and the lock
// never costs SQLite the POSIX locks it holds on the same file.

#include "db/TempDatabase.h"
#include "platform/db/DatabaseFile.h"
#include "platform/db/FileLock.h"

#include <QDir>
#include <QFile>
#include <QSqlQuery>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <gtest/gtest.h>
#include <memory>
#include <set>
#include <string>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace {

using State = db::FileLock::State;

const QString kConn = QStringLiteral("filelock-connection");

struct FileId {
    dev_t device = 0;
    ino_t inode = 0;
};

FileId IdOf(const QString& path)
{
    struct stat st {};
    EXPECT_EQ(::stat(QFile::encodeName(path).constData(), &st), 0);
    return {st.st_dev, st.st_ino};
}

// This process's descriptors of the file.
int Descriptors(FileId file)
{
    int n = 0;
    DIR* dir = ::opendir("/proc/self/fd");
    if (!dir)
        return -1;
    while (const dirent* entry = ::readdir(dir)) {
        struct stat st {};
        const int fd = std::atoi(entry->d_name);
        if (entry->d_name[0] != '.' && fd != ::dirfd(dir) && ::fstat(fd, &st) == 0
            && st.st_dev == file.device && st.st_ino == file.inode)
            ++n;
    }
    ::closedir(dir);
    return n;
}

// The kernel's list of this process's POSIX record locks on the file:
// SQLite's. A descriptor of the file closed anywhere in the process would
// empty it.
//
// The kernel hands the list out a page at a time, and where other processes
// take or drop locks between two pages a lock may show twice or not at all:
// a lock is counted once by what it is, and the count is taken when two
// readings in a row agree.
int PosixLocks(FileId file)
{
    char id[64];
    std::snprintf(id, sizeof id, "%02x:%02x:%lu", major(file.device), minor(file.device),
                  static_cast<unsigned long>(file.inode));
    auto reading = [&]() -> int {
        FILE* list = std::fopen("/proc/locks", "re");
        if (!list)
            return -1;
        std::set<std::string> locks;
        char line[256];
        while (std::fgets(line, sizeof line, list)) {
            char kind[16], name[64];
            long long pid = 0;
            const char* lock = std::strchr(line, ':');   // past the line's number
            if (lock && std::sscanf(lock + 1, "%15s %*s %*s %lld %63s", kind, &pid, name) == 3
                && std::strcmp(kind, "POSIX") == 0 && pid == ::getpid() && std::strcmp(name, id) == 0)
                locks.insert(lock + 1);
        }
        std::fclose(list);
        return int(locks.size());
    };
    int last = reading();
    for (int i = 0; i < 50; ++i) {
        const int n = reading();
        if (n == last)
            return n;
        last = n;
    }
    return last;
}

class FileLockTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        db::CloseConnection(kConn);
        db::FileLock::CloseSpare();
    }
    // A station's connection on the file, inside a read as a window's is.
    void openConnection()
    {
        QSqlDatabase d = db::OpenConnection(kConn);
        ASSERT_TRUE(d.isOpen());
        QSqlQuery q(d);
        ASSERT_TRUE(q.exec(QStringLiteral("select count(*) from pv_data")));
        ASSERT_TRUE(q.next());
    }

    TempDatabase t;
};

} // namespace

TEST_F(FileLockTest, TwoLocksOnOneFileExcludeEachOtherAlsoInOneProcess)
{
    auto first = std::make_unique<db::FileLock>();
    db::FileLock second;
    EXPECT_EQ(first->Take(t.path()), State::Held);
    EXPECT_EQ(first->Take(t.path()), State::Held);   // taken again: still its own
    EXPECT_EQ(second.Take(t.path()), State::Refused);
    EXPECT_EQ(second.Holder(), ::getpid());

    // The lock goes with the file: under another name it is still held,
    // and a new file at the path is not the file locked.
    const QString moved = t.path() + QStringLiteral(".moved");
    ASSERT_TRUE(QFile::rename(t.path(), moved));
    db::FileLock third;
    EXPECT_EQ(third.Take(moved), State::Refused);
    EXPECT_TRUE(first->OnFileAt(t.path()));   // nothing at the path: the file held stays
    ASSERT_TRUE(db::InstallAt(t.path()));
    EXPECT_FALSE(first->OnFileAt(t.path()));
    EXPECT_TRUE(first->OnFileAt(moved));

    // Released when its owner goes: the next try takes it.
    first.reset();
    EXPECT_EQ(third.Take(moved), State::Held);
    EXPECT_EQ(second.Take(t.path()), State::Held);   // the new file, free
    EXPECT_TRUE(second.OnFileAt(t.path()));
}

TEST_F(FileLockTest, NoDescriptorOfAFileAConnectionHasOpenIsClosed)
{
    ASSERT_NO_FATAL_FAILURE(openConnection());
    const FileId file = IdOf(t.path());
    const int sqliteLocks = PosixLocks(file);
    ASSERT_GT(sqliteLocks, 0) << "SQLite holds no lock on the file here: nothing to lose";
    const int sqliteDescriptors = Descriptors(file);

    auto holder = std::make_unique<db::FileLock>();
    db::FileLock waiter;
    ASSERT_EQ(holder->Take(t.path()), State::Held);
    // Tried again and again, always on the one descriptor it opened.
    for (int i = 0; i < 5; ++i)
        ASSERT_EQ(waiter.Take(t.path()), State::Refused);
    EXPECT_EQ(Descriptors(file), sqliteDescriptors + 2);
    EXPECT_EQ(PosixLocks(file), sqliteLocks);

    // The holder ends while the connection is open: the lock is free at
    // once, but its descriptor stays open as long as the connection's.
    holder.reset();
    EXPECT_EQ(PosixLocks(file), sqliteLocks);
    EXPECT_EQ(waiter.Take(t.path()), State::Held);
    EXPECT_EQ(PosixLocks(file), sqliteLocks);

    // Another file moved over the path: the lock goes to it, and the old
    // file's descriptor stays while the connection still has that file open.
    const QString copy = t.path() + QStringLiteral(".copy");
    ASSERT_TRUE(db::InstallAt(copy));
    ASSERT_EQ(std::rename(QFile::encodeName(copy).constData(), QFile::encodeName(t.path()).constData()), 0);
    EXPECT_EQ(waiter.Take(t.path()), State::Held);
    EXPECT_TRUE(waiter.OnFileAt(t.path()));
    EXPECT_EQ(PosixLocks(file), sqliteLocks);
    QSqlQuery q(QSqlDatabase::database(kConn, false));
    EXPECT_TRUE(q.exec(QStringLiteral("select count(*) from pv_data")));
    q.finish();

    // Once the connection is closed, nothing of the old file is left open.
    db::CloseConnection(kConn);
    db::FileLock::CloseSpare();
    EXPECT_EQ(Descriptors(file), 0);
}
