// The delivered schema: its tables, what deleting a row does to the rows that
// depend on it, uniqueness, the program's SQL statements as written, and the
// indexes that keep per-compilation work off full-table scans.
#include "Exception.h"
#include "SqlText.h"
#include "TestDatabase.h"
#include "TestText.h"

#include <gtest/gtest.h>
#include <ostream>
#include <type_traits>

namespace {

template <typename Base>
class SchemaFixture : public Base {
protected:
    static TestProvider ProviderOf(const Base* test)
    {
        if constexpr (std::is_base_of_v<ProviderTest, Base>)
            return test->GetParam();
        else
            return TestProvider::File;
    }
    TestDatabase t{ProviderOf(this)};

    // The refusal of a reference: the file's short text, or the server's
    // description of the constraint, the table and the key.
    static ::testing::AssertionResult RefusedReference(const QString& message, bool onServer)
    {
        const QString prefix = QStringLiteral("NYADO exception: TNyConnection::Execute: ");
        const bool ok = onServer ? message.startsWith(prefix) && message.contains(QLatin1String("violates foreign key constraint"))
                                 : message == prefix + QStringLiteral("FOREIGN KEY constraint failed");
        if (ok)
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << message.toStdString();
    }

    QStringList Column(const QString& sql, const QString& column)
    {
        auto rs = t.Db().OpenRecordset(sql);
        QStringList values;
        for (; !rs->Eof(); rs->MoveNext())
            values << rs->GetFieldAsString(column);
        return values;
    }
    void Answer(int compilation, int question, int answer)
    {
        t.Db().Execute(QStringLiteral("INSERT INTO CompiledTablesAnswers(IDCompiledTable, IDQuestion, IDAnswer) VALUES(%1,%2,%3)")
                           .arg(compilation)
                           .arg(question)
                           .arg(answer));
    }
    void StartPhase(int compilation, int area, int phase)
    {
        t.Db().Execute(QStringLiteral("INSERT INTO CompiledTablesStartPhase(IDCompiledTable, IDArea, IDPhase) VALUES(%1,%2,%3)")
                           .arg(compilation)
                           .arg(area)
                           .arg(phase));
    }
    // Everything a compilation owns, as "compilations/answers/start phases".
    QString Owned()
    {
        return QStringLiteral("%1/%2/%3")
            .arg(t.Count(QStringLiteral("CompiledTables")))
            .arg(t.Count(QStringLiteral("CompiledTablesAnswers")))
            .arg(t.Count(QStringLiteral("CompiledTablesStartPhase")));
    }

