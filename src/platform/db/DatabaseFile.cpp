#include "platform/db/DatabaseFile.h"

#include "platform/basic/logtext.h"
#include "platform/db/Tables.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QUrl>
#include <QVariant>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <optional>
#include <utility>
#include <vector>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

Q_LOGGING_CATEGORY(lcDb, "zc4160.db")

namespace db {

namespace {

const QString kDriver = QStringLiteral("QSQLITE");

bool Exec(QSqlDatabase& d, const QString& sql, QString* error)
{
    QSqlQuery q(d);
    if (q.exec(sql))
        return true;
    if (error)
        *error = q.lastError().text();
    return false;
}

// SQLite gives the journal files it makes the database file's permissions
// and, for an empty -wal, mends them itself on a later open, but never for
// the -shm: one made while the file was read-only stays read-only and keeps
// every connection of this user from writing. Only our own files are
// touched, and only bits are added.
void MendJournalFiles(const QString& path)
{
    struct stat database {};
    if (::stat(QFile::encodeName(path).constData(), &database) != 0)
        return;
    for (const char* suffix : {"-wal", "-shm"}) {
        const QByteArray name = QFile::encodeName(path + QLatin1String(suffix));
        struct stat journal {};
        if (::stat(name.constData(), &journal) != 0 || journal.st_uid != ::geteuid())
            continue;
        const mode_t have = journal.st_mode & 0777;
        const mode_t want = (have | (database.st_mode & 0777) | S_IWUSR) & 0777;
        if (want != have)
            ::chmod(name.constData(), want);
    }
}

// SQLite, for old programs' sake, reads a double-quoted name that the file
// lacks as a text of that name: a query of a table rebuilt without its
// field "100" would give every record the value 100 there. The station
// quotes every name and means a name: one that is not there is an error.
// Whether it took is for QuotedNamesAreNames to tell.
void NamesAreNeverTexts(const QSqlDatabase& d)
{
    if (sqlite3* connection = NativeHandle(d)) {
        sqlite3_db_config(connection, SQLITE_DBCONFIG_DQS_DML, 0, nullptr);
        sqlite3_db_config(connection, SQLITE_DBCONFIG_DQS_DDL, 0, nullptr);
    }
}

// mode=rw opens an existing file only: SQLite would otherwise create an
// empty one, which the station must never do.
QString ConnectionUri(const QString& path)
{
    return QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()).toString(QUrl::FullyEncoded)
           + QStringLiteral("?mode=rw");
}

// Opens d, whose name and options are set, on the file at path.
bool Open(QSqlDatabase& d, const QString& path, int busyTimeoutMs);

// A file as the file system knows it, whatever its name.
struct FileId {
    dev_t device;
    ino_t inode;
    bool operator==(const FileId&) const = default;
};

std::optional<FileId> IdOf(const QString& path)
{
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return std::nullopt;
    return FileId{st.st_dev, st.st_ino};
}

// The connection's count of changed rows when its log was last folded into
// its file, kept on its driver. An open sets it: what the log held before
// is the file's already or another connection's to fold, and a connection
// that cannot write must never wait for a fold of its own.
const char* const kFoldedAt = "zc4160FoldedAt";

// Whether the connection stored anything since its log was last folded.
bool Unfolded(const QSqlDatabase& d, sqlite3* handle)
{
    const QVariant folded = d.driver()->property(kFoldedAt);
    return !folded.isValid() || folded.toLongLong() != sqlite3_total_changes64(handle);
}

// Whether the log beside the connection's file holds frames: another
// program's write stays there until someone folds it, and a copy of the
// file, or a file moved over it, would miss it meanwhile.
bool LogHoldsFrames(sqlite3* handle)
{
    const char* file = sqlite3_db_filename(handle, "main");
    if (!file || !*file)
        return false;
    struct stat st {};
    return ::stat(sqlite3_filename_wal(file), &st) == 0 && st.st_size > 0;
}

int BusyTimeoutOf(sqlite3* handle)
{
    sqlite3_stmt* statement = nullptr;
    int ms = DefaultBusyTimeoutMs;
    if (sqlite3_prepare_v2(handle, "PRAGMA busy_timeout", -1, &statement, nullptr) == SQLITE_OK
        && sqlite3_step(statement) == SQLITE_ROW)
        ms = sqlite3_column_int(statement, 0);
    sqlite3_finalize(statement);
    return ms;
}

} // namespace

