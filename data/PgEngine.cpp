#include "PgEngine.h"

#include "ConnectionString.h"
#include "ServerSqlText.h"

#include <QHash>
#include <QStringList>
#include <libpq-fe.h>

namespace {

// Type identifiers of the server's built-in types (pg_type.oid).
constexpr Oid kBoolOid = 16;
constexpr Oid kByteaOid = 17;
constexpr Oid kInt8Oid = 20;
constexpr Oid kInt2Oid = 21;
constexpr Oid kInt4Oid = 23;
constexpr Oid kOidOid = 26;
constexpr Oid kFloat4Oid = 700;
constexpr Oid kFloat8Oid = 701;
constexpr Oid kNumericOid = 1700;

// The server's message on one line, without its severity word: "duplicate
// key value violates unique constraint ... DETAIL: Key (name)=(x) already
// exists."
QString ServerMessage(const char* text)
{
    QStringList lines;
    for (const QString& line : QString::fromUtf8(text).split(QLatin1Char('\n'))) {
        const QString trimmed = line.simplified();
        if (!trimmed.isEmpty())
            lines << trimmed;
    }
    QString message = lines.join(QLatin1Char(' '));
    for (const char* severity : {"ERROR: ", "FATAL: ", "PANIC: "}) {
        if (message.startsWith(QLatin1String(severity))) {
            message = message.mid(static_cast<qsizetype>(qstrlen(severity)));
            break;
        }
    }
    return message;
}

// A failed statement's description: the server's message, then its detail
// ("Key (name)=(Anna) already exists.").
QString ResultMessage(PGconn* conn, const PGresult* result)
{
    const char* primary = result ? PQresultErrorField(result, PG_DIAG_MESSAGE_PRIMARY) : nullptr;
    if (!primary)
        return ServerMessage(result ? PQresultErrorMessage(result) : PQerrorMessage(conn));
    QString message = QString::fromUtf8(primary).simplified();
    if (const char* detail = PQresultErrorField(result, PG_DIAG_MESSAGE_DETAIL))
        message += QStringLiteral(". ") + QString::fromUtf8(detail).simplified();
    return message;
}

// The program's tables and columns were created with names the server
// folds to lower case (A to Z only), which is how the catalog keeps them.
QString CatalogName(const QString& name)
{
    QString folded = name;
    for (QChar& c : folded)
        if (c >= QLatin1Char('A') && c <= QLatin1Char('Z'))
            c = QChar(c.unicode() + ('a' - 'A'));
    return folded;
}

QString QuoteIdentifier(const QString& name)
{
    QString quoted = name;
    quoted.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

struct TPgColumnInfo {
    QString name;
    QString type;
};

struct TPgTable {
    QString name;
    QHash<int, TPgColumnInfo> columns; // by attribute number
};

// A value as the server receives it.
struct TPgParam {
    QByteArray data;
    Oid type = 0; // 0: the server infers it from where it stands
    bool null = false;
    bool binary = false;
};

TPgParam ToParam(const QVariant& value)
{
    TPgParam param;
    if (value.isNull() || !value.isValid()) {
        param.null = true;
        return param;
    }
    switch (value.typeId()) {
    case QMetaType::LongLong:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::ULongLong:
    case QMetaType::Bool:
        param.data = QByteArray::number(value.toLongLong());
        param.type = kInt8Oid;
        break;
    case QMetaType::Double:
        param.data = QByteArray::number(value.toDouble(), 'g', 17);
        param.type = kFloat8Oid;
        break;
    case QMetaType::QByteArray:
        param.data = value.toByteArray();
        param.type = kByteaOid;
        param.binary = true;
        break;
    default:
        // Text stays untyped, so it may stand for a date or a number.
        param.data = value.toString().toUtf8();
        break;
    }
    return param;
}

} // namespace

// The connection shared by the engine and its statements: a statement that
// outlives the connection finds it closed instead of freed.
struct TPgSession {
    PGconn* conn = nullptr;
    QString error;
    QHash<Oid, TPgTable> tables;

