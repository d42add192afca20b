// The program's handle on an open database file: a SQLCipher connection
// opened from a connection string, executing SQL text.
//
// Every failure of this layer is raised by ThrowAdoError as an Exception whose
// message is "NYADO exception: " + the failed operation, followed by ": " and
// the engine's error descriptions (joined by "; ") when there are any. The
// descriptions are collected in Errors() and emptied by every report.
#pragma once

#include <QString>
#include <QStringList>

struct sqlite3;

class TNyConnection {
public:
    TNyConnection();
    ~TNyConnection();
    TNyConnection(const TNyConnection&) = delete;
    TNyConnection& operator=(const TNyConnection&) = delete;

    // Connection string: ';'-separated key=value pairs, keys in any letter
    // case, values optionally in double quotes (a quote inside written
    // twice). Keys: "Provider" (must be
    // "SQLCipher"), "Data Source" (the file), "Password" (the key of the
    // encrypted file), "Mode" ("Create" allows creating a new file; by default
    // the file must exist and hold a database). A file the key does not
    // open raises EKeyRefused.
    void Open(const QString& connectionString);
    // Runs the statement(s) and returns the rows changed by the last one.
    int Execute(const QString& sql);
    // Never raises.
    void Close();
    bool IsOpen() const { return db_ != nullptr; }

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

    sqlite3* Handle() const { return db_; }

private:
    void OpenDatabase(const QString& connectionString);
    // Rolls back whatever transaction the engine holds; false (with the
    // engine's description in Errors()) when even that fails.
    bool EndEngineTransaction();

    sqlite3* db_ = nullptr;
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

// The pairs of a connection string that Open reads (see Open for the keys).
struct TConnectionSettings {
    QString provider;
    QString dataSource;
    QString password;
    bool create = false;
    bool hasDataSource = false;
};
TConnectionSettings ParseConnectionString(const QString& text);

// A value for a connection string, in double quotes, so that it may hold
// ';', '=' or '"'.
QString QuoteConnectionValue(const QString& value);

// Rewrites the program's SQL dialect into the engine's ("DELETE * FROM").
QString TranslateSql(const QString& sql);
