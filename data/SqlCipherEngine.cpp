#include "SqlCipherEngine.h"

#include "ConnectionString.h"
#include "NameText.h"
#include "SqlText.h"

#include <openssl/crypto.h>
#include <sqlcipher/sqlite3.h>

#include <atomic>

namespace {

// SQLCipher takes its cipher from OpenSSL, which at its first use would also
// load the texts of all its error messages and the system's OpenSSL
// configuration: 0.7 MB kept for the rest of the run. The program needs
// neither: a wrong password or a damaged file is told by SQLCipher's result
// codes, in the program's own words, and the file's cipher, key derivation
// and checks are fixed by the file format, whatever the system's policy
// (OpenSSL's own default algorithms serve them). Done once, before the
// first connection.
void PrepareCipherLibrary()
{
    static const bool done = OPENSSL_init_crypto(OPENSSL_INIT_NO_LOAD_CRYPTO_STRINGS | OPENSSL_INIT_NO_LOAD_CONFIG, nullptr) == 1;
    (void)done;
}

QString QuoteIdentifier(const QString& name)
{
    QString quoted = name;
    quoted.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

QString Utf8(const char* text)
{
    return text ? QString::fromUtf8(text) : QString();
}

class TSqliteStatement : public TDbStatement {
public:
    TSqliteStatement(sqlite3* db, sqlite3_stmt* statement, std::shared_ptr<qint64> writes)
        : db_(db)
        , statement_(statement)
        , writes_(sqlite3_stmt_readonly(statement) ? nullptr : std::move(writes))
    {
    }
    ~TSqliteStatement() override { sqlite3_finalize(statement_); }

    int ParameterCount() const override { return sqlite3_bind_parameter_count(statement_); }

    void Bind(int index, const QVariant& value) override
    {
        if (value.isNull() || !value.isValid()) {
            sqlite3_bind_null(statement_, index);
            return;
        }
        switch (value.typeId()) {
        case QMetaType::LongLong:
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::ULongLong:
        case QMetaType::Bool:
            sqlite3_bind_int64(statement_, index, value.toLongLong());
            return;
        case QMetaType::Double:
            sqlite3_bind_double(statement_, index, value.toDouble());
            return;
        case QMetaType::QByteArray: {
            const QByteArray data = value.toByteArray();
            sqlite3_bind_blob(statement_, index, data.constData(), static_cast<int>(data.size()), SQLITE_TRANSIENT);
            return;
        }
        default: {
            const QByteArray text = value.toString().toUtf8();
            sqlite3_bind_text(statement_, index, text.constData(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
            return;
        }
        }
    }

    void ClearBindings() override { sqlite3_clear_bindings(statement_); }

    TStep Step() override
    {
        if (!started_) {
            started_ = true;
            totalBefore_ = sqlite3_total_changes(db_);
            if (writes_)
                ++*writes_;
        }
        const int rc = sqlite3_step(statement_);
        if (rc == SQLITE_ROW)
            return TStep::Row;
        if (rc != SQLITE_DONE)
            return TStep::Failed;
        // The engine keeps the count of the last INSERT, UPDATE or DELETE
        // through later statements of other kinds; those changed no row.
        changes_ = sqlite3_total_changes(db_) != totalBefore_ ? sqlite3_changes(db_) : 0;
        return TStep::Done;
    }

    void Reset() override
    {
        sqlite3_reset(statement_);
        started_ = false;
    }

    int ColumnCount() const override { return sqlite3_column_count(statement_); }

    TDbColumn Column(int index) override
    {
        TDbColumn column;
        column.name = Utf8(sqlite3_column_name(statement_, index));
        column.engineName = column.name;
        column.table = Utf8(sqlite3_column_table_name(statement_, index));
        column.origin = Utf8(sqlite3_column_origin_name(statement_, index));
        column.declType = Utf8(sqlite3_column_decltype(statement_, index));
        return column;
    }

    TKind Kind(int column) const override
    {
        switch (sqlite3_column_type(statement_, column)) {
        case SQLITE_INTEGER:
            return TKind::Integer;
        case SQLITE_FLOAT:
            return TKind::Real;
        case SQLITE_TEXT:
            return TKind::Text;
        case SQLITE_BLOB:
            return TKind::Blob;
        default:
            return TKind::Null;
        }
    }

    qlonglong IntegerValue(int column) const override { return sqlite3_column_int64(statement_, column); }

    double RealValue(int column) const override { return sqlite3_column_double(statement_, column); }

    QByteArrayView TextBytes(int column) const override
    {
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement_, column));
        return QByteArrayView(text, sqlite3_column_bytes(statement_, column));
    }

    QByteArray BlobValue(int column) const override
    {
        const auto* data = static_cast<const char*>(sqlite3_column_blob(statement_, column));
        return QByteArray(data, sqlite3_column_bytes(statement_, column));
    }

    int Changes() const override { return changes_; }

private:
    sqlite3* db_;
    sqlite3_stmt* statement_;
    std::shared_ptr<qint64> writes_; // none for a statement that only reads
    bool started_ = false;
    int totalBefore_ = 0;
    int changes_ = 0;
};

} // namespace

std::unique_ptr<TSqlCipherEngine> TSqlCipherEngine::Open(const TConnectionSettings& settings, int busyTimeoutMs,
                                                          QString& error, bool& keyRefused)
{
    keyRefused = false;
    sqlite3* db = nullptr;
    auto fail = [&](const QString& description) {
        error = description;
        sqlite3_close_v2(db);
        return nullptr;
    };
    auto failFromEngine = [&]() { return fail(Utf8(sqlite3_errmsg(db))); };

    int flags = SQLITE_OPEN_READWRITE;
    if (settings.create)
        flags |= SQLITE_OPEN_CREATE;
    const QByteArray path = settings.dataSource.toUtf8();
    PrepareCipherLibrary();
    if (sqlite3_open_v2(path.constData(), &db, flags, nullptr) != SQLITE_OK) {
        if (!db)
            return fail(QStringLiteral("Out of memory."));
        return failFromEngine();
    }
    sqlite3_extended_result_codes(db, 1);
    // Before the first read: another program writing at this moment must
    // make the opening wait, not fail.
    sqlite3_busy_timeout(db, busyTimeoutMs);
    if (!RegisterNameOrder(db))
        return failFromEngine();

    if (!settings.password.isEmpty()) {
        const QByteArray keySql = (QStringLiteral("PRAGMA key = '") + SQLQuote(settings.password) + QStringLiteral("'")).toUtf8();
        if (sqlite3_exec(db, keySql.constData(), nullptr, nullptr, nullptr) != SQLITE_OK)
            return failFromEngine();
    }

    // Reading the schema is the first access that needs the key: a wrong
    // password or a file that is not a database fails here, not later.
    sqlite3_stmt* stmt = nullptr;
    // The first page that does not decrypt fails as "not a database":
    // another key may open the file.
    auto refusedKey = [db]() { return (sqlite3_extended_errcode(db) & 0xff) == SQLITE_NOTADB; };
    if (sqlite3_prepare_v2(db, "SELECT COUNT(*) FROM sqlite_master", -1, &stmt, nullptr) != SQLITE_OK) {
        keyRefused = refusedKey();
        return failFromEngine();
    }
    const int rc = sqlite3_step(stmt);
    const int objects = rc == SQLITE_ROW ? sqlite3_column_int(stmt, 0) : 0;
    sqlite3_finalize(stmt);
    if (rc != SQLITE_ROW) {
        keyRefused = refusedKey();
        return failFromEngine();
    }
    // An empty file reads as an empty database; it holds no data of ours and
    // must not be taken for the program's database (nor written into).
    if (objects == 0 && !settings.create)
        return fail(QStringLiteral("file is not a database"));

    if (sqlite3_exec(db, "PRAGMA foreign_keys = ON", nullptr, nullptr, nullptr) != SQLITE_OK)
        return failFromEngine();
    return std::unique_ptr<TSqlCipherEngine>(new TSqlCipherEngine(db));
}

TSqlCipherEngine::TSqlCipherEngine(sqlite3* db)
    : db_(db)
    , writes_(std::make_shared<qint64>(0))
{
    static std::atomic<quint64> openings{0};
    serial_ = ++openings;
}

TSqlCipherEngine::~TSqlCipherEngine()
{
    sqlite3_finalize(dataVersion_);
    // An open transaction is rolled back by the engine when the file closes.
    sqlite3_close_v2(db_);
}

QString TSqlCipherEngine::ErrorText() const
{
    return Utf8(sqlite3_errmsg(db_));
}

std::unique_ptr<TDbStatement> TSqlCipherEngine::Prepare(const QString& sql, bool& ok, QString* rest)
{
    const QByteArray text = sql.toUtf8();
    const char* tail = nullptr;
    sqlite3_stmt* statement = nullptr;
    ok = sqlite3_prepare_v2(db_, text.constData(), static_cast<int>(text.size()), &statement, &tail) == SQLITE_OK;
    if (rest)
        *rest = ok && tail ? QString::fromUtf8(tail, text.constData() + text.size() - tail) : QString();
    if (!ok || !statement) {
        sqlite3_finalize(statement);
        return nullptr;
    }
    return std::make_unique<TSqliteStatement>(db_, statement, writes_);
}

bool TSqlCipherEngine::Run(const QString& sql)
{
    // Transaction control: a rollback takes back what was read as written.
    ++*writes_;
    return sqlite3_exec(db_, sql.toUtf8().constData(), nullptr, nullptr, nullptr) == SQLITE_OK;
}

std::optional<TDataMark> TSqlCipherEngine::DataMark()
{
    if (!dataVersion_ && sqlite3_prepare_v2(db_, "PRAGMA data_version", -1, &dataVersion_, nullptr) != SQLITE_OK) {
        sqlite3_finalize(dataVersion_);
        dataVersion_ = nullptr;
        return std::nullopt;
    }
    const int rc = sqlite3_step(dataVersion_);
    const qint64 version = rc == SQLITE_ROW ? sqlite3_column_int64(dataVersion_, 0) : 0;
    sqlite3_reset(dataVersion_);
    if (rc != SQLITE_ROW)
        return std::nullopt;
    TDataMark mark;
    mark.connection = serial_;
    mark.othersVersion = version;
    mark.ownStatements = *writes_;
    // Rows written through the raw handle (sqlite3_exec on Handle()) pass
    // by no statement of this engine; the engine counts them.
    mark.ownRows = sqlite3_total_changes(db_);
    return mark;
}

bool TSqlCipherEngine::InTransaction() const
{
    return !sqlite3_get_autocommit(db_);
}

QString TSqlCipherEngine::BeginSql(int level) const
{
    return QStringLiteral("SAVEPOINT nyado_%1").arg(level);
}

QString TSqlCipherEngine::CommitSql(int level) const
{
    return QStringLiteral("RELEASE SAVEPOINT nyado_%1").arg(level);
}

void TSqlCipherEngine::SetBusyTimeout(int milliseconds)
{
    sqlite3_busy_timeout(db_, milliseconds);
}

std::optional<TDbTableKey> TSqlCipherEngine::TableKey(const QString& table)
{
    TDbTableKey key;
    QString integerKey;
    sqlite3_stmt* stmt = nullptr;
    const QByteArray pragma = (QStringLiteral("PRAGMA table_info(") + QuoteIdentifier(table) + QLatin1Char(')')).toUtf8();
    if (sqlite3_prepare_v2(db_, pragma.constData(), -1, &stmt, nullptr) != SQLITE_OK)
        return std::nullopt;
    while (sqlite3_step(stmt) == SQLITE_ROW) {
        const QString name = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 1)));
        const QString type = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 2)));
        if (sqlite3_column_int(stmt, 5) > 0) {
            key.columns.push_back(name);
            if (type.compare(QLatin1String("INTEGER"), Qt::CaseInsensitive) == 0)
                integerKey = name;
        }
    }
    sqlite3_finalize(stmt);
    if (key.columns.size() == 1)
        key.generated = integerKey;
    return key;
}

QString TSqlCipherEngine::ColumnCollation(const QString& table, const QString& column)
{
    const char* sequence = nullptr;
    if (sqlite3_table_column_metadata(db_, nullptr, table.toUtf8().constData(), column.toUtf8().constData(), nullptr,
                                      &sequence, nullptr, nullptr, nullptr)
        != SQLITE_OK)
        return QString();
    return sequence ? QString::fromUtf8(sequence) : QStringLiteral("BINARY");
}

QString TSqlCipherEngine::QuoteName(const QString& name) const
{
    return QuoteIdentifier(name);
}

std::optional<qint64> TSqlCipherEngine::LastInsertKey(TDbStatement&)
{
    return sqlite3_last_insert_rowid(db_);
}

QString TSqlCipherEngine::InsertedRowWhere(const std::optional<TDbTableKey>&) const
{
    return QStringLiteral(" WHERE rowid = ?");
}
