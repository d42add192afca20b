#include "DatabaseFile.h"

#include "ServerSchema.h"
#include "ExampleQuestionnaire.h"

#include "Database.h"
#include "Exception.h"
#include "MaintenanceMessages.h"
#include "NyConnection.h"
#include "NyTransaction.h"
#include "SafeFile.h"
#include "SchemaSql.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

QString DefaultConnectionTemplate()
{
    return QStringLiteral("Provider=SQLCipher;Data Source=%DATASOURCE%;Password=%PASSWORD%");
}

QString DatabaseSchemaSql()
{
    return QString::fromUtf8(kSchemaSql);
}

void CreateDatabaseFile(const QString& path, const std::function<void(const QString&)>& complete)
{
    if (QFileInfo::exists(path))
        throw Exception(QStringLiteral("%1: the file already exists.").arg(path));

    // The database is built under a temporary name and renamed only when
    // complete, so a failure never leaves a half-made database at the path.
    // The temporary file is new (no other file is overwritten) and readable
    // by its owner only from the start.
    QString building;
    {
        QTemporaryFile file(path + QStringLiteral(".XXXXXX"));
        file.setAutoRemove(false);
        if (!file.open())
            throw Exception(QStringLiteral("%1: %2").arg(path, file.errorString()));
        building = file.fileName();
        file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    }
    try {
        TNyConnection connection;
        // Not through the template: a path holding "%PASSWORD%", ';' or '"'
        // must still name this file.
        const QString connectionString = QStringLiteral("Provider=SQLCipher;Data Source=%1;Password=%2;Mode=Create")
                                              .arg(QuoteConnectionValue(building),
                                                   QuoteConnectionValue(TDatabase::Password()));
        connection.Open(connectionString);
        TNyTransaction transaction(connection);
        connection.Execute(DatabaseSchemaSql());
        transaction.Commit();
        connection.Close();
        if (complete)
            complete(building);
    } catch (const Exception&) {
        QFile::remove(building);
        throw;
    }
    if (!QFile::rename(building, path)) {
        QFile::remove(building);
        throw Exception(QStringLiteral("%1: the file cannot be created.").arg(path));
    }
}

void OpenDatabaseFile(const QString& path, TDatabase::TOpenFor purpose)
{
    TDatabase* database = TDatabase::GetInstance();
    database->SetConnectionTemplate(DefaultConnectionTemplate());
    database->Open(path, purpose);
}

void CreateSettingsFile(const QString& path)
{
    if (QFileInfo::exists(path))
        throw Exception(QStringLiteral("%1: the file already exists.").arg(path));
    const QByteArray text = QStringLiteral("[DATABASE]\nConnectionString=%1\n\n[TABLES]\nAutoAdvancing=1\n")
                                .arg(DefaultConnectionTemplate())
                                .toUtf8();
    const QString failure = WriteFileSafely(path, text);
    if (!failure.isEmpty())
        throw EFileError(QStringLiteral("%1: %2").arg(path, failure));
}

void CreateDatabaseWithQuestionnaire(const QString& path, const QString& questionFile)
{
    CreateDatabaseFile(path, [&questionFile](const QString& building) {
        TDatabase* database = TDatabase::GetInstance();
        // A new database has the built-in password, whatever was opened before.
        database->SetPassword(QString());
        OpenDatabaseFile(building);
        try {
            database->ImportLegacyQuestions(questionFile);
            SetExamplePhaseAgeRanges(*database);
        } catch (const Exception& e) {
            database->Close();
            throw Exception(ImportFailedText() + e.Message());
        }
        database->Close();
    });
}

void CreateServerDatabase(const QString& connectionString, const QString& questionFile)
{
    {
        TNyConnection connection;
        connection.Open(connectionString);
        CreateServerSchema(connection);
    }
    if (questionFile.isEmpty())
        return;
    TDatabase* database = TDatabase::GetInstance();
    database->SetConnectionTemplate(connectionString);
    database->Open(QString());
    try {
        database->ImportLegacyQuestions(questionFile);
        SetExamplePhaseAgeRanges(*database);
    } catch (const Exception& e) {
        database->Close();
        throw Exception(ImportFailedText() + e.Message()
                        + QStringLiteral("\r\nLe tabelle sono state create senza il questionario."));
    }
    database->Close();
}
