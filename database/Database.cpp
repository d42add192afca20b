#include "Database.h"

#include "DatabaseLock.h"
#include "Exception.h"
#include "IniFile.h"
#include "SchemaVersion.h"

#include <QFileInfo>

namespace {

TDatabase* instance = nullptr;

} // namespace

TDatabase* TDatabase::GetInstance()
{
    if (!instance)
        instance = new TDatabase();
    return instance;
}

void TDatabase::ReleaseInstance()
{
    if (!instance)
        return;
    if (instance->connected_)
        instance->Close();
    delete instance;
    instance = nullptr;
}

TDatabase::TDatabase() = default;

TDatabase::~TDatabase() = default;

QString TDatabase::Password()
{
    return QStringLiteral("plumtrek");
}

void TDatabase::ReadConnectionString(const TIniFile& settings)
{
    connectionTemplate_ = settings.ReadString(QStringLiteral("DATABASE"), QStringLiteral("ConnectionString"), QString());
}

QString TDatabase::BuildConnectionString(const QString& connectionTemplate, const QString& path, const QString& password)
{
    // One pass over the template: a replaced value is never searched for
    // placeholders again, so a folder named "%PASSWORD%" stays as it is.
    // Each value is quoted as the connection reads quoted values, so a ';',
    // '=' or '"' in a folder name cannot end the value or add a setting;
    // where the template already quotes the placeholder only the quotes in
    // the value are doubled.
    static const QString DataSource = QStringLiteral("%DATASOURCE%");
    static const QString PasswordMark = QStringLiteral("%PASSWORD%");
    QString text;
    bool quoted = false;
    for (qsizetype i = 0; i < connectionTemplate.size();) {
        const QStringView rest = QStringView(connectionTemplate).sliced(i);
        const QString* value = nullptr;
        qsizetype length = 0;
        if (rest.startsWith(DataSource, Qt::CaseSensitive)) {
            value = &path;
            length = DataSource.size();
        } else if (rest.startsWith(PasswordMark, Qt::CaseSensitive)) {
            value = &password;
            length = PasswordMark.size();
        }
        if (value) {
            if (quoted)
                text += QString(*value).replace(QLatin1Char('"'), QLatin1String("\"\""));
            else
                text += QuoteConnectionValue(*value);
            i += length;
            continue;
        }
        if (rest.front() == QLatin1Char('"'))
            quoted = !quoted;
        text += rest.front();
        ++i;
    }
    return text;
}

bool TDatabase::IsServerConnection(const QString& connectionTemplate)
{
    return ParseConnectionString(connectionTemplate).provider.compare(QLatin1String("PostgreSQL"), Qt::CaseInsensitive)
        == 0;
}

bool TDatabase::Open(const QString& path, TOpenFor purpose)
{
    if (UsesServer()) {
        if (connected_)
            Close();
        try {
            connection_.Open(connectionTemplate_);
            BringSchemaUpToDate(connection_, QString(), purpose == TOpenFor::Writing);
        } catch (const Exception&) {
            connection_.Close();
            throw;
        }
        connected_ = true;
        return true;
    }

    const QString realPath = RealDatabasePath(path);
    // A folder is no database file either. A compaction cut short before
    // this version may have left the file only under its working names.
    if (!QFileInfo(path).isFile() && !HasCompactionLeftovers(realPath))
        throw Exception(QStringLiteral("File not found."));
    if (connected_)
        Close();

    auto lock = std::make_unique<TDatabaseLock>(realPath);
    const TDatabaseLock::TResult held = lock->Acquire();
    if (held == TDatabaseLock::TResult::HeldElsewhere && purpose == TOpenFor::Writing)
        throw Exception(DatabaseInUseText(path, lock->LockFilePath()));
    // Only the holder of the lock may touch the files: another program may
    // be compacting right now.
    if (held == TDatabaseLock::TResult::Owned) {
        const QString note = RecoverInterruptedCompaction(realPath);
        if (!note.isEmpty())
            recoveryNote_ = note;
    }
    if (purpose == TOpenFor::Reading)
        lock.reset();
    if (!QFileInfo(path).isFile())
        throw Exception(QStringLiteral("File not found."));

    fileName_ = path;
    try {
        connection_.Open(BuildConnectionString(connectionTemplate_, path, password_));
        // Only the holder of the lock may upgrade; a newer database is
        // refused whoever opens it.
        BringSchemaUpToDate(connection_, realPath, purpose == TOpenFor::Writing);
    } catch (const Exception&) {
        // FileName names the open file only: nothing is open now.
        connection_.Close();
        fileName_.clear();
        throw;
    }
    lock_ = std::move(lock);
    connected_ = true;
    return true;
}

QString TDatabase::TakeRecoveryNote()
{
    QString note;
    note.swap(recoveryNote_);
    return note;
}

bool TDatabase::Close()
{
    connected_ = false;
    fileName_.clear();
    connection_.Close();
    lock_.reset();
    return true;
}

std::unique_ptr<TNyRecordset> TDatabase::OpenRecordset(const QString& sql)
{
    auto recordset = std::make_unique<TNyRecordset>(connection_);
    recordset->Open(sql);
    return recordset;
}

int TDatabase::Execute(const QString& sql)
{
    return connection_.Execute(sql);
}

QString TDatabase::Lookup(const QString& sql, const QString& column)
{
    try {
        auto recordset = OpenRecordset(sql);
        if (recordset->Eof())
            return QString();
        return recordset->GetFieldAsString(column);
    } catch (const Exception&) {
        return QString();
    }
}
