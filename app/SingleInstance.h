// Keeps a second copy of the program from running in the same user's login.
//
// The copy that runs holds a lock file named after the application title in
// the user's runtime folder. A lock left behind by a copy that crashed is
// recognised (its process is gone) and taken over.
#pragma once

#include <QLockFile>
#include <QString>
#include <memory>

class TSingleInstance {
public:
    enum class TResult {
        Owned,          // this copy is the one that runs
        AlreadyRunning, // another live copy holds the lock
        Unguarded       // the lock could not be made (no folder, no rights): run anyway
    };

    // folder empty: the user's runtime folder, or the temporary folder when
    // the system has none.
    explicit TSingleInstance(const QString& folder = QString());
    ~TSingleInstance();

    TResult Acquire();
    // Lets a new copy start; also done by the destructor.
    void Release();

    const QString& LockFilePath() const { return lockFilePath_; }

    static QString DefaultFolder();

    TSingleInstance(const TSingleInstance&) = delete;
    TSingleInstance& operator=(const TSingleInstance&) = delete;

private:
    QString lockFilePath_;
    std::unique_ptr<QLockFile> lock_;
};
