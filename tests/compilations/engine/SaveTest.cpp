// Saving a compilation's start phases and answers: the rows left in the
// database, the value stored for no answer, and the all-or-nothing save.
#include "QuestionsTestSupport.h"

#include "Exception.h"

#include <stdexcept>

namespace {

// Areas 10, 20, 30; phases 1 to 3; seven questions, none in area 30. On
// the file and on the server.
class Saving : public ProviderTest {
protected:
    void SetUp() override
    {
        ProviderTest::SetUp();
        if (IsSkipped())
            return;
        db.AddArea(10, QStringLiteral("Motricit\u00e0"));
        db.AddArea(20, QStringLiteral("Linguaggio"));
        db.AddArea(30, QStringLiteral("Gioco"));
        for (int phase = 1; phase <= 3; ++phase)
            db.AddPhase(phase, QStringLiteral("Fase %1").arg(phase));
        for (int area : {10, 20})
            for (int phase = 1; phase <= 3; ++phase)
                keys << db.AddQuestion(area, phase, 1, QStringLiteral("D %1-%2").arg(area).arg(phase));
        keys << db.AddQuestion(20, 3, 2, QStringLiteral("D 20-3 bis"));
        compilation = NewCompilation(db, QStringLiteral("Anna"));
        other = NewCompilation(db, QStringLiteral("Bruno"));
    }

    // "IDQuestion:IDAnswer" by question, and "IDArea:IDPhase" by area.
    QStringList Answers(int idCompiledTable)
    {
        return Rows(QStringLiteral("SELECT IDQuestion AS A, IDAnswer AS B FROM CompiledTablesAnswers "
                                   "WHERE IDCompiledTable=%1 ORDER BY IDQuestion")
                        .arg(idCompiledTable));
    }
    QStringList StartPhases(int idCompiledTable)
    {
        return Rows(QStringLiteral("SELECT IDArea AS A, IDPhase AS B FROM CompiledTablesStartPhase "
                                   "WHERE IDCompiledTable=%1 ORDER BY IDArea")
                        .arg(idCompiledTable));
    }
    QStringList Rows(const QString& sql)
    {
        QStringList rows;
        auto rs = db.Db().OpenRecordset(sql);
        for (; !rs->Eof(); rs->MoveNext())
            rows << rs->GetFieldAsString(QStringLiteral("A")) + QLatin1Char(':') + rs->GetFieldAsString(QStringLiteral("B"));
        return rows;
    }
    static QString Pair(int a, int b) { return QStringLiteral("%1:%2").arg(a).arg(b); }

    TQuestion& Question(int key)
    {
        for (TQuestion& question : q.QuestionList)
            if (question.IDQuestion == key)
                return question;
        throw std::logic_error("no such question");
    }

    // Some rows of both compilations, none matching what the tests save.
    void StoreEarlierRows()
    {
        StoreAnswer(db, compilation, keys[0], AnswerNo);
        StoreAnswer(db, compilation, keys[4], AnswerYes);
        StoreStartPhase(db, compilation, 20, 3);
        StoreStartPhase(db, compilation, 99, 2); // an area deleted since
        for (int key : keys)
            StoreAnswer(db, other, key, AnswerSometimes);
        StoreStartPhase(db, other, 10, 2);
    }

    TestDatabase db{GetParam()};
    TQuestions q;
    QList<int> keys; // in load order
    int compilation = 0;
    int other = 0;
};

} // namespace

TEST_P(Saving, LeavesExactlyOneRowPerQuestionAndPerAreaWhateverWasStored)
{
    StoreEarlierRows();
    const QStringList otherAnswers = Answers(other);
    const QStringList otherStartPhases = StartPhases(other);
    q.Load();
    q.LoadAnswers(compilation);
    q.LoadStartPhases(compilation);
    Question(keys[0]).Answer = AnswerDontKnow;
    Question(keys[1]).Answer = AnswerSometimes;
    q.Areas[0].StartPhase = 2;

    EXPECT_EQ(q.SaveStartPhases(compilation), 3);
    EXPECT_EQ(q.SaveAnswers(compilation), 7);

    // Unanswered questions are stored as -1; keys[4] lies before its area's
    // start phase and keeps the "Sì" stored for it.
    EXPECT_EQ(Answers(compilation), QStringList({Pair(keys[0], 3), Pair(keys[1], 1), Pair(keys[2], -1),
                                                 Pair(keys[3], -1), Pair(keys[4], 0), Pair(keys[5], -1),
                                                 Pair(keys[6], -1)}));
    // Every area gets its row, also with the default start phase and
    // without questions; the deleted area's row is gone.
    EXPECT_EQ(StartPhases(compilation), QStringList({Pair(10, 2), Pair(20, 3), Pair(30, 1)}));
    EXPECT_EQ(Answers(other), otherAnswers);
    EXPECT_EQ(StartPhases(other), otherStartPhases);
}

TEST_P(Saving, TheTransactionalSaveWritesTheSameRows)
{
    StoreEarlierRows();
    q.Load();
    q.LoadAnswers(compilation);
    q.LoadStartPhases(compilation);
    // Questions before the start phase keep and save their answers.
    q.SetStartPhase(3, true);
    Question(keys[6]).Answer = AnswerNo;

    q.SaveStartPhasesAndAnswers(compilation);

    EXPECT_EQ(Answers(compilation), QStringList({Pair(keys[0], 2), Pair(keys[1], -1), Pair(keys[2], -1),
                                                 Pair(keys[3], -1), Pair(keys[4], 0), Pair(keys[5], -1),
                                                 Pair(keys[6], 2)}));
    EXPECT_EQ(StartPhases(compilation), QStringList({Pair(10, 3), Pair(20, 3), Pair(30, 3)}));
    EXPECT_EQ(db.Db().Connection().TransactionLevel(), 0);

    // What was saved loads back as it was in memory.
    TQuestions reloaded;
    reloaded.Load();
    reloaded.LoadAnswers(compilation);
    reloaded.LoadStartPhases(compilation);
    for (int i = 0; i < q.QuestionCount(); ++i)
        EXPECT_EQ(reloaded.QuestionList[i].Answer, q.QuestionList[i].Answer) << "question " << i;
    for (int i = 0; i < q.AreaCount(); ++i)
        EXPECT_EQ(reloaded.Areas[i].StartPhase, q.Areas[i].StartPhase) << "area " << i;
}

