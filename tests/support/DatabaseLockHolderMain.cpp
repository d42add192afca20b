// Another program holding a lock on a database file, for the tests of what
// the program does while it waits or is refused.
//
//   DatabaseLockHolder FILE PASSWORD read
//       reads inside a transaction and keeps that read lock until a line (or
//       the end) of its standard input;
//   DatabaseLockHolder FILE PASSWORD write MILLISECONDS
//       takes the exclusive lock, writes a row into Teachers and commits it
//       after MILLISECONDS.
// Prints "ready" once the lock is held; exit status 0 when all went well.
#include <sqlcipher/sqlite3.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <string>
#include <thread>

namespace {

bool Run(sqlite3* db, const char* sql)
{
    if (sqlite3_exec(db, sql, nullptr, nullptr, nullptr) == SQLITE_OK)
        return true;
    std::fprintf(stderr, "%s: %s\n", sql, sqlite3_errmsg(db));
    return false;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 4)
        return 2;
    const std::string mode = argv[3];
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(argv[1], &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK)
        return 1;
    std::string key = "PRAGMA key = '";
    for (const char* c = argv[2]; *c; ++c)
        key += *c == '\'' ? std::string("''") : std::string(1, *c);
    key += "'";
    bool ok = Run(db, key.c_str());
    if (ok && mode == "read") {
        ok = Run(db, "BEGIN") && Run(db, "SELECT COUNT(*) FROM Children");
        if (ok) {
            std::puts("ready");
            std::fflush(stdout);
            std::string line;
            std::getline(std::cin, line);
            ok = Run(db, "ROLLBACK");
        }
    } else if (ok && mode == "write" && argc >= 5) {
        ok = Run(db, "BEGIN EXCLUSIVE") && Run(db, "INSERT INTO Teachers(Name) VALUES('Scritto da un altro programma')");
        if (ok) {
            std::puts("ready");
            std::fflush(stdout);
            std::this_thread::sleep_for(std::chrono::milliseconds(std::atoi(argv[4])));
            ok = Run(db, "COMMIT");
        }
    } else {
        ok = false;
    }
    sqlite3_close(db);
    return ok ? 0 : 1;
}
