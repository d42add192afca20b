// What the program finds out about the database file it has just opened,
// before the user starts working on it: whether changes can be saved and
// whether the engine's quick check finds damaged pages.
#pragma once

#include <QString>
#include <QStringList>

class TNyConnection;

struct TOpenedFileCheck {
    // The file itself can be opened for writing.
    bool FileWritable = true;
    // A new file can be made beside it: the engine writes its journal there
    // at every save.
    bool FolderWritable = true;
    // What PRAGMA quick_check reported, or the error that stopped it; empty
    // when the file is sound.
    QStringList Damage;

    bool CanSave() const { return FileWritable && FolderWritable; }
    bool Damaged() const { return !Damage.isEmpty(); }
};

// Tries the file and its folder for writing for real (permission bits alone
// do not say it: a read-only mount, an immutable file, another owner) and
// runs the quick check on the open connection. Never raises.
TOpenedFileCheck CheckOpenedFile(TNyConnection& connection, const QString& path);
