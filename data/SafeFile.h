// The one way the program writes a whole file: the new text goes to a
// temporary file beside it, is flushed, checked and synced, and only then
// takes the file's name. A full disk, a size limit or any other write error
// leaves the previous file exactly as it was.
#pragma once

#include <QByteArray>
#include <QString>

// Creates or replaces the file at path with exactly bytes. Returns empty text
// when the file now holds them, otherwise the reason it was not written (the
// file is then untouched).
[[nodiscard]] QString WriteFileSafely(const QString& path, const QByteArray& bytes);
