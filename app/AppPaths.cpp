#include "AppPaths.h"

#include "BuildConfig.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace {

QString& OverriddenProgramPath()
{
    static QString path;
    return path;
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
    const QFileInfo program(ProgramFilePath());
    // "Baltero" and "Baltero.exe" both give "Baltero" + extension.
    return QDir(program.absolutePath()).filePath(program.completeBaseName() + extension);
}

QString SettingsFilePath()
{
    return ProgramSiblingPath(QStringLiteral(".ini"));
}

QString DatabaseFilePath()
{
    return ProgramSiblingPath(QStringLiteral(".mdb"));
}

QString BackupFilePath()
{
    return ProgramSiblingPath(QStringLiteral(".mdbbak"));
}

QString UserGuideFilePath()
{
    const QFileInfo program(ProgramFilePath());
    return QDir(program.absolutePath())
        .filePath(QStringLiteral(BALTERO_APPLICATION_TITLE) + QStringLiteral(" - Manuale utente.pdf"));
}