TEST_P(Saving, ACopyToANewCompilationCarriesEveryRow)
{
    StoreEarlierRows();
    const int copy = NewCompilation(db, QStringLiteral("Carla"));
    q.Load();
    q.LoadStartPhases(other);
    q.LoadAnswers(other);

    q.SaveStartPhasesAndAnswers(copy);

    EXPECT_EQ(Answers(copy), Answers(other));
    EXPECT_EQ(StartPhases(copy), QStringList({Pair(10, 2), Pair(20, 1), Pair(30, 1)}));
}

TEST_P(Saving, ARefusedAnswerInTheMiddleLeavesEveryEarlierRowUntouched)
{
    StoreEarlierRows();
    const QStringList answersBefore = Answers(compilation);
    const QStringList startPhasesBefore = StartPhases(compilation);
    q.Load();
    q.LoadAnswers(compilation);
    q.LoadStartPhases(compilation);
    for (TQuestion& question : q.QuestionList)
        question.Answer = AnswerSometimes;
    q.SetStartPhase(2, true);
    db.RefuseRows("INSERT", QStringLiteral("CompiledTablesAnswers"), QStringLiteral("NEW.IDQuestion = %1").arg(keys[3]));

    try {
        q.SaveStartPhasesAndAnswers(compilation);
        FAIL() << "the refused row did not stop the save";
    } catch (const Exception& e) {
        EXPECT_TRUE(e.Message().contains(QStringLiteral("refused"))) << e.Message().toStdString();
    }

    // The start phases had been rewritten and the first answers inserted
    // before the refusal: none of it may remain.
    EXPECT_EQ(Answers(compilation), answersBefore);
    EXPECT_EQ(StartPhases(compilation), startPhasesBefore);
    EXPECT_EQ(db.Db().Connection().TransactionLevel(), 0);

    // Once the obstacle is gone the same save goes through.
    db.StopRefusing();
    q.SaveStartPhasesAndAnswers(compilation);
    EXPECT_EQ(Answers(compilation).size(), 7);
    EXPECT_EQ(db.Count(QStringLiteral("CompiledTablesAnswers"),
                       QStringLiteral("IDCompiledTable=%1 AND IDAnswer=1").arg(compilation)),
              7);
    EXPECT_EQ(StartPhases(compilation), QStringList({Pair(10, 2), Pair(20, 2), Pair(30, 2)}));
}

TEST_P(Saving, ARefusalOnANewCompilationLeavesItWithoutRows)
{
    db.RefuseRows("INSERT", QStringLiteral("CompiledTablesAnswers"), QStringLiteral("NEW.IDQuestion = %1").arg(keys[6]));
    q.Load();

    EXPECT_THROW(q.SaveStartPhasesAndAnswers(compilation), Exception);

    EXPECT_TRUE(Answers(compilation).isEmpty());
    EXPECT_TRUE(StartPhases(compilation).isEmpty());
}

namespace {

class SavingMany : public ProviderTest {
protected:
    TestDatabase db{GetParam()};
};

} // namespace

TEST_P(SavingMany, AThousandAnswersAreSavedAndReadBack)
{
    db.AddArea(1, QStringLiteral("Grande"));
    db.AddPhase(1, QStringLiteral("Unica"));
    db.Db().Execute(QStringLiteral(
        "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 1000) "
        "INSERT INTO Questions(QuestionText, IDArea, IDPhase, QuestionOrder) SELECT 'Domanda ' || i, 1, 1, i FROM n"));
    const int compilation = NewCompilation(db);
    TQuestions q;
    q.Load();
    ASSERT_EQ(q.QuestionCount(), 1000);
    const std::uint8_t codes[] = {AnswerYes, AnswerSometimes, AnswerNo, AnswerDontKnow, AnswerNone};
    for (int i = 0; i < q.QuestionCount(); ++i)
        q.QuestionList[i].Answer = codes[i % 5];

    q.SaveStartPhasesAndAnswers(compilation);

    EXPECT_EQ(db.Count(QStringLiteral("CompiledTablesAnswers"), QStringLiteral("IDCompiledTable=%1").arg(compilation)),
              1000);
    for (int stored : {0, 1, 2, 3, -1})
        EXPECT_EQ(db.Count(QStringLiteral("CompiledTablesAnswers"),
                           QStringLiteral("IDCompiledTable=%1 AND IDAnswer=%2").arg(compilation).arg(stored)),
                  200)
            << "IDAnswer " << stored;
    TQuestions reloaded;
    reloaded.Load();
    reloaded.LoadAnswers(compilation);
    for (int i = 0; i < reloaded.QuestionCount(); ++i)
        ASSERT_EQ(reloaded.QuestionList[i].Answer, codes[i % 5]) << "question " << i;
}

INSTANTIATE_FOR_EACH_PROVIDER(Saving);
INSTANTIATE_FOR_EACH_PROVIDER(SavingMany);
