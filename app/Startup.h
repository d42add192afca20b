// Opening the database and the user's settings as the program does at
// start-up.
#pragma once

#include <QString>

class QWidget;

// Installed mode only (see AppPaths.h): at the first start, with neither a
// database nor a settings file in the user's folders, creates both (the
// database holding the example questionnaire when it is found) and tells
// the user in one message where they are. A settings file missing beside an
// existing database is written again without a word; a missing database
// beside an existing settings file was removed on purpose and is left to the
// normal start, which reports it. False when the files could not be created
// (the user has been told); the program then ends.
bool PrepareUserFiles(QWidget* owner);

// Reads the settings file (connection template and user options) and opens
// the database file through the single database object. Raises Exception.
void OpenDatabaseAtStartup(const QString& settingsPath, const QString& databasePath);

// The same, asking for the database's password (masked, three tries) when
// the built-in one does not open the file, and telling the user what the
// open found of a password change or restore cut short. A failure is
// reported to the user with message 11002 and the exception's text in an
// error box owned by owner. False when the database
// could not be opened: the program then has nothing to work on and ends.
// An opened file that cannot be written (file or folder) or that fails the
// engine's quick check is said in a warning each, and the program goes on.
bool OpenDatabaseOrReport(QWidget* owner, const QString& settingsPath, const QString& databasePath);

// Saves the user's options (only when the database is open: a start that
// failed changes no file), then releases the settings and the database
// object, in that order.
// Writes the options the user can change to the settings file; returns why
// it could not be written (the file then stays as it was), empty on success.
QString SaveSettings(const QString& settingsPath);

void ShutDownDatabaseAndSettings(const QString& settingsPath);

// Installs Qt's own Italian texts (the buttons of message boxes, file
// dialogs, the input box) in the running application. False when the
// translation file is not installed; the program then runs with Qt's
// English texts.
bool InstallQtItalianTranslations();
