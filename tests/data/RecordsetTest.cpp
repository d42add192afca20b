// The recordset against a real encrypted database and a real server:
// reading, walking, and the row changes written back through it, including
// the compilations join.
#include "DateTime.h"
#include "Exception.h"
#include "NyRecordset.h"
#include "TestDatabase.h"
#include "TestText.h"

#include <QDate>
#include <gtest/gtest.h>
#include <ostream>

namespace {

const QString kJoin = QStringLiteral(
    "SELECT CompiledTables.*, Children.Name, Teachers.Name"
    "     FROM Teachers INNER JOIN (Children INNER JOIN CompiledTables ON Children.IDChild = CompiledTables.IDChild)"
    " ON Teachers.IDTeacher = CompiledTables.IDTeacher"
    "     ORDER BY CompiledTables.DateTime, Children.Name, Teachers.Name, CompiledTables.Description,"
    " CompiledTables.IDCompiledTable     ");
const QString kChildren = QStringLiteral("SELECT * FROM Children ORDER BY Name, DateOfBirth, Info");

class RecordsetTest : public ProviderTest {
protected:
    TestDatabase t{GetParam()};
    std::unique_ptr<TNyRecordset> Open(const QString& sql) { return t.Db().OpenRecordset(sql); }
    QStringList Column(const QString& sql, const QString& column)
    {
        auto rs = Open(sql);
        QStringList values;
        for (; !rs->Eof(); rs->MoveNext())
            values << rs->GetFieldAsString(column);
        return values;
    }
    QStringList ChildNames() { return Column(kChildren, QStringLiteral("Name")); }
    void AddChildren(std::initializer_list<const char*> names)
    {
        for (const char* name : names)
            t.AddChild(QString::fromUtf8(name));
    }
};

// --- reading -------------------------------------------------------------

TEST_P(RecordsetTest, NullAndEmptyFieldsReadAsDefaults)
{
    t.Db().Execute(QStringLiteral("INSERT INTO Children(Name, DateOfBirth, Info) VALUES(NULL, NULL, '')"));
    auto rs = Open(QStringLiteral("SELECT * FROM Children"));
    for (const QString& name : {QStringLiteral("Name"), QStringLiteral("DateOfBirth"), QStringLiteral("Info")}) {
        EXPECT_EQ(rs->GetFieldAsString(name), QString()) << qPrintable(name);
        EXPECT_EQ(rs->GetFieldAsInteger(name), 0) << qPrintable(name);
        EXPECT_EQ(rs->GetFieldAsDateTime(name), 0.0) << qPrintable(name);
    }
    auto max = Open(QStringLiteral("SELECT MAX(QuestionOrder) AS MaxQuestionOrder FROM Questions WHERE IDArea=1 AND IDPhase=1"));
    EXPECT_EQ(max->GetFieldAsInteger(QStringLiteral("MaxQuestionOrder")), 0);
}

// A long result holds a column of few texts repeated (shared between rows)
// and one where every text differs (shared at first, then no longer): each
// value reads as stored, before and after that change.
TEST_P(RecordsetTest, LongResultsReadRepeatedAndDistinctTextsAsStored)
{
    const int count = 700;
    t.Db().Execute(QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < %1) "
                                  "INSERT INTO Children(Name, Info) SELECT 'Bambino ' || i, 'Nota ' || (i % 3) FROM n")
                       .arg(count));
    auto rs = Open(QStringLiteral("SELECT IDChild, Name, Info FROM Children ORDER BY IDChild"));
    ASSERT_EQ(rs->RecordCount(), count);
    for (int i = 1; !rs->Eof(); rs->MoveNext(), ++i) {
        ASSERT_EQ(rs->GetFieldAsString(QStringLiteral("Name")), QStringLiteral("Bambino %1").arg(i)) << i;
        ASSERT_EQ(rs->GetFieldAsString(QStringLiteral("Info")), QStringLiteral("Nota %1").arg(i % 3)) << i;
    }
}

