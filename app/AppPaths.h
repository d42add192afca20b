// The one place that knows where the program's files are: all of them sit
// next to the program and carry its name.
#pragma once

#include <QString>

// The program file's full path (overridable for tests).
QString ProgramFilePath();
void SetProgramFilePath(const QString& path);

// The program file's path with its extension replaced (".ini", ".mdb", ...).
QString ProgramSiblingPath(const QString& extension);

QString SettingsFilePath();  // Baltero.ini
QString DatabaseFilePath();  // Baltero.mdb
QString BackupFilePath();    // Baltero.mdbbak

// The user guide in the program's folder: named after the application title,
// whatever the program file is called.
QString UserGuideFilePath();  // Baltero - Manuale utente.pdf
