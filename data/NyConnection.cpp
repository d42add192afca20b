#include "NyConnection.h"

#include "Exception.h"
#include "NameText.h"
#include "SqlText.h"

#include <QRegularExpression>
#include <sqlcipher/sqlite3.h>

namespace {

QString Unquote(const QString& value)
{
    const QString trimmed = value.trimmed();
    if (trimmed.size() >= 2 && trimmed.startsWith(QLatin1Char('"')) && trimmed.endsWith(QLatin1Char('"'))) {
        QString inner = trimmed.mid(1, trimmed.size() - 2);
        inner.replace(QLatin1String("\"\""), QLatin1String("\""));
        return inner;
    }
    return trimmed;
}

// Splits at ';' outside double quotes, so a quoted path may contain one.
QStringList SplitPairs(const QString& text)
{
    QStringList pairs;
    QString current;
    bool quoted = false;
    for (const QChar c : text) {
        if (c == QLatin1Char('"'))
            quoted = !quoted;
        if (c == QLatin1Char(';') && !quoted) {
            pairs << current;
            current.clear();
        } else {
            current += c;
        }
    }
    pairs << current;
    return pairs;
}

} // namespace

TConnectionSettings ParseConnectionString(const QString& text)
{
    TConnectionSettings settings;
    for (const QString& pair : SplitPairs(text)) {
        const int eq = pair.indexOf(QLatin1Char('='));
        if (eq < 0)
            continue;
        const QString key = pair.left(eq).trimmed().toLower();
        const QString value = Unquote(pair.mid(eq + 1));
        if (key == QLatin1String("provider")) {
            settings.provider = value;
        } else if (key == QLatin1String("data source")) {
            settings.dataSource = value;
            settings.hasDataSource = !value.isEmpty();
        } else if (key == QLatin1String("password")) {
            settings.password = value;
        } else if (key == QLatin1String("mode")) {
            settings.create = value.compare(QLatin1String("Create"), Qt::CaseInsensitive) == 0;
        }
    }
    return settings;
}

