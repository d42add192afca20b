// How names compare: the same name under any letter case, in every alphabet,
// and the Italian order of the lists on a real encrypted database.
#include "NameText.h"
#include "TestDatabase.h"

#include <gtest/gtest.h>
#include <iterator>
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

// Each name sorts after the one before it, or equal to it when marked so:
// space and punctuation before digits before letters, accents only between
// names otherwise equal, letter case never; names in other scripts, weighed
// by the full collation, after the Latin ones.
TEST(NameText, NameOrderIsTheItalianCollation)
{
    const struct {
        const char* name;
        bool equal;
    } order[] = {
        {"1 Anna", false},   {"Anna", false},      {"ANNA", true},         {"Anna Maria", false},
        {"Anna-Maria", false}, {"Anna'Maria", false}, {"Annamaria", false},  {"Classe 02", false},
        {"Classe 10", false}, {"Classe 1A", false},  {"Classe 2", false},    {"D'Angelo", false},
        {"D’Angelo", false}, {"Dangelo", false}, {"DAngelo", true},     {"De Luca", false},
        {"De-Luca", false},  {"Dell'Acqua", false},  {"Della Valle", false}, {"Dellacqua", false},
        {"Deluca", false},   {"Elodie", false},      {"Élodie", false},      {"élodie", true},
        {"Èlodie", false},   {"Lukasz", false},      {"Łukasz", false},      {"Niccolò", false},
        {"Nicolo", false},   {"Nicolò", false},      {"Søren", false},       {"Stefan", false},
        {"Ştefan", false},   {"Ștefan", false},      {"Strasse", false},     {"Straße", false},
        {"Zoe", false},      {"ZOË", false},         {"Zuzana", false},      {"Ελένη", false},
        {"Андрей", false},   {"山田", false},
    };
    for (size_t i = 1; i < std::size(order); ++i) {
        const QString before = QString::fromUtf8(order[i - 1].name);
        const QString name = QString::fromUtf8(order[i].name);
        SCOPED_TRACE((before + QStringLiteral(" / ") + name).toStdString());
        EXPECT_EQ(CompareNameOrder(before, name), order[i].equal ? 0 : -1);
        EXPECT_EQ(CompareNameOrder(name, before), order[i].equal ? 0 : 1);
    }
}

// The lists sort their columns with numbers by value.
TEST(NameText, NumericKeysOrderNumbersByValue)
{
    const char* order[] = {"3 anni", "12 anni", "Classe 2ª", "Classe 10ª", "Sezione", "sezione 1",
                           "Sezione 1 B", "Sezione 1B", "Sezione 2", "Sezione 10", "Sezione 100"};
    for (size_t i = 1; i < std::size(order); ++i) {
        SCOPED_TRACE(std::string(order[i - 1]) + " / " + order[i]);
        const auto before = NameOrderKey(QString::fromUtf8(order[i - 1]), true);
        const auto key = NameOrderKey(QString::fromUtf8(order[i]), true);
        ASSERT_TRUE(before && key);
        EXPECT_LT(*before, *key);
    }
    EXPECT_EQ(NameOrderKey(QStringLiteral("Sezione 02"), true), NameOrderKey(QStringLiteral("Sezione 2"), true));
    // A name in another script has no key of the program's own.
    EXPECT_FALSE(NameOrderKey(QString::fromUtf8("Ελένη"), true));
}

} // namespace