TEST_P(RecordsetTest, EmptyRecordsetAndUnknownColumnsRaiseWithTheBracketedName)
{
    auto rs = Open(kChildren);
    EXPECT_TRUE(rs->Bof());
    EXPECT_TRUE(rs->Eof());
    EXPECT_EQ(rs->RecordCount(), 0);
    EXPECT_EQ(rs->GetAbsolutePosition(), -1);
    EXPECT_EQ(MessageOf([&] { rs->GetFieldAsString(QStringLiteral("Name")); }),
              QStringLiteral("NYADO exception: TNyRecordset::GetFieldAsString[Name]"));
    EXPECT_EQ(MessageOf([&] { rs->GetFieldAsInteger(QStringLiteral("IDChild")); }),
              QStringLiteral("NYADO exception: TNyRecordset::GetFieldAsInteger[IDChild]"));
    EXPECT_EQ(MessageOf([&] { rs->GetFieldAsDateTime(QStringLiteral("DateOfBirth")); }),
              QStringLiteral("NYADO exception: TNyRecordset::GetFieldAsDateTime[DateOfBirth]"));
    EXPECT_EQ(MessageOf([&] { rs->SetField(QStringLiteral("Name"), QStringLiteral("x")); }),
              QStringLiteral("NYADO exception: TNyRecordset::SetField[Name]"));

    t.AddChild(QStringLiteral("Anna"));
    auto one = Open(kChildren);
    EXPECT_EQ(MessageOf([&] { one->GetFieldAsString(QStringLiteral("Foo")); }),
              QStringLiteral("NYADO exception: TNyRecordset::GetFieldAsString[Foo]"));
    EXPECT_EQ(MessageOf([&] { one->GetFieldAsInteger(QStringLiteral("Foo")); }),
              QStringLiteral("NYADO exception: TNyRecordset::GetFieldAsInteger[Foo]"));
    EXPECT_EQ(MessageOf([&] { one->SetField(QStringLiteral("Foo"), 1); }),
              QStringLiteral("NYADO exception: TNyRecordset::SetField[Foo]"));
    EXPECT_TRUE(t.Db().Connection().Errors().isEmpty());
    // Column names match in any letter case.
    EXPECT_EQ(one->GetFieldAsString(QStringLiteral("NAME")), QStringLiteral("Anna"));
}

TEST_P(RecordsetTest, ColumnsAreFoundByNameInAnyLetterCaseAndNoOther)
{
    t.AddChild(QStringLiteral("Anna"));
    auto rs = Open(QStringLiteral("SELECT Name, 7 AS \"Et\u00e0\", 8 AS Namex FROM Children"));
    const struct {
        const char* name;
        const char* value; // null: no such column
    } cases[] = {
        {"Name", "Anna"}, {"nAME", "Anna"}, {"Children.NAME", "Anna"}, {"ET\u00c0", "7"}, {"et\u00e0", "7"},
        {"NAMEX", "8"},   {"Nam", nullptr}, {"Names", nullptr},       {"Eta", nullptr},
    };
    for (const auto& c : cases) {
        const QString name = QString::fromUtf8(c.name);
        const int index = rs->FieldIndex(name);
        if (!c.value) {
            EXPECT_EQ(index, -1) << c.name;
            continue;
        }
        ASSERT_GE(index, 0) << c.name;
        EXPECT_EQ(rs->GetFieldAsString(name), QString::fromUtf8(c.value)) << c.name;
    }
}

