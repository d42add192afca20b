// The database's layout on a PostgreSQL server, made from the one source,
// schema.sql, by a few rewrites:
// - an INTEGER PRIMARY KEY is an identity column whose value may also be
//   given; after an insertion that gives one the column's sequence moves past
//   the highest key, as the file's keys do;
// - DATETIME is timestamp(0), read and written as 'YYYY-MM-DD HH:MM:SS';
// - NOCASE is an ICU collation that ignores letter case in every alphabet
//   ("ÉLODIE" and "élodie" are one name), ITALIAN one that sorts the Italian
//   way; neither allows LIKE, which the program never uses on them;
// - the layout's version is kept in the one-row table SchemaVersion, as the
//   file keeps it in its header.
#pragma once

#include <QString>

class TNyConnection;

// The server's form of the schema text.
QString ServerSchemaSql(const QString& fileSchemaSql);

// Creates the program's tables on the server database the connection has
// open, in one transaction. Refuses a database that already holds tables.
// Raises Exception.
void CreateServerSchema(TNyConnection& connection);