sqlite3* NativeHandle(const QSqlDatabase& d)
{
    if (!d.isOpen() || !d.driver())
        return nullptr;
    const QVariant handle = d.driver()->handle();
    if (qstrcmp(handle.typeName(), "sqlite3*") != 0)
        return nullptr;
    return *static_cast<sqlite3* const*>(handle.constData());
}

bool InTransaction(const QSqlDatabase& d)
{
    sqlite3* handle = NativeHandle(d);
    return handle && !sqlite3_get_autocommit(handle);
}

bool QuotedNamesAreNames(const QSqlDatabase& d)
{
    // Asked of the connection itself: a name no table has, alone, where a
    // text may stand.
    QSqlQuery probe(d);
    const bool names = !probe.exec(QStringLiteral("select \"zc4160 no such name\""));
    static bool faulty = false;
    if (!names && !faulty)
        qCWarning(lcDb, "the connection %s reads a quoted name that the file lacks as a text, "
                        "so a field missing from a table would read as its own name; the "
                        "imports still refuse such a table",
                  qUtf8Printable(d.connectionName()));
    faulty = !names;
    return names;
}

QString DatabasePath()
{
    const QString overridden = qEnvironmentVariable("ZC4160_DB");
    if (!overridden.isEmpty())
        return overridden;
    QString base = qEnvironmentVariable("XDG_DATA_HOME");
    // A relative XDG_DATA_HOME is invalid and is to be ignored.
    if (base.isEmpty() || QDir::isRelativePath(base))
        base = QDir::homePath() + QStringLiteral("/.local/share");
    return base + QStringLiteral("/Lumo/Rdatabj.db");
}

bool InstallAt(const QString& path, QString* error)
{
    if (QFileInfo::exists(path)) {
        if (error)
            *error = QStringLiteral("%1 already exists").arg(path);
        return false;
    }
    const QFileInfo info(path);
    if (!QDir().mkpath(info.absolutePath())) {
        if (error)
            *error = QStringLiteral("cannot create the folder %1").arg(info.absolutePath());
        return false;
    }
    // Build the file beside its final name and move it there when complete,
    // so a crash or a full disk never leaves a half-made database that a
    // later start would take as existing.
    const QString temp = QStringLiteral("%1.install-%2").arg(path).arg(::getpid());
    QFile::remove(temp);
    const QString name = QStringLiteral("zc4160-install-%1").arg(::getpid());
    bool ok = false;
    {
        QSqlDatabase d = QSqlDatabase::addDatabase(kDriver, name);
        d.setDatabaseName(temp);
        if (!d.open()) {
            if (error)
                *error = d.lastError().text();
        } else {
            ok = Exec(d, QStringLiteral("PRAGMA journal_mode=WAL"), error) && d.transaction();
            for (const TableLayout& t : Tables())
                ok = ok && Exec(d, CreateTableSql(t), error);
            ok = ok && Exec(d, QStringLiteral("INSERT INTO \"sl_void\" VALUES (0, 0, 0, 0)"), error);
            ok = ok && d.commit();
            if (!ok)
                d.rollback();
            d.close();   // the last close folds the WAL into the file
        }
    }
    QSqlDatabase::removeDatabase(name);
    // QFile::rename never replaces a file that appeared meanwhile.
    if (ok && !QFile::rename(temp, path)) {
        ok = false;
        if (error)
            *error = QStringLiteral("cannot place the file at %1").arg(path);
    }
    QFile::remove(temp);
    QFile::remove(temp + QStringLiteral("-wal"));
    QFile::remove(temp + QStringLiteral("-shm"));
    return ok;
}

