// Compaction rewrites the whole database through the engine's export into a
// new encrypted file, which leaves out free pages and rebuilds every table
// and index; the password change does the same under the new password, and
// the restore from a copy under the database's own. The copy is made and
// checked while the database is still open and untouched; only a sound copy
// is swapped in, and every way out of a failure puts the previous file back
// under its name and reopens it.
//
// The swap keeps a complete database under the file's name at every instant,
// so a kill or a power cut at any point loses nothing:
//   1. the file gets a second name, the new backup (a hard link, or a copy
//      where the file system has no links);
//   2. the checked copy is renamed over the file, in one step;
//   3. the new backup is renamed over the backup, in one step (or, for the
//      password change, deleted once the new file has opened).
// While the copy still stands under its working name, step 2 has not
// happened: the next open drops the working files. Once it has gone, the new
// backup only has to take its name. Each kind of rewrite has working names of
// its own, so the next open also knows which of them was cut short and can
// say which password the file has.
#include "Database.h"

#include "DatabaseCopy.h"
#include "DatabaseLock.h"
#include "Exception.h"
#include "NyRecordset.h"
#include "MaintenanceMessages.h"
#include "PlatformFiles.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>

namespace {

QString RenameFailedMessage()
{
    return QStringLiteral("impossibile rinominare il file.");
}

QString CompactFailedMessage()
{
    return QStringLiteral("OleFunction CompactDatabase exception.");
}

const TRewrite AllRewrites[] = {TRewrite::Compaction, TRewrite::PasswordChange, TRewrite::Restore};

} // namespace

bool TDatabase::HasCompactionLeftovers(const QString& realPath)
{
    for (const TRewrite kind : AllRewrites) {
        if (QFileInfo::exists(CopyPathOf(realPath, kind)) || QFileInfo::exists(NewBackupPathOf(realPath, kind)))
            return true;
    }
    return false;
}

QString TDatabase::RecoverInterruptedCompaction(const QString& realPath)
{
    if (!HasCompactionLeftovers(realPath))
        return QString();
    QString note;
    for (const TRewrite kind : AllRewrites) {
        const QString copyPath = CopyPathOf(realPath, kind);
        const QString newBackupPath = NewBackupPathOf(realPath, kind);
        if (QFileInfo::exists(copyPath)) {
            // The copy never took the file's name. Earlier versions moved
            // the file to the backup's name first: a kill right then left no
            // file under the name, and the backup is the database.
            const QString backupPath = BackupPathOf(realPath);
            if (kind == TRewrite::Compaction && !QFileInfo::exists(realPath) && !QFileInfo::exists(newBackupPath)
                && QFileInfo(backupPath).isFile())
                QFile::rename(backupPath, realPath);
            // The new backup goes before the copy: as long as the copy is
            // there, the next open knows the swap has not happened.
            QFile::remove(newBackupPath);
            RemoveCopy(copyPath);
            if (kind == TRewrite::PasswordChange)
                note = PasswordChangeUndoneText();
            else if (kind == TRewrite::Restore)
                note = RestoreUndoneText();
        } else if (QFileInfo::exists(newBackupPath)) {
            // The checked copy stands under the file's name: finish.
            switch (kind) {
            case TRewrite::Compaction:
                ReplaceByRename(newBackupPath, BackupPathOf(realPath));
                break;
            case TRewrite::PasswordChange:
                QFile::remove(BackupPathOf(realPath));
                QFile::remove(newBackupPath);
                note = PasswordChangeCompletedText();
                break;
            case TRewrite::Restore: {
                const QString backup = RestoreBackupPath(realPath, QDateTime::currentDateTime());
                ReplaceByRename(newBackupPath, backup);
                note = RestoreCompletedText(backup);
                break;
            }
            }
        }
    }
    SyncFolder(QFileInfo(realPath).absolutePath());
    return note;
}

