#include "RawStatement.h"

#include "Database.h"
#include "ServerSqlText.h"

#include <QByteArray>
#include <QHash>
#include <QString>

#include <libpq-fe.h>
#include <sqlcipher/sqlite3.h>

#include <stdexcept>

namespace {

TNyConnection& Connection()
{
    return TDatabase::GetInstance()->Connection();
}

} // namespace

class TRawStatement::TEngine {
public:
    virtual ~TEngine() = default;
    virtual void Bind(int index, QByteArray value, bool integer) = 0;
    virtual void Run() = 0;
    virtual long long Insert() = 0;
    virtual long long ReadAll() = 0;
    virtual long long ReadInteger() = 0;
};

namespace {

// SQLCipher: prepared for each statement object, as a program using the C
// functions would.
class TFileStatement : public TRawStatement::TEngine {
public:
    explicit TFileStatement(const char* sql)
        : db_(Connection().Handle())
    {
        if (sqlite3_prepare_v2(db_, sql, -1, &statement_, nullptr) != SQLITE_OK)
            Fail(sql);
    }
    ~TFileStatement() override { sqlite3_finalize(statement_); }

    void Bind(int index, QByteArray value, bool integer) override
    {
        if (integer)
            sqlite3_bind_int64(statement_, index, value.toLongLong());
        else
            sqlite3_bind_text(statement_, index, value.constData(), static_cast<int>(value.size()), SQLITE_TRANSIENT);
    }

    void Run() override
    {
        while (Step()) {
        }
        sqlite3_reset(statement_);
    }

    long long Insert() override
    {
        Run();
        return sqlite3_last_insert_rowid(db_);
    }

    long long ReadAll() override
    {
        long long sink = 0;
        while (Step()) {
            for (int c = 0; c < sqlite3_column_count(statement_); ++c) {
                if (sqlite3_column_type(statement_, c) == SQLITE_TEXT)
                    sink += sqlite3_column_bytes(statement_, c) + (sqlite3_column_text(statement_, c) ? 1 : 0);
                else
                    sink += sqlite3_column_int64(statement_, c);
            }
        }
        sqlite3_reset(statement_);
        return sink;
    }

    long long ReadInteger() override
    {
        const long long value = Step() ? sqlite3_column_int64(statement_, 0) : 0;
        Run();
        return value;
    }

private:
    bool Step()
    {
        const int rc = sqlite3_step(statement_);
        if (rc == SQLITE_ROW)
            return true;
        if (rc != SQLITE_DONE)
            Fail(sqlite3_sql(statement_));
        return false;
    }
    [[noreturn]] void Fail(const char* sql) const
    {
        throw std::runtime_error(std::string(sql ? sql : "") + ": " + sqlite3_errmsg(db_));
    }

    sqlite3* db_ = nullptr;
    sqlite3_stmt* statement_ = nullptr;
};

// libpq: each text prepared once per server session under a name of its own
// and run with its values as text, as a program using libpq would.
class TServerStatement : public TRawStatement::TEngine {
public:
    TServerStatement(const char* sql, const char* returningKey)
        : conn_(Connection().ServerHandle())
    {
        int count = 0;
        QString text = NumberPlaceholders(QString::fromUtf8(sql), count);
        if (returningKey)
            text += QStringLiteral(" RETURNING ") + QLatin1String(returningKey);
        const QByteArray utf8 = text.toUtf8();
        values_.resize(count);
        // Names are kept per server process: a new connection prepares again.
        static QHash<QByteArray, QByteArray> prepared;
        static int session = -1;
        if (PQbackendPID(conn_) != session) {
            prepared.clear();
            session = PQbackendPID(conn_);
        }
        auto found = prepared.constFind(utf8);
        if (found != prepared.constEnd()) {
            name_ = *found;
            return;
        }
        name_ = "bench_" + QByteArray::number(prepared.size() + 1);
        Check(PQprepare(conn_, name_.constData(), utf8.constData(), 0, nullptr), utf8);
        prepared.insert(utf8, name_);
    }