bool InstallIfMissing()
{
    const QString path = DatabasePath();
    if (QFileInfo::exists(path))
        return true;
    QString error;
    if (InstallAt(path, &error)) {
        qCInfo(lcDb, "installed a new database at %s", qUtf8Printable(basic::LogEscaped(path)));
        return true;
    }
    if (QFileInfo::exists(path))   // another process installed it first
        return true;
    // Once per file: start-up calls this once, and a second call for the
    // same file must not repeat the line.
    static QString logged;
    if (logged != path) {
        logged = path;
        qCWarning(lcDb, "no database at %s and it cannot be installed (%s): nothing is recorded",
                  qUtf8Printable(basic::LogEscaped(path)),
                  qUtf8Printable(basic::LogEscaped(error)));
    }
    return false;
}

QSqlDatabase OpenConnection(const QString& owner)
{
    return OpenConnection(owner, DefaultBusyTimeoutMs);
}

QSqlDatabase OpenConnection(const QString& owner, int busyTimeoutMs)
{
    const QString path = DatabasePath();
    const QString uri = ConnectionUri(path);
    QSqlDatabase d = QSqlDatabase::contains(owner) ? QSqlDatabase::database(owner, false)
                                                   : QSqlDatabase::addDatabase(kDriver, owner);
    if (d.isOpen() && d.databaseName() == uri)
        return d;
    d.close();
    d.setDatabaseName(uri);
    d.setConnectOptions(QStringLiteral("QSQLITE_OPEN_URI;QSQLITE_BUSY_TIMEOUT=%1").arg(busyTimeoutMs));
    Open(d, path, busyTimeoutMs);
    return d;
}

namespace {

bool Open(QSqlDatabase& d, const QString& path, int busyTimeoutMs)
{
    MendJournalFiles(path);
    if (!d.open())
        return false;
    d.driver()->setProperty(kFoldedAt, qint64(sqlite3_total_changes64(NativeHandle(d))));
    NamesAreNeverTexts(d);
    QuotedNamesAreNames(d);
    QSqlQuery q(d);
    // WAL lets the windows read while the recorder writes; NORMAL sync in
    // WAL keeps every committed row across a crash of the process.
    q.exec(QStringLiteral("PRAGMA journal_mode=WAL"));
    q.exec(QStringLiteral("PRAGMA synchronous=NORMAL"));
    q.exec(QStringLiteral("PRAGMA busy_timeout=%1").arg(busyTimeoutMs));
    return true;
}

} // namespace

QSqlDatabase ReopenConnection(const QString& owner, int busyTimeoutMs)
{
    if (QSqlDatabase::contains(owner))
        QSqlDatabase::database(owner, false).close();
    return OpenConnection(owner, busyTimeoutMs);
}

bool CannotWrite(const QSqlError& error)
{
    // The native code is SQLite's extended result code; its low byte is
    // the primary code, SQLITE_READONLY (8) for the whole read-only family.
    bool ok = false;
    const int code = error.nativeErrorCode().toInt(&ok);
    return ok && (code & 0xff) == 8;
}

qint64 SteadyMs()
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

ReopenPacing::ReopenPacing(SteadyClock clock) : clock_(std::move(clock)), last_(clock_()) {}

void ReopenPacing::Opened()
{
    last_ = clock_();
}

bool ReopenPacing::Due()
{
    const qint64 now = clock_();
    if (now - last_ < ReopenSpacingMs)
        return false;
    last_ = now;
    return true;
}

void CloseConnection(const QString& owner)
{
    if (!QSqlDatabase::contains(owner))
        return;
    {
        QSqlDatabase d = QSqlDatabase::database(owner, false);
        d.close();
    }
    QSqlDatabase::removeDatabase(owner);
}

bool FileMoved(const QSqlDatabase& d)
{
    sqlite3* handle = NativeHandle(d);
    if (!handle)
        return false;
    // SQLite looks at the name it opened, with symbolic links resolved: it
    // sees neither a link pointed elsewhere nor the target replaced through
    // the link. The path is followed as it leads now, and an open file that
    // has not moved is the one at the name SQLite keeps.
    int moved = 0;
    if (sqlite3_file_control(handle, "main", SQLITE_FCNTL_HAS_MOVED, &moved) != SQLITE_OK)
        return false;
    if (moved != 0)
        return true;
    const char* opened = sqlite3_db_filename(handle, "main");
    return opened && *opened && IdOf(DatabasePath()) != IdOf(QFile::decodeName(opened));
}

