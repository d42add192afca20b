#include "DatabaseFile.h"

#include "Database.h"
#include "Exception.h"
#include "NyConnection.h"
#include "NyTransaction.h"
#include "SchemaSql.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

QString DefaultConnectionTemplate()
{
    return QStringLiteral("Provider=SQLCipher;Data Source=%DATASOURCE%;Password=%PASSWORD%");
}

QString DatabaseSchemaSql()
{
    return QString::fromUtf8(kSchemaSql);
}

void CreateDatabaseFile(const QString& path)
{
    if (QFileInfo::exists(path))
        throw Exception(QStringLiteral("%1: the file already exists.").arg(path));

    // The database is built under a temporary name and renamed only when
    // complete, so a failure never leaves a half-made database at the path.
    const QString building = path + QStringLiteral(".creating");
    QFile::remove(building);
    {
        QFile file(building);
        if (!file.open(QIODevice::WriteOnly))
            throw Exception(QStringLiteral("%1: %2").arg(building, file.errorString()));
        file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    }
    try {
        TNyConnection connection;
        const QString connectionString = TDatabase::BuildConnectionString(
            DefaultConnectionTemplate() + QStringLiteral(";Mode=Create"), building, TDatabase::Password());
        connection.Open(connectionString);
        TNyTransaction transaction(connection);
        connection.Execute(DatabaseSchemaSql());
        transaction.Commit();
        connection.Close();
    } catch (const Exception&) {
        QFile::remove(building);
        throw;
    }
    if (!QFile::rename(building, path)) {
        QFile::remove(building);
        throw Exception(QStringLiteral("%1: the file cannot be created.").arg(path));
    }
}

void OpenDatabaseFile(const QString& path)
{
    TDatabase* database = TDatabase::GetInstance();
    database->SetConnectionTemplate(DefaultConnectionTemplate());
    database->Open(path);
}

void CreateSettingsFile(const QString& path)
{
    if (QFileInfo::exists(path))
        throw Exception(QStringLiteral("%1: the file already exists.").arg(path));
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        throw EFileError(QStringLiteral("%1: %2").arg(path, file.errorString()));
    const QByteArray text = QStringLiteral("[DATABASE]\nConnectionString=%1\n\n[TABLES]\nAutoAdvancing=1\n")
                                .arg(DefaultConnectionTemplate())
                                .toUtf8();
    file.write(text);
    if (!file.commit())
        throw EFileError(QStringLiteral("%1: %2").arg(path, file.errorString()));
}
