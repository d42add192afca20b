// How names compare: the same name under any letter case, in every alphabet,
// and the Italian order of the lists on a real encrypted database.
#include "NameText.h"
#include "TestDatabase.h"

#include <gtest/gtest.h>
#include <ostream>

namespace {

struct NamePair {
    const char* a;
    const char* b;
    bool same;
};

TEST(NameText, SameNameFoldsEveryLetterCaseButKeepsAccents)
{
    const NamePair cases[] = {
        {"Niccolò", "NICCOLÒ", true},
        {"Élisa", "élisa", true},
        {"ÀNGELA", "àngela", true},
        {"ΣΊΣΥΦΟΣ", "σίσυφος", true},
        // The same letter, composed or with a combining accent.
        {"E\u0301lisa", "élisa", true},
        {"Anna", "anna", true},
        // An accent makes another name.
        {"Elisa", "Élisa", false},
        {"Nicolò", "Niccolò", false},
        {"Anna ", "Anna", false},
    };
    for (const NamePair& c : cases) {
        SCOPED_TRACE(std::string(c.a) + " / " + c.b);
        EXPECT_EQ(SameName(QString::fromUtf8(c.a), QString::fromUtf8(c.b)), c.same);
        EXPECT_EQ(SameName(QString::fromUtf8(c.b), QString::fromUtf8(c.a)), c.same);
    }
}

TEST(NameText, ListsOrderAccentedAndCapitalNamesAmongTheOthers)
{
    TestDatabase t;
    for (const char* name : {"Zoe", "Élisa", "bruno", "Anna", "Èmma", "ettore", "Òscar", "Nadia"})
        t.AddChild(QString::fromUtf8(name));
    auto rs = t.Db().OpenRecordset(QStringLiteral("SELECT Name FROM Children ORDER BY Name COLLATE ITALIAN"));
    QStringList names;
    for (; !rs->Eof(); rs->MoveNext())
        names << rs->GetFieldAsString(QStringLiteral("Name"));
    EXPECT_EQ(names.join(QLatin1Char(',')), QString::fromUtf8("Anna,bruno,Élisa,Èmma,ettore,Nadia,Òscar,Zoe"));
    // The schema never names the order: the file stays the plain engine's.
    auto schema = t.Db().OpenRecordset(QStringLiteral("SELECT COUNT(*) AS N FROM sqlite_master WHERE sql LIKE '%ITALIAN%'"));
    EXPECT_EQ(schema->GetFieldAsInteger(QStringLiteral("N")), 0);
}

} // namespace
