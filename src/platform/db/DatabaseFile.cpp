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

// The journal files beside path (-wal, -shm) that this process holds open.
std::vector<QString> HeldJournals(const QString& path)
{
    std::vector<QString> held;
    for (const char* suffix : {"-wal", "-shm"}) {
        const QString journal = path + QLatin1String(suffix);
        const std::optional<FileId> id = IdOf(journal);
        if (!id)
            continue;
        for (const QFileInfo& fd : QDir(QStringLiteral("/proc/self/fd")).entryInfoList(QDir::Files | QDir::System)) {
            struct stat st {};
            if (::stat(QFile::encodeName(fd.filePath()).constData(), &st) == 0
                && FileId{st.st_dev, st.st_ino} == *id) {
                held.push_back(journal);
                break;
            }
        }
    }
    return held;
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
    int moved = 0;
    return handle && sqlite3_file_control(handle, "main", SQLITE_FCNTL_HAS_MOVED, &moved) == SQLITE_OK
           && moved != 0;
}

QStringList ReopenAllAtPath()
{
    const QString path = DatabasePath();
    const QString uri = ConnectionUri(path);
    // SQLite keeps the write-ahead log and its index of a file that has
    // moved when the file closes, beside the path, where the file now at the
    // path would take them for its own: every change of the old file would
    // come back into it. So every connection to the old file is closed
    // first, and then the journals this process held there, the old file's,
    // are removed; any another process made since for the new file stay.
    std::vector<std::pair<QString, std::optional<FileId>>> journals;
    for (const QString& journal : HeldJournals(path))
        journals.emplace_back(journal, IdOf(journal));
    std::vector<std::pair<QString, int>> closed;
    for (const QString& name : QSqlDatabase::connectionNames()) {
        QSqlDatabase d = QSqlDatabase::database(name, false);
        if (!d.isOpen() || d.databaseName() != uri)
            continue;
        QSqlQuery timeout(d);
        const int busyTimeoutMs = timeout.exec(QStringLiteral("PRAGMA busy_timeout")) && timeout.next()
                                      ? timeout.value(0).toInt()
                                      : DefaultBusyTimeoutMs;
        timeout.finish();
        closed.emplace_back(name, busyTimeoutMs);
        d.close();
    }
    for (const auto& [journal, id] : journals)
        if (IdOf(journal) == id)
            QFile::remove(journal);
    InstallIfMissing();
    QStringList open;
    for (const auto& [name, busyTimeoutMs] : closed) {
        QSqlDatabase d = QSqlDatabase::database(name, false);
        if (Open(d, path, busyTimeoutMs))
            open << name;
    }
    return open;
}

} // namespace db