TEST_P(RecordsetTest, WalkingPastTheEnd)
{
    AddChildren({"Anna", "Bruno", "Carla"});
    auto rs = Open(kChildren);
    EXPECT_FALSE(rs->Bof());
    EXPECT_EQ(rs->RecordCount(), 3);
    QStringList seen;
    for (int position = 1; !rs->Eof(); ++position) {
        EXPECT_EQ(rs->GetAbsolutePosition(), position);
        seen << rs->GetFieldAsString(QStringLiteral("Name"));
        rs->MoveNext();
    }
    EXPECT_EQ(seen, QStringList({QStringLiteral("Anna"), QStringLiteral("Bruno"), QStringLiteral("Carla")}));
    EXPECT_NO_THROW(rs->MoveNext());
    EXPECT_TRUE(rs->Eof());
    EXPECT_EQ(rs->GetAbsolutePosition(), -3);
    EXPECT_THROW(rs->GetFieldAsString(QStringLiteral("Name")), Exception);

    rs->SetAbsolutePosition(2);
    EXPECT_EQ(rs->GetFieldAsString(QStringLiteral("Name")), QStringLiteral("Bruno"));
    rs->SetAbsolutePosition(0); // out of range: ignored
    rs->SetAbsolutePosition(4);
    EXPECT_EQ(rs->GetAbsolutePosition(), 2);
    rs->MoveFirst();
    EXPECT_EQ(rs->GetFieldAsString(QStringLiteral("Name")), QStringLiteral("Anna"));
}

TEST_P(RecordsetTest, DateTimeColumnsReadAsShortDateAndTimeOnlyWhenNotMidnight)
{
    t.AddChild(QStringLiteral("Anna")); // born 2020-03-04 00:00:00
    auto rs = Open(kChildren);
    EXPECT_EQ(rs->GetFieldAsString(QStringLiteral("DateOfBirth")), QStringLiteral("04/03/2020"));
    EXPECT_EQ(rs->GetFieldAsDateTime(QStringLiteral("DateOfBirth")), DateTimeFromQDate(QDate(2020, 3, 4)));

    rs->Edit();
    rs->SetField(QStringLiteral("DateOfBirth"), DateTimeFromQDate(QDate(2021, 12, 25)) + 0.4375);
    rs->Update();
    EXPECT_EQ(rs->GetFieldAsString(QStringLiteral("DateOfBirth")), QStringLiteral("25/12/2021 10:30:00"));
    // Stored as readable ISO text, so it sorts and reads well in any tool.
    EXPECT_EQ(t.Db().Lookup(QStringLiteral("SELECT DateOfBirth || '' AS Raw FROM Children"), QStringLiteral("Raw")),
              QStringLiteral("2021-12-25 10:30:00"));
    // Integers read as text are plain digits.
    EXPECT_EQ(rs->GetFieldAsString(QStringLiteral("IDChild")), QString::number(rs->GetFieldAsInteger(QStringLiteral("IDChild"))));
}

TEST_P(RecordsetTest, ClosedOrBrokenRecordsetsFailWithAMessage)
{
    TNyRecordset rs(t.Db().Connection());
    EXPECT_EQ(MessageOf([&] { rs.Eof(); }),
              QStringLiteral("NYADO exception: TNyRecordset::Eof: Operation is not allowed when the object is closed."));
    EXPECT_EQ(MessageOf([&] { rs.Open(QStringLiteral("SELECT * FROM Nope")); }),
              QStringLiteral("NYADO exception: TNyRecordset::Open: ")
                  + t.EngineText("no such table: Nope", "relation \"nope\" does not exist"));
    EXPECT_EQ(MessageOf([&] { t.Db().OpenRecordset(QStringLiteral("SELECT * FROM")); }),
              QStringLiteral("NYADO exception: TNyRecordset::Open: ")
                  + t.EngineText("near \"FROM\": syntax error", "syntax error at end of input"));
    // Nothing of a text holding a second statement is run.
    t.AddChild(QStringLiteral("Anna"));
    EXPECT_EQ(MessageOf([&] { t.Db().OpenRecordset(QStringLiteral("SELECT * FROM Children; DELETE FROM Children")); }),
              QStringLiteral("NYADO exception: TNyRecordset::Open: Characters found after end of SQL statement."));
    EXPECT_EQ(t.Count(QStringLiteral("Children")), 1);
    EXPECT_NO_THROW(t.Db().OpenRecordset(QStringLiteral("SELECT * FROM Children; -- all of them\n")));
    rs.Open(kChildren);
    EXPECT_EQ(MessageOf([&] { rs.FieldName(4); }),
              QStringLiteral("NYADO exception: TNyRecordset::FieldName: Item cannot be found in the collection."));
    EXPECT_TRUE(t.Db().Connection().Errors().isEmpty());
    rs.Close();
    EXPECT_THROW(rs.RecordCount(), Exception);
}

