// placeholder until the database layer lands
#include "platform/db/DatabaseFile.h"
namespace db {
QString DatabasePath() { return qEnvironmentVariable("ZC4160_DB"); }
bool InstallIfMissing() { return false; }
QSqlDatabase OpenConnection(const QString& owner) { return QSqlDatabase::database(owner, false); }
void CloseConnection(const QString&) {}
}
