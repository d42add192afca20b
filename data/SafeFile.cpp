#include "SafeFile.h"

#include "PlatformFiles.h"

#include <QFileInfo>
#include <QSaveFile>
#include <QTemporaryFile>

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

struct TSafeFileSet::TPart {
    QString path;
    std::unique_ptr<QTemporaryFile> file;
    QString backup;       // the previous file's second name while the set is renamed
    bool placed = false;  // the new file has taken the name
};

TSafeFileSet::TSafeFileSet() = default;

TSafeFileSet::~TSafeFileSet()
{
    Abandon();
}

QIODevice* TSafeFileSet::Add(const QString& path)
{
    auto part = std::make_unique<TPart>();
    part->path = QFileInfo(path).absoluteFilePath();
    part->file = std::make_unique<QTemporaryFile>(part->path + QStringLiteral(".XXXXXX.part"));
    if (!part->file->open()) {
        error_ = path + QStringLiteral(": ") + part->file->errorString();
        return nullptr;
    }
    parts_.push_back(std::move(part));
    return parts_.back()->file.get();
}

QString TSafeFileSet::Commit()
{
    auto fail = [this](const QString& reason) {
        error_ = reason;
        Abandon();
        return reason;
    };
    if (!error_.isEmpty())
        return fail(error_);
    for (const auto& part : parts_) {
        QTemporaryFile& file = *part->file;
        const QString name = QFileInfo(part->path).fileName() + QStringLiteral(": ");
        if (!file.flush() || file.error() != QFileDevice::NoError)
            return fail(name + (file.errorString().isEmpty() ? QStringLiteral("errore di scrittura") : file.errorString()));
        if (!SyncFileToDisk(file.handle()))
            return fail(name + QStringLiteral("il disco non ha accettato i dati"));
        const qint64 written = file.pos();
        if (file.size() != written)
            return fail(name + QStringLiteral("scritti %1 byte su %2").arg(file.size()).arg(written));
    }
    // The files that are there now get a second name first, so that they can
    // be put back if a later part cannot take its name.
    for (const auto& part : parts_) {
        const QFileInfo target(part->path);
        if (!target.exists() && !target.isSymLink())
            continue;
        if (!target.isFile())
            return fail(target.fileName() + QStringLiteral(": il nome è già preso da una cartella"));
        QTemporaryFile backup(part->path + QStringLiteral(".XXXXXX.old"));
        if (!backup.open())
            return fail(target.fileName() + QStringLiteral(": ") + backup.errorString());
        const QString backupName = backup.fileName();
        backup.close();
        QFile::remove(backupName);
        if (!HardLink(part->path, backupName) && !QFile::copy(part->path, backupName))
            return fail(target.fileName() + QStringLiteral(": impossibile conservare il file precedente"));
        part->backup = backupName;
    }
    for (const auto& part : parts_) {
        part->file->close();
        if (!ReplaceByRename(part->file->fileName(), part->path))
            return fail(QFileInfo(part->path).fileName() + QStringLiteral(": impossibile rinominare il file"));
        part->file->setAutoRemove(false);
        part->placed = true;
    }
    for (const auto& part : parts_) {
        if (!part->backup.isEmpty())
            QFile::remove(part->backup);
    }
    if (!parts_.empty())
        SyncFolder(QFileInfo(parts_.front()->path).absolutePath());
    parts_.clear();
    return QString();
}

void TSafeFileSet::Abandon()
{
    for (const auto& part : parts_) {
        if (part->placed) {
            // Put back what was there, or leave nothing where nothing was.
            if (part->backup.isEmpty())
                QFile::remove(part->path);
            else
                ReplaceByRename(part->backup, part->path);
        } else if (!part->backup.isEmpty()) {
            QFile::remove(part->backup);
        }
        part->file.reset(); // removes the temporary file it still owns
    }
    parts_.clear();
}