// --- adding and changing rows ---------------------------------------------

TEST_P(RecordsetTest, GeneratedKeysAreReadableRightAfterUpdate)
{
    auto children = Open(kChildren);
    children->AddNew();
    children->SetField(QStringLiteral("Name"), QStringLiteral("Anna"));
    children->SetField(QStringLiteral("DateOfBirth"), DateTimeFromQDate(QDate(2019, 5, 1)));
    children->SetField(QStringLiteral("Info"), QStringLiteral("Allergica ai pollini"));
    children->Update();
    const int anna = children->GetFieldAsInteger(QStringLiteral("IDChild"));
    EXPECT_GT(anna, 0);
    EXPECT_EQ(t.Db().Lookup(QStringLiteral("SELECT IDChild FROM Children WHERE Name='Anna'"), QStringLiteral("IDChild")),
              QString::number(anna));
    children->AddNew();
    children->SetField(QStringLiteral("Name"), QStringLiteral("Bruno"));
    children->Update();
    EXPECT_NE(children->GetFieldAsInteger(QStringLiteral("IDChild")), anna);
    EXPECT_EQ(children->RecordCount(), 2);

    const int teacher = t.AddTeacher(QStringLiteral("Irene"));
    auto compilations = Open(QStringLiteral("SELECT * FROM CompiledTables"));
    compilations->AddNew();
    compilations->SetField(QStringLiteral("IDChild"), anna);
    compilations->SetField(QStringLiteral("IDTeacher"), teacher);
    compilations->Update();
    const int id = compilations->GetFieldAsInteger(QStringLiteral("IDCompiledTable"));
    EXPECT_EQ(t.Count(QStringLiteral("CompiledTables"), QStringLiteral("IDCompiledTable=%1 AND IDChild=%2").arg(id).arg(anna)), 1);
}

TEST_P(RecordsetTest, CompilationsJoinReadsBothNamesAndWritesCompiledTables)
{
    const int anna = t.AddChild(QStringLiteral("Anna"));
    const int bruno = t.AddChild(QStringLiteral("Bruno"));
    const int irene = t.AddTeacher(QStringLiteral("Irene"));
    const TDateTime date = DateTimeFromQDate(QDate(2026, 9, 14));

    auto rs = Open(kJoin);
    rs->AddNew();
    rs->SetField(QStringLiteral("IDChild"), bruno);
    rs->SetField(QStringLiteral("IDTeacher"), irene);
    rs->SetField(QStringLiteral("DateTime"), date);
    rs->SetField(QStringLiteral("Description"), QStringLiteral("Autunno"));
    rs->Update();
    const int id = rs->GetFieldAsInteger(QStringLiteral("IDCompiledTable"));
    EXPECT_GT(id, 0);
    // The joined tables are not written through the join.
    EXPECT_EQ(MessageOf([&] { rs->SetField(QStringLiteral("Children.Name"), QStringLiteral("X")); }),
              QStringLiteral("NYADO exception: TNyRecordset::SetField[Children.Name]: "
                             "The column 'Children.Name' cannot be updated."));

    rs = Open(kJoin);
    ASSERT_EQ(rs->RecordCount(), 1);
    EXPECT_EQ(rs->GetFieldAsInteger(QStringLiteral("IDCompiledTable")), id);
    EXPECT_EQ(rs->GetFieldAsString(QStringLiteral("Children.Name")), QStringLiteral("Bruno"));
    EXPECT_EQ(rs->GetFieldAsString(QStringLiteral("Teachers.Name")), QStringLiteral("Irene"));
    EXPECT_EQ(rs->GetFieldAsString(QStringLiteral("DateTime")), QStringLiteral("14/09/2026"));

    // Every column is known by a name that reads it back, the two "Name"
    // columns by their table.
    QStringList names;
    for (int i = 0; i < rs->FieldCount(); ++i)
        names << rs->FieldName(i);
    QStringList expected{QStringLiteral("IDCompiledTable"), QStringLiteral("IDChild"), QStringLiteral("IDTeacher"),
                         QStringLiteral("DateTime"),        QStringLiteral("Description"), QStringLiteral("ChangeCount"),
                         QStringLiteral("Children.Name"),   QStringLiteral("Teachers.Name")};
    // The server spells a name the statement never writes out (one that only
    // "CompiledTables.*" brings) in lower case; lookups ignore the case.
    if (t.OnServer())
        expected[5] = expected[5].toLower();
    EXPECT_EQ(names, expected);

    rs->Edit();
    rs->SetField(QStringLiteral("IDChild"), anna);
    rs->SetField(QStringLiteral("Description"), QStringLiteral("Inverno"));
    rs->Update();
    rs = Open(kJoin);
    EXPECT_EQ(rs->GetFieldAsString(QStringLiteral("Children.Name")), QStringLiteral("Anna"));
    EXPECT_EQ(rs->GetFieldAsString(QStringLiteral("Description")), QStringLiteral("Inverno"));
    EXPECT_EQ(t.Count(QStringLiteral("CompiledTables")), 1);
}

