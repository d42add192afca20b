// The one way the program writes a whole file: the new text goes to a
// temporary file beside it, is flushed, checked and synced, and only then
// takes the file's name. A full disk, a size limit or any other write error
// leaves the previous file exactly as it was.
#pragma once

#include <QByteArray>
#include <QString>
#include <memory>
#include <vector>

// Creates or replaces the file at path with exactly bytes. Returns empty text
// when the file now holds them, otherwise the reason it was not written (the
// file is then untouched).
[[nodiscard]] QString WriteFileSafely(const QString& path, const QByteArray& bytes);

class QIODevice;
class QTemporaryFile;

// Several files that belong together (an export in parts) written the same
// safe way, all or none: each is written under a temporary name beside its
// own, and only when every one is whole and on the disk do they take their
// names. A rename that fails part-way (a folder in the way) puts back the
// files that were there before, so the set never mixes new and old parts.
// A set destroyed without Commit leaves no trace.
class TSafeFileSet {
public:
    TSafeFileSet();
    ~TSafeFileSet();
    TSafeFileSet(const TSafeFileSet&) = delete;
    TSafeFileSet& operator=(const TSafeFileSet&) = delete;

    // The device to write the file at path through; nullptr when its
    // temporary file cannot be made (Error() says why).
    QIODevice* Add(const QString& path);
    // Empty text when every file now holds what was written to it;
    // otherwise the reason, and every file is as it was before.
    [[nodiscard]] QString Commit();
    const QString& Error() const { return error_; }

private:
    struct TPart;
    void Abandon();
    std::vector<std::unique_ptr<TPart>> parts_;
    QString error_;
};
