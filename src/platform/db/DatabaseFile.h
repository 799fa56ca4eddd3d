#pragma once
// The station's one database file and the connections to it.
//
// The tables and their field positions are in platform/db/Tables.h; rows are
// read and written through db::RecordSet (platform/db/RecordSet.h).

#include <QLoggingCategory>
#include <QSqlDatabase>
#include <QString>

Q_DECLARE_LOGGING_CATEGORY(lcDb)

namespace db {

// $ZC4160_DB, else $XDG_DATA_HOME/Lumo/Rdatabj.db (~/.local/share/... when
// XDG_DATA_HOME is unset).
QString DatabasePath();

// Installs the file with its five tables when it is missing; never touches
// an existing file. Called once when the process starts, before any window
// opens a connection. Returns whether the file is there afterwards; a failed
// install is logged once and the station runs on without recording.
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
QSqlDatabase OpenConnection(const QString& owner);
QSqlDatabase OpenConnection(const QString& owner, int busyTimeoutMs);

// Closes and removes the owner's connection.
void CloseConnection(const QString& owner);

} // namespace db