TEST_P(RecordsetTest, CompilationsJoinOrdersByDateNamesDescriptionAndKey)
{
    const int anna = t.AddChild(QStringLiteral("Anna"));
    const int bruno = t.AddChild(QStringLiteral("Bruno"));
    const int irene = t.AddTeacher(QStringLiteral("Irene"));
    const int first = t.AddCompilation(bruno, irene, QStringLiteral("Same"));
    const int second = t.AddCompilation(bruno, irene, QStringLiteral("Same"));
    const int third = t.AddCompilation(anna, irene, QStringLiteral("Same"));
    const int fourth = t.AddCompilation(bruno, irene, QStringLiteral("Same"));
    t.Db().Execute(QStringLiteral("UPDATE CompiledTables SET DateTime='2020-01-01 00:00:00' WHERE IDCompiledTable=%1").arg(second));
    EXPECT_EQ(Column(kJoin, QStringLiteral("IDCompiledTable")),
              QStringList({QString::number(second), QString::number(third), QString::number(first), QString::number(fourth)}));
}

TEST_P(RecordsetTest, RefusedUpdateKeepsTheChangeUntilCancelUpdate)
{
    AddChildren({"Anna", "Bruno"});
    auto rs = Open(kChildren);
    rs->SetAbsolutePosition(2);
    rs->Edit();
    rs->SetField(QStringLiteral("Name"), QStringLiteral("ANNA"));
    EXPECT_EQ(MessageOf([&] { rs->Update(); }),
              QStringLiteral("NYADO exception: TNyRecordset::Update: ")
                  + t.EngineText("UNIQUE constraint failed: Children.Name",
                                 "duplicate key value violates unique constraint \"children_name_key\". "
                                 "Key (name)=(ANNA) already exists."));
    EXPECT_EQ(rs->GetFieldAsString(QStringLiteral("Name")), QStringLiteral("ANNA"));
    EXPECT_NO_THROW(rs->CancelUpdate());
    EXPECT_EQ(rs->GetFieldAsString(QStringLiteral("Name")), QStringLiteral("Bruno"));
    EXPECT_EQ(ChildNames(), QStringList({QStringLiteral("Anna"), QStringLiteral("Bruno")}));

    // The next change does not report the earlier failure again.
    rs->Edit();
    rs->SetField(QStringLiteral("Name"), QStringLiteral("Bruna"));
    EXPECT_NO_THROW(rs->Update());
    EXPECT_EQ(ChildNames(), QStringList({QStringLiteral("Anna"), QStringLiteral("Bruna")}));
}

