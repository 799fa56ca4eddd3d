#pragma once
// An advisory lock (flock) on a file itself, for work on the file that one
// process at a time may do.
//
// The lock is the kernel's and belongs to an open descriptor of the file:
// it goes with the file through any rename, needs nothing written beside
// it, may be taken by any user who may open the file, and ends with the
// process that holds it, however that process ended. Two descriptors opened
// apart exclude each other, also inside one process.
//
// SQLite's own locks on a database file are POSIX record locks, which a
// process loses when it closes ANY descriptor of that file. So a descriptor
// of this class is never simply closed: one given up (the lock released,
// or the path now leading to another file) is put aside and closed only
// once no other descriptor of this process has its file open.

#include <QString>
#include <sys/types.h>

namespace db {

class FileLock {
public:
    enum class State {
        None,          // not tried yet, or released
        Held,
        Refused,       // another descriptor holds it
        Unavailable,   // the file cannot be opened, or cannot be locked at all
    };

    FileLock() = default;
    ~FileLock();
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    // Whether a descriptor is held, and whether it is of the file now at
    // path.
    bool HasFile() const { return fd_ >= 0; }
    bool OnFileAt(const QString& path) const;

    // Tries the lock without waiting, on the descriptor held where path
    // still leads to its file, else on a descriptor of the file now at
    // path (the lock on the other file is given up). A path that leads
    // nowhere changes nothing.
    State Take(const QString& path);

    // Gives the lock up; the descriptor is kept for the next Take.
    void Release();

    State state() const { return state_; }
    // Why the last Take found the lock unavailable.
    QString Error() const;
    // The process that holds the lock on this file, as the kernel lists
    // it; 0 where it lists none.
    qint64 Holder() const;

    // Closes the descriptors put aside whose file no other descriptor of
    // this process has open any more. Take and the destructor do this.
    static void CloseSpare();

private:
    // Unlocks and puts the descriptor aside.
    void Drop();

    int fd_ = -1;
    dev_t device_ = 0;
    ino_t inode_ = 0;
    State state_ = State::None;
    int error_ = 0;
};

} // namespace db
