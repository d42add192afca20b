// A PostgreSQL server's engine (libpq) behind TDbEngine.
//
// The program's SQL reaches the server as written but for its '?'
// placeholders, which become $1..$n. Each text is prepared on the server
// under a name of its own the first time it runs and reused afterwards, so a
// command prepared once may run between other statements and a text run
// again is not parsed again. Inside a transaction every statement runs under
// a savepoint of its own, sent with it in one round trip: a refused
// statement is undone alone and the transaction goes on, as it does on the
// file, instead of the server refusing everything up to the rollback.
#pragma once

#include "DbEngine.h"

struct TConnectionSettings;
struct TPgSession;

class TPgEngine : public TDbEngine {
public:
    // Connects to the server the settings name. Gives nullptr with libpq's
    // description in error when it cannot; passwordRefused tells a password
    // the server refused or asked for.
    static std::unique_ptr<TPgEngine> Open(const TConnectionSettings& settings, int busyTimeoutMs, QString& error,
                                           bool& passwordRefused);
    ~TPgEngine() override;

    // libpq's handle of the open connection; nullptr once closed.
    pg_conn* Handle() const;

    TProvider Provider() const override { return TProvider::PostgreSQL; }
    pg_conn* ServerHandle() const override { return Handle(); }
    QString ErrorText() const override;
    std::unique_ptr<TDbStatement> Prepare(const QString& sql, bool& ok, QString* rest) override;
    bool Run(const QString& sql) override;
    bool InTransaction() const override;
    QString BeginSql(int level) const override;
    QString CommitSql(int level) const override;
    void SetBusyTimeout(int milliseconds) override;
    std::optional<TDbTableKey> TableKey(const QString& table) override;
    QString ColumnCollation(const QString& table, const QString& column) override;
    QString QuoteName(const QString& name) const override;
    QString NullSafeEquals() const override { return QStringLiteral("IS NOT DISTINCT FROM"); }
    QString ReturningKeySql(const QString& keyColumn) const override;
    std::optional<qint64> LastInsertKey(TDbStatement& insert) override;
    QString InsertedRowWhere(const std::optional<TDbTableKey>& key) const override;

private:
    explicit TPgEngine(std::shared_ptr<TPgSession> session);

    std::shared_ptr<TPgSession> session_;
};