TEST_P(RecordsetTest, MovingWritesAPendingChangeOrRaisesWithoutLosingIt)
{
    AddChildren({"Anna", "Bruno", "Carla"});
    auto rs = Open(kChildren);
    rs->Edit();
    rs->SetField(QStringLiteral("Info"), QStringLiteral("written by the move"));
    rs->MoveNext();
    EXPECT_EQ(t.Db().Lookup(QStringLiteral("SELECT Info FROM Children WHERE Name='Anna'"), QStringLiteral("Info")),
              QStringLiteral("written by the move"));

    // A change the database refuses stops the walk instead of looping on it.
    rs->SetField(QStringLiteral("Name"), QStringLiteral("carla"));
    EXPECT_EQ(MessageOf([&] { rs->MoveNext(); }),
              QStringLiteral("NYADO exception: TNyRecordset::MoveNext: ")
                  + t.EngineText("UNIQUE constraint failed: Children.Name",
                                 "duplicate key value violates unique constraint \"children_name_key\". "
                                 "Key (name)=(carla) already exists."));
    EXPECT_EQ(rs->GetAbsolutePosition(), 2);
    EXPECT_THROW(rs->MoveFirst(), Exception);
    EXPECT_THROW(rs->SetAbsolutePosition(3), Exception);
    // AddNew must not turn the new row's fields into a change of this row.
    EXPECT_THROW(rs->AddNew(), Exception);
    EXPECT_EQ(rs->RecordCount(), 3);
    rs->CancelUpdate();
    rs->MoveNext();
    EXPECT_EQ(rs->GetFieldAsString(QStringLiteral("Name")), QStringLiteral("Carla"));
    EXPECT_EQ(ChildNames(), QStringList({QStringLiteral("Anna"), QStringLiteral("Bruno"), QStringLiteral("Carla")}));
}

TEST_P(RecordsetTest, CancelledOrDeletedNewRowGivesBackThePosition)
{
    AddChildren({"Anna", "Bruno", "Carla"});
    auto rs = Open(kChildren);
    rs->SetAbsolutePosition(2);
    rs->AddNew();
    rs->SetField(QStringLiteral("Name"), QStringLiteral("Dario"));
    EXPECT_EQ(rs->RecordCount(), 4);
    rs->CancelUpdate();
    EXPECT_EQ(rs->RecordCount(), 3);
    EXPECT_EQ(rs->GetFieldAsString(QStringLiteral("Name")), QStringLiteral("Bruno"));

    rs->AddNew();
    rs->SetField(QStringLiteral("Name"), QStringLiteral("Dario"));
    rs->Delete();
    EXPECT_NO_THROW(rs->Update());
    EXPECT_EQ(rs->GetFieldAsString(QStringLiteral("Name")), QStringLiteral("Bruno"));

    while (!rs->Eof())
        rs->MoveNext();
    rs->AddNew();
    rs->CancelUpdate();
    EXPECT_TRUE(rs->Eof());
    EXPECT_EQ(ChildNames(), QStringList({QStringLiteral("Anna"), QStringLiteral("Bruno"), QStringLiteral("Carla")}));
}

TEST_P(RecordsetTest, EditCancelledLeavesRowAndTableAsTheyWere)
{
    AddChildren({"Anna"});
    auto rs = Open(kChildren);
    rs->Edit();
    rs->SetField(QStringLiteral("Name"), QStringLiteral("Zoe"));
    rs->SetField(QStringLiteral("DateOfBirth"), 1.0);
    rs->CancelUpdate();
    EXPECT_EQ(rs->GetFieldAsString(QStringLiteral("Name")), QStringLiteral("Anna"));
    EXPECT_EQ(rs->GetFieldAsString(QStringLiteral("DateOfBirth")), QStringLiteral("04/03/2020"));
    EXPECT_NO_THROW(rs->MoveNext());
    EXPECT_EQ(ChildNames(), QStringList({QStringLiteral("Anna")}));
}