QString QuoteConnectionValue(const QString& value)
{
    QString quoted = value;
    quoted.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

TNyConnection::TNyConnection() = default;

TNyConnection::~TNyConnection()
{
    Close();
}

void TNyConnection::AddEngineError()
{
    if (db_)
        errors_ << QString::fromUtf8(sqlite3_errmsg(db_));
}

void TNyConnection::Open(const QString& connectionString)
{
    if (db_) {
        // Refused without touching the connection that is open.
        errors_ << QStringLiteral("The connection is already open.");
        ThrowAdoError(QStringLiteral("TNyConnection::Open"), *this);
    }
    keyRefused_ = false;
    try {
        OpenDatabase(connectionString);
    } catch (const Exception&) {
        Close();
        const QString message = TakeAdoErrorMessage(QStringLiteral("TNyConnection::Open"), *this);
        if (keyRefused_)
            throw EKeyRefused(message);
        throw Exception(message);
    }
}

void TNyConnection::OpenDatabase(const QString& connectionString)
{
    // Every failure below has put its description in errors_ before throwing;
    // Open turns it into the data-access exception.
    auto fail = [this](const QString& description) {
        errors_ << description;
        throw Exception(description);
    };
    auto failFromEngine = [this]() {
        AddEngineError();
        throw Exception(QString());
    };

    const TConnectionSettings settings = ParseConnectionString(connectionString);
    if (settings.provider.isEmpty())
        fail(QStringLiteral("No provider is named in the connection string."));
    if (settings.provider.compare(QLatin1String("SQLCipher"), Qt::CaseInsensitive) != 0)
        fail(QStringLiteral("Provider cannot be found: '%1'.").arg(settings.provider));
    if (!settings.hasDataSource)
        fail(QStringLiteral("No data source is named in the connection string."));

    int flags = SQLITE_OPEN_READWRITE;
    if (settings.create)
        flags |= SQLITE_OPEN_CREATE;
    const QByteArray path = settings.dataSource.toUtf8();
    if (sqlite3_open_v2(path.constData(), &db_, flags, nullptr) != SQLITE_OK) {
        if (!db_)
            fail(QStringLiteral("Out of memory."));
        failFromEngine();
    }
    sqlite3_extended_result_codes(db_, 1);
    // Before the first read: another program writing at this moment must
    // make the opening wait, not fail.
    sqlite3_busy_timeout(db_, busyTimeoutMs_);
    if (!RegisterNameOrder(db_))
        failFromEngine();

    if (!settings.password.isEmpty()) {
        const QByteArray keySql = (QStringLiteral("PRAGMA key = '") + SQLQuote(settings.password) + QStringLiteral("'")).toUtf8();
        if (sqlite3_exec(db_, keySql.constData(), nullptr, nullptr, nullptr) != SQLITE_OK)
            failFromEngine();
    }

    // Reading the schema is the first access that needs the key: a wrong
    // password or a file that is not a database fails here, not later.
    sqlite3_stmt* stmt = nullptr;
    // The first page that does not decrypt fails as "not a database":
    // another key may open the file.
    auto refusedKey = [this]() { return (sqlite3_extended_errcode(db_) & 0xff) == SQLITE_NOTADB; };
    if (sqlite3_prepare_v2(db_, "SELECT COUNT(*) FROM sqlite_master", -1, &stmt, nullptr) != SQLITE_OK) {
        keyRefused_ = refusedKey();
        failFromEngine();
    }
    const int rc = sqlite3_step(stmt);
    const int objects = rc == SQLITE_ROW ? sqlite3_column_int(stmt, 0) : 0;
    sqlite3_finalize(stmt);
    if (rc != SQLITE_ROW) {
        keyRefused_ = refusedKey();
        failFromEngine();
    }
    // An empty file reads as an empty database; it holds no data of ours and
    // must not be taken for the program's database (nor written into).
    if (objects == 0 && !settings.create)
        fail(QStringLiteral("file is not a database"));

    if (sqlite3_exec(db_, "PRAGMA foreign_keys = ON", nullptr, nullptr, nullptr) != SQLITE_OK)
        failFromEngine();
}

int TNyConnection::Execute(const QString& sql)
{
    if (!db_) {
        errors_ << QStringLiteral("The connection is not open.");
        ThrowAdoError(QStringLiteral("TNyConnection::Execute"), *this);
    }
    const QByteArray text = TranslateSql(sql).toUtf8();
    const char* tail = text.constData();
    const char* const end = text.constData() + text.size();
    int affected = 0;
    while (tail < end) {
        sqlite3_stmt* stmt = nullptr;
        if (sqlite3_prepare_v2(db_, tail, static_cast<int>(end - tail), &stmt, &tail) != SQLITE_OK) {
            AddEngineError();
            ThrowAdoError(QStringLiteral("TNyConnection::Execute"), *this);
        }
        if (!stmt)
            continue; // only blanks or a comment were left
        // The engine keeps the count of the last INSERT, UPDATE or DELETE
        // through later statements of other kinds; those changed no row.
        const int totalBefore = sqlite3_total_changes(db_);
        int rc;
        while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
        }
        if (rc != SQLITE_DONE) {
            AddEngineError();
            sqlite3_finalize(stmt);
            ThrowAdoError(QStringLiteral("TNyConnection::Execute"), *this);
        }
        sqlite3_finalize(stmt);
        affected = sqlite3_total_changes(db_) != totalBefore ? sqlite3_changes(db_) : 0;
    }
    return affected;
}

void TNyConnection::Close()
{
    if (!db_)
        return;
    // An open transaction is rolled back by the engine when the file closes.
    sqlite3_close_v2(db_);
    db_ = nullptr;
    transactionLevel_ = 0;
}

void TNyConnection::SetBusyTimeout(int milliseconds)
{
    busyTimeoutMs_ = milliseconds;
    if (db_)
        sqlite3_busy_timeout(db_, busyTimeoutMs_);
}

int TNyConnection::TransactionLevel() const
{
    // The engine ends a transaction by itself after some failures (disk
    // full, I/O error); no level is left open then.
    return db_ && !sqlite3_get_autocommit(db_) ? transactionLevel_ : 0;
}