    void Bind(int index, QByteArray value, bool) override
    {
        if (index >= 1 && index <= static_cast<int>(values_.size()))
            values_[index - 1] = std::move(value);
    }

    void Run() override { Check(Execute(), name_); }

    long long Insert() override { return ReadInteger(); }

    long long ReadInteger() override
    {
        PGresult* result = Execute();
        const long long value = PQresultStatus(result) == PGRES_TUPLES_OK && PQntuples(result) > 0
                                    ? QByteArray(PQgetvalue(result, 0, 0)).toLongLong()
                                    : 0;
        Check(result, name_);
        return value;
    }

    long long ReadAll() override
    {
        PGresult* result = Execute();
        long long sink = 0;
        if (PQresultStatus(result) == PGRES_TUPLES_OK) {
            for (int row = 0; row < PQntuples(result); ++row)
                for (int c = 0; c < PQnfields(result); ++c)
                    sink += PQgetlength(result, row, c) + (PQgetisnull(result, row, c) ? 0 : 1);
        }
        Check(result, name_);
        return sink;
    }

private:
    PGresult* Execute()
    {
        std::vector<const char*> values;
        for (const QByteArray& value : values_)
            values.push_back(value.isNull() ? nullptr : value.constData());
        return PQexecPrepared(conn_, name_.constData(), static_cast<int>(values.size()), values.data(), nullptr,
                              nullptr, 0);
    }
    // Clears the result; a failed one stops the benchmark.
    void Check(PGresult* result, const QByteArray& what) const
    {
        const ExecStatusType status = PQresultStatus(result);
        const std::string error = PQresultErrorMessage(result);
        PQclear(result);
        if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK)
            throw std::runtime_error(what.toStdString() + ": " + error);
    }

    PGconn* conn_ = nullptr;
    QByteArray name_;
    std::vector<QByteArray> values_;
};

} // namespace

TRawStatement::TRawStatement(const char* sql, const char* returningKey)
{
    if (Connection().IsServer())
        engine_ = std::make_unique<TServerStatement>(sql, returningKey);
    else
        engine_ = std::make_unique<TFileStatement>(sql);
}

TRawStatement::~TRawStatement() = default;

TRawStatement& TRawStatement::Bind(int index, long long value)
{
    engine_->Bind(index, QByteArray::number(value), true);
    return *this;
}

TRawStatement& TRawStatement::Bind(int index, const char* text)
{
    engine_->Bind(index, QByteArray(text), false);
    return *this;
}

void TRawStatement::Run()
{
    engine_->Run();
}

long long TRawStatement::Insert()
{
    return engine_->Insert();
}

long long TRawStatement::ReadAll()
{
    return engine_->ReadAll();
}

long long TRawStatement::ReadInteger()
{
    return engine_->ReadInteger();
}

void RawExec(const char* sql)
{
    TNyConnection& connection = Connection();
    if (PGconn* conn = connection.ServerHandle()) {
        PGresult* result = PQexec(conn, sql);
        const ExecStatusType status = PQresultStatus(result);
        const std::string error = PQresultErrorMessage(result);
        PQclear(result);
        if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK)
            throw std::runtime_error(std::string(sql).substr(0, 24) + "...: " + error);
        return;
    }
    char* error = nullptr;
    if (sqlite3_exec(connection.Handle(), sql, nullptr, nullptr, &error) != SQLITE_OK) {
        // Only the statement's start: an ATTACH carries the key.
        const std::string message = std::string(sql).substr(0, 24) + "...: " + (error ? error : "");
        sqlite3_free(error);
        throw std::runtime_error(message);
    }
}

long long RawLastKey(const char* table, const char* key)
{
    const QByteArray sql = QStringLiteral("SELECT MAX(%1) FROM %2").arg(QLatin1String(key), QLatin1String(table)).toUtf8();
    return TRawStatement(sql.constData()).ReadInteger();
}
