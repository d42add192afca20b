// The benchmark's floor: the database engine's own interface on the
// program's open connection (SQLCipher's C functions on the file, libpq on a
// server), with nothing of the program's data layer in between. Any failure
// stops the benchmark with std::runtime_error.
#pragma once

#include <memory>
#include <string>
#include <vector>

class TRawStatement {
public:
    // One statement with '?' placeholders. On a server, returningKey (when
    // given) is added as "RETURNING returningKey", so that Insert can give
    // the key the server generated; the file tells it without.
    explicit TRawStatement(const char* sql, const char* returningKey = nullptr);
    ~TRawStatement();
    TRawStatement(const TRawStatement&) = delete;
    TRawStatement& operator=(const TRawStatement&) = delete;

    TRawStatement& Bind(int index, long long value);
    TRawStatement& Bind(int index, const char* text);
    // Runs it to the end; it is ready to be bound again.
    void Run();
    // Runs an INSERT and gives the key it generated.
    long long Insert();
    // Runs it and reads every column of every row, as a reader of the rows
    // would.
    long long ReadAll();
    // Runs it and gives the integer in the first column of its first row (0
    // for none or NULL).
    long long ReadInteger();

    class TEngine;

private:
    std::unique_ptr<TEngine> engine_;
};

// Runs fixed text (transaction control, maintenance) without values.
void RawExec(const char* sql);
// The highest value of key in table; 0 when the table is empty.
long long RawLastKey(const char* table, const char* key);
