// Reading and writing single keys of an ini file.
//
// Section and key names match without regard to letter case. A value read is
// trimmed of surrounding blanks and cut at 2047 characters. Writing one key
// rewrites only that key's line (or adds the key, the section or the file when
// missing): every other byte of the file stays as it was. Writes replace the
// file atomically, so a failed write leaves the old file untouched.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

class TIniFile {
public:
    explicit TIniFile(const QString& fileName);

    const QString& FileName() const { return fileName_; }

    // A missing file, section or key gives the default.
    QString ReadString(const QString& section, const QString& key, const QString& defaultValue) const;
    // Decimal, or hexadecimal after "0x" or "$", optionally signed; anything
    // that is not a 32-bit integer gives the default.
    int ReadInteger(const QString& section, const QString& key, int defaultValue) const;
    // The names of the keys of a section, as spelled in the file, each once;
    // none for a missing file or section.
    QStringList ReadKeys(const QString& section) const;

    // Raise EFileError when the file cannot be written.
    void WriteString(const QString& section, const QString& key, const QString& value);
    void WriteInteger(const QString& section, const QString& key, int value);

private:
    QString fileName_;
};

// The integer conversion ReadInteger uses; false when the text is not one.
bool ParseIniInteger(const QString& text, int& value);
