// What both providers must read back exactly as written, and what the
// server's schema adds: names unique in every alphabet, the Italian order,
// keys given explicitly that later generated keys step over.
#include "Exception.h"
#include "NyRecordset.h"
#include "ServerSchema.h"
#include "SqlText.h"
#include "TestDatabase.h"
#include "TestText.h"

#include <gtest/gtest.h>

namespace {

class ProviderRoundTripTest : public ProviderTest {
protected:
    TestDatabase t{GetParam()};
};

TEST_P(ProviderRoundTripTest, TextNullsDatesAndNumbersReadBackAsWritten)
{
    struct Case {
        const char* name;
        const char* info;     // nullptr: NULL
        const char* born;     // stored date, nullptr: NULL
        const char* shown;    // the date as the recordset shows it
    };
    const Case cases[] = {
        {"Zoë O'Brien", "già \"visto\"; ok", "2020-02-29 00:00:00", "29/02/2020"},
        {"Σωκράτης", nullptr, nullptr, ""},
        {"李小龙 🐉", "", "2019-12-31 13:45:07", "31/12/2019 13:45:07"},
        {"Алёна", "multi\r\nriga", "1999-01-01 00:00:00", "01/01/1999"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto rs = t.Db().OpenRecordset(QStringLiteral("SELECT * FROM Children ORDER BY IDChild"));
        rs->AddNew();
        rs->SetField(QStringLiteral("Name"), QString::fromUtf8(c.name));
        if (c.info)
            rs->SetField(QStringLiteral("Info"), QString::fromUtf8(c.info));
        else
            rs->SetFieldNull(QStringLiteral("Info"));
        if (c.born)
            rs->SetField(QStringLiteral("DateOfBirth"), *DateTimeFromStorageText(QString::fromUtf8(c.born)));
        rs->Update();
        const int key = rs->GetFieldAsInteger(QStringLiteral("IDChild"));
        ASSERT_GT(key, 0) << "the generated key is not readable after Update";

        auto back = t.Db().OpenRecordset(
            QStringLiteral("SELECT Name, Info, DateOfBirth, CASE WHEN Info IS NULL THEN 1 ELSE 0 END AS InfoIsNull "
                           "FROM Children WHERE IDChild = %1")
                .arg(key));
        ASSERT_EQ(back->RecordCount(), 1);
        EXPECT_EQ(back->GetFieldAsString(QStringLiteral("Name")), QString::fromUtf8(c.name));
        EXPECT_EQ(back->GetFieldAsString(QStringLiteral("Info")), QString::fromUtf8(c.info ? c.info : ""));
        EXPECT_EQ(back->GetFieldAsInteger(QStringLiteral("InfoIsNull")), c.info ? 0 : 1);
        EXPECT_EQ(back->GetFieldAsString(QStringLiteral("DateOfBirth")), QString::fromUtf8(c.shown));
    }
    // Numbers: integers at the edges of the program's range, and a real.
    t.AddArea(2147483647, QStringLiteral("Ultima"));
    t.AddArea(-5, QStringLiteral("Negativa"));
    EXPECT_EQ(t.Rows(QStringLiteral("SELECT IDArea, Description FROM Areas ORDER BY IDArea")),
              QStringList({QStringLiteral("-5|Negativa"), QStringLiteral("2147483647|Ultima")}));
    EXPECT_EQ(t.Db().Lookup(QStringLiteral("SELECT 2.5 * 3 AS R"), QStringLiteral("R")), QStringLiteral("7,5"));
    EXPECT_EQ(t.Db().Lookup(QStringLiteral("SELECT -9007199254740993 AS B"), QStringLiteral("B")),
              QStringLiteral("-9007199254740993"));
}

TEST_P(ProviderRoundTripTest, NamesAreUniqueRegardlessOfCaseAndListsSortTheItalianWay)
{
    struct Case {
        const char* first;
        const char* second;
        bool refusedOnFile;   // the file folds A to Z only
    };
    const Case cases[] = {
        {"Anna", "ANNA", true},
        {"Élodie", "ÉLODIE", true},
        {"élodie", "ÉLODIE", false},
        {"Niccolò", "NICCOLÒ", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.second);
        t.Db().Execute(QStringLiteral("DELETE * FROM Children"));
        t.AddChild(QString::fromUtf8(c.first));
        bool refused = false;
        try {
            t.AddChild(QString::fromUtf8(c.second));
        } catch (const Exception&) {
            refused = true;
        }
        EXPECT_EQ(refused, t.OnServer() || c.refusedOnFile);
    }
    t.Db().Execute(QStringLiteral("DELETE * FROM Children"));
    for (const char* name : {"zeno", "Élia", "andrea", "Ettore", "bruno", "Àlvaro"})
        t.AddChild(QString::fromUtf8(name));
    QStringList order;
    for (const QString& row : t.Rows(QStringLiteral("SELECT Name FROM Children ORDER BY Name COLLATE ITALIAN")))
        order << row;
    EXPECT_EQ(order.join(QLatin1Char(',')), QStringLiteral("Àlvaro,andrea,bruno,Élia,Ettore,zeno"));
}

TEST_P(ProviderRoundTripTest, GeneratedKeysStepOverKeysGivenExplicitly)
{
    // As a copy or an import writes rows with their keys.
    t.Db().Execute(QStringLiteral("INSERT INTO Teachers(IDTeacher, Name) VALUES(41, 'Irene')"));
    const int next = t.AddTeacher(QStringLiteral("Ugo"));
    EXPECT_EQ(next, 42);
    t.AddArea(7, QStringLiteral("Motoria"));
    auto rs = t.Db().OpenRecordset(QStringLiteral("SELECT * FROM Areas ORDER BY IDArea"));
    rs->AddNew();
    rs->SetField(QStringLiteral("Description"), QStringLiteral("Nuova"));
    rs->Update();
    EXPECT_EQ(rs->GetFieldAsInteger(QStringLiteral("IDArea")), 8);
}

TEST(ServerSchema, TranslationKeepsEveryTableAndRewritesOnlyWhatTheServerNeeds)
{
    const QString server = ServerSchemaSql(QStringLiteral(
        "CREATE TABLE Things (\n    IDThing INTEGER PRIMARY KEY AUTOINCREMENT,\n    DateTime DATETIME,\n"
        "    Name TEXT COLLATE NOCASE UNIQUE\n);\nCREATE INDEX ThingsByDate ON Things (DateTime);\n"
        "PRAGMA user_version = 3;\n"));
    for (const char* expected :
         {"IDThing INTEGER GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY,", "DateTime TIMESTAMP(0),",
          "Name TEXT COLLATE NOCASE UNIQUE", "ON Things (DateTime)", "INSERT INTO SchemaVersion (Version) VALUES (3);",
          "CREATE TRIGGER ThingsKeyAdvance AFTER INSERT ON Things FOR EACH STATEMENT EXECUTE FUNCTION "
          "nyado_advance_key('idthing');"})
        EXPECT_TRUE(server.contains(QString::fromUtf8(expected))) << expected;
    EXPECT_FALSE(server.contains(QStringLiteral("PRAGMA")));
    EXPECT_FALSE(server.contains(QStringLiteral("AUTOINCREMENT")));
}

INSTANTIATE_FOR_EACH_PROVIDER(ProviderRoundTripTest);

} // namespace