TEST_P(RecordsetTest, ChangingTheKeyFindsTheRowByItsOldKey)
{
    t.AddArea(3, QStringLiteral("Motoria"));
    t.AddArea(5, QStringLiteral("Linguaggio"));
    auto rs = Open(QStringLiteral("SELECT * FROM Areas ORDER BY IDArea"));
    rs->Edit();
    rs->SetField(QStringLiteral("IDArea"), 4);
    rs->Update();
    EXPECT_EQ(Column(QStringLiteral("SELECT * FROM Areas ORDER BY IDArea"), QStringLiteral("IDArea")),
              QStringList({QStringLiteral("4"), QStringLiteral("5")}));
    rs->MoveNext();
    rs->SetField(QStringLiteral("IDArea"), 4);
    EXPECT_EQ(MessageOf([&] { rs->Update(); }),
              QStringLiteral("NYADO exception: TNyRecordset::Update: ")
                  + t.EngineText("UNIQUE constraint failed: Areas.IDArea",
                                 "duplicate key value violates unique constraint \"areas_pkey\". "
                                 "Key (idarea)=(4) already exists."));
    rs->CancelUpdate();
}

TEST_P(RecordsetTest, ChangeOfARowDeletedMeanwhileIsReported)
{
    AddChildren({"Anna"});
    auto rs = Open(kChildren);
    t.Db().Execute(QStringLiteral("DELETE * FROM Children"));
    rs->SetField(QStringLiteral("Info"), QStringLiteral("x"));
    EXPECT_EQ(MessageOf([&] { rs->Update(); }),
              QStringLiteral("NYADO exception: TNyRecordset::Update: Row cannot be located for updating. "
                             "Some values may have been changed since it was last read."));
    rs->CancelUpdate();
    rs->Delete();
    EXPECT_EQ(MessageOf([&] { rs->Update(); }),
              QStringLiteral("NYADO exception: TNyRecordset::Update: Row cannot be located for deletion."));
}

TEST_P(RecordsetTest, ARowWithoutItsKeyIsFoundByItsEmptyValuesToo)
{
    t.Db().Execute(QStringLiteral("INSERT INTO Teachers(Name, Info) VALUES('Irene', NULL), ('Ugo', 'x')"));
    auto rs = Open(QStringLiteral("SELECT Name, Info FROM Teachers ORDER BY Name"));
    ASSERT_EQ(rs->GetFieldAsString(QStringLiteral("Name")), QStringLiteral("Irene"));
    rs->SetField(QStringLiteral("Info"), QStringLiteral("y"));
    rs->Update();
    EXPECT_EQ(Column(QStringLiteral("SELECT Info FROM Teachers ORDER BY Name"), QStringLiteral("Info")),
              QStringList({QStringLiteral("y"), QStringLiteral("x")}));
}

TEST_P(RecordsetTest, RowsWithoutTheirKeyAreChangedOnlyWhenTheyAreUnique)
{
    t.Db().Execute(QStringLiteral("INSERT INTO Teachers(Name, Info) VALUES('Irene', 'part time'), ('Ugo', 'Part Time'),"
                                  " ('Vera', 'full time')"));
    auto rs = Open(QStringLiteral("SELECT Info FROM Teachers ORDER BY Info"));
    ASSERT_EQ(rs->GetFieldAsString(QStringLiteral("Info")), QStringLiteral("full time"));
    rs->SetField(QStringLiteral("Info"), QStringLiteral("full-time"));
    rs->Update();
    rs->MoveNext();
    // "part time" and "Part Time" are equal to the column's collation: the
    // row cannot be told from its twin, so neither is touched.
    rs->SetField(QStringLiteral("Info"), QStringLiteral("x"));
    EXPECT_EQ(MessageOf([&] { rs->Update(); }),
              QStringLiteral("NYADO exception: TNyRecordset::Update: "
                             "Insufficient key column information for updating or refreshing."));
    rs->CancelUpdate();
    rs->Delete();
    EXPECT_THROW(rs->Update(), Exception);
    EXPECT_EQ(Column(QStringLiteral("SELECT Info FROM Teachers ORDER BY Name"), QStringLiteral("Info")),
              QStringList({QStringLiteral("part time"), QStringLiteral("Part Time"), QStringLiteral("full-time")}));
}

// --- deleting rows ----------------------------------------------------------

