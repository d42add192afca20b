#include "NameText.h"

#include <QCollator>
#include <QLocale>
#include <QVarLengthArray>
#include <memory>

#include <sqlcipher/sqlite3.h>

namespace {

QString Folded(const QString& name)
{
    return name.normalized(QString::NormalizationForm_C).toCaseFolded();
}

// Names equal but for letter case sort as equals: the next key of the ORDER
// BY decides, as it did under NOCASE.
QCollator* NewNameCollator()
{
    auto* collator = new QCollator(QLocale(QLocale::Italian, QLocale::Italy));
    collator->setCaseSensitivity(Qt::CaseInsensitive);
    return collator;
}

// A name in plain ASCII is its own UTF-16: widened into the buffer, it is
// compared without the two strings a comparison would otherwise allocate
// (the children sorted by name for the editor make a thousand comparisons).
bool WidenAscii(const void* text, int length, QVarLengthArray<char16_t, 64>& wide)
{
    const auto* bytes = static_cast<const unsigned char*>(text);
    wide.resize(length);
    for (int i = 0; i < length; ++i) {
        if (bytes[i] >= 0x80)
            return false;
        wide[i] = bytes[i];
    }
    return true;
}

int CompareNames(void* collator, int length1, const void* text1, int length2, const void* text2)
{
    const auto* names = static_cast<QCollator*>(collator);
    QVarLengthArray<char16_t, 64> wide1;
    QVarLengthArray<char16_t, 64> wide2;
    if (WidenAscii(text1, length1, wide1) && WidenAscii(text2, length2, wide2))
        return names->compare(QStringView(wide1.constData(), wide1.size()), QStringView(wide2.constData(), wide2.size()));
    const QString a = QString::fromUtf8(static_cast<const char*>(text1), length1);
    const QString b = QString::fromUtf8(static_cast<const char*>(text2), length2);
    return names->compare(a, b);
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

int CompareNameOrder(const QString& a, const QString& b)
{
    // A collator is not to be shared between threads.
    thread_local const std::unique_ptr<QCollator> collator(NewNameCollator());
    return collator->compare(a, b);
}

bool RegisterNameOrder(sqlite3* db)
{
    // One collator per connection, freed by the engine with the connection.
    QCollator* collator = NewNameCollator();
    if (sqlite3_create_collation_v2(db, kNameOrderCollation, SQLITE_UTF8, collator, CompareNames, DeleteCollator)
        == SQLITE_OK)
        return true;
    // The engine frees the collator only once it has taken it.
    delete collator;
    return false;
}
