#include "SingleInstance.h"

#include "BuildConfig.h"

#include <QDir>
#include <QStandardPaths>

TSingleInstance::TSingleInstance(const QString& folder)
{
    const QString where = folder.isEmpty() ? DefaultFolder() : folder;
    lockFilePath_ = QDir(where).filePath(QStringLiteral(BALTERO_APPLICATION_TITLE ".lock"));
    lock_ = std::make_unique<QLockFile>(lockFilePath_);
    // A copy may run for days: only a lock whose process has gone is stale,
    // never one that is merely old.
    lock_->setStaleLockTime(0);
}

TSingleInstance::~TSingleInstance()
{
    Release();
}

QString TSingleInstance::DefaultFolder()
{
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (!runtime.isEmpty() && QDir(runtime).exists())
        return runtime;
    return QDir::tempPath();
}

TSingleInstance::TResult TSingleInstance::Acquire()
{
    if (lock_->isLocked())
        return TResult::Owned;
    if (lock_->tryLock(0))
        return TResult::Owned;
    if (lock_->error() == QLockFile::LockFailedError)
        return TResult::AlreadyRunning;
    return TResult::Unguarded;
}

void TSingleInstance::Release()
{
    if (lock_ && lock_->isLocked())
        lock_->unlock();
}
