// Another program on the station's database, in a process of its own, with
// a plain SQLite connection: it holds a read transaction, or writes and
// keeps its connection open, until a line comes on its standard input.
//
//   db_peer_child hold DATABASE
//     Begins a read transaction and reads the short ring's row count;
//     prints "holding N", then, after the line, ends it ("released").
//   db_peer_child write DATABASE SQL
//     Runs SQL in its own transaction; prints "written", then, after the
//     line, closes the connection ("closed").

#include <cstdio>
#include <cstring>
#include <sqlite3.h>

namespace {

int Fail(sqlite3* db, const char* what)
{
    std::fprintf(stderr, "%s: %s\n", what, db ? sqlite3_errmsg(db) : "no connection");
    return 1;
}

void Say(const char* text)
{
    std::printf("%s\n", text);
    std::fflush(stdout);
}

void AwaitLine()
{
    char line[16];
    if (!std::fgets(line, sizeof line, stdin)) {
        // The test is gone: end as told.
    }
}

} // namespace

int main(int argc, char** argv)
{
    const bool hold = argc == 3 && std::strcmp(argv[1], "hold") == 0;
    const bool write = argc == 4 && std::strcmp(argv[1], "write") == 0;
    if (!hold && !write) {
        std::fprintf(stderr, "usage: db_peer_child hold DATABASE\n"
                             "       db_peer_child write DATABASE SQL\n");
        return 2;
    }
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(argv[2], &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK)
        return Fail(db, "open");
    sqlite3_busy_timeout(db, 5000);
    if (hold) {
        sqlite3_stmt* count = nullptr;
        if (sqlite3_exec(db, "begin", nullptr, nullptr, nullptr) != SQLITE_OK
            || sqlite3_prepare_v2(db, "select count(*) from pv_data", -1, &count, nullptr) != SQLITE_OK
            || sqlite3_step(count) != SQLITE_ROW)
            return Fail(db, "read");
        std::printf("holding %d\n", sqlite3_column_int(count, 0));
        std::fflush(stdout);
        sqlite3_finalize(count);
        AwaitLine();
        if (sqlite3_exec(db, "commit", nullptr, nullptr, nullptr) != SQLITE_OK)
            return Fail(db, "end");
        Say("released");
    } else {
        if (sqlite3_exec(db, argv[3], nullptr, nullptr, nullptr) != SQLITE_OK)
            return Fail(db, "write");
        Say("written");
        AwaitLine();
    }
    if (sqlite3_close(db) != SQLITE_OK)
        return Fail(db, "close");
    if (write)
        Say("closed");
    return 0;
}
