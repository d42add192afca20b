// The program's handle on an open database: the encrypted file (SQLCipher)
// or a PostgreSQL server, opened from a connection string, executing SQL
// text. Whichever it is, the operations, their errors and their semantics
// are the same.
//
// Every failure of this layer is raised by ThrowAdoError as an Exception whose
// message is "NYADO exception: " + the failed operation, followed by ": " and
// the engine's error descriptions (joined by "; ") when there are any. The
// descriptions are collected in Errors() and emptied by every report.
#pragma once

#include "ConnectionString.h"
#include "DbEngine.h"

#include <QString>
#include <QStringList>
#include <QVariant>
#include <memory>

struct sqlite3;
struct pg_conn;

class TNyConnection {
public:
    TNyConnection();
    ~TNyConnection();
    TNyConnection(const TNyConnection&) = delete;
    TNyConnection& operator=(const TNyConnection&) = delete;

    // Connection string: ';'-separated key=value pairs, keys in any letter
    // case, values optionally in double quotes (a quote inside written
    // twice). Keys: "Provider" ("SQLCipher" or "PostgreSQL"). For the file:
    // "Data Source" (the file), "Password" (the key of the encrypted file),
    // "Mode" ("Create" allows creating a new file; by default the file must
    // exist and hold a database). A file the key does not open raises
    // EKeyRefused. For the server: "Host", "Port", "Database", "User",
    // "Password", "SSLMode" (see ServerSslMode); a password the server
    // refuses, or one it asks for and was not given, raises EKeyRefused.
    void Open(const QString& connectionString);
    // Runs the statement(s) and returns the rows changed by the last one.
    int Execute(const QString& sql);
    // Never raises.
    void Close();
    bool IsOpen() const { return engine_ != nullptr; }
    // Which engine the open connection drives.
    bool IsServer() const { return engine_ && engine_->Provider() == TDbEngine::TProvider::PostgreSQL; }

    // How long a statement waits for a file another program has locked
    // before it fails ("database is locked"); 10 s unless set otherwise.
    void SetBusyTimeout(int milliseconds);

    // Nested transactions: every BeginTrans must be matched by CommitTrans or
    // RollbackTrans. Returns the nesting level reached (1 for the outermost).
    // A failed outermost commit, and any failed rollback, roll the whole
    // transaction back and leave the level at 0: nothing the user does
    // afterwards is held in a transaction that will never reach the file.
    int BeginTrans();
    void CommitTrans();
    void RollbackTrans();
    // The level the engine is really in: 0 once it has ended the
    // transaction by itself after a severe error.
    int TransactionLevel() const;

    // The engine's and the layer's error descriptions since the last report.
    QStringList& Errors() { return errors_; }
    // Appends the engine's description of the last failure to Errors().
    void AddEngineError();

    // The file's own engine handle; nullptr on a server or when closed.
    sqlite3* Handle() const;
    // The server's own libpq handle; nullptr on the file or when closed.
    pg_conn* ServerHandle() const;
    // The engine of the open connection (nullptr when closed), for the
    // recordset, query and command.
    TDbEngine* Engine() const { return engine_.get(); }

private:
    void OpenDatabase(const QString& connectionString);
    // Rolls back whatever transaction the engine holds; false (with the
    // engine's description in Errors()) when even that fails.
    bool EndEngineTransaction();

    std::unique_ptr<TDbEngine> engine_;
    QStringList errors_;
    int transactionLevel_ = 0;
    bool keyRefused_ = false;
    int busyTimeoutMs_ = 10000;
};

// Builds the data-access message from the operation text and the connection's
// Errors(), empties Errors() and raises Exception with it.
[[noreturn]] void ThrowAdoError(const QString& operation, TNyConnection& connection);
// The same message, Errors() emptied, without raising it.
QString TakeAdoErrorMessage(const QString& operation, TNyConnection& connection);

// Rewrites the program's SQL dialect into the engine's ("DELETE * FROM").
QString TranslateSql(const QString& sql);

// The value a query's or a command's placeholder takes: text as text, a null
// value as NULL, anything else as an integer.
QVariant PlaceholderValue(const QVariant& value);
