#include "NyConnection.h"

#include "Exception.h"
#include "PgEngineModule.h"
#include "SqlCipherEngine.h"


TNyConnection::TNyConnection() = default;

TNyConnection::~TNyConnection()
{
    Close();
}

void TNyConnection::AddEngineError()
{
    if (engine_)
        errors_ << engine_->ErrorText();
}

sqlite3* TNyConnection::Handle() const
{
    if (engine_ && engine_->Provider() == TDbEngine::TProvider::SQLCipher)
        return static_cast<TSqlCipherEngine*>(engine_.get())->Handle();
    return nullptr;
}

pg_conn* TNyConnection::ServerHandle() const
{
    return engine_ ? engine_->ServerHandle() : nullptr;
}

void TNyConnection::Open(const QString& connectionString)
{
    if (engine_) {
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

    const TConnectionSettings settings = ParseConnectionString(connectionString);
    if (settings.provider.isEmpty())
        fail(QStringLiteral("No provider is named in the connection string."));
    QString error;
    if (settings.provider.compare(QLatin1String("PostgreSQL"), Qt::CaseInsensitive) == 0) {
        engine_ = OpenServerEngine(settings, busyTimeoutMs_, error, keyRefused_);
    } else {
        if (settings.provider.compare(QLatin1String("SQLCipher"), Qt::CaseInsensitive) != 0)
            fail(QStringLiteral("Provider cannot be found: '%1'.").arg(settings.provider));
        if (!settings.hasDataSource)
            fail(QStringLiteral("No data source is named in the connection string."));
        engine_ = TSqlCipherEngine::Open(settings, busyTimeoutMs_, error, keyRefused_);
    }
    if (!engine_)
        fail(error);
}

int TNyConnection::Execute(const QString& sql)
{
    if (!engine_) {
        errors_ << QStringLiteral("The connection is not open.");
        ThrowAdoError(QStringLiteral("TNyConnection::Execute"), *this);
    }
    QString text = TranslateSql(sql);
    int affected = 0;
    while (!text.isEmpty()) {
        bool ok = false;
        QString rest;
        const std::unique_ptr<TDbStatement> stmt = engine_->Prepare(text, ok, &rest);
        if (!ok) {
            AddEngineError();
            ThrowAdoError(QStringLiteral("TNyConnection::Execute"), *this);
        }
        text = rest;
        if (!stmt)
            continue; // only blanks or a comment were left
        TDbStatement::TStep step;
        while ((step = stmt->Step()) == TDbStatement::TStep::Row) {
        }
        if (step != TDbStatement::TStep::Done) {
            AddEngineError();
            ThrowAdoError(QStringLiteral("TNyConnection::Execute"), *this);
        }
        affected = stmt->Changes();
    }
    return affected;
}

void TNyConnection::Close()
{
    // An open transaction is rolled back by the engine when the connection
    // closes.
    engine_.reset();
    transactionLevel_ = 0;
}

void TNyConnection::SetBusyTimeout(int milliseconds)
{
    busyTimeoutMs_ = milliseconds;
    if (engine_)
        engine_->SetBusyTimeout(busyTimeoutMs_);
}

int TNyConnection::TransactionLevel() const
{
    // The engine ends a transaction by itself after some failures (disk
    // full, I/O error); no level is left open then.
    return engine_ && engine_->InTransaction() ? transactionLevel_ : 0;
}

bool TNyConnection::EndEngineTransaction()
{
    // A plain ROLLBACK needs no lock and ends every savepoint at once.
    bool ended = true;
    if (engine_ && engine_->InTransaction() && !engine_->Run(QStringLiteral("ROLLBACK"))) {
        AddEngineError();
        ended = false;
    }
    transactionLevel_ = TransactionLevel();
    return ended;
}

int TNyConnection::BeginTrans()
{
    const QString operation = QStringLiteral("TNyConnection::BeginTrans");
    if (!engine_) {
        errors_ << QStringLiteral("The connection is not open.");
        ThrowAdoError(operation, *this);
    }
    transactionLevel_ = TransactionLevel();
    if (!engine_->Run(engine_->BeginSql(transactionLevel_ + 1))) {
        AddEngineError();
        ThrowAdoError(operation, *this);
    }
    return ++transactionLevel_;
}

void TNyConnection::CommitTrans()
{
    const QString operation = QStringLiteral("TNyConnection::CommitTrans");
    if (!engine_ || transactionLevel_ == 0) {
        errors_ << QStringLiteral("No transaction is active.");
        ThrowAdoError(operation, *this);
    }
    if (!engine_->Run(engine_->CommitSql(transactionLevel_))) {
        AddEngineError();
        // The outermost release is the commit. When it fails (file locked by
        // a reader, disk full) the engine keeps the transaction open and
        // would take every later change into it, to be lost at close: end
        // it here. An inner level stays for its caller to roll back.
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
    if (!engine_ || transactionLevel_ == 0) {
        errors_ << QStringLiteral("No transaction is active.");
        ThrowAdoError(operation, *this);
    }
    if (!engine_->InTransaction()) {
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
    const QString sql = QStringLiteral("ROLLBACK TO SAVEPOINT nyado_%1; RELEASE SAVEPOINT nyado_%1").arg(transactionLevel_);
    if (!engine_->Run(sql)) {
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
    // "DELETE * FROM" (any case, any blanks, after leading blanks) becomes
    // "DELETE FROM"; nothing else changes. Read by hand: every statement
    // passes here, and a pattern engine for one prefix costs its code in
    // every run.
    const auto blank = [](QChar c) { return c == u' ' || (c >= u'\t' && c <= u'\r'); };
    const auto word = [](QChar c) {
        return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || c == u'_';
    };
    const qsizetype size = sql.size();
    qsizetype at = 0;
    while (at < size && blank(sql[at]))
        ++at;
    if (QStringView(sql).mid(at, 6).compare(QLatin1String("DELETE"), Qt::CaseInsensitive) != 0)
        return sql;
    const qsizetype deleteEnd = at + 6;
    at = deleteEnd;
    while (at < size && blank(sql[at]))
        ++at;
    if (at == deleteEnd || at >= size || sql[at] != u'*')
        return sql;
    const qsizetype star = ++at;
    while (at < size && blank(sql[at]))
        ++at;
    if (at == star || QStringView(sql).mid(at, 4).compare(QLatin1String("FROM"), Qt::CaseInsensitive) != 0
        || (at + 4 < size && word(sql[at + 4])))
        return sql;
    return sql.left(deleteEnd) + u' ' + sql.mid(at);
}
