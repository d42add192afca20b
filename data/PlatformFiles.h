// The few file-system calls Qt does not offer, kept in one place so each
// platform has its own short list of system calls.
#pragma once

#include <QString>

// Asks the system to put the open file's data on the disk; false when it
// reports a failure (a full disk found only now, an I/O error).
bool SyncFileToDisk(int handle);

// Makes the renames and links done in the folder survive a power cut.
// Best effort: false when the system refuses.
bool SyncFolder(const QString& folder);

// A second name for an existing file (a hard link): both names show the same
// data until one of them is replaced. False when the file system has no hard
// links or the new name is taken.
bool HardLink(const QString& existing, const QString& newName);

// Renames from onto to in one step, replacing a file already named to:
// at no moment is there no file named to.
bool ReplaceByRename(const QString& from, const QString& to);