bool TNyConnection::EndEngineTransaction()
{
    // A plain ROLLBACK needs no lock and ends every savepoint at once.
    bool ended = true;
    if (db_ && !sqlite3_get_autocommit(db_) && sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr) != SQLITE_OK) {
        AddEngineError();
        ended = false;
    }
    transactionLevel_ = TransactionLevel();
    return ended;
}

int TNyConnection::BeginTrans()
{
    const QString operation = QStringLiteral("TNyConnection::BeginTrans");
    if (!db_) {
        errors_ << QStringLiteral("The connection is not open.");
        ThrowAdoError(operation, *this);
    }
    transactionLevel_ = TransactionLevel();
    const QByteArray sql = QStringLiteral("SAVEPOINT nyado_%1").arg(transactionLevel_ + 1).toUtf8();
    if (sqlite3_exec(db_, sql.constData(), nullptr, nullptr, nullptr) != SQLITE_OK) {
        AddEngineError();
        ThrowAdoError(operation, *this);
    }
    return ++transactionLevel_;
}

void TNyConnection::CommitTrans()
{
    const QString operation = QStringLiteral("TNyConnection::CommitTrans");
    if (!db_ || transactionLevel_ == 0) {
        errors_ << QStringLiteral("No transaction is active.");
        ThrowAdoError(operation, *this);
    }
    const QByteArray sql = QStringLiteral("RELEASE SAVEPOINT nyado_%1").arg(transactionLevel_).toUtf8();
    if (sqlite3_exec(db_, sql.constData(), nullptr, nullptr, nullptr) != SQLITE_OK) {
        AddEngineError();
        // The outermost release is the commit to the file. When it fails
        // (file locked by a reader, disk full) the engine keeps the
        // transaction open and would take every later change into it, to be
        // lost at close: end it here. An inner level stays for its caller to
        // roll back.
        if (transactionLevel_ == 1)
            EndEngineTransaction();
        else
            transactionLevel_ = TransactionLevel();
        ThrowAdoError(operation, *this);
    }
    --transactionLevel_;
}

void TNyConnection::RollbackTrans()
{
    const QString operation = QStringLiteral("TNyConnection::RollbackTrans");
    if (!db_ || transactionLevel_ == 0) {
        errors_ << QStringLiteral("No transaction is active.");
        ThrowAdoError(operation, *this);
    }
    if (sqlite3_get_autocommit(db_)) {
        // The engine already rolled the whole transaction back after a
        // severe error (disk full, I/O error): nothing is left to undo.
        transactionLevel_ = 0;
        return;
    }
    if (transactionLevel_ == 1) {
        // Releasing the outermost savepoint would be a commit, which a lock
        // held by another program can refuse; ROLLBACK is not.
        if (!EndEngineTransaction())
            ThrowAdoError(operation, *this);
        return;
    }
    const QByteArray sql = QStringLiteral("ROLLBACK TO SAVEPOINT nyado_%1; RELEASE SAVEPOINT nyado_%1")
                               .arg(transactionLevel_)
                               .toUtf8();
    if (sqlite3_exec(db_, sql.constData(), nullptr, nullptr, nullptr) != SQLITE_OK) {
        AddEngineError();
        // The level cannot be undone alone: undo the whole transaction
        // rather than leave the engine inside one nobody will end.
        EndEngineTransaction();
        ThrowAdoError(operation, *this);
    }
    --transactionLevel_;
}

QString TakeAdoErrorMessage(const QString& operation, TNyConnection& connection)
{
    QString message = QStringLiteral("NYADO exception: ");
    message += operation;
    QStringList& errors = connection.Errors();
    if (!errors.isEmpty())
        message += QStringLiteral(": ") + errors.join(QStringLiteral("; "));
    errors.clear();
    return message;
}

void ThrowAdoError(const QString& operation, TNyConnection& connection)
{
    throw Exception(TakeAdoErrorMessage(operation, connection));
}

QString TranslateSql(const QString& sql)
{
    static const QRegularExpression deleteStar(QStringLiteral("^(\\s*DELETE)\\s+\\*\\s+(FROM\\b)"),
                                                QRegularExpression::CaseInsensitiveOption);
    QString translated = sql;
    translated.replace(deleteStar, QStringLiteral("\\1 \\2"));
    return translated;
}
