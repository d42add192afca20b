// The one place that knows where the program's files are.
//
// Portable mode: a settings file stands next to the program (the build
// folder, a USB stick). The settings, the database and its backup all sit
// there and carry the program's name.
// Installed mode: no settings file next to the program (e.g. under /usr).
// The settings file lies in the user's configuration folder, the database
// and its backup in the user's data folder (the XDG folders, each with a
// "baltero" folder of its own); what comes with the program (the example
// questionnaire, the user guide) in share/baltero/ beside the program's
// bin/ folder or in the system's data folders.
#pragma once

#include <QString>

// The program file's full path (overridable for tests, and by baltero-db,
// which works on the files of the program beside it).
QString ProgramFilePath();
void SetProgramFilePath(const QString& path);

// The program file's path with its extension replaced (".ini", ".mdb", ...).
QString ProgramSiblingPath(const QString& extension);

// True when the settings file stands next to the program.
bool PortableMode();

QString SettingsFilePath();  // Baltero.ini
QString DatabaseFilePath();  // Baltero.mdb
QString BackupFilePath();    // Baltero.mdbbak

// The user guide, named after the application title whatever the program
// file is called: next to the program in portable mode; in installed mode
// the first found of next to the program, share/baltero/ and the system's
// data folders (the first of them when it is nowhere).
QString UserGuideFilePath();  // Baltero - Manuale utente.pdf

// The example questionnaire a new database is filled with, looked for as an
// installed user guide is, in either mode; empty when it is nowhere.
QString ExampleQuestionnaireFilePath();  // questionario-esempio.txt
