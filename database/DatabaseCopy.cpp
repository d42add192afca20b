#include "DatabaseCopy.h"

#include "Exception.h"
#include "IntegrityCheck.h"
#include "NyConnection.h"
#include "NyRecordset.h"
#include "PlatformFiles.h"
#include "SchemaVersion.h"
#include "SqlText.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <map>

namespace {

const QString CopyAlias = QStringLiteral("baltero_copy");

// The file the connection's main database really is, links followed.
QString ConnectedFile(TNyConnection& connection)
{
    TNyRecordset list(connection);
    list.Open(QStringLiteral("PRAGMA database_list"));
    for (; !list.Eof(); list.MoveNext()) {
        if (list.GetFieldAsString(QStringLiteral("name")) == QLatin1String("main"))
            return QFileInfo(list.GetFieldAsString(QStringLiteral("file"))).canonicalFilePath();
    }
    return QString();
}

std::map<QString, int> RowCounts(TNyConnection& connection)
{
    std::map<QString, int> counts;
    TNyRecordset tables(connection);
    tables.Open(QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table' ORDER BY name"));
    for (; !tables.Eof(); tables.MoveNext()) {
        const QString table = tables.GetFieldAsString(QStringLiteral("name"));
        TNyRecordset count(connection);
        count.Open(QStringLiteral("SELECT COUNT(*) AS RecordCount FROM \"%1\"").arg(table));
        counts[table] = count.GetFieldAsInteger(QStringLiteral("RecordCount"));
    }
    return counts;
}

} // namespace

QString BackupPathOf(const QString& path)
{
    const QString name = QFileInfo(path).fileName();
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    const QString base = dot > 0 ? path.left(path.size() - (name.size() - dot)) : path;
    const QString backup = base + QStringLiteral(".mdbbak");
    // A database that already carries the backup's name must not be
    // renamed onto itself.
    return backup == path ? path + QStringLiteral(".mdbbak") : backup;
}

QString DatedFileName(const QString& folder, const QString& base, const QDateTime& when, const QString& extension)
{
    // Dots for the time: a colon is no part of a file name on every system.
    const QString stem =
        QDir(folder).filePath(base + QLatin1Char(' ') + when.toString(QStringLiteral("yyyy-MM-dd HH.mm")));
    QString path = stem + extension;
    for (int n = 2; QFileInfo::exists(path) || QFileInfo(path).isSymLink(); ++n)
        path = stem + QStringLiteral(" (%1)").arg(n) + extension;
    return path;
}

// The copy with the engine's journal it may have left when cut short: an old
// journal beside a new copy would be rolled back into it.
void RemoveCopy(const QString& copyPath)
{
    QFile::remove(copyPath + QStringLiteral("-journal"));
    QFile::remove(copyPath);
}

bool SyncFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) && SyncFileToDisk(file.handle());
}

