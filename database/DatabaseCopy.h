// The checked copy of a database that compaction, the password change, the
// backup and the restore all write: made by the engine's export under a
// chosen key, then opened and checked before anyone relies on it.
#pragma once

#include <QDateTime>
#include <QFileDevice>
#include <QString>
#include <functional>

class TNyConnection;

// Writes a copy of source's database to copyPath, which must not be in
// use, encrypted with password and with the given permissions; then opens
// it with copyConnectionText, checks that it is sound, keeps its foreign keys
// and holds as many rows in every table as the file at sourcePath (the file
// source has open), and puts it on the disk. beforeExport runs with the copy
// attached, just before the rows are copied; beforeVerify before the check.
// On any failure the copy is removed and the failure raised again.
void WriteCheckedCopy(TNyConnection& source, const QString& sourcePath, const QString& copyPath,
                      const QString& copyConnectionText, const QString& password,
                      QFileDevice::Permissions permissions, const std::function<void()>& beforeExport,
                      const std::function<void()>& beforeVerify);

// Puts the file's data on the disk; false when the system reports a failure.
bool SyncFile(const QString& path);

// Removes the copy with the journal the engine may have left beside it.
void RemoveCopy(const QString& copyPath);

// The database path with its extension replaced by ".mdbbak".
QString BackupPathOf(const QString& path);

// A new file name in folder: base, a blank and the moment ("Baltero
// 2026-12-08 10.30"), " (2)", " (3)"... when taken, then extension (".mdb").
QString DatedFileName(const QString& folder, const QString& base, const QDateTime& when, const QString& extension);

// Where a restore keeps the database it replaces: beside it, dated
// ("Baltero 2026-12-08 10.30.mdbbak"), never over an earlier file.
QString RestoreBackupPath(const QString& databasePath, const QDateTime& when);

// The rewrites that put a checked copy in place of the database, each with
// working names of its own (CompactAndRepair.cpp tells how they are used).
enum class TRewrite { Compaction, PasswordChange, Restore };
// The copy being written and checked, and the second name of the previous
// file while the two swap, for the file at path (symbolic links followed).
QString CopyPathOf(const QString& path, TRewrite kind);
QString NewBackupPathOf(const QString& path, TRewrite kind);
