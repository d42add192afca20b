// Compaction rewrites the whole database through the engine's export into a
// new encrypted file, which leaves out free pages and rebuilds every table
// and index. The copy is made and checked while the database is still open
// and untouched; only a sound copy is swapped in, and every way out of a
// failure puts the previous file back under its name and reopens it.
//
// The swap keeps a complete database under the file's name at every instant,
// so a kill or a power cut at any point loses nothing:
//   1. the file gets a second name, the new backup (a hard link, or a copy
//      where the file system has no links);
//   2. the checked copy is renamed over the file, in one step;
//   3. the new backup is renamed over the old one, in one step.
// While the copy still stands under its working name, step 2 has not
// happened: the next open drops the working files. Once it has gone, the new
// backup only has to take its name.
#include "Database.h"

#include "DatabaseLock.h"
#include "Exception.h"
#include "IntegrityCheck.h"
#include "NyRecordset.h"
#include "PlatformFiles.h"
#include "SchemaVersion.h"
#include "SqlText.h"

#include <QFile>
#include <QFileInfo>

#include <map>

namespace {

const QString CopyAlias = QStringLiteral("baltero_compacted");

QString RenameFailedMessage()
{
    return QStringLiteral("impossibile rinominare il file.");
}

QString CompactFailedMessage()
{
    return QStringLiteral("OleFunction CompactDatabase exception.");
}

// The database path with its extension replaced by ".mdbbak".
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

// The working names of a compaction of the file at path (symbolic links
// already followed): the copy being written and checked, and the new backup
// before it replaces the old one.
QString CopyPathOf(const QString& path)
{
    return path + QStringLiteral(".compacting");
}
QString NewBackupPathOf(const QString& path)
{
    return BackupPathOf(path) + QStringLiteral(".new");
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

bool TDatabase::HasCompactionLeftovers(const QString& realPath)
{
    return QFileInfo::exists(CopyPathOf(realPath)) || QFileInfo::exists(NewBackupPathOf(realPath));
}

void TDatabase::RecoverInterruptedCompaction(const QString& realPath)
{
    const QString copyPath = CopyPathOf(realPath);
    const QString backupPath = BackupPathOf(realPath);
    const QString newBackupPath = NewBackupPathOf(realPath);
    if (!HasCompactionLeftovers(realPath))
        return;
    if (QFileInfo::exists(copyPath)) {
        // The copy never took the file's name. Earlier versions moved the
        // file to the backup's name first: a kill right then left no file
        // under the name, and the backup is the database.
        if (!QFileInfo::exists(realPath) && !QFileInfo::exists(newBackupPath) && QFileInfo(backupPath).isFile())
            QFile::rename(backupPath, realPath);
        // The new backup goes before the copy: as long as the copy is there,
        // the next open knows the swap has not happened.
        QFile::remove(newBackupPath);
        RemoveCopy(copyPath);
    } else {
        ReplaceByRename(newBackupPath, backupPath);
    }
    SyncFolder(QFileInfo(realPath).absolutePath());
}

void TDatabase::CompactAndRepair(const TCompactHook& hook)
{
    if (!connected_)
        throw Exception(QStringLiteral("The database is not open."));

    // A database reached through a symbolic link is compacted in its own
    // folder; the link goes on naming it.
    const QString databasePath = RealDatabasePath(fileName_);
    const QString databaseText = BuildConnectionString(connectionTemplate_, fileName_, Password());
    const QString backupPath = BackupPathOf(databasePath);
    const QString newBackupPath = NewBackupPathOf(databasePath);
    const QString copyPath = CopyPathOf(databasePath);
    const QString folder = QFileInfo(databasePath).absolutePath();
    auto reach = [&hook](TCompactStep step, const QString& path) {
        if (hook)
            hook(step, path);
    };
    // After a failure the program goes on with the database it had. Should
    // even that not open, the object says so instead of claiming a
    // connection it lacks; the failure reported stays the first one.
    auto reopenPrevious = [&]() {
        try {
            if (!connection_.IsOpen())
                connection_.Open(databaseText);
        } catch (const Exception&) {
            connected_ = false;
            fileName_.clear();
            lock_.reset();
        }
    };

    try {
        ExportCopy(connection_, copyPath, Password(), QFile::permissions(databasePath),
                   [&] { reach(TCompactStep::Export, copyPath); });
        reach(TCompactStep::Verify, copyPath);
        VerifyCopy(connection_, databasePath, BuildConnectionString(connectionTemplate_, copyPath, Password()));
        if (!SyncFile(copyPath))
            throw Exception(QStringLiteral("the copy cannot be written to disk"));
    } catch (const Exception&) {
        RemoveCopy(copyPath);
        throw Exception(CompactFailedMessage());
    }

    // Files open in the engine cannot be renamed on every platform.
    connection_.Close();
    // Whatever stands under the backup's name must be replaceable by a file
    // before the swap begins: the last step must not fail.
    const QFileInfo oldBackup(backupPath);
    bool linked = false;
    try {
        reach(TCompactStep::Rename, databasePath);
        if (oldBackup.exists() && !oldBackup.isFile())
            throw Exception(RenameFailedMessage());
        QFile::remove(newBackupPath);
        linked = HardLink(databasePath, newBackupPath)
                 || (QFile::copy(databasePath, newBackupPath) && SyncFile(newBackupPath));
    } catch (const Exception&) {
        linked = false;
    }
    if (!linked || !ReplaceByRename(copyPath, databasePath)) {
        QFile::remove(newBackupPath);
        RemoveCopy(copyPath);
        reopenPrevious();
        throw Exception(RenameFailedMessage());
    }
    if (!ReplaceByRename(newBackupPath, backupPath)) {
        // The previous file takes its name back, again in one step.
        ReplaceByRename(newBackupPath, databasePath);
        SyncFolder(folder);
        reopenPrevious();
        throw Exception(RenameFailedMessage());
    }
    SyncFolder(folder);

    try {
        reach(TCompactStep::Reopen, databasePath);
        connection_.Open(databaseText);
    } catch (const Exception& e) {
        // A copy the program cannot open is no database.
        const QString message = e.Message();
        connection_.Close();
        // The previous file takes its place again, in one step.
        ReplaceByRename(backupPath, databasePath);
        SyncFolder(folder);
        reopenPrevious();
        throw Exception(message);
    }
}