    ~TPgSession() { Close(); }

    void Close()
    {
        if (conn)
            PQfinish(conn);
        conn = nullptr;
        tables.clear();
    }

    bool RequireOpen()
    {
        if (conn)
            return true;
        error = QStringLiteral("The connection is not open.");
        return false;
    }

    bool InTransaction() const
    {
        if (!conn)
            return false;
        const PGTransactionStatusType status = PQtransactionStatus(conn);
        return status == PQTRANS_INTRANS || status == PQTRANS_INERROR;
    }

    // Runs fixed text (one or more statements); false with the server's
    // description in error.
    bool Run(const QByteArray& sql)
    {
        if (!RequireOpen())
            return false;
        PGresult* result = PQexec(conn, sql.constData());
        const ExecStatusType status = PQresultStatus(result);
        bool ok = status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK;
        if (!ok) {
            error = ResultMessage(conn, result);
        } else if (qstrcmp(PQcmdStatus(result), "ROLLBACK") == 0 && !sql.trimmed().toUpper().startsWith("ROLLBACK")) {
            // A commit of a transaction the server had already given up.
            error = QStringLiteral("The transaction was rolled back by the server.");
            ok = false;
        }
        PQclear(result);
        return ok;
    }

    // Runs one statement with its values, inside a savepoint of its own when
    // a transaction is open. Gives the result (the caller clears it), or
    // nullptr with the server's description in error.
    PGresult* Execute(const QByteArray& sql, const std::vector<TPgParam>& params, bool prepareOnly = false)
    {
        if (!RequireOpen())
            return nullptr;
        const bool guarded = PQtransactionStatus(conn) == PQTRANS_INTRANS;
        if (guarded && !Run("SAVEPOINT nyado_statement"))
            return nullptr;
        PGresult* result = nullptr;
        if (prepareOnly) {
            result = PQprepare(conn, "", sql.constData(), 0, nullptr);
        } else {
            std::vector<Oid> types;
            std::vector<const char*> values;
            std::vector<int> lengths;
            std::vector<int> formats;
            for (const TPgParam& param : params) {
                types.push_back(param.type);
                values.push_back(param.null ? nullptr : param.data.constData());
                lengths.push_back(static_cast<int>(param.data.size()));
                formats.push_back(param.binary ? 1 : 0);
            }
            result = PQexecParams(conn, sql.constData(), static_cast<int>(params.size()), types.data(), values.data(),
                                  lengths.data(), formats.data(), 0);
        }
        const ExecStatusType status = PQresultStatus(result);
        const bool ok = status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK;
        if (!ok) {
            error = ResultMessage(conn, result);
            PQclear(result);
            result = nullptr;
        }
        if (guarded) {
            const QString failure = error;
            const QByteArray end = ok ? QByteArray("RELEASE SAVEPOINT nyado_statement")
                                      : QByteArray("ROLLBACK TO SAVEPOINT nyado_statement; RELEASE SAVEPOINT nyado_statement");
            if (!Run(end) && ok) {
                PQclear(result);
                return nullptr;
            }
            if (!ok)
                error = failure;
        }
        return result;
    }

    // The table with this identifier, read from the catalog once.
    const TPgTable* Table(Oid oid, int column)
    {
        auto found = tables.constFind(oid);
        // A column added since the table was read is read with it again.
        if (found != tables.constEnd() && found->columns.contains(column))
            return &*found;
        const std::vector<TPgParam> params = {TPgParam{QByteArray::number(oid), kOidOid, false, false}};
        PGresult* result = Execute("SELECT c.relname, a.attnum, a.attname, format_type(a.atttypid, a.atttypmod) "
                                   "FROM pg_catalog.pg_class c JOIN pg_catalog.pg_attribute a ON a.attrelid = c.oid "
                                   "WHERE c.oid = $1 AND a.attnum > 0 AND NOT a.attisdropped",
                                   params);
        if (!result)
            return nullptr;
        TPgTable table;
        for (int row = 0; row < PQntuples(result); ++row) {
            table.name = QString::fromUtf8(PQgetvalue(result, row, 0));
            table.columns.insert(QByteArray(PQgetvalue(result, row, 1)).toInt(),
                                 {QString::fromUtf8(PQgetvalue(result, row, 2)),
                                  QString::fromUtf8(PQgetvalue(result, row, 3))});
        }
        PQclear(result);
        if (table.name.isEmpty())
            return nullptr;
        return &*tables.insert(oid, table);
    }
};

namespace {

class TPgStatement : public TDbStatement {
public:
    TPgStatement(std::shared_ptr<TPgSession> session, QByteArray sql, int parameters, QHash<QString, QString> names)
        : session_(std::move(session))
        , sql_(std::move(sql))
        , names_(std::move(names))
        , values_(parameters)
    {
    }
    ~TPgStatement() override { PQclear(result_); }

