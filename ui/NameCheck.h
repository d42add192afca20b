// The refusal of a name already in use under another letter case.
//
// The register and the questionnaire refuse a second child, educator, area or
// phase whose name is the same as a stored one (SameName, NameText.h): the
// database's unique rules fold A to Z only and would take "Élisa" next to
// "élisa".
#pragma once

#include <QString>
#include <optional>

class TDatabase;

// Where the names of one kind of record are kept.
struct TNameColumn {
    QString table;     // "Children"
    QString keyField;  // "IDChild"
    QString nameField; // "Name"
    // The schema's UNIQUE rule already refuses names equal but for the
    // letter case of A to Z; those are left to it and to its message.
    bool uniqueInDatabase = false;
};

// The stored name of a record other than ownKey that is the same name as
// name; nothing when there is none.
std::optional<QString> FindSameName(TDatabase& database, const TNameColumn& column, const QString& name,
                                    std::optional<int> ownKey);

// Follows the dialog's save error text when the typed name is the same as a
// stored one but for letter case or accented capitals.
inline QString RepeatedNameText(const QString& typed, const QString& stored)
{
    return QStringLiteral("\u00ab") + typed + QStringLiteral("\u00bb \u00e8 gi\u00e0 in archivio come \u00ab") + stored
        + QStringLiteral("\u00bb.");
}
