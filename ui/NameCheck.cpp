#include "NameCheck.h"

#include "Database.h"
#include "NameText.h"
#include "NyRecordset.h"

namespace {

// Equal under the engine's NOCASE, which folds A to Z only.
bool EngineNoCaseEqual(const QString& a, const QString& b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i) {
        const char16_t x = a[i].unicode();
        const char16_t y = b[i].unicode();
        if (x != y && (x >= 128 || y >= 128 || QChar::toLower(x) != QChar::toLower(y)))
            return false;
    }
    return true;
}

} // namespace

std::optional<QString> FindSameName(TDatabase& database, const TNameColumn& column, const QString& name,
                                    std::optional<int> ownKey)
{
    // The folding is Unicode's, not the engine's: every name is compared here.
    auto rs = database.OpenRecordset(QStringLiteral("SELECT ") + column.keyField + QStringLiteral(", ") + column.nameField
                                     + QStringLiteral(" FROM ") + column.table);
    for (; !rs->Eof(); rs->MoveNext()) {
        if (ownKey && rs->GetFieldAsInteger(column.keyField) == *ownKey)
            continue;
        const QString stored = rs->GetFieldAsString(column.nameField);
        if (column.uniqueInDatabase && EngineNoCaseEqual(stored, name))
            continue;
        if (SameName(stored, name))
            return stored;
    }
    return std::nullopt;
}
