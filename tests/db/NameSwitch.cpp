#include "db/NameSwitch.h"

#include <cstdarg>
#include <dlfcn.h>
#include <sqlite3.h>

namespace {

bool ignored = false;

using DbConfig = int (*)(sqlite3*, int, ...);

DbConfig Sqlites()
{
    static const auto real = reinterpret_cast<DbConfig>(dlsym(RTLD_NEXT, "sqlite3_db_config"));
    return real;
}

} // namespace

IgnoredNameSwitch::IgnoredNameSwitch() { ignored = true; }
IgnoredNameSwitch::~IgnoredNameSwitch() { ignored = false; }

extern "C" int sqlite3_db_config(sqlite3* db, int op, ...)
{
    va_list args;
    va_start(args, op);
    int result = SQLITE_MISUSE;
    if (op == SQLITE_DBCONFIG_MAINDBNAME) {
        const char* name = va_arg(args, const char*);
        result = Sqlites()(db, op, name);
    } else if (op == SQLITE_DBCONFIG_LOOKASIDE) {
        void* buffer = va_arg(args, void*);
        const int size = va_arg(args, int);
        const int count = va_arg(args, int);
        result = Sqlites()(db, op, buffer, size, count);
    } else {
        // Every other setting takes a value and where to tell the new one.
        const int value = va_arg(args, int);
        int* now = va_arg(args, int*);
        if (ignored && (op == SQLITE_DBCONFIG_DQS_DML || op == SQLITE_DBCONFIG_DQS_DDL)) {
            if (now)
                *now = 1;
            result = SQLITE_OK;
        } else {
            result = Sqlites()(db, op, value, now);
        }
    }
    va_end(args);
    return result;
}