namespace {

// Writes a compacted copy of the connection's database to copyPath with the
// same key and the file permissions of the original. beforeExport runs with
// the copy attached, just before the rows are copied.
void ExportCopy(TNyConnection& connection, const QString& copyPath, const QString& password,
                QFileDevice::Permissions permissions, const std::function<void()>& beforeExport)
{
    // The export must start from an empty file: merged into an older one it
    // would fail half-way or, worse, mix two databases. The engine attaches
    // only files that exist, as the connection was opened without leave to
    // create any.
    RemoveCopy(copyPath);
    {
        QFile file(copyPath);
        if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
            throw Exception(QStringLiteral("%1: %2").arg(copyPath, file.errorString()));
        file.setPermissions(permissions);
    }

    // The export copies table by table in the order they were created; the
    // foreign keys are checked on the finished copy, not on each row.
    connection.Execute(QStringLiteral("PRAGMA foreign_keys = OFF"));
    bool attached = false;
    try {
        connection.Execute(QStringLiteral("ATTACH DATABASE '%1' AS %2 KEY '%3'")
                               .arg(SQLQuote(copyPath), CopyAlias, SQLQuote(password)));
        attached = true;
        beforeExport();
        connection.Execute(QStringLiteral("SELECT sqlcipher_export('%1')").arg(CopyAlias));
        // The export copies tables and rows but not the header's schema
        // version: without it the copy would be taken for an old database.
        connection.Execute(QStringLiteral("PRAGMA %1.user_version = %2").arg(CopyAlias).arg(SchemaVersionOf(connection)));
        connection.Execute(QStringLiteral("DETACH DATABASE %1").arg(CopyAlias));
        attached = false;
        connection.Execute(QStringLiteral("PRAGMA foreign_keys = ON"));
    } catch (const Exception&) {
        try {
            if (attached)
                connection.Execute(QStringLiteral("DETACH DATABASE %1").arg(CopyAlias));
            connection.Execute(QStringLiteral("PRAGMA foreign_keys = ON"));
        } catch (const Exception&) {
            // The first failure is the one worth reporting.
        }
        throw;
    }
}

// Opens the copy exactly as the database will be opened and checks it is
// sound and holds as many rows in every table as the file it will replace.
// The rows are counted in that very file: whatever else the connection may
// have opened is no measure of the copy.
void VerifyCopy(TNyConnection& original, const QString& databasePath, const QString& copyConnectionText)
{
    const QString replaced = QFileInfo(databasePath).canonicalFilePath();
    if (replaced.isEmpty() || ConnectedFile(original) != replaced)
        throw Exception(QStringLiteral("the connection is not open on %1").arg(databasePath));
    const std::map<QString, int> expected = RowCounts(original);
    TNyConnection copy;
    copy.Open(copyConnectionText);
    const QStringList problems = IntegrityProblems(copy);
    if (!problems.isEmpty())
        throw Exception(problems.join(QStringLiteral("; ")));
    TNyRecordset violations(copy);
    violations.Open(QStringLiteral("PRAGMA foreign_key_check"));
    if (violations.RecordCount() > 0)
        throw Exception(QStringLiteral("the copy breaks its foreign keys"));
    if (RowCounts(copy) != expected)
        throw Exception(QStringLiteral("the copy does not hold every row"));
}

} // namespace

void WriteCheckedCopy(TNyConnection& source, const QString& sourcePath, const QString& copyPath,
                      const QString& copyConnectionText, const QString& password,
                      QFileDevice::Permissions permissions, const std::function<void()>& beforeExport,
                      const std::function<void()>& beforeVerify)
{
    try {
        ExportCopy(source, copyPath, password, permissions, beforeExport);
        beforeVerify();
        VerifyCopy(source, sourcePath, copyConnectionText);
        if (!SyncFile(copyPath))
            throw Exception(QStringLiteral("il disco non ha accettato i dati."));
    } catch (...) {
        RemoveCopy(copyPath);
        throw;
    }
}

QString RestoreBackupPath(const QString& databasePath, const QDateTime& when)
{
    const QFileInfo file(databasePath);
    return DatedFileName(file.absolutePath(), file.completeBaseName(), when, QStringLiteral(".mdbbak"));
}

QString CopyPathOf(const QString& path, TRewrite kind)
{
    switch (kind) {
    case TRewrite::Compaction:
        return path + QStringLiteral(".compacting");
    case TRewrite::PasswordChange:
        return path + QStringLiteral(".rekeying");
    case TRewrite::Restore:
        return path + QStringLiteral(".restoring");
    }
    return QString();
}

QString NewBackupPathOf(const QString& path, TRewrite kind)
{
    switch (kind) {
    case TRewrite::Compaction:
        return BackupPathOf(path) + QStringLiteral(".new");
    case TRewrite::PasswordChange:
        return path + QStringLiteral(".previouskey");
    case TRewrite::Restore:
        return path + QStringLiteral(".beforerestore");
    }
    return QString();
}