    int ParameterCount() const override { return static_cast<int>(values_.size()); }

    void Bind(int index, const QVariant& value) override
    {
        if (index >= 1 && index <= static_cast<int>(values_.size()))
            values_[index - 1] = value;
    }

    void ClearBindings() override
    {
        for (QVariant& value : values_)
            value = QVariant();
    }

    TStep Step() override
    {
        if (!ran_) {
            Reset();
            std::vector<TPgParam> params;
            for (const QVariant& value : values_)
                params.push_back(ToParam(value));
            result_ = session_->Execute(sql_, params);
            if (!result_)
                return TStep::Failed;
            ran_ = true;
            const QByteArray command = PQcmdStatus(result_);
            changes_ = command.startsWith("INSERT") || command.startsWith("UPDATE") || command.startsWith("DELETE")
                    || command.startsWith("MERGE")
                ? QByteArray(PQcmdTuples(result_)).toInt()
                : 0;
        }
        if (row_ + 1 < PQntuples(result_)) {
            ++row_;
            return TStep::Row;
        }
        row_ = PQntuples(result_);
        return TStep::Done;
    }

    void Reset() override
    {
        PQclear(result_);
        result_ = nullptr;
        ran_ = false;
        row_ = -1;
    }

    int ColumnCount() const override { return result_ ? PQnfields(result_) : 0; }

    TDbColumn Column(int index) override
    {
        TDbColumn column;
        if (!result_ || index < 0 || index >= PQnfields(result_))
            return column;
        column.engineName = QString::fromUtf8(PQfname(result_, index));
        column.name = names_.value(column.engineName, column.engineName);
        const Oid table = PQftable(result_, index);
        const int number = PQftablecol(result_, index);
        if (table != InvalidOid && number > 0) {
            if (const TPgTable* info = session_->Table(table, number)) {
                column.table = names_.value(info->name, info->name);
                column.origin = names_.value(info->columns.value(number).name, info->columns.value(number).name);
                column.declType = info->columns.value(number).type;
            }
        }
        return column;
    }

    QVariant Value(int index) const override
    {
        if (!result_ || row_ < 0 || row_ >= PQntuples(result_) || PQgetisnull(result_, row_, index))
            return QVariant();
        const char* text = PQgetvalue(result_, row_, index);
        const int length = PQgetlength(result_, row_, index);
        switch (PQftype(result_, index)) {
        case kBoolOid:
            return QVariant(static_cast<qlonglong>(text[0] == 't' ? 1 : 0));
        case kInt2Oid:
        case kInt4Oid:
        case kInt8Oid:
        case kOidOid:
            return QVariant(QByteArray(text, length).toLongLong());
        case kFloat4Oid:
        case kFloat8Oid:
        case kNumericOid:
            return QVariant(QByteArray(text, length).toDouble());
        case kByteaOid: {
            size_t size = 0;
            unsigned char* bytes = PQunescapeBytea(reinterpret_cast<const unsigned char*>(text), &size);
            QByteArray data(reinterpret_cast<const char*>(bytes), static_cast<qsizetype>(size));
            PQfreemem(bytes);
            return QVariant(data);
        }
        default:
            return QVariant(QString::fromUtf8(text, length));
        }
    }

