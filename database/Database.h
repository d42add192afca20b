// The program's single database object: it knows the connection string
// template, owns the one TNyConnection and lends it to everyone.
#pragma once

#include "NyConnection.h"
#include "NyRecordset.h"

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
    // DatabaseInUseText when another program holds the lock; otherwise the
    // connection's data-access exception when the file does not open.
    bool Open(const QString& path, TOpenFor purpose = TOpenFor::Writing);
    bool Close();

    // The caller owns the recordset.
    std::unique_ptr<TNyRecordset> OpenRecordset(const QString& sql);
    int Execute(const QString& sql);
    // The column of the first row, or empty text; never raises.
    QString Lookup(const QString& sql, const QString& column);

    // Where CompactAndRepair stands when it calls its hook, and the file the
    // step works on: Export and Verify the compacted copy being written,
    // Rename and Reopen the database file.
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
    // The built-in password of the program's database file.
    static QString Password();

private:
    TDatabase();
    ~TDatabase();

    // Finishes or undoes a compaction of the file at realPath that was cut
    // short (the program killed, the power gone): afterwards the database
    // stands under its name and no working file of compaction is left.
    static void RecoverInterruptedCompaction(const QString& realPath);
    static bool HasCompactionLeftovers(const QString& realPath);

    QString connectionTemplate_;
    QString fileName_;
    bool connected_ = false;
    TNyConnection connection_;
    std::unique_ptr<TDatabaseLock> lock_;
};