bool FoldLog(const QSqlDatabase& d)
{
    sqlite3* handle = NativeHandle(d);
    if (!handle)
        return false;
    if (!Unfolded(d, handle))
        return true;
    // Inside a transaction the fold cannot run; the caller tries again.
    if (!sqlite3_get_autocommit(handle))
        return false;
    const sqlite3_int64 changes = sqlite3_total_changes64(handle);
    // TRUNCATE: a fold that leaves the log's frames behind (PASSIVE) leaves
    // them where a program that opens another file at the path later would
    // take them for that file's. Without its busy wait, a reader that still
    // needs the frames makes it give up at once instead of holding up the
    // window for the busy timeout, every tick while the reader lasts.
    const int timeoutMs = BusyTimeoutOf(handle);
    sqlite3_busy_timeout(handle, 0);
    const int result = sqlite3_wal_checkpoint_v2(handle, "main", SQLITE_CHECKPOINT_TRUNCATE, nullptr, nullptr);
    sqlite3_busy_timeout(handle, timeoutMs);
    if (result != SQLITE_OK)
        return false;
    d.driver()->setProperty(kFoldedAt, changes);
    return true;
}

std::optional<QStringList> ReopenAllAtPath()
{
    const QString path = DatabasePath();
    const QString uri = ConnectionUri(path);
    std::vector<QSqlDatabase> old;
    for (const QString& name : QSqlDatabase::connectionNames()) {
        QSqlDatabase d = QSqlDatabase::database(name, false);
        if (d.isOpen() && d.databaseName() == uri)
            old.push_back(d);
    }
    // SQLite skips its fold when a connection to a file that has moved
    // closes, and leaves the log behind: what it held would be lost to the
    // old file, and beside the path a new file could take it for its own.
    // So the old file takes it now, while the connections are open.
    for (const QSqlDatabase& d : old)
        if (!FoldLog(d))
            return std::nullopt;
    std::vector<std::pair<QString, int>> closed;
    for (QSqlDatabase& d : old) {
        sqlite3* handle = NativeHandle(d);
        closed.emplace_back(d.connectionName(), handle ? BusyTimeoutOf(handle) : DefaultBusyTimeoutMs);
        d.close();
    }
    InstallIfMissing();
    QStringList open;
    for (const auto& [name, busyTimeoutMs] : closed) {
        QSqlDatabase d = QSqlDatabase::database(name, false);
        if (Open(d, path, busyTimeoutMs))
            open << name;
    }
    return open;
}

namespace {

// Every LogFolder of the process (made and ended on the window's thread),
// for the end of the station.
std::vector<LogFolder*>& Folders()
{
    static std::vector<LogFolder*> folders;
    return folders;
}

} // namespace

struct LogFolder::State {
    std::mutex m;
    std::condition_variable changed;
    // The second connection, and the writer's connection it was opened
    // for. Opened and closed on the window's thread, only while no fold is
    // in flight; used by the thread only while one is.
    sqlite3* second = nullptr;
    sqlite3* writer = nullptr;
    bool asked = false;   // a fold in flight
    bool again = false;   // asked once more meanwhile, for later changes
    bool stop = false;
    sqlite3_int64 askedAt = 0;                  // the writer's changes when asked
    std::optional<sqlite3_int64> foldedAt;      // a fold done, not yet told to the writer
    std::thread thread;

    void Run()
    {
        std::unique_lock lock(m);
        for (;;) {
            changed.wait(lock, [this] { return stop || asked; });
            if (stop)
                return;
            do {
                again = false;
                sqlite3* connection = second;
                const sqlite3_int64 at = askedAt;
                lock.unlock();
                // Its busy wait is off for good: a reader or another writer
                // makes it give up at once, and the next call asks again.
                const int result = sqlite3_wal_checkpoint_v2(connection, "main",
                                                             SQLITE_CHECKPOINT_TRUNCATE, nullptr, nullptr);
                lock.lock();
                if (result == SQLITE_OK)
                    foldedAt = at;
            } while (again);
            asked = false;
            changed.notify_all();
        }
    }
    // With the lock held and no fold in flight.
    void CloseSecond()
    {
        sqlite3_close(second);
        second = nullptr;
        writer = nullptr;
        foldedAt.reset();
    }
    // What the thread folded counts as folded for d.
    void TellFolded(const QSqlDatabase& d, sqlite3* handle)
    {
        if (foldedAt && writer == handle)
            d.driver()->setProperty(kFoldedAt, qint64(*foldedAt));
        foldedAt.reset();
    }
    void AwaitIdle(std::unique_lock<std::mutex>& lock)
    {
        changed.wait(lock, [this] { return !asked; });
    }
};

