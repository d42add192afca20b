// Creating the delivered database file and settings file.
#pragma once

#include "Database.h"

#include <QString>
#include <functional>

// The connection string template the delivered settings file carries.
QString DefaultConnectionTemplate();

// The schema the delivered database is created from (database/schema.sql).
QString DatabaseSchemaSql();

// Creates a new encrypted database at path from the schema, with the
// program's password, readable and writable by its owner only. Refuses an
// existing path. Nothing is left at the path when creation fails.
// complete, when given, fills the new database before it takes the path: it is
// called with the file's temporary path, and a failure it raises leaves
// nothing at the path either. Raises Exception.
void CreateDatabaseFile(const QString& path, const std::function<void(const QString&)>& complete = {});

// Opens the database file at path through the single database object with
// the delivered connection template. Raises Exception.
void OpenDatabaseFile(const QString& path, TDatabase::TOpenFor purpose = TDatabase::TOpenFor::Writing);

// Writes the delivered settings file: [DATABASE] ConnectionString and
// [TABLES] AutoAdvancing=1. Refuses an existing path. Raises Exception.
void CreateSettingsFile(const QString& path);

// Creates a new database at path, as CreateDatabaseFile does, holding the
// questionnaire of questionFile (a Baltero 1.x question file): a database
// at the path always has it. Raises Exception (an import failure with the
// text of the maintenance command in front).
void CreateDatabaseWithQuestionnaire(const QString& path, const QString& questionFile);

// Creates the program's tables on the empty server database the connection
// string names and, when questionFile is given, imports it as a new file's
// questionnaire is imported. Raises Exception; a failed import is reported
// as such, the tables staying created.
void CreateServerDatabase(const QString& connectionString, const QString& questionFile = QString());
