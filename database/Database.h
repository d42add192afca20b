// The program's single database object: it knows the connection string
// template, owns the one TNyConnection and lends it to everyone.
#pragma once

#include "NyConnection.h"
#include "NyRecordset.h"

#include <QDateTime>
#include <QString>
#include <functional>
#include <memory>

class TDatabaseLock;
class TIniFile;

class TDatabase {
public:
    static TDatabase* GetInstance();
    static void ReleaseInstance();

    // Sets the template from [DATABASE] ConnectionString; empty when absent.
    void ReadConnectionString(const TIniFile& settings);
    // Writing opens hold the file's lock (DatabaseLock.h) until Close, and
    // are refused while another program holds it. Reading opens (the
    // administrator's check and report export) neither need nor keep it.
    // Either first puts right what an interrupted compaction left behind,
    // when no other program holds the lock.
    enum class TOpenFor { Writing, Reading };

    // "File not found." when no file is at the path; the refusal of
    // DatabaseInUseText when another program holds the lock; EKeyRefused
    // when the password (Password below) does not open the file; otherwise
    // the connection's data-access exception when the file does not open.
    //
    // When the template names a server (Provider=PostgreSQL) the path is
    // not used: the server database is opened, with neither lock nor file
    // recovery, and brought up to date without a backup.
    bool Open(const QString& path, TOpenFor purpose = TOpenFor::Writing);
    // Whether the template names a server rather than a file.
    bool UsesServer() const { return IsServerConnection(connectionTemplate_); }
    static bool IsServerConnection(const QString& connectionTemplate);
    bool Close();

    // The caller owns the recordset.
    std::unique_ptr<TNyRecordset> OpenRecordset(const QString& sql);
    int Execute(const QString& sql);
    // The column of the first row, or empty text; never raises.
    QString Lookup(const QString& sql, const QString& column);

    // Where CompactAndRepair, ChangePassword, BackupTo and RestoreFrom stand
    // when they call their hook, and the file the step works on: Export and
    // Verify the copy being written, Rename and Reopen the database file
    // (the copy's final name for BackupTo).
    enum class TCompactStep { Export, Verify, Rename, Reopen };
    // Called just before each step (Export with the empty copy already
    // attached to the connection). Tests use it to make a step fail: an
    // exception thrown by the hook is that step's failure, and the hook may
    // damage or block the file it is given.
    using TCompactHook = std::function<void(TCompactStep step, const QString& path)>;

    // Rewrites the open database into a compacted, checked copy and puts it
    // in place of the file, which is kept with the extension ".mdbbak"
    // (replacing an earlier backup). Raises Exception on failure with
    // "impossibile rinominare il file.", "OleFunction CompactDatabase
    // exception." or the data-access error of reopening; whatever fails, the
    // previous database is back under its name and open again.
    void CompactAndRepair(const TCompactHook& hook = {});

    // Re-encrypts the open database under newPassword (empty: back to the
    // built-in password) through the same checked copy and swap as
    // compaction. The previous file keeps a second name until the new one
    // has opened with the new password, then it is deleted, and so is the
    // compaction backup: neither may go on showing the data under the old
    // password. Whatever fails, the database is as it was and open again
    // with the old password. Raises Exception.
    void ChangePassword(const QString& newPassword, const TCompactHook& hook = {});

    // Writes a copy of the open database into folder, under the same
    // password, named after the database and the moment ("Baltero
    // 2026-12-08 10.30.mdb", " (2)" and on when taken: an earlier copy is
    // never overwritten). The copy is made by the engine while the database
    // stays open, under a working name, checked as compaction checks its
    // copy and written to the disk before it takes its name. Returns the
    // copy's path. Raises Exception; nothing is left in folder then.
    QString BackupTo(const QString& folder, const QDateTime& when, const TCompactHook& hook = {});

    // What a copy holds, read before restoring it.
    struct TCopySummary {
        int Children = 0;
        int Compilations = 0;
        // The date of the latest compilation; 0 when there is none.
        double LatestCompilation = 0;
    };
    // Opens the copy at path with password and checks it as a restore
    // would use it: sound (the engine's integrity check), of a version this
    // program knows. EKeyRefused when password does not open it; Exception
    // when it is damaged, too new, or is the open database itself.
    TCopySummary InspectCopy(const QString& path, const QString& password);

    // Replaces the open database with the copy at copyPath (opened with
    // copyPassword, checked as InspectCopy does), under the database's own
    // password, through the checked copy and swap of compaction. The
    // previous database is kept beside it under a dated name ("Baltero
    // 2026-12-08 10.30.mdbbak"), which is returned. Whatever fails, the
    // database is as it was and open again. Raises Exception.
    QString RestoreFrom(const QString& copyPath, const QString& copyPassword, const QDateTime& when,
                        const TCompactHook& hook = {});

    // The password the database opens with: the built-in one unless the
    // school set its own. Kept in memory only.
    const QString& CurrentPassword() const { return password_; }
    void SetPassword(const QString& password) { password_ = password.isEmpty() ? Password() : password; }
    bool HasOwnPassword() const { return password_ != Password(); }

    // What the last Open found and put right of a password change or a
    // restore that was cut short (which password the file has now), for
    // the user; empty when nothing was. Taking it empties it.
    QString TakeRecoveryNote();

    // Replaces areas, phases and questions with those of a Baltero 1.x
    // question file (LegacyQuestionFile.h). All or nothing: a file that
    // cannot be read, a refusal because compilations hold answers, or any
    // failure of a statement leaves the questionnaire as it was. Raises
    // Exception.
    void ImportLegacyQuestions(const QString& fileName);

    TNyConnection& Connection() { return connection_; }
    const QString& ConnectionTemplate() const { return connectionTemplate_; }
    void SetConnectionTemplate(const QString& connectionTemplate) { connectionTemplate_ = connectionTemplate; }
    const QString& FileName() const { return fileName_; }
    bool Connected() const { return connected_; }

    // The template with every "%DATASOURCE%" replaced by the path and every
    // "%PASSWORD%" by the password (exact, case-sensitive matches), in one
    // pass and quoted, so the connection opens exactly the file named
    // whatever its folders are called.
    static QString BuildConnectionString(const QString& connectionTemplate, const QString& path,
                                         const QString& password);
    // The built-in password of the program's database file, used while the
    // school has not set one of its own.
    static QString Password();

private:
    TDatabase();
    ~TDatabase();

    // Finishes or undoes a compaction, password change or restore of the
    // file at realPath that was cut short (the program killed, the power
    // gone): afterwards the database stands under its name and no working
    // file is left. Returns what the user should know, or empty text.
    static QString RecoverInterruptedCompaction(const QString& realPath);
    static bool HasCompactionLeftovers(const QString& realPath);

    // The names one rewrite of the database uses: the checked copy, the
    // second name of the previous file while they swap, and where the
    // previous file is kept (empty: it is deleted once the new one opens).
    struct TSwapFiles {
        QString copy;
        QString newBackup;
        QString backup;
        // Deleted with the previous file when that is not kept (the
        // compaction backup under the old password), just before it.
        QString obsolete = QString();
    };
    // Puts the checked copy files.copy, encrypted under newPassword, in
    // place of the open database, which the connection has open on it.
    // Raises Exception with RenameFailedMessage or the reopening's message.
    void SwapIn(const TSwapFiles& files, const QString& newPassword, const TCompactHook& hook);

    QString connectionTemplate_;
    QString password_ = Password();
    QString recoveryNote_;
    QString fileName_;
    bool connected_ = false;
    TNyConnection connection_;
    std::unique_ptr<TDatabaseLock> lock_;
};
