#include "SchemaVersion.h"

#include "Exception.h"
#include "NyConnection.h"
#include "NyRecordset.h"
#include "NyTransaction.h"
#include "PlatformFiles.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

const QStringList& SchemaUpgradeSteps()
{
    static const QStringList steps = {
        // 0 to 1: the ages in months a phase is meant for, both optional.
        QStringLiteral("ALTER TABLE Phases ADD COLUMN AgeFromMonths INTEGER;"
                       "ALTER TABLE Phases ADD COLUMN AgeToMonths INTEGER;"),
        // 1 to 2: the count of each compilation's saves.
        QStringLiteral("ALTER TABLE CompiledTables ADD COLUMN ChangeCount INTEGER NOT NULL DEFAULT 0;"),
    };
    return steps;
}

int NewestSchemaVersion()
{
    return static_cast<int>(SchemaUpgradeSteps().size());
}

int SchemaVersionOf(TNyConnection& connection)
{
    // The file keeps it in its header; a server in a one-row table.
    TNyRecordset version(connection);
    if (connection.IsServer()) {
        version.Open(QStringLiteral("SELECT Version AS user_version FROM SchemaVersion"));
        if (version.RecordCount() != 1)
            throw Exception(QStringLiteral("the server database does not say which version of the data it holds."));
    } else {
        version.Open(QStringLiteral("PRAGMA user_version"));
    }
    return version.GetFieldAsInteger(QStringLiteral("user_version"));
}

namespace {

void SetSchemaVersion(TNyConnection& connection, int version)
{
    if (connection.IsServer())
        connection.Execute(QStringLiteral("UPDATE SchemaVersion SET Version = %1").arg(version));
    else
        connection.Execute(QStringLiteral("PRAGMA user_version = %1").arg(version));
}

} // namespace

QString UpgradeBackupPath(const QString& databasePath, int version, const QDate& day)
{
    const QString name = QFileInfo(databasePath).fileName();
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    const QString base = dot > 0 ? databasePath.left(databasePath.size() - (name.size() - dot)) : databasePath;
    const QString stem = base + QStringLiteral(".v%1-%2").arg(version).arg(day.toString(Qt::ISODate));
    QString path = stem + QStringLiteral(".mdbbak");
    for (int n = 2; QFileInfo::exists(path); ++n)
        path = stem + QStringLiteral("-%1.mdbbak").arg(n);
    return path;
}

namespace {

QString BackupFailedText(const QString& backupPath, const QString& reason)
{
    return QStringLiteral("impossibile scrivere la copia di sicurezza %1: %2").arg(backupPath, reason);
}

// Copies the file to backupPath as the program writes whole files: into a
// new file beside it, synced to the disk, and only then under its name, which
// no earlier file holds. Raises Exception; nothing is left behind then.
void WriteBackup(const QString& databasePath, const QString& backupPath)
{
    QFile source(databasePath);
    if (!source.open(QIODevice::ReadOnly))
        throw Exception(BackupFailedText(backupPath, source.errorString()));
    QTemporaryFile copy(backupPath + QStringLiteral(".XXXXXX"));
    if (!copy.open())
        throw Exception(BackupFailedText(backupPath, copy.errorString()));
    // The copy holds what the file holds: it is readable by whom the file is.
    copy.setPermissions(source.permissions());
    QByteArray buffer(1 << 20, Qt::Uninitialized);
    qint64 total = 0;
    for (;;) {
        const qint64 read = source.read(buffer.data(), buffer.size());
        if (read < 0)
            throw Exception(BackupFailedText(backupPath, source.errorString()));
        if (read == 0)
            break;
        if (copy.write(buffer.constData(), read) != read)
            throw Exception(BackupFailedText(backupPath, copy.errorString()));
        total += read;
    }
    if (!copy.flush() || total != source.size() || !SyncFileToDisk(copy.handle()))
        throw Exception(BackupFailedText(backupPath, QStringLiteral("il disco non ha accettato i dati")));
    if (!copy.rename(backupPath))
        throw Exception(BackupFailedText(backupPath, copy.errorString()));
    copy.setAutoRemove(false);
    SyncFolder(QFileInfo(backupPath).absolutePath());
}

} // namespace

void BringSchemaUpToDate(TNyConnection& connection, const QString& databasePath, bool mayUpgrade,
                         const QStringList& steps)
{
    const int newest = static_cast<int>(steps.size());
    const int version = SchemaVersionOf(connection);
    if (version > newest)
        throw Exception(DatabaseTooNewText(version, newest));
    if (version == newest || !mayUpgrade)
        return;

    QString backupPath;
    try {
        TNyTransaction transaction(connection);
        // Read again inside the transaction: from here on no other
        // connection can change the file, so the copy is of one moment.
        if (SchemaVersionOf(connection) != version)
            throw Exception(QStringLiteral("il file \u00e8 stato modificato durante l'apertura."));
        // A server's backups are its administrator's affair.
        if (!connection.IsServer()) {
            const QString backup = UpgradeBackupPath(databasePath, version, QDate::currentDate());
            WriteBackup(databasePath, backup);
            backupPath = backup;
        }
        for (int step = version; step < newest; ++step)
            connection.Execute(steps[step]);
        SetSchemaVersion(connection, newest);
        transaction.Commit();
    } catch (const Exception& e) {
        // The transaction is rolled back by now: the backup is the same as
        // the file and of no use.
        if (!backupPath.isEmpty())
            QFile::remove(backupPath);
        throw Exception(DatabaseUpgradeFailedText(version, newest) + e.Message());
    }
}
