// The encrypted database file's engine (SQLCipher) behind TDbEngine.
#pragma once

#include "DbEngine.h"

struct sqlite3;
struct sqlite3_stmt;
struct TConnectionSettings;

class TSqlCipherEngine : public TDbEngine {
public:
    // Opens the file the settings name with their password. Gives nullptr
    // with the engine's description in error when it does not open;
    // keyRefused tells a key the file refuses (or a file of another kind).
    static std::unique_ptr<TSqlCipherEngine> Open(const TConnectionSettings& settings, int busyTimeoutMs,
                                                  QString& error, bool& keyRefused);
    ~TSqlCipherEngine() override;

    sqlite3* Handle() const { return db_; }

    TProvider Provider() const override { return TProvider::SQLCipher; }
    QString ErrorText() const override;
    std::unique_ptr<TDbStatement> Prepare(const QString& sql, bool& ok, QString* rest) override;
    bool Run(const QString& sql) override;
    bool InTransaction() const override;
    QString BeginSql(int level) const override;
    QString CommitSql(int level) const override;
    void SetBusyTimeout(int milliseconds) override;
    // Other connections' commits by the file's data version, this
    // connection's writes by its own counts.
    std::optional<TDataMark> DataMark() override;
    std::optional<TDbTableKey> TableKey(const QString& table) override;
    QString ColumnCollation(const QString& table, const QString& column) override;
    QString QuoteName(const QString& name) const override;
    QString NullSafeEquals() const override { return QStringLiteral("IS"); }
    QString ReturningKeySql(const QString&) const override { return QString(); }
    std::optional<qint64> LastInsertKey(TDbStatement& insert) override;
    QString InsertedRowWhere(const std::optional<TDbTableKey>& key) const override;

private:
    explicit TSqlCipherEngine(sqlite3* db);

    sqlite3* db_ = nullptr;
    // Which opening this is, for the data marks.
    quint64 serial_ = 0;
    // Statements run that may write, counted by the statements too (they
    // may outlive the engine).
    std::shared_ptr<qint64> writes_;
    sqlite3_stmt* dataVersion_ = nullptr;
};
