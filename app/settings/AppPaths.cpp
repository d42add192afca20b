#include "AppPaths.h"

#include "BuildConfig.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace {

QString& OverriddenProgramPath()
{
    static QString path;
    return path;
}

// The folder of the program's own files inside each XDG folder, and of what
// comes with it inside share/.
const QString FolderName = QStringLiteral("baltero");

QString ProgramFolder()
{
    return QFileInfo(ProgramFilePath()).absolutePath();
}

// The program's name with the extension: "Baltero" + ".ini".
QString FileName(const QString& extension)
{
    return QFileInfo(ProgramFilePath()).completeBaseName() + extension;
}

QString UserFolderFile(QStandardPaths::StandardLocation location, const QString& extension)
{
    return QDir(QStandardPaths::writableLocation(location)).filePath(FolderName + QLatin1Char('/') + FileName(extension));
}

// Where a file that comes with the program may be, in the order looked at:
// next to the program, share/baltero/ beside its bin/ folder (the prefix it
// was installed to), the system's data folders.
QStringList SharedFileCandidates(const QString& name)
{
    QStringList candidates = {QDir(ProgramFolder()).filePath(name),
                              QDir::cleanPath(ProgramFolder() + QStringLiteral("/../share/") + FolderName + QLatin1Char('/') + name)};
    for (const QString& folder : QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation))
        candidates << QDir(folder).filePath(FolderName + QLatin1Char('/') + name);
    candidates.removeDuplicates();
    return candidates;
}

QString FirstExisting(const QStringList& candidates)
{
    for (const QString& candidate : candidates)
        if (QFileInfo(candidate).isFile())
            return candidate;
    return QString();
}

} // namespace

QString ProgramFilePath()
{
    if (!OverriddenProgramPath().isEmpty())
        return OverriddenProgramPath();
    return QCoreApplication::applicationFilePath();
}

void SetProgramFilePath(const QString& path)
{
    OverriddenProgramPath() = path;
}

QString ProgramSiblingPath(const QString& extension)
{
    // "Baltero" and "Baltero.exe" both give "Baltero" + extension.
    return QDir(ProgramFolder()).filePath(FileName(extension));
}

bool PortableMode()
{
    return QFileInfo::exists(ProgramSiblingPath(QStringLiteral(".ini")));
}

QString SettingsFilePath()
{
    if (PortableMode())
        return ProgramSiblingPath(QStringLiteral(".ini"));
    return UserFolderFile(QStandardPaths::GenericConfigLocation, QStringLiteral(".ini"));
}

QString DatabaseFilePath()
{
    if (PortableMode())
        return ProgramSiblingPath(QStringLiteral(".mdb"));
    return UserFolderFile(QStandardPaths::GenericDataLocation, QStringLiteral(".mdb"));
}

QString BackupFilePath()
{
    if (PortableMode())
        return ProgramSiblingPath(QStringLiteral(".mdbbak"));
    return UserFolderFile(QStandardPaths::GenericDataLocation, QStringLiteral(".mdbbak"));
}

QString UserGuideFilePath()
{
    const QString name = QStringLiteral(BALTERO_APPLICATION_TITLE) + QStringLiteral(" - Manuale utente.pdf");
    const QStringList candidates = SharedFileCandidates(name);
    if (PortableMode())
        return candidates.first();
    const QString found = FirstExisting(candidates);
    return found.isEmpty() ? candidates.first() : found;
}

QString ExampleQuestionnaireFilePath()
{
    return FirstExisting(SharedFileCandidates(QStringLiteral("questionario-esempio.txt")));
}