void TDatabase::SwapIn(const TSwapFiles& files, const QString& newPassword, const TCompactHook& hook)
{
    const QString databasePath = RealDatabasePath(fileName_);
    const QString databaseText = BuildConnectionString(connectionTemplate_, fileName_, password_);
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

    // Files open in the engine cannot be renamed on every platform.
    connection_.Close();
    // Whatever stands under the backup's name must be replaceable by a file
    // before the swap begins: the last step must not fail.
    const QFileInfo oldBackup(files.backup);
    bool linked = false;
    try {
        reach(TCompactStep::Rename, databasePath);
        if (!files.backup.isEmpty() && oldBackup.exists() && !oldBackup.isFile())
            throw Exception(RenameFailedMessage());
        QFile::remove(files.newBackup);
        linked = HardLink(databasePath, files.newBackup)
                 || (QFile::copy(databasePath, files.newBackup) && SyncFile(files.newBackup));
    } catch (const Exception&) {
        linked = false;
    }
    if (!linked || !ReplaceByRename(files.copy, databasePath)) {
        QFile::remove(files.newBackup);
        RemoveCopy(files.copy);
        reopenPrevious();
        throw Exception(RenameFailedMessage());
    }
    if (!files.backup.isEmpty() && !ReplaceByRename(files.newBackup, files.backup)) {
        // The previous file takes its name back, again in one step.
        ReplaceByRename(files.newBackup, databasePath);
        SyncFolder(folder);
        reopenPrevious();
        throw Exception(RenameFailedMessage());
    }
    SyncFolder(folder);
    const QString previous = files.backup.isEmpty() ? files.newBackup : files.backup;

    try {
        reach(TCompactStep::Reopen, databasePath);
        connection_.Open(BuildConnectionString(connectionTemplate_, fileName_, newPassword));
    } catch (const Exception& e) {
        // A copy the program cannot open is no database.
        const QString message = e.Message();
        connection_.Close();
        // The previous file takes its place again, in one step.
        ReplaceByRename(previous, databasePath);
        SyncFolder(folder);
        reopenPrevious();
        throw Exception(message);
    }
    password_ = newPassword;
    if (files.backup.isEmpty()) {
        // While the previous file is there, the next open finishes this.
        if (!files.obsolete.isEmpty())
            QFile::remove(files.obsolete);
        QFile::remove(files.newBackup);
        SyncFolder(folder);
    }
}

void TDatabase::CompactAndRepair(const TCompactHook& hook)
{
    if (!connected_)
        throw Exception(QStringLiteral("The database is not open."));
    if (UsesServer()) {
        // The server keeps its own files: it is asked to reclaim the space
        // of deleted rows and to renew what its planner knows of the tables.
        // It only warns, and skips the table, when the user may not vacuum
        // it; that would be reported as done, so it is asked first.
        TNyRecordset refused(connection_);
        refused.Open(QStringLiteral(
            "SELECT count(*) AS Refused FROM pg_class c JOIN pg_namespace n ON n.oid = c.relnamespace "
            "WHERE n.nspname = current_schema() AND c.relkind = 'r' AND c.relname IN ('application', "
            "'children', 'teachers', 'areas', 'phases', 'questions', 'compiledtables', "
            "'compiledtablesanswers', 'compiledtablesstartphase') "
            "AND NOT pg_has_role(current_user, c.relowner, 'USAGE') "
            "AND NOT pg_has_role(current_user, (SELECT datdba FROM pg_database WHERE datname = "
            "current_database()), 'USAGE')"));
        if (refused.GetFieldAsInteger(QStringLiteral("Refused")) > 0)
            throw Exception(ServerCompactNotOwnerText());
        connection_.Execute(QStringLiteral("VACUUM (ANALYZE) Application, Children, Teachers, Areas, Phases, "
                                           "Questions, CompiledTables, CompiledTablesAnswers, "
                                           "CompiledTablesStartPhase"));
        return;
    }

    // A database reached through a symbolic link is compacted in its own
    // folder; the link goes on naming it.
    const QString databasePath = RealDatabasePath(fileName_);
    const TSwapFiles files{CopyPathOf(databasePath, TRewrite::Compaction),
                           NewBackupPathOf(databasePath, TRewrite::Compaction), BackupPathOf(databasePath)};
    auto reach = [&hook](TCompactStep step, const QString& path) {
        if (hook)
            hook(step, path);
    };
    try {
        WriteCheckedCopy(connection_, databasePath, files.copy,
                         BuildConnectionString(connectionTemplate_, files.copy, password_), password_,
                         QFile::permissions(databasePath), [&] { reach(TCompactStep::Export, files.copy); },
                         [&] { reach(TCompactStep::Verify, files.copy); });
    } catch (const Exception&) {
        throw Exception(CompactFailedMessage());
    }
    SwapIn(files, password_, hook);
}

void TDatabase::ChangePassword(const QString& newPassword, const TCompactHook& hook)
{
    if (!connected_)
        throw Exception(QStringLiteral("The database is not open."));
    const QString password = newPassword.isEmpty() ? Password() : newPassword;
    const QString databasePath = RealDatabasePath(fileName_);
    // The compaction backup holds the data under the old password.
    const TSwapFiles files{CopyPathOf(databasePath, TRewrite::PasswordChange),
                           NewBackupPathOf(databasePath, TRewrite::PasswordChange), QString(),
                           BackupPathOf(databasePath)};
    auto reach = [&hook](TCompactStep step, const QString& path) {
        if (hook)
            hook(step, path);
    };
    WriteCheckedCopy(connection_, databasePath, files.copy,
                     BuildConnectionString(connectionTemplate_, files.copy, password), password,
                     QFile::permissions(databasePath), [&] { reach(TCompactStep::Export, files.copy); },
                     [&] { reach(TCompactStep::Verify, files.copy); });
    SwapIn(files, password, hook);
}
