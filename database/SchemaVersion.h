// The version of the database's layout. The file carries it in its header
// (PRAGMA user_version): schema.sql creates the newest layout and sets it;
// a file of an earlier version is brought up to date, once, when the
// program opens it to work on it. Each change of the layout is one step,
// from version N to N + 1, appended to the list in SchemaVersion.cpp; the
// same change goes into schema.sql.
#pragma once

#include <QDate>
#include <QString>
#include <QStringList>

class TNyConnection;

// The SQL of each step: step N takes a database from version N to N + 1.
const QStringList& SchemaUpgradeSteps();
// The version this program creates and works on: the number of steps.
int NewestSchemaVersion();

// The version the open database says it has: the file in its header, a
// server in the table SchemaVersion.
int SchemaVersionOf(TNyConnection& connection);

// Refuses a database of a newer version than steps know, changing nothing.
// An earlier version, when mayUpgrade, is first copied whole (the same
// encrypted bytes, so the same key) to a dated backup beside the file
// (UpgradeBackupPath), then upgraded by the steps and given the newest
// version number in one transaction. When anything fails the database is
// left as it was, the backup is removed and Exception says why; without
// mayUpgrade an earlier version is left alone. databasePath names the file
// itself (links followed); a server database is upgraded without a backup,
// which is its administrator's affair.
void BringSchemaUpToDate(TNyConnection& connection, const QString& databasePath, bool mayUpgrade,
                         const QStringList& steps = SchemaUpgradeSteps());

// Where the copy of a database of the given version made on day goes before
// its upgrade: the file's name without its extension, then ".v" version, the
// day and ".mdbbak" ("Baltero.v0-2026-03-14.mdbbak"); "-2", "-3"... before
// ".mdbbak" when that name is taken.
QString UpgradeBackupPath(const QString& databasePath, int version, const QDate& day);

// The refusal of a database written by a newer program.
inline QString DatabaseTooNewText(int version, int newest)
{
    return QStringLiteral("il database \u00e8 stato creato o aggiornato da una versione pi\u00f9 recente di Baltero "
                          "(versione dei dati %1; questo programma conosce fino alla versione %2). Il file non \u00e8 "
                          "stato modificato: aprirlo con la versione pi\u00f9 recente del programma.")
        .arg(version)
        .arg(newest);
}

// The upgrade did not happen; the reason follows.
inline QString DatabaseUpgradeFailedText(int version, int newest)
{
    return QStringLiteral("impossibile aggiornare il database dalla versione %1 alla versione %2 dei dati. Il file "
                          "non \u00e8 stato modificato.\r\n\r\nDettagli: ")
        .arg(version)
        .arg(newest);
}
