#include "DatabaseLock.h"

#include <QDir>
#include <QFileInfo>
#include <QLockFile>

QString RealDatabasePath(const QString& path)
{
    QFileInfo info(QFileInfo(path).absoluteFilePath());
    // A chain of links ends at the file; a loop ends at the bound.
    for (int hops = 0; hops < 40 && info.isSymLink(); ++hops)
        info.setFile(info.symLinkTarget());
    const QString folder = QDir(info.absolutePath()).canonicalPath();
    return folder.isEmpty() ? info.absoluteFilePath() : QDir(folder).filePath(info.fileName());
}

TDatabaseLock::TDatabaseLock(const QString& realDatabasePath)
    : lockFilePath_(realDatabasePath + QStringLiteral(".lock"))
    , lock_(std::make_unique<QLockFile>(lockFilePath_))
{
    // The program keeps a database open for days: only a lock whose process
    // has ended is stale, never one that is merely old.
    lock_->setStaleLockTime(0);
}

TDatabaseLock::~TDatabaseLock()
{
    Release();
}

TDatabaseLock::TResult TDatabaseLock::Acquire()
{
    if (lock_->isLocked() || lock_->tryLock(0))
        return TResult::Owned;
    if (lock_->error() == QLockFile::LockFailedError)
        return TResult::HeldElsewhere;
    return TResult::Unguarded;
}

void TDatabaseLock::Release()
{
    if (lock_->isLocked())
        lock_->unlock();
}

QString DatabaseInUseText(const QString& databasePath, const QString& lockFilePath)
{
    return QStringLiteral("il database \"%1\" \u00e8 gi\u00e0 aperto da un altro programma (Baltero o baltero-db). "
                          "Chiuderlo e riprovare. Se nessun programma lo sta usando, eliminare il file di blocco \"%2\".")
        .arg(QDir::toNativeSeparators(databasePath), QDir::toNativeSeparators(lockFilePath));
}