    int Changes() const override { return changes_; }

private:
    std::shared_ptr<TPgSession> session_;
    QByteArray sql_;
    QHash<QString, QString> names_;
    std::vector<QVariant> values_;
    PGresult* result_ = nullptr;
    bool ran_ = false;
    int row_ = -1;
    int changes_ = 0;
};

} // namespace

TPgEngine::TPgEngine(std::shared_ptr<TPgSession> session)
    : session_(std::move(session))
{
}

TPgEngine::~TPgEngine()
{
    // Statements still held by someone find the connection closed.
    session_->Close();
}

std::unique_ptr<TPgEngine> TPgEngine::Open(const TConnectionSettings& settings, int busyTimeoutMs, QString& error,
                                           bool& passwordRefused)
{
    passwordRefused = false;
    // Dates read and written as the file keeps them ('YYYY-MM-DD
    // HH:MM:SS'); a statement waiting for rows another educator is changing
    // waits as long as on the file, then fails.
    const QByteArray options = QStringLiteral("-c DateStyle=ISO,YMD -c lock_timeout=%1").arg(busyTimeoutMs).toUtf8();
    const QByteArray sslMode = ServerSslMode(settings).toUtf8();
    std::vector<QByteArray> storage;
    std::vector<const char*> keys;
    std::vector<const char*> values;
    auto add = [&](const char* key, const QString& value) {
        // An empty value is left to libpq's defaults and environment.
        if (value.isEmpty())
            return;
        storage.push_back(value.toUtf8());
        keys.push_back(key);
        values.push_back(storage.back().constData());
    };
    storage.reserve(16);
    add("host", settings.host);
    add("port", settings.port);
    add("dbname", settings.database);
    add("user", settings.user);
    add("password", settings.password);
    add("sslmode", QString::fromUtf8(sslMode));
    add("client_encoding", QStringLiteral("UTF8"));
    add("application_name", QStringLiteral("Baltero"));
    add("connect_timeout", QStringLiteral("15"));
    add("options", QString::fromUtf8(options));
    keys.push_back(nullptr);
    values.push_back(nullptr);

    auto session = std::make_shared<TPgSession>();
    session->conn = PQconnectdbParams(keys.data(), values.data(), 0);
    if (!session->conn) {
        error = QStringLiteral("Out of memory.");
        return nullptr;
    }
    if (PQstatus(session->conn) != CONNECTION_OK) {
        error = ServerMessage(PQerrorMessage(session->conn));
        passwordRefused = PQconnectionNeedsPassword(session->conn)
            || error.contains(QLatin1String("password authentication failed"));
        return nullptr;
    }
    return std::unique_ptr<TPgEngine>(new TPgEngine(std::move(session)));
}

pg_conn* TPgEngine::Handle() const
{
    return session_->conn;
}

QString TPgEngine::ErrorText() const
{
    return session_->error;
}

std::unique_ptr<TDbStatement> TPgEngine::Prepare(const QString& sql, bool& ok, QString* rest)
{
    const qsizetype end = FirstStatementEnd(sql);
    if (rest)
        *rest = sql.mid(end);
    const QString first = sql.left(end);
    ok = true;
    if (IsBlankSql(first))
        return nullptr;
    int parameters = 0;
    const QByteArray text = NumberPlaceholders(first, parameters).toUtf8();
    // Prepared once to be checked: a text the server refuses fails here,
    // not when it runs.
    PGresult* checked = session_->Execute(text, {}, true);
    if (!checked) {
        ok = false;
        return nullptr;
    }
    PQclear(checked);
    return std::make_unique<TPgStatement>(session_, text, parameters, WrittenNames(first));
}

bool TPgEngine::Run(const QString& sql)
{
    return session_->Run(sql.toUtf8());
}

bool TPgEngine::InTransaction() const
{
    return session_->InTransaction();
}

QString TPgEngine::BeginSql(int level) const
{
    return level == 1 ? QStringLiteral("BEGIN") : QStringLiteral("SAVEPOINT nyado_%1").arg(level);
}

QString TPgEngine::CommitSql(int level) const
{
    return level == 1 ? QStringLiteral("COMMIT") : QStringLiteral("RELEASE SAVEPOINT nyado_%1").arg(level);
}

void TPgEngine::SetBusyTimeout(int milliseconds)
{
    if (session_->conn)
        session_->Run(QStringLiteral("SET lock_timeout = %1").arg(milliseconds).toUtf8());
}

std::optional<TDbTableKey> TPgEngine::TableKey(const QString& table)
{
    const std::vector<TPgParam> params = {ToParam(CatalogName(table))};
    PGresult* result = session_->Execute(
        "SELECT a.attname, a.attidentity <> '' OR EXISTS (SELECT 1 FROM pg_catalog.pg_attrdef d "
        "WHERE d.adrelid = c.oid AND d.adnum = a.attnum AND pg_get_expr(d.adbin, d.adrelid) LIKE 'nextval(%') "
        "FROM pg_catalog.pg_class c JOIN pg_catalog.pg_index i ON i.indrelid = c.oid AND i.indisprimary "
        "JOIN pg_catalog.pg_attribute a ON a.attrelid = c.oid AND a.attnum = ANY (i.indkey) "
        "WHERE c.relname = $1 AND pg_catalog.pg_table_is_visible(c.oid) "
        "ORDER BY array_position(i.indkey::int2[], a.attnum)",
        params);
    if (!result)
        return std::nullopt;
    TDbTableKey key;
    bool generated = false;
    for (int row = 0; row < PQntuples(result); ++row) {
        key.columns.push_back(QString::fromUtf8(PQgetvalue(result, row, 0)));
        generated = PQgetvalue(result, row, 1)[0] == 't';
    }
    PQclear(result);
    if (key.columns.size() == 1 && generated)
        key.generated = key.columns.front();
    return key;
}

QString TPgEngine::ColumnCollation(const QString& table, const QString& column)
{
    const std::vector<TPgParam> params = {ToParam(CatalogName(table)), ToParam(CatalogName(column))};
    PGresult* result = session_->Execute(
        "SELECT a.attcollation = 0, co.collname FROM pg_catalog.pg_class c "
        "JOIN pg_catalog.pg_attribute a ON a.attrelid = c.oid "
        "LEFT JOIN pg_catalog.pg_collation co ON co.oid = a.attcollation "
        "WHERE c.relname = $1 AND a.attname = $2 AND pg_catalog.pg_table_is_visible(c.oid)",
        params);
    if (!result)
        return QString();
    QString collation;
    if (PQntuples(result) == 1) {
        const QString name = QString::fromUtf8(PQgetvalue(result, 0, 1));
        // Numbers and dates sort by value, as the file sorts them; text in
        // "C" byte by byte. The server's other collations are its own.
        if (PQgetvalue(result, 0, 0)[0] == 't' || name == QLatin1String("C") || name == QLatin1String("POSIX"))
            collation = QStringLiteral("BINARY");
        else if (name.compare(QLatin1String("italian"), Qt::CaseInsensitive) == 0)
            collation = QStringLiteral("ITALIAN");
    }
    PQclear(result);
    return collation;
}

QString TPgEngine::QuoteName(const QString& name) const
{
    return QuoteIdentifier(CatalogName(name));
}

QString TPgEngine::ReturningKeySql(const QString& keyColumn) const
{
    return QStringLiteral(" RETURNING ") + QuoteIdentifier(keyColumn);
}

std::optional<qint64> TPgEngine::LastInsertKey(TDbStatement& insert)
{
    if (insert.ColumnCount() < 1)
        return std::nullopt;
    const QVariant key = insert.Value(0);
    if (key.isNull())
        return std::nullopt;
    return key.toLongLong();
}

QString TPgEngine::InsertedRowWhere(const std::optional<TDbTableKey>& key) const
{
    if (!key || key->generated.isEmpty())
        return QString();
    return QStringLiteral(" WHERE ") + QuoteIdentifier(key->generated) + QStringLiteral(" = ?");
}
