// Scoring of a compilation: cell values, area points, unanswered counts and
// the texts the editor shows for them, on a real database and real widgets.
#include "EditorWidgets.h"

#include <map>

namespace {

class Scoring : public ::testing::Test {
protected:
    // Sets answers by question key, whatever the position in the list.
    void Answer(const std::map<int, std::uint8_t>& answers)
    {
        for (TQuestion& question : q.QuestionList) {
            const auto found = answers.find(question.IDQuestion);
            if (found != answers.end())
                question.Answer = found->second;
        }
    }

    void LoadAndFill()
    {
        q.Load();
        w.View().FillQuestionList(q);
        w.View().FillAreaList(q);
    }

    double Cell(int phaseIndex, int areaIndex) const { return q.Phases.at(phaseIndex).AreaPoints.at(areaIndex); }

    TestDatabase db;
    TQuestions q;
    EditorWidgets w;
};

} // namespace

TEST_F(Scoring, CellOfYesSometimesNoAndDontKnowIsOneHalf)
{
    db.AddArea(1, QStringLiteral("Autonomia"));
    db.AddPhase(1, QStringLiteral("Prima"));
    const int yes = db.AddQuestion(1, 1, 1, QStringLiteral("Si veste"));
    const int sometimes = db.AddQuestion(1, 1, 2, QStringLiteral("Mangia"));
    const int no = db.AddQuestion(1, 1, 3, QStringLiteral("Si lava"));
    const int dontKnow = db.AddQuestion(1, 1, 4, QStringLiteral("Riordina"));
    LoadAndFill();
    Answer({{yes, AnswerYes}, {sometimes, AnswerSometimes}, {no, AnswerNo}, {dontKnow, AnswerDontKnow}});

    w.View().Score(q);

    // "Non so" is left out of the mean: 1.5 over three, not over four.
    EXPECT_DOUBLE_EQ(Cell(0, 0), 0.5);
    EXPECT_EQ(w.AreaRow(0), QStringList({QStringLiteral("Autonomia"), QStringLiteral("0,50"), QStringLiteral("0"),
                                         QStringLiteral("1")}));
    EXPECT_EQ(w.total.text(), QStringLiteral("0,50"));
    EXPECT_EQ(q.UnansweredCount, 0);
    EXPECT_FALSE(q.HasUnanswered());
}

TEST_F(Scoring, CellOfOnlyDontKnowOrUnansweredIsZeroAndCountsTheUnanswered)
{
    db.AddArea(1, QStringLiteral("Linguaggio"));
    db.AddPhase(1, QStringLiteral("Prima"));
    db.AddPhase(2, QStringLiteral("Seconda"));
    const int a = db.AddQuestion(1, 1, 1, QStringLiteral("a"));
    const int b = db.AddQuestion(1, 1, 2, QStringLiteral("b"));
    const int c = db.AddQuestion(1, 1, 3, QStringLiteral("c"));
    const int d = db.AddQuestion(1, 2, 1, QStringLiteral("d"));
    db.AddQuestion(1, 2, 2, QStringLiteral("e"));
    db.AddQuestion(1, 2, 3, QStringLiteral("f"));
    LoadAndFill();
    // Phase 1 holds a repeating fraction: two "Sì" and one "No" give 2/3.
    Answer({{a, AnswerYes}, {b, AnswerYes}, {c, AnswerNo}, {d, AnswerDontKnow}});
    // A value left from an earlier scoring must not survive this one.
    q.Phases[1].AreaPoints[0] = 0.9;

    w.View().Score(q);

    EXPECT_DOUBLE_EQ(Cell(0, 0), 2.0 / 3.0);
    EXPECT_DOUBLE_EQ(Cell(1, 0), 0.0);
    EXPECT_EQ(w.AreaRow(0), QStringList({QStringLiteral("Linguaggio"), QStringLiteral("0,67"), QStringLiteral("2"),
                                         QStringLiteral("1")}));
    EXPECT_EQ(w.total.text(), QStringLiteral("0,67"));
    EXPECT_EQ(q.UnansweredCount, 2);
    EXPECT_TRUE(q.HasUnanswered());
}