TEST_P(RecordsetTest, DeleteDuringAWalkVisitsEveryRow)
{
    AddChildren({"Anna", "Bruno", "Carla", "Dario"});
    auto rs = Open(kChildren);
    QStringList visited;
    while (!rs->Eof()) {
        const QString name = rs->GetFieldAsString(QStringLiteral("Name"));
        visited << name;
        if (name == QLatin1String("Bruno") || name == QLatin1String("Carla")) {
            rs->Delete();
            rs->Update();
            // The deleted row is gone: nothing to read until the next move.
            EXPECT_EQ(MessageOf([&] { rs->GetFieldAsString(QStringLiteral("Name")); }),
                      QStringLiteral("NYADO exception: TNyRecordset::GetFieldAsString[Name]"));
            EXPECT_EQ(rs->GetAbsolutePosition(), -1);
        }
        rs->MoveNext();
    }
    EXPECT_EQ(visited.join(QLatin1Char(',')), QStringLiteral("Anna,Bruno,Carla,Dario"));
    EXPECT_EQ(rs->RecordCount(), 2);
    EXPECT_EQ(ChildNames(), QStringList({QStringLiteral("Anna"), QStringLiteral("Dario")}));

    // Deleting the last row leaves the recordset at its end.
    rs->SetAbsolutePosition(2);
    rs->Delete();
    rs->Update();
    EXPECT_TRUE(rs->Eof());
    rs->Delete(); // nothing left to delete: reported by Update
    EXPECT_EQ(MessageOf([&] { rs->Update(); }),
              QStringLiteral("NYADO exception: TNyRecordset::Update: "
                             "Either BOF or EOF is True, or the current record has been deleted."));
}

TEST_P(RecordsetTest, DeletingAnAreaInUseIsRefusedAtUpdate)
{
    t.AddArea(1, QStringLiteral("Motoria"));
    t.AddArea(2, QStringLiteral("Linguaggio"));
    t.AddPhase(1, QStringLiteral("Prima"));
    t.AddQuestion(1, 1, 1, QStringLiteral("Salta?"));
    auto rs = Open(QStringLiteral("SELECT * FROM Areas ORDER BY IDArea"));
    rs->Delete();
    EXPECT_EQ(MessageOf([&] { rs->Update(); }),
              QStringLiteral("NYADO exception: TNyRecordset::Update: ")
                  + t.EngineText("FOREIGN KEY constraint failed",
                                 "update or delete on table \"areas\" violates foreign key constraint "
                                 "\"questions_idarea_fkey\" on table \"questions\". Key (idarea)=(1) is still "
                                 "referenced from table \"questions\"."));
    EXPECT_NO_THROW(rs->CancelUpdate());
    EXPECT_EQ(rs->RecordCount(), 2);
    EXPECT_EQ(rs->GetFieldAsString(QStringLiteral("Description")), QStringLiteral("Motoria"));
    EXPECT_EQ(t.Count(QStringLiteral("Areas")), 2);

    // The unused one goes.
    rs->MoveNext();
    rs->Delete();
    EXPECT_NO_THROW(rs->Update());
    EXPECT_EQ(Column(QStringLiteral("SELECT * FROM Areas"), QStringLiteral("Description")),
              QStringList({QStringLiteral("Motoria")}));
}

TEST_P(RecordsetTest, DeletingAChildTakesItsCompilationsAlong)
{
    const int anna = t.AddChild(QStringLiteral("Anna"));
    const int bruno = t.AddChild(QStringLiteral("Bruno"));
    const int irene = t.AddTeacher(QStringLiteral("Irene"));
    t.AddCompilation(anna, irene, QStringLiteral("A"));
    t.AddCompilation(bruno, irene, QStringLiteral("B"));
    auto rs = Open(kChildren);
    rs->Delete();
    EXPECT_NO_THROW(rs->Update());
    EXPECT_EQ(Column(kJoin, QStringLiteral("Description")), QStringList({QStringLiteral("B")}));
}

INSTANTIATE_FOR_EACH_PROVIDER(RecordsetTest);

} // namespace
