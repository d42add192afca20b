#include "SafeFile.h"

#include "PlatformFiles.h"

#include <QFileInfo>
#include <QSaveFile>

QString WriteFileSafely(const QString& path, const QByteArray& bytes)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return file.errorString();
    // QSaveFile::commit() alone may report success after its final flush
    // failed, renaming a short file over the good one: every step is
    // checked here before commit() is allowed to rename.
    auto abandon = [&file](const QString& reason) {
        file.cancelWriting();
        return reason.isEmpty() ? QStringLiteral("errore di scrittura") : reason;
    };
    if (file.write(bytes) != bytes.size() || !file.flush() || file.error() != QFileDevice::NoError)
        return abandon(file.errorString());
    if (file.size() != bytes.size())
        return abandon(QStringLiteral("scritti %1 byte su %2").arg(file.size()).arg(bytes.size()));
    if (!SyncFileToDisk(file.handle()))
        return abandon(QStringLiteral("il disco non ha accettato i dati"));
    if (!file.commit())
        return file.errorString();
    SyncFolder(QFileInfo(path).absolutePath());
    return QString();
}