TEST_F(Scoring, StartPhaseCountsEarlierPhasesAsAchievedAndOnlyLaterOnesAsUnanswered)
{
    db.AddArea(1, QStringLiteral("Motricit\u00e0"));
    for (int phase = 1; phase <= 4; ++phase)
        db.AddPhase(phase, QStringLiteral("Fase %1").arg(phase));
    const int p1a = db.AddQuestion(1, 1, 1, QStringLiteral("p1a"));
    db.AddQuestion(1, 1, 2, QStringLiteral("p1b"));
    db.AddQuestion(1, 2, 1, QStringLiteral("p2a"));
    const int p3a = db.AddQuestion(1, 3, 1, QStringLiteral("p3a"));
    const int p3b = db.AddQuestion(1, 3, 2, QStringLiteral("p3b"));
    const int p3c = db.AddQuestion(1, 3, 3, QStringLiteral("p3c"));
    const int p4a = db.AddQuestion(1, 4, 1, QStringLiteral("p4a"));
    db.AddQuestion(1, 4, 2, QStringLiteral("p4b"));
    LoadAndFill();
    Answer({{p1a, AnswerNo}, {p3a, AnswerYes}, {p3b, AnswerYes}, {p3c, AnswerNo}, {p4a, AnswerSometimes}});

    // From phase 1: 0 + 0 + 2/3 + 1/2, three unanswered.
    w.View().Score(q);
    EXPECT_EQ(w.AreaRow(0).mid(1, 2), QStringList({QStringLiteral("1,17"), QStringLiteral("3")}));
    EXPECT_EQ(q.UnansweredCount, 3);

    w.View().ShowQuestion(q, 0);
    q.SetStartPhase(3, false);
    EXPECT_EQ(q.GetStartPhase(), 3);
    w.View().FillAreaList(q);
    w.View().Score(q);

    // Phases 1 and 2 give 1.0 each whatever their answers; the "No" of
    // phase 1 and the unanswered questions there no longer matter.
    EXPECT_DOUBLE_EQ(Cell(0, 0), 1.0);
    EXPECT_DOUBLE_EQ(Cell(1, 0), 1.0);
    EXPECT_DOUBLE_EQ(Cell(2, 0), 2.0 / 3.0);
    EXPECT_DOUBLE_EQ(Cell(3, 0), 0.5);
    EXPECT_EQ(w.AreaRow(0), QStringList({QStringLiteral("Motricit\u00e0"), QStringLiteral("3,17"),
                                         QStringLiteral("1"), QStringLiteral("3")}));
    EXPECT_EQ(w.total.text(), QStringLiteral("3,17"));
    EXPECT_EQ(q.UnansweredCount, 1);
}

TEST_F(Scoring, ConsecutiveAreasMeetingInOnePhaseAreAveragedSeparately)
{
    db.AddArea(1, QStringLiteral("Prima area"));
    db.AddArea(2, QStringLiteral("Seconda area"));
    for (int phase = 1; phase <= 3; ++phase)
        db.AddPhase(phase, QStringLiteral("Fase %1").arg(phase));
    const int a1 = db.AddQuestion(1, 1, 1, QStringLiteral("a1"));
    const int a2 = db.AddQuestion(1, 2, 1, QStringLiteral("a2"));
    const int a3 = db.AddQuestion(1, 2, 2, QStringLiteral("a3"));
    const int b1 = db.AddQuestion(2, 2, 1, QStringLiteral("b1"));
    const int b2 = db.AddQuestion(2, 2, 2, QStringLiteral("b2"));
    const int b3 = db.AddQuestion(2, 3, 1, QStringLiteral("b3"));
    LoadAndFill();
    Answer({{a1, AnswerYes}, {a2, AnswerNo}, {a3, AnswerNo}, {b1, AnswerYes}, {b2, AnswerYes}, {b3, AnswerSometimes}});

    w.View().Score(q);

    // Mixed into one cell, phase 2 would give 0.5 to both areas.
    EXPECT_DOUBLE_EQ(Cell(1, 0), 0.0);
    EXPECT_DOUBLE_EQ(Cell(1, 1), 1.0);
    EXPECT_DOUBLE_EQ(Cell(2, 1), 0.5);
    EXPECT_EQ(w.AreaRow(0).mid(1, 2), QStringList({QStringLiteral("1,00"), QStringLiteral("0")}));
    EXPECT_EQ(w.AreaRow(1).mid(1, 2), QStringList({QStringLiteral("1,50"), QStringLiteral("0")}));
    EXPECT_EQ(w.total.text(), QStringLiteral("2,50"));
}

TEST_F(Scoring, WithoutQuestionsTheAreaRowsStayEmptyAndTheTotalIsZero)
{
    db.AddArea(1, QStringLiteral("Autonomia"));
    db.AddArea(2, QStringLiteral("Linguaggio"));
    db.AddPhase(1, QStringLiteral("Prima"));
    LoadAndFill();
    w.total.setText(QStringLiteral("9,99"));

    w.View().Score(q);

    EXPECT_EQ(w.QuestionRowCount(), 0);
    EXPECT_EQ(w.AreaRow(0), QStringList({QStringLiteral("Autonomia"), QString(), QString(), QStringLiteral("1")}));
    EXPECT_EQ(w.AreaRow(1), QStringList({QStringLiteral("Linguaggio"), QString(), QString(), QStringLiteral("1")}));
    EXPECT_EQ(w.total.text(), QStringLiteral("0,00"));
    EXPECT_EQ(q.UnansweredCount, 0);
    EXPECT_FALSE(q.HasUnanswered());
}

