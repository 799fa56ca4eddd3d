#pragma once
// The station's one database file and the connections to it.

#include <QSqlDatabase>
#include <QString>

namespace db {

// $ZC4160_DB, else $XDG_DATA_HOME/Lumo/Rdatabj.db (~/.local/share/... when
// XDG_DATA_HOME is unset).
QString DatabasePath();

// Installs the file with its five tables when it is missing; never touches
// an existing file. Called once when the process starts, before any window
// opens a connection. Returns whether the file is there afterwards.
bool InstallIfMissing();

// Opens (or returns the already open) named connection of one owner
// ("recorder", "overview", "history", ...) to the database file, with WAL
// and a busy timeout. The result may be invalid or closed where the file
// cannot be opened.
QSqlDatabase OpenConnection(const QString& owner);

// Closes and removes the owner's connection.
void CloseConnection(const QString& owner);

} // namespace db