LogFolder::LogFolder() : s_(std::make_unique<State>())
{
    s_->thread = std::thread([state = s_.get()] { state->Run(); });
    Folders().push_back(this);
}

LogFolder::~LogFolder()
{
    std::erase(Folders(), this);
    {
        std::unique_lock lock(s_->m);
        s_->AwaitIdle(lock);
        s_->stop = true;
        s_->CloseSecond();
        s_->changed.notify_all();
    }
    s_->thread.join();
}

void LogFolder::Fold(const QSqlDatabase& d)
{
    sqlite3* handle = NativeHandle(d);
    if (!handle)
        return;
    std::unique_lock lock(s_->m);
    s_->TellFolded(d, handle);
    // Changes of a transaction still open are not in the log yet. What
    // another program wrote is folded too, but only into the file the path
    // still leads to: the log beside a file that has moved may be another
    // file's by now.
    if (!sqlite3_get_autocommit(handle)
        || (!Unfolded(d, handle) && (!LogHoldsFrames(handle) || FileMoved(d))))
        return;
    if (s_->asked) {
        // Stored while a fold was in flight: folded right after it.
        if (s_->writer == handle) {
            s_->askedAt = sqlite3_total_changes64(handle);
            s_->again = true;
        }
        return;
    }
    if (s_->writer != handle || !s_->second) {
        s_->CloseSecond();
        // Opened by the name SQLite keeps for the writer's file, which
        // leads to that file as long as it has not moved; a file that has
        // is the caller's to follow first.
        if (FileMoved(d))
            return;
        // It reads the file's header once, so that it knows the file is in
        // WAL mode: a checkpoint on a connection that has never read the
        // file does nothing and says it went well.
        sqlite3* second = nullptr;
        if (sqlite3_open_v2(sqlite3_db_filename(handle, "main"), &second,
                            SQLITE_OPEN_READWRITE | SQLITE_OPEN_FULLMUTEX, nullptr) != SQLITE_OK
            || sqlite3_exec(second, "PRAGMA schema_version", nullptr, nullptr, nullptr) != SQLITE_OK) {
            sqlite3_close(second);
            return;
        }
        s_->second = second;
        s_->writer = handle;
    }
    s_->askedAt = sqlite3_total_changes64(handle);
    s_->asked = true;
    s_->changed.notify_all();
}

void LogFolder::Await()
{
    std::unique_lock lock(s_->m);
    s_->AwaitIdle(lock);
}

void LogFolder::Release(const QSqlDatabase& d)
{
    std::unique_lock lock(s_->m);
    s_->AwaitIdle(lock);
    if (sqlite3* handle = NativeHandle(d))
        s_->TellFolded(d, handle);
    s_->CloseSecond();
}

void CloseAllConnections()
{
    for (LogFolder* folder : Folders())
        folder->Release(QSqlDatabase());

    // The readers first: a statement one of them left open would keep the
    // writer's fold from emptying the log. Then each writer folds and
    // closes; the last close of a file removes its journals.
    std::vector<QSqlDatabase> writers;
    for (const QString& name : QSqlDatabase::connectionNames()) {
        QSqlDatabase d = QSqlDatabase::database(name, false);
        sqlite3* handle = NativeHandle(d);
        if (!handle)
            continue;
        if (Unfolded(d, handle))
            writers.push_back(d);
        else
            d.close();
    }
    for (QSqlDatabase& d : writers) {
        FoldLog(d);
        d.close();
    }
}

} // namespace db