TEST_F(Scoring, AnAreaWithoutQuestionsIsLeftUntouchedAndTheNextGetsItsOwnRow)
{
    db.AddArea(1, QStringLiteral("Prima"));
    db.AddArea(2, QStringLiteral("Vuota"));
    db.AddArea(3, QStringLiteral("Terza"));
    db.AddPhase(1, QStringLiteral("Unica"));
    const int first = db.AddQuestion(1, 1, 1, QStringLiteral("uno"));
    db.AddQuestion(3, 1, 1, QStringLiteral("tre"));
    LoadAndFill();
    Answer({{first, AnswerSometimes}});

    w.View().Score(q);

    EXPECT_EQ(w.AreaRow(0).mid(1, 2), QStringList({QStringLiteral("0,50"), QStringLiteral("0")}));
    EXPECT_EQ(w.AreaRow(1), QStringList({QStringLiteral("Vuota"), QString(), QString(), QStringLiteral("1")}));
    EXPECT_EQ(w.AreaRow(2).mid(1, 2), QStringList({QStringLiteral("0,00"), QStringLiteral("1")}));
    EXPECT_DOUBLE_EQ(Cell(0, 1), 0.0);
    EXPECT_EQ(w.total.text(), QStringLiteral("0,50"));
    EXPECT_EQ(q.UnansweredCount, 1);
}

TEST_F(Scoring, ReleasingAndPressingAnswerButtonsRescores)
{
    db.AddArea(1, QStringLiteral("Autonomia"));
    db.AddPhase(1, QStringLiteral("Prima"));
    const int first = db.AddQuestion(1, 1, 1, QStringLiteral("Si veste da solo"));
    const int second = db.AddQuestion(1, 1, 2, QStringLiteral("Mangia da solo"));
    const int compilation = NewCompilation(db);
    StoreAnswer(db, compilation, first, AnswerYes);
    StoreAnswer(db, compilation, second, AnswerNo);
    q.Load();
    q.LoadAnswers(compilation);
    w.View().FillQuestionList(q);
    w.View().FillAreaList(q);
    w.SetCurrentQuestionRow(0);
    w.View().ShowQuestion(q, w.QuestionIndexOfRow(0));
    w.View().Score(q);
    ASSERT_EQ(w.Pressed(), QStringLiteral("Y"));
    ASSERT_EQ(w.AreaRow(0).mid(1, 2), QStringList({QStringLiteral("0,50"), QStringLiteral("0")}));

    w.Release(AnswerYes);
    w.View().SetAnswerFromButtons(q, q.CurrentQuestion);

    EXPECT_EQ(q.QuestionList[0].Answer, AnswerNone);
    EXPECT_EQ(w.QuestionRow(0).at(4), QStringLiteral("---"));
    EXPECT_EQ(w.AreaRow(0).mid(1, 2), QStringList({QStringLiteral("0,00"), QStringLiteral("1")}));
    EXPECT_EQ(w.total.text(), QStringLiteral("0,00"));
    EXPECT_TRUE(q.HasUnanswered());

    w.sometimes.click();
    w.View().SetAnswerFromButtons(q, q.CurrentQuestion);

    EXPECT_EQ(q.QuestionList[0].Answer, AnswerSometimes);
    EXPECT_EQ(w.QuestionRow(0).at(4), QStringLiteral("A volte"));
    EXPECT_EQ(w.QuestionRow(1).at(4), QStringLiteral("No"));
    EXPECT_EQ(w.AreaRow(0).mid(1, 2), QStringList({QStringLiteral("0,25"), QStringLiteral("0")}));
    EXPECT_EQ(w.total.text(), QStringLiteral("0,25"));
    EXPECT_FALSE(q.HasUnanswered());
}

TEST_F(Scoring, AnswerButtonsUpdateTheRowOfTheQuestionAnswered)
{
    db.AddArea(1, QStringLiteral("Autonomia"));
    db.AddPhase(1, QStringLiteral("Prima"));
    db.AddQuestion(1, 1, 1, QStringLiteral("uno"));
    db.AddQuestion(1, 1, 2, QStringLiteral("due"));
    LoadAndFill();
    w.View().ShowQuestion(q, 1);
    // The selection still rests on another row.
    w.SetCurrentQuestionRow(0);

    w.no.click();
    w.View().SetAnswerFromButtons(q, 1);

    EXPECT_EQ(w.QuestionRow(0).at(4), QStringLiteral("---"));
    EXPECT_EQ(w.QuestionRow(1).at(4), QStringLiteral("No"));
    EXPECT_EQ(q.QuestionList[0].Answer, AnswerNone);
    EXPECT_EQ(q.QuestionList[1].Answer, AnswerNo);
}

TEST_F(Scoring, UnansweredCountIsUnknownUntilTheFirstScoring)
{
    EXPECT_EQ(q.UnansweredCount, -1);
    db.AddArea(1, QStringLiteral("Autonomia"));
    db.AddPhase(1, QStringLiteral("Prima"));
    db.AddQuestion(1, 1, 1, QStringLiteral("uno"));
    q.Load();
    EXPECT_EQ(q.UnansweredCount, -1);
    EXPECT_FALSE(q.HasUnanswered());

    // Scoring without the editor, as the report tool does.
    q.Score();
    EXPECT_EQ(q.UnansweredCount, 1);
    EXPECT_TRUE(q.HasUnanswered());

    // A new load forgets the last scoring.
    q.Load();
    EXPECT_EQ(q.UnansweredCount, -1);
}