    // A questionnaire of one area and phase with two questions, and three
    // compilations (Anna by Irene, Anna by Ugo, Bruno by Irene), each with
    // two answers and a start phase.
    int anna = 0, bruno = 0, irene = 0, ugo = 0, q1 = 0, q2 = 0;
    int annaIrene = 0, annaUgo = 0, brunoIrene = 0;
    void FillRegister()
    {
        anna = t.AddChild(QStringLiteral("Anna"));
        bruno = t.AddChild(QStringLiteral("Bruno"));
        irene = t.AddTeacher(QStringLiteral("Irene"));
        ugo = t.AddTeacher(QStringLiteral("Ugo"));
        t.AddArea(1, QStringLiteral("Motoria"));
        t.AddPhase(1, QStringLiteral("Prima"));
        q1 = t.AddQuestion(1, 1, 1, QStringLiteral("Salta?"));
        q2 = t.AddQuestion(1, 1, 2, QStringLiteral("Corre?"));
        annaIrene = t.AddCompilation(anna, irene, QStringLiteral("a"));
        annaUgo = t.AddCompilation(anna, ugo, QStringLiteral("b"));
        brunoIrene = t.AddCompilation(bruno, irene, QStringLiteral("c"));
        for (const int compilation : {annaIrene, annaUgo, brunoIrene}) {
            Answer(compilation, q1, 0);
            Answer(compilation, q2, 2);
            StartPhase(compilation, 1, 1);
        }
        ASSERT_EQ(Owned(), QStringLiteral("3/6/3"));
    }
};

// What only the file shows: its catalogue, its messages, its query plans.
class FileSchemaTest : public SchemaFixture<::testing::Test> {};

TEST_F(FileSchemaTest, NineTablesAndTheSingleApplicationRow)
{
    EXPECT_EQ(Column(QStringLiteral("SELECT name FROM sqlite_master WHERE type='table' AND name NOT LIKE 'sqlite%' ORDER BY name"),
                     QStringLiteral("name")),
              QStringList({QStringLiteral("Application"), QStringLiteral("Areas"), QStringLiteral("Children"),
                           QStringLiteral("CompiledTables"), QStringLiteral("CompiledTablesAnswers"),
                           QStringLiteral("CompiledTablesStartPhase"), QStringLiteral("Phases"), QStringLiteral("Questions"),
                           QStringLiteral("Teachers")}));
    EXPECT_EQ(t.Count(QStringLiteral("Application")), 1);
    EXPECT_EQ(t.Db().Lookup(QStringLiteral("SELECT School FROM Application"), QStringLiteral("School")), QString());
    for (const char* table : {"Children", "Teachers", "Areas", "Phases", "Questions", "CompiledTables"})
        EXPECT_EQ(t.Count(QString::fromLatin1(table)), 0) << table;
}

class SchemaTest : public SchemaFixture<ProviderTest> {};

TEST_P(SchemaTest, DeletingAChildOrAnEducatorTakesTheirCompilationsAlong)
{
    FillRegister();
    EXPECT_EQ(t.Db().Execute(QStringLiteral("DELETE * FROM Children WHERE IDChild=%1").arg(anna)), 1);
    EXPECT_EQ(Owned(), QStringLiteral("1/2/1"));
    EXPECT_EQ(Column(QStringLiteral("SELECT Description FROM CompiledTables"), QStringLiteral("Description")),
              QStringList({QStringLiteral("c")}));

    EXPECT_EQ(t.Db().Execute(QStringLiteral("DELETE * FROM Teachers WHERE IDTeacher=%1").arg(irene)), 1);
    EXPECT_EQ(Owned(), QStringLiteral("0/0/0"));
    EXPECT_EQ(t.Count(QStringLiteral("Teachers")), 1);
    EXPECT_EQ(t.Count(QStringLiteral("Questions")), 2);
}

TEST_P(SchemaTest, DeletingACompilationTakesItsAnswersAndStartPhases)
{
    FillRegister();
    EXPECT_EQ(t.Db().Execute(QStringLiteral("DELETE * FROM CompiledTables WHERE IDCompiledTable=%1").arg(annaUgo)), 1);
    EXPECT_EQ(Owned(), QStringLiteral("2/4/2"));
    EXPECT_EQ(t.Count(QStringLiteral("CompiledTablesAnswers"), QStringLiteral("IDCompiledTable=%1").arg(annaUgo)), 0);
}

TEST_P(SchemaTest, AreasPhasesAndQuestionsInUseCannotBeDeleted)
{
    FillRegister();
    t.AddArea(2, QStringLiteral("Unused area"));
    t.AddPhase(2, QStringLiteral("Unused phase"));
    const int unanswered = t.AddQuestion(1, 1, 3, QStringLiteral("Unanswered"));

    EXPECT_TRUE(RefusedReference(MessageOf([&] { t.Db().Execute(QStringLiteral("DELETE * FROM Areas WHERE IDArea=1")); }), t.OnServer()));
    EXPECT_TRUE(RefusedReference(MessageOf([&] { t.Db().Execute(QStringLiteral("DELETE * FROM Phases WHERE IDPhase=1")); }), t.OnServer()));
    EXPECT_TRUE(RefusedReference(MessageOf([&] { t.Db().Execute(QStringLiteral("DELETE * FROM Questions WHERE IDQuestion=%1").arg(q1)); }), t.OnServer()));
    // A refused statement changes nothing, also where other rows could go.
    EXPECT_TRUE(RefusedReference(MessageOf([&] { t.Db().Execute(QStringLiteral("DELETE * FROM Questions")); }), t.OnServer()));
    EXPECT_EQ(t.Count(QStringLiteral("Areas")), 2);
    EXPECT_EQ(t.Count(QStringLiteral("Phases")), 2);
    EXPECT_EQ(t.Count(QStringLiteral("Questions")), 3);
    EXPECT_EQ(Owned(), QStringLiteral("3/6/3"));

    EXPECT_EQ(t.Db().Execute(QStringLiteral("DELETE * FROM Questions WHERE IDQuestion=%1").arg(unanswered)), 1);
    EXPECT_EQ(t.Db().Execute(QStringLiteral("DELETE * FROM Areas WHERE IDArea=2")), 1);
    EXPECT_EQ(t.Db().Execute(QStringLiteral("DELETE * FROM Phases WHERE IDPhase=2")), 1);

    // Once no compilation holds answers the whole questionnaire can go.
    t.Db().Execute(QStringLiteral("DELETE * FROM CompiledTables"));
    t.Db().Execute(QStringLiteral("DELETE * FROM Questions"));
    t.Db().Execute(QStringLiteral("DELETE * FROM Areas"));
    t.Db().Execute(QStringLiteral("DELETE * FROM Phases"));
    EXPECT_EQ(t.Count(QStringLiteral("Areas")), 0);
}

TEST_P(SchemaTest, ReferencesMustPointAtExistingRows)
{
    FillRegister();
    EXPECT_TRUE(RefusedReference(MessageOf([&] { t.AddCompilation(999, irene, QStringLiteral("x")); }), t.OnServer()));
    EXPECT_TRUE(RefusedReference(MessageOf([&] { t.AddQuestion(7, 1, 1, QStringLiteral("x")); }), t.OnServer()));
    EXPECT_TRUE(RefusedReference(MessageOf([&] { Answer(999, q1, 0); }), t.OnServer()));
    EXPECT_TRUE(RefusedReference(MessageOf([&] { Answer(annaIrene, 999, 0); }), t.OnServer()));
    EXPECT_EQ(Owned(), QStringLiteral("3/6/3"));
}

TEST_F(FileSchemaTest, NamesAndNumbersAreUnique)
{
    t.AddChild(QStringLiteral("Anna Rossi"));
    t.AddTeacher(QStringLiteral("Irene"));
    t.AddArea(1, QStringLiteral("Motoria"));
    t.AddPhase(1, QStringLiteral("Prima"));
    const QString prefix = QStringLiteral("NYADO exception: TNyConnection::Execute: UNIQUE constraint failed: ");

    EXPECT_EQ(MessageOf([&] { t.AddChild(QStringLiteral("Anna Rossi")); }), prefix + QStringLiteral("Children.Name"));
    EXPECT_EQ(MessageOf([&] { t.AddChild(QStringLiteral("ANNA rossi")); }), prefix + QStringLiteral("Children.Name"));
    EXPECT_EQ(MessageOf([&] { t.AddTeacher(QStringLiteral("irene")); }), prefix + QStringLiteral("Teachers.Name"));
    EXPECT_EQ(MessageOf([&] { t.AddArea(1, QStringLiteral("Other")); }), prefix + QStringLiteral("Areas.IDArea"));
    EXPECT_EQ(MessageOf([&] { t.AddPhase(1, QStringLiteral("Other")); }), prefix + QStringLiteral("Phases.IDPhase"));
    // Renaming onto another name is refused as well.
    t.AddChild(QStringLiteral("Bruno"));
    EXPECT_EQ(MessageOf([&] { t.Db().Execute(QStringLiteral("UPDATE Children SET Name='anna ROSSI' WHERE Name='Bruno'")); }),
              prefix + QStringLiteral("Children.Name"));
    EXPECT_EQ(t.Count(QStringLiteral("Children")), 2);
    // A child and an educator may share a name.
    EXPECT_NO_THROW(t.AddTeacher(QStringLiteral("Anna Rossi")));
}

TEST_P(SchemaTest, TheProgramsStatementsRunAsWritten)
{
    FillRegister();
    auto text = [&](const QString& sql, const QString& column) {
        return t.Db().Lookup(sql, column);
    };
    EXPECT_EQ(text(QStringLiteral("SELECT COUNT(*) AS RecordCount FROM Areas"), QStringLiteral("RecordCount")), QStringLiteral("1"));
    EXPECT_EQ(text(QStringLiteral("SELECT MAX(QuestionOrder) AS MaxQuestionOrder FROM Questions WHERE IDArea=1 AND IDPhase=1"),
                   QStringLiteral("MaxQuestionOrder")),
              QStringLiteral("2"));
    EXPECT_EQ(Column(QStringLiteral("SELECT IDArea, IDPhase, QuestionOrder FROM Questions WHERE IDArea=1 AND IDPhase=1 AND "
                                    "QuestionOrder<>1 ORDER BY QuestionOrder"),
                     QStringLiteral("QuestionOrder")),
              QStringList({QStringLiteral("2")}));

    // The save of a compilation: delete, then insert with the blanks it is
    // written with.
    const QString id = QString::number(annaIrene);
    t.Db().Execute(QStringLiteral("DELETE * FROM CompiledTablesStartPhase WHERE IDCompiledTable=") + id);
    t.Db().Execute(QStringLiteral("         INSERT INTO CompiledTablesStartPhase(IDCompiledTable, IDArea, IDPhase)"
                                  "         VALUES(") + id + QStringLiteral(",1,1)         "));
    t.Db().Execute(QStringLiteral("DELETE * FROM CompiledTablesAnswers WHERE IDCompiledTable=") + id);
    t.Db().Execute(QStringLiteral("         INSERT INTO CompiledTablesAnswers(IDCompiledTable, IDQuestion, IDAnswer)"
                                  "         VALUES(") + id + QStringLiteral(",") + QString::number(q1) + QStringLiteral(",-1)         "));
    EXPECT_EQ(Column(QStringLiteral("SELECT * FROM CompiledTablesAnswers WHERE IDCompiledTable=") + id +
                         QStringLiteral(" ORDER BY IDQuestion"),
                     QStringLiteral("IDAnswer")),
              QStringList({QStringLiteral("-1")}));
    // One answer per question and one start phase per area.
    EXPECT_THROW(Answer(annaIrene, q1, 0), Exception);
    EXPECT_THROW(StartPhase(annaIrene, 1, 2), Exception);

    // The legacy import's statements, with explicit keys and quoted texts.
    t.Db().Execute(QStringLiteral("DELETE * FROM CompiledTables"));
    t.Db().Execute(QStringLiteral("DELETE * FROM Questions"));
    t.Db().Execute(QStringLiteral("DELETE * FROM Areas"));
    t.Db().Execute(QStringLiteral("DELETE * FROM Phases"));
    const QString question = QStringLiteral("Dice \"ciao\" all'arrivo?\r\nE all'uscita?");
    t.Db().Execute(QStringLiteral("INSERT INTO Areas(IDArea, Description) VALUES(3,'") + SQLQuote(QStringLiteral("Area dell'io")) +
                   QStringLiteral("')"));
    t.Db().Execute(QStringLiteral("INSERT INTO Phases(IDPhase, Description) VALUES(255,'Ultima')"));
    t.Db().Execute(QStringLiteral("INSERT INTO Questions(IDQuestion, QuestionText, IDArea, IDPhase, QuestionOrder) VALUES(40,'") +
                   SQLQuote(question) + QStringLiteral("',3,255,1)"));
    EXPECT_EQ(text(QStringLiteral("SELECT * FROM Questions ORDER BY IDArea, IDPhase, QuestionOrder"), QStringLiteral("QuestionText")),
              question);
    EXPECT_EQ(text(QStringLiteral("SELECT IDArea, Description FROM Areas ORDER BY IDArea"), QStringLiteral("Description")),
              QStringLiteral("Area dell'io"));
}

TEST_P(SchemaTest, LongTextsAreKeptWhole)
{
    QString info;
    for (int i = 0; i < 5000; ++i)
        info += QStringLiteral("Riga %1: però è già così\r\n").arg(i);
    const int anna = t.AddChild(QStringLiteral("Anna"));
    auto rs = t.Db().OpenRecordset(QStringLiteral("SELECT * FROM Children ORDER BY Name, DateOfBirth, Info"));
    rs->SetField(QStringLiteral("Info"), info);
    rs->Update();
    EXPECT_EQ(t.Db().Lookup(QStringLiteral("SELECT Info FROM Children WHERE IDChild=%1").arg(anna), QStringLiteral("Info")), info);
}

// The engine's plan for a statement, one line per step.
QString Plan(TestDatabase& t, const QString& sql)
{
    auto rs = t.Db().OpenRecordset(QStringLiteral("EXPLAIN QUERY PLAN ") + sql);
    QStringList steps;
    for (; !rs->Eof(); rs->MoveNext())
        steps << rs->GetFieldAsString(QStringLiteral("detail"));
    return steps.join(QLatin1Char('\n'));
}

TEST_F(FileSchemaTest, PerCompilationWorkAndDeleteChecksUseIndexes)
{
    // The statements that open, save and delete one compilation, and the
    // lookups the engine makes to cascade or refuse a deletion.
    const char* statements[] = {
        "SELECT * FROM CompiledTablesAnswers WHERE IDCompiledTable=1 ORDER BY IDQuestion",
        "SELECT * FROM CompiledTablesStartPhase WHERE IDCompiledTable=1 ORDER BY IDArea",
        "DELETE FROM CompiledTablesAnswers WHERE IDCompiledTable=1",
        "DELETE FROM CompiledTablesStartPhase WHERE IDCompiledTable=1",
        "SELECT 1 FROM CompiledTablesAnswers WHERE IDQuestion=1",
        "SELECT 1 FROM CompiledTables WHERE IDChild=1",
        "SELECT 1 FROM CompiledTables WHERE IDTeacher=1",
        "SELECT 1 FROM Questions WHERE IDArea=1",
        "SELECT 1 FROM Questions WHERE IDPhase=1",
        "SELECT MAX(QuestionOrder) AS MaxQuestionOrder FROM Questions WHERE IDArea=1 AND IDPhase=1",
    };
    for (const char* sql : statements) {
        const QString plan = Plan(t, QString::fromLatin1(sql));
        EXPECT_FALSE(plan.contains(QStringLiteral("SCAN TABLE"))) << sql << "\n" << qPrintable(plan);
        EXPECT_TRUE(plan.contains(QStringLiteral("SEARCH TABLE"))) << sql << "\n" << qPrintable(plan);
    }
}

INSTANTIATE_FOR_EACH_PROVIDER(SchemaTest);

} // namespace
