// Opening the database and the user's settings as the program does at
// start-up.
#pragma once

#include <QString>

// Reads the settings file (connection template and user options) and opens
// the database file through the single database object. Raises Exception.
void OpenDatabaseAtStartup(const QString& settingsPath, const QString& databasePath);

// Saves the user's options, then releases the settings and the database
// object, in that order.
void ShutDownDatabaseAndSettings(const QString& settingsPath);
