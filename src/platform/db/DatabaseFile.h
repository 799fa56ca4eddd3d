#pragma once
// The station's one database file and the connections to it.
//
// The tables and their field positions are in platform/db/Tables.h; rows are
// read and written through db::RecordSet (platform/db/RecordSet.h).

#include <QLoggingCategory>
#include <QSqlDatabase>
#include <QSqlError>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>

Q_DECLARE_LOGGING_CATEGORY(lcDb)

struct sqlite3;

namespace db {

// $ZC4160_DB, else $XDG_DATA_HOME/Lumo/Rdatabj.db (~/.local/share/... when
// XDG_DATA_HOME is unset).
QString DatabasePath();

// Installs the file with its five tables when it is missing; never touches
// an existing file. Called when the process starts, before any window opens
// a connection, and by the recorder when it tries its connection again.
// Returns whether the file is there afterwards; a failed install is logged
// once per file and the station runs on without recording.
bool InstallIfMissing();

// Installs a fresh database at path (folders created as needed): the five
// tables and the sl_void row 0, 0, 0, 0. The file appears complete or not
// at all. Fails, leaving everything as it was, where path already exists.
bool InstallAt(const QString& path, QString* error = nullptr);

// How long a connection waits for another writer's lock before a statement
// fails. Readers never wait for a writer (WAL).
inline constexpr int DefaultBusyTimeoutMs = 1000;

// Opens (or returns the already open) named connection of one owner
// ("recorder", "overview", "history", ...) to the database file, with WAL
// and a busy timeout. A missing file is never created here: the result is
// then closed (isOpen() false), as is the result for a file that cannot be
// opened. A connection that is closed is tried again on the next call.
//
// Before it opens, the journal files beside the database (-wal, -shm) that
// belong to this process's user are made writable for it: SQLite makes them
// with the database file's permissions, so a file that was read-only when
// they were made would leave them read-only, and every later connection
// (after a restart too) read-only with them.
QSqlDatabase OpenConnection(const QString& owner);
QSqlDatabase OpenConnection(const QString& owner, int busyTimeoutMs);

// Closes the owner's connection and opens it anew (as OpenConnection). SQLite
// opens a file it cannot write read-only, and such a connection stays
// read-only whatever happens to the file afterwards: only a new one writes.
QSqlDatabase ReopenConnection(const QString& owner, int busyTimeoutMs = DefaultBusyTimeoutMs);

// Whether a failed statement says that its connection cannot write at all
// (SQLite's read-only errors: the file, its folder or its journal was not
// writable when the connection met it), so that only a new connection may
// write again. Busy and locked files are not such errors.
bool CannotWrite(const QSqlError& error);

// Milliseconds on a clock that never goes back; tests give their own.
using SteadyClock = std::function<qint64()>;
qint64 SteadyMs();

// Spaces the tries to open a connection again while it is closed or cannot
// write: one try every ReopenSpacingMs at most, counted from the last open.
// A try costs little, but one every tick for an hour of a fault would be
// work for nothing, and the file's owner needs a moment to mend it anyway.
inline constexpr qint64 ReopenSpacingMs = 10000;

class ReopenPacing {
public:
    explicit ReopenPacing(SteadyClock clock = SteadyMs);
    // The connection was opened (or tried) just now.
    void Opened();
    // Whether the next try is due; a due try counts as made now.
    bool Due();

private:
    SteadyClock clock_;
    qint64 last_ = 0;
};

// The SQLite connection under an open connection; null for any other.
sqlite3* NativeHandle(const QSqlDatabase& d);
// Whether the open connection is inside a transaction (not in autocommit).
bool InTransaction(const QSqlDatabase& d);

// Whether a quoted name that the file lacks is an error on the connection,
// as the station's SQL needs: SQLite, for old programs' sake, can read such
// a name as a text of that name. Every connection is opened with that
// reading switched off and checked here; one where it did not take is
// logged, once until a check finds it taken again. The imports name their
// fields with their table as well, which is never read as a text.
bool QuotedNamesAreNames(const QSqlDatabase& d);

// Closes and removes the owner's connection.
void CloseConnection(const QString& owner);

// Whether the open connection's file is no longer the file at the
// database's path: another program deleted it, put another file there (a
// restore from a backup moves a copy over it), or pointed the path, a
// symbolic link, at another file. SQLite goes on writing into the file it
// opened, and in WAL mode it never looks, so a writer must ask before it
// stores anything.
bool FileMoved(const QSqlDatabase& d);

// Folds the connection's write-ahead log into its file and empties the log,
// so that the file alone holds everything the connection stored: a copy of
// the file is a whole backup, and a file moved away keeps it. Costs nothing
// when the connection has stored nothing since its last fold. Never waits:
// a reader of the file in another program holding an older view, or
// another writer, makes it give up at once (false), and the caller tries
// again later; the log then still holds the changes, safely.
bool FoldLog(const QSqlDatabase& d);

// FoldLog for a writer on the window's thread, done on a thread of its own:
// a fold waits for the disk twice (the log made safe, then the file), and
// on a slow disk that would hold up the window once a second. The thread
// folds through a second connection of its own to the writer's file; a
// fold that gave up is asked again by the next call. The writer's own
// connection is never touched there.
//
// The log must be empty at rest, not only copied from: a program that opens
// another file moved over this one, while the station still has the log
// open, takes what the log holds for that file's. So every change is
// folded at once, though each fold costs the disk three syncs: two here,
// and one of the log's header that SQLite makes the writer's first frame
// after it wait for.
class LogFolder {
public:
    LogFolder();
    ~LogFolder();   // waits for a fold in flight
    LogFolder(const LogFolder&) = delete;
    LogFolder& operator=(const LogFolder&) = delete;

    // Asks for a fold of d's log when d has stored anything since its last
    // fold, or when the log holds another program's write; returns at once.
    void Fold(const QSqlDatabase& d);
    // Waits for a fold in flight. Before the writer writes again: a fold
    // that empties the log makes a write transaction that began reading
    // before it fail at once (its view of the log is gone), and a record
    // stored that way would be told failed.
    void Await();
    // Waits for a fold in flight and closes the second connection; what it
    // folded counts as folded for d (FoldLog). Before d is closed or opened
    // again, and wherever a fold must be certain.
    void Release(const QSqlDatabase& d);

private:
    struct State;
    std::unique_ptr<State> s_;
};

// Closes every connection of the station that is open on the database's
// path and opens them again there, each under its own name, with its own
// busy timeout; a missing file is installed first, with empty rings.
// Windows that hold a connection read the file at the path from then on.
// Returns the names that are open again.
//
// Before anything is closed, what the connections stored is folded into
// the old file (FoldLog): SQLite keeps the log of a file that has moved
// when it closes, beside the path, where it would be lost to the old file.
// Where that cannot be done yet, nothing is closed and nothing is
// returned; the caller tries again later. The journal names beside the
// path are left alone: empty, they hold nothing of the old file, and
// another program may already use them for the file now at the path.
std::optional<QStringList> ReopenAllAtPath();

// Closes every connection of the process, each after folding its log into
// its file (every LogFolder released first), so that nothing the station
// stored stays only in a journal. For the end of the station.
void CloseAllConnections();

} // namespace db
