// Copies of the database a school keeps elsewhere (a USB stick, a network
// folder), and putting one of them back in place of the database.
#include "Database.h"

#include "DatabaseCopy.h"
#include "DatabaseLock.h"
#include "Exception.h"
#include "IntegrityCheck.h"
#include "MaintenanceMessages.h"
#include "NyRecordset.h"
#include "PlatformFiles.h"
#include "SchemaVersion.h"

#include <QFile>
#include <QFileInfo>

namespace {

int CountOf(TNyConnection& connection, const QString& table)
{
    TNyRecordset count(connection);
    count.Open(QStringLiteral("SELECT COUNT(*) AS RecordCount FROM ") + table);
    return count.GetFieldAsInteger(QStringLiteral("RecordCount"));
}

// Checks the open copy as a restore uses it and says what it holds.
TDatabase::TCopySummary SummaryOf(TNyConnection& copy)
{
    const int version = SchemaVersionOf(copy);
    if (version > NewestSchemaVersion())
        throw Exception(DatabaseTooNewText(version, NewestSchemaVersion()));
    const QStringList problems = IntegrityProblems(copy);
    if (!problems.isEmpty())
        throw Exception(CopyDamagedText() + problems.first());
    TDatabase::TCopySummary summary;
    try {
        summary.Children = CountOf(copy, QStringLiteral("Children"));
        summary.Compilations = CountOf(copy, QStringLiteral("CompiledTables"));
        TNyRecordset latest(copy);
        latest.Open(QStringLiteral("SELECT MAX(DateTime) AS Latest FROM CompiledTables"));
        summary.LatestCompilation = latest.GetFieldAsDateTime(QStringLiteral("Latest"));
    } catch (const Exception& e) {
        throw Exception(CopyNotOursText() + e.Message());
    }
    return summary;
}

} // namespace

QString TDatabase::BackupTo(const QString& folder, const QDateTime& when, const TCompactHook& hook)
{
    if (!connected_)
        throw Exception(QStringLiteral("The database is not open."));
    if (!QFileInfo(folder).isDir())
        throw Exception(QStringLiteral("%1: la cartella non esiste.").arg(folder));
    const QString databasePath = RealDatabasePath(fileName_);
    const QString name = DatedFileName(folder, QFileInfo(fileName_).completeBaseName(), when, QStringLiteral(".mdb"));
    // Until it has been checked the copy carries a name no one takes for a
    // finished one.
    const QString working = name + QStringLiteral(".incompleta");
    auto reach = [&hook](TCompactStep step, const QString& path) {
        if (hook)
            hook(step, path);
    };
    WriteCheckedCopy(connection_, databasePath, working, BuildConnectionString(connectionTemplate_, working, password_),
                     password_, QFile::permissions(databasePath), [&] { reach(TCompactStep::Export, working); },
                     [&] { reach(TCompactStep::Verify, working); });
    try {
        reach(TCompactStep::Rename, name);
        // A rename never replaces a file that took the name meanwhile.
        if (!QFile::rename(working, name))
            throw Exception(QStringLiteral("%1: impossibile dare alla copia il suo nome.").arg(name));
    } catch (...) {
        RemoveCopy(working);
        throw;
    }
    SyncFolder(folder);
    return name;
}

TDatabase::TCopySummary TDatabase::InspectCopy(const QString& path, const QString& password)
{
    if (!QFileInfo(path).isFile())
        throw Exception(QStringLiteral("File not found."));
    if (connected_ && RealDatabasePath(path) == RealDatabasePath(fileName_))
        throw Exception(CopyIsTheDatabaseText());
    TNyConnection copy;
    copy.Open(BuildConnectionString(connectionTemplate_, path, password.isEmpty() ? Password() : password));
    return SummaryOf(copy);
}

QString TDatabase::RestoreFrom(const QString& copyPath, const QString& copyPassword, const QDateTime& when,
                               const TCompactHook& hook)
{
    if (!connected_)
        throw Exception(QStringLiteral("The database is not open."));
    if (RealDatabasePath(copyPath) == RealDatabasePath(fileName_))
        throw Exception(CopyIsTheDatabaseText());
    if (!QFileInfo(copyPath).isFile())
        throw Exception(QStringLiteral("File not found."));
    const QString databasePath = RealDatabasePath(fileName_);
    const TSwapFiles files{CopyPathOf(databasePath, TRewrite::Restore), NewBackupPathOf(databasePath, TRewrite::Restore),
                           RestoreBackupPath(databasePath, when)};
    auto reach = [&hook](TCompactStep step, const QString& path) {
        if (hook)
            hook(step, path);
    };
    {
        TNyConnection copy;
        copy.Open(BuildConnectionString(connectionTemplate_, copyPath,
                                        copyPassword.isEmpty() ? Password() : copyPassword));
        SummaryOf(copy);
        // Rewritten under the database's own password: the school's
        // password goes on protecting it, whichever the copy had.
        WriteCheckedCopy(copy, copyPath, files.copy, BuildConnectionString(connectionTemplate_, files.copy, password_),
                         password_, QFile::permissions(databasePath), [&] { reach(TCompactStep::Export, files.copy); },
                         [&] { reach(TCompactStep::Verify, files.copy); });
    }
    SwapIn(files, password_, hook);
    // A copy made by an earlier version is brought up to date as the
    // database is whenever it opens.
    BringSchemaUpToDate(connection_, databasePath, true);
    return files.backup;
}
