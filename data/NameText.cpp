#include "NameText.h"

#include <QCollator>
#include <QLocale>

#include <sqlcipher/sqlite3.h>

namespace {

QString Folded(const QString& name)
{
    return name.normalized(QString::NormalizationForm_C).toCaseFolded();
}

int CompareNames(void* collator, int length1, const void* text1, int length2, const void* text2)
{
    const QString a = QString::fromUtf8(static_cast<const char*>(text1), length1);
    const QString b = QString::fromUtf8(static_cast<const char*>(text2), length2);
    return static_cast<QCollator*>(collator)->compare(a, b);
}

void DeleteCollator(void* collator)
{
    delete static_cast<QCollator*>(collator);
}

} // namespace

bool SameName(const QString& a, const QString& b)
{
    return Folded(a) == Folded(b);
}

bool RegisterNameOrder(sqlite3* db)
{
    // One collator per connection, freed by the engine with the connection.
    auto* collator = new QCollator(QLocale(QLocale::Italian, QLocale::Italy));
    // Names equal but for letter case sort as equals: the next key of the
    // ORDER BY decides, as it did under NOCASE.
    collator->setCaseSensitivity(Qt::CaseInsensitive);
    if (sqlite3_create_collation_v2(db, kNameOrderCollation, SQLITE_UTF8, collator, CompareNames, DeleteCollator)
        == SQLITE_OK)
        return true;
    // The engine frees the collator only once it has taken it.
    delete collator;
    return false;
}
