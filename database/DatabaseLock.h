// One program at a time on a database file: the program keeps this lock
// while it has the file open, and baltero-db's writing commands take it too.
// The lock is a file beside the database (after following symbolic links),
// so every path to the same file, from any process or any computer sharing
// the folder, meets the same lock.
#pragma once

#include <QString>
#include <memory>

class QLockFile;

// The file a database path names: symbolic links followed, folders made
// canonical. For a file that does not exist (yet), its would-be path.
QString RealDatabasePath(const QString& path);

class TDatabaseLock {
public:
    explicit TDatabaseLock(const QString& realDatabasePath);
    ~TDatabaseLock();

    enum class TResult {
        Owned,        // this object holds the lock
        HeldElsewhere, // a running program holds it
        Unguarded     // no lock can be made here (a read-only folder): nobody can write either
    };
    // Never waits. A lock left by a process that has ended is taken over.
    TResult Acquire();
    void Release();

    const QString& LockFilePath() const { return lockFilePath_; }

private:
    QString lockFilePath_;
    std::unique_ptr<QLockFile> lock_;
};

// The refusal shown when another program holds the lock of databasePath.
QString DatabaseInUseText(const QString& databasePath, const QString& lockFilePath);
