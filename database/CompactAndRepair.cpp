// Compaction rewrites the whole database through the engine's export into a
// new encrypted file, which leaves out free pages and rebuilds every table
// and index. The copy is made and checked while the database is still open
// and untouched; only a sound copy is swapped in, and every way out of a
// failure puts the previous file back under its name and reopens it.
#include "Database.h"

#include "Exception.h"
#include "IntegrityCheck.h"
#include "NyRecordset.h"
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
    QFile::remove(copyPath);
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
// sound and holds as many rows in every table as the original.
void VerifyCopy(TNyConnection& original, const QString& copyConnectionText)
{
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

// Gives the previous database its name back, whatever stands there now.
void RestoreBackup(const QString& backupPath, const QString& databasePath)
{
    if (!QFileInfo::exists(backupPath))
        return;
    if (QFileInfo::exists(databasePath))
        QFile::remove(databasePath);
    if (!QFile::rename(backupPath, databasePath))
        QFile::copy(backupPath, databasePath);
}

} // namespace

void TDatabase::CompactAndRepair(const TCompactHook& hook)
{
    if (!connected_)
        throw Exception(QStringLiteral("The database is not open."));

    const QString databasePath = fileName_;
    const QString databaseText = BuildConnectionString(connectionTemplate_, databasePath, Password());
    const QString backupPath = BackupPathOf(databasePath);
    const QString copyPath = databasePath + QStringLiteral(".compacting");
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
        }
    };

    try {
        ExportCopy(connection_, copyPath, Password(), QFile::permissions(databasePath),
                   [&] { reach(TCompactStep::Export, copyPath); });
        reach(TCompactStep::Verify, copyPath);
        VerifyCopy(connection_, BuildConnectionString(connectionTemplate_, copyPath, Password()));
    } catch (const Exception&) {
        QFile::remove(copyPath);
        throw Exception(CompactFailedMessage());
    }

    // Files open in the engine cannot be renamed on every platform.
    connection_.Close();
    QFile::remove(backupPath);
    bool moved = false;
    try {
        reach(TCompactStep::Rename, databasePath);
        moved = QFile::rename(databasePath, backupPath);
    } catch (const Exception&) {
        moved = false;
    }
    if (!moved) {
        QFile::remove(copyPath);
        reopenPrevious();
        throw Exception(RenameFailedMessage());
    }
    if (!QFile::rename(copyPath, databasePath)) {
        RestoreBackup(backupPath, databasePath);
        QFile::remove(copyPath);
        reopenPrevious();
        throw Exception(RenameFailedMessage());
    }

    try {
        reach(TCompactStep::Reopen, databasePath);
        connection_.Open(databaseText);
    } catch (const Exception& e) {
        // A copy the program cannot open is no database; the previous file
        // takes its place again.
        const QString message = e.Message();
        connection_.Close();
        RestoreBackup(backupPath, databasePath);
        reopenPrevious();
        throw Exception(message);
    }
}
