// Loading a questionnaire and one compilation's answers and start phases,
// the editor's lists, the question shown and the navigation between
// questions and areas.
#include "EditorWidgets.h"

#include <sqlcipher/sqlite3.h>

#include <functional>

namespace {

// Areas 10 and 20, phases 1 to 3, inserted out of order so that the load
// order has to come from the queries. On the file and on the server.
class Loading : public ProviderTest {
protected:
    void SetUp() override
    {
        ProviderTest::SetUp();
        if (IsSkipped())
            return;
        db.AddPhase(3, QStringLiteral("Autonomia piena"));
        db.AddPhase(1, QStringLiteral("Esplorazione"));
        db.AddPhase(2, QStringLiteral("Imitazione"));
        db.AddArea(20, QStringLiteral("Linguaggio"));
        db.AddArea(10, QStringLiteral("Motricit\u00e0"));
        l2 = db.AddQuestion(20, 2, 1, QStringLiteral("Dice frasi di due parole"));
        m3 = db.AddQuestion(10, 3, 1, QStringLiteral("Salta a piedi uniti"));
        l1b = db.AddQuestion(20, 1, 2, QStringLiteral("Indica gli oggetti"));
        m1 = db.AddQuestion(10, 1, 1, QStringLiteral("Gattona"));
        l1a = db.AddQuestion(20, 1, 1, QStringLiteral("Risponde al nome"));
        m2 = db.AddQuestion(10, 2, 1, QStringLiteral("Cammina"));
    }

    QList<int> QuestionKeys() const
    {
        QList<int> keys;
        for (const TQuestion& question : q.QuestionList)
            keys << question.IDQuestion;
        return keys;
    }

    // The stored rows of one compilation, "IDQuestion:IDAnswer" by question.
    QStringList StoredAnswers(int compilation)
    {
        QStringList rows;
        auto rs = db.Db().OpenRecordset(
            QStringLiteral("SELECT IDQuestion, IDAnswer FROM CompiledTablesAnswers WHERE IDCompiledTable=%1 "
                           "ORDER BY IDQuestion")
                .arg(compilation));
        for (; !rs->Eof(); rs->MoveNext())
            rows << rs->GetFieldAsString(QStringLiteral("IDQuestion")) + QLatin1Char(':')
                        + rs->GetFieldAsString(QStringLiteral("IDAnswer"));
        return rows;
    }

    static QString Pair(int idQuestion, int idAnswer) { return QStringLiteral("%1:%2").arg(idQuestion).arg(idAnswer); }

    TestDatabase db{GetParam()};
    TQuestions q;
    EditorWidgets w;
    int m1 = 0, m2 = 0, m3 = 0, l1a = 0, l1b = 0, l2 = 0;
};

// What the editor's lists make of the loaded questionnaire, and a file
// written without its keys: on the file only.
class LoadedQuestionnaire : public Loading {};

} // namespace

TEST_P(Loading, LoadReadsTheWholeGridInKeyOrder)
{
    q.Load();

    ASSERT_EQ(q.AreaCount(), 2);
    EXPECT_EQ(q.Areas[0].IDArea, 10);
    EXPECT_EQ(q.Areas[0].Description, QStringLiteral("Motricit\u00e0"));
    EXPECT_EQ(q.Areas[1].IDArea, 20);
    for (const TArea& area : q.Areas)
        EXPECT_EQ(area.StartPhase, 1);
    ASSERT_EQ(q.PhaseCount(), 3);
    EXPECT_EQ(q.Phases[0].IDPhase, 1);
    EXPECT_EQ(q.Phases[2].IDPhase, 3);
    EXPECT_EQ(q.Phases[2].Description, QStringLiteral("Autonomia piena"));
    for (const TPhase& phase : q.Phases)
        EXPECT_EQ(phase.AreaPoints, std::vector<double>(2, 0.0));

    EXPECT_EQ(QuestionKeys(), QList<int>({m1, m2, m3, l1a, l1b, l2}));
    const TQuestion& question = q.QuestionList[4];
    EXPECT_EQ(question.QuestionText, QStringLiteral("Indica gli oggetti"));
    EXPECT_EQ(question.IDArea, 20);
    EXPECT_EQ(question.IDPhase, 1);
    EXPECT_EQ(question.QuestionOrder, 2);
    for (const TQuestion& each : q.QuestionList)
        EXPECT_EQ(each.Answer, AnswerNone);

    EXPECT_EQ(q.IDCompiledTable, -1);
    EXPECT_EQ(q.UnansweredCount, -1);
    EXPECT_EQ(q.CurrentQuestion, 0);
    EXPECT_EQ(q.CurrentArea, 0);
}

TEST_P(Loading, ALoadReplacesWhatWasLoadedBefore)
{
    const int compilation = NewCompilation(db);
    StoreAnswer(db, compilation, m1, AnswerYes);
    q.Load();
    q.LoadAnswers(compilation);
    q.SetStartPhase(3, true);
    q.CurrentArea = 1;

    q.Load();

    EXPECT_EQ(q.QuestionCount(), 6);
    EXPECT_EQ(q.AreaCount(), 2);
    EXPECT_EQ(q.PhaseCount(), 3);
    EXPECT_EQ(q.QuestionList[0].Answer, AnswerNone);
    EXPECT_EQ(q.Areas[1].StartPhase, 1);
    EXPECT_EQ(q.IDCompiledTable, -1);
    EXPECT_EQ(q.CurrentArea, 0);
}

// The questionnaire read before may be shown again without reading it, but
// never once something has been written since, whoever wrote it and however.
TEST_P(Loading, ALoadSeesEveryChangeMadeSinceTheLastOne)
{
    const auto rename = [&](const QString& text) {
        return QStringLiteral("UPDATE Questions SET QuestionText = '%1' WHERE IDQuestion = %2").arg(text).arg(m1);
    };
    TNyConnection& connection = db.Db().Connection();
    // Each writes text in its own way and gives the text the question has then.
    const struct {
        const char* how;
        std::function<QString(const QString&)> write;
    } writers[] = {
        {"this connection",
         [&](const QString& text) {
             connection.Execute(rename(text));
             return text;
         }},
        {"another connection",
         [&](const QString& text) {
             TNyConnection elsewhere;
             db.OpenSecondConnection(elsewhere);
             elsewhere.Execute(rename(text));
             return text;
         }},
        {"the file's raw handle",
         [&](const QString& text) {
             if (!connection.Handle())
                 connection.Execute(rename(text));
             else if (sqlite3_exec(connection.Handle(), rename(text).toUtf8().constData(), nullptr, nullptr, nullptr))
                 ADD_FAILURE() << "the raw update failed";
             return text;
         }},
        {"a change read and then taken back",
         [&](const QString& text) {
             const QString before = q.QuestionList[0].QuestionText;
             connection.BeginTrans();
             connection.Execute(rename(text));
             q.Load();
             EXPECT_EQ(q.QuestionList[0].QuestionText, text);
             connection.RollbackTrans();
             return before;
         }},
    };
    int round = 0;
    for (const auto& writer : writers) {
        SCOPED_TRACE(writer.how);
        q.Load();
        q.Load();
        const QString expected = writer.write(QStringLiteral("Gattona (%1)").arg(++round));
        q.Load();
        ASSERT_EQ(q.QuestionList[0].IDQuestion, m1);
        EXPECT_EQ(q.QuestionList[0].QuestionText, expected);
    }
    // A question added elsewhere is one more row, not a changed one.
    TNyConnection elsewhere;
    db.OpenSecondConnection(elsewhere);
    elsewhere.Execute(QStringLiteral("INSERT INTO Questions(IDArea, IDPhase, QuestionOrder, QuestionText) "
                                     "VALUES(10, 3, 2, 'Corre')"));
    q.Load();
    EXPECT_EQ(q.QuestionCount(), 7);
}

TEST_P(LoadedQuestionnaire, QuestionsOutsideTheLoadedGridAreSkipped)
{
    // Only a database written without its keys can hold these.
    db.Db().Execute(QStringLiteral("PRAGMA foreign_keys=OFF"));
    db.AddQuestion(99, 1, 1, QStringLiteral("Area scomparsa"));
    db.AddQuestion(10, 9, 1, QStringLiteral("Fase scomparsa"));
    db.Db().Execute(QStringLiteral("PRAGMA foreign_keys=ON"));

    q.Load();
    w.View().FillQuestionList(q);
    q.Score();

    EXPECT_EQ(QuestionKeys(), QList<int>({m1, m2, m3, l1a, l1b, l2}));
    EXPECT_EQ(w.QuestionRowCount(), 6);
    EXPECT_EQ(q.UnansweredCount, 6);
}

TEST_P(Loading, StoredAnswersOverlayTheQuestionnaire)
{
    const int compilation = NewCompilation(db, QStringLiteral("Anna"));
    const int other = NewCompilation(db, QStringLiteral("Bruno"));
    StoreAnswer(db, compilation, m1, 0);
    StoreAnswer(db, compilation, m2, 1);
    StoreAnswer(db, compilation, m3, 2);
    StoreAnswer(db, compilation, l1a, 3);
    StoreAnswer(db, compilation, l1b, -1);
    StoreAnswer(db, other, l2, 0);
    StoreAnswer(db, other, l1b, 2);

    q.Load();
    q.LoadAnswers(compilation);
    w.View().FillQuestionList(q);

    EXPECT_EQ(q.IDCompiledTable, compilation);
    QStringList answers;
    for (int row = 0; row < w.QuestionRowCount(); ++row)
        answers << w.QuestionRow(row).at(4);
    // The stored -1 and the question without a row both read as no answer.
    EXPECT_EQ(answers, QStringList({QStringLiteral("S\u00ec"), QStringLiteral("A volte"), QStringLiteral("No"),
                                    QStringLiteral("Non so"), QStringLiteral("---"), QStringLiteral("---")}));
    EXPECT_EQ(q.QuestionList[4].Answer, AnswerNone);
    EXPECT_EQ(q.QuestionList[5].Answer, AnswerNone);
}

TEST_P(Loading, AnAnswerRowWithoutAValidCodeIsNoAnswer)
{
    const int compilation = NewCompilation(db);
    db.Db().Execute(QStringLiteral("INSERT INTO CompiledTablesAnswers(IDCompiledTable, IDQuestion, IDAnswer) "
                                   "VALUES(%1, %2, NULL)")
                        .arg(compilation)
                        .arg(m1));
    StoreAnswer(db, compilation, m2, 0);
    StoreAnswer(db, compilation, m3, 7);
    StoreAnswer(db, compilation, l1a, 256);

    q.Load();
    q.LoadAnswers(compilation);
    q.Score();

    // Read as a number the empty value is 0, and 256 cut to a byte is 0 too:
    // either would be a "Sì". A 7 shows as "---" and must not score as "No".
    EXPECT_EQ(q.QuestionList[0].Answer, AnswerNone);
    EXPECT_EQ(q.QuestionList[1].Answer, AnswerYes);
    EXPECT_EQ(q.QuestionList[2].Answer, AnswerNone);
    EXPECT_EQ(q.QuestionList[3].Answer, AnswerNone);
    EXPECT_EQ(q.UnansweredCount, 5);
    EXPECT_DOUBLE_EQ(q.Phases[2].AreaPoints[0], 0.0);
    EXPECT_DOUBLE_EQ(q.Phases[1].AreaPoints[0], 1.0);
}

TEST_P(Loading, StoredStartPhasesOverlayTheAreasAndThoseOfDeletedAreasAreIgnored)
{
    const int compilation = NewCompilation(db, QStringLiteral("Anna"));
    const int other = NewCompilation(db, QStringLiteral("Bruno"));
    StoreStartPhase(db, compilation, 20, 3);
    StoreStartPhase(db, compilation, 99, 2);
    StoreStartPhase(db, other, 10, 2);

    q.Load();
    q.LoadStartPhases(compilation);
    w.View().FillAreaList(q);

    EXPECT_EQ(q.IDCompiledTable, compilation);
    ASSERT_EQ(q.AreaCount(), 2);
    EXPECT_EQ(q.Areas[0].StartPhase, 1);
    EXPECT_EQ(q.Areas[1].StartPhase, 3);
    EXPECT_EQ(w.AreaRow(0), QStringList({QStringLiteral("Motricit\u00e0"), QString(), QString(), QStringLiteral("1")}));
    EXPECT_EQ(w.AreaRow(1), QStringList({QStringLiteral("Linguaggio"), QString(), QString(), QStringLiteral("3")}));
}

TEST_P(LoadedQuestionnaire, FillQuestionListShowsTheActiveQuestionsWithTheirIndex)
{
    q.Load();
    q.Areas[0].StartPhase = 2;
    q.QuestionList[2].Answer = AnswerSometimes;
    // Rows of an earlier fill must not survive.
    w.View().FillQuestionList(q);

    w.View().FillQuestionList(q);

    ASSERT_EQ(w.questions.model()->columnCount(), 5);
    EXPECT_EQ(w.QuestionHeadings(),
              QStringList({QStringLiteral("Area"), QStringLiteral("Fase"), QStringLiteral("Item"),
                           QStringLiteral("Testo"), QStringLiteral("Risposta")}));
    ASSERT_EQ(w.QuestionRowCount(), 5);
    EXPECT_EQ(w.QuestionRow(0), QStringList({QStringLiteral("10"), QStringLiteral("2"), QStringLiteral("1"),
                                             QStringLiteral("Cammina"), QStringLiteral("---")}));
    EXPECT_EQ(w.QuestionRow(1), QStringList({QStringLiteral("10"), QStringLiteral("3"), QStringLiteral("1"),
                                             QStringLiteral("Salta a piedi uniti"), QStringLiteral("A volte")}));
    EXPECT_EQ(w.QuestionRow(3), QStringList({QStringLiteral("20"), QStringLiteral("1"), QStringLiteral("2"),
                                             QStringLiteral("Indica gli oggetti"), QStringLiteral("---")}));
    QList<int> indexes;
    for (int row = 0; row < w.QuestionRowCount(); ++row)
        indexes << w.QuestionIndexOfRow(row);
    EXPECT_EQ(indexes, QList<int>({1, 2, 3, 4, 5}));
}

TEST_P(LoadedQuestionnaire, FillAreaListBuildsOnceAndThenOnlyRewritesTheStartPhases)
{
    q.Load();
    w.View().FillAreaList(q);
    ASSERT_EQ(w.areas.topLevelItemCount(), 2);
    ASSERT_EQ(w.areas.columnCount(), 4);
    const QTreeWidgetItem* header = w.areas.headerItem();
    EXPECT_EQ(QStringList({header->text(0), header->text(1), header->text(2), header->text(3)}),
              QStringList({QStringLiteral("Descrizione"), QStringLiteral("Punti"), QStringLiteral("Non risp."),
                           QStringLiteral("F.P.")}));
    w.View().Score(q);
    QTreeWidgetItem* firstRow = w.areas.topLevelItem(0);

    q.SetStartPhase(2, true);
    w.View().FillAreaList(q);

    // The same rows, with the points of the last scoring kept.
    EXPECT_EQ(w.areas.topLevelItem(0), firstRow);
    EXPECT_EQ(w.AreaRow(0), QStringList({QStringLiteral("Motricit\u00e0"), QStringLiteral("0,00"), QStringLiteral("3"),
                                         QStringLiteral("2")}));
    EXPECT_EQ(w.AreaRow(1).at(3), QStringLiteral("2"));
}

TEST_P(LoadedQuestionnaire, ARaisedStartPhaseHidesEarlierQuestionsWhoseAnswersAreStillSaved)
{
    const int compilation = NewCompilation(db);
    StoreAnswer(db, compilation, l1a, AnswerNo);
    StoreAnswer(db, compilation, l1b, AnswerDontKnow);
    StoreAnswer(db, compilation, l2, AnswerYes);
    q.Load();
    q.LoadAnswers(compilation);
    q.LoadStartPhases(compilation);
    w.View().FillQuestionList(q);
    w.View().FillAreaList(q);
    ASSERT_EQ(w.QuestionRowCount(), 6);

    w.View().ShowQuestion(q, 4); // a question of area 20
    ASSERT_EQ(q.CurrentArea, 1);
    q.SetStartPhase(2, false);
    EXPECT_EQ(q.GetStartPhase(), 2);
    // Nothing leaves the list until it is rebuilt.
    EXPECT_EQ(w.QuestionRowCount(), 6);

    w.View().FillQuestionList(q);
    w.View().FillAreaList(q);

    ASSERT_EQ(w.QuestionRowCount(), 4);
    EXPECT_EQ(w.QuestionRow(3).mid(0, 2), QStringList({QStringLiteral("20"), QStringLiteral("2")}));
    EXPECT_EQ(w.AreaRow(0).at(3), QStringLiteral("1"));
    EXPECT_EQ(w.AreaRow(1).at(3), QStringLiteral("2"));

    q.SaveStartPhasesAndAnswers(compilation);

    EXPECT_EQ(StoredAnswers(compilation), QStringList({Pair(l2, 0), Pair(m3, -1), Pair(l1b, 3), Pair(m1, -1),
                                                       Pair(l1a, 2), Pair(m2, -1)}));
    EXPECT_EQ(db.Db().Lookup(QStringLiteral("SELECT IDPhase FROM CompiledTablesStartPhase WHERE IDCompiledTable=%1 "
                                       "AND IDArea=20")
                            .arg(compilation),
                        QStringLiteral("IDPhase")),
              QStringLiteral("2"));
}

TEST_P(LoadedQuestionnaire, FindActiveQuestionSkipsQuestionsBeforeTheStartPhase)
{
    q.Load();
    // Indexes: 0 m1, 1 m2, 2 m3 (area 10); 3 l1a, 4 l1b, 5 l2 (area 20).
    q.Areas[0].StartPhase = 2;
    q.Areas[1].StartPhase = 2;

    EXPECT_EQ(q.FindActiveQuestion(0, TQuestions::FindMode::First), 1);
    EXPECT_EQ(q.FindActiveQuestion(4, TQuestions::FindMode::First), 1);
    EXPECT_EQ(q.FindActiveQuestion(-1, TQuestions::FindMode::Next), 1);
    EXPECT_EQ(q.FindActiveQuestion(1, TQuestions::FindMode::Next), 2);
    EXPECT_EQ(q.FindActiveQuestion(2, TQuestions::FindMode::Next), 5);
    EXPECT_EQ(q.FindActiveQuestion(5, TQuestions::FindMode::Next), -1);

    q.SetStartPhase(4, true);
    EXPECT_EQ(q.FindActiveQuestion(0, TQuestions::FindMode::First), -1);
    EXPECT_FALSE(q.IsActive(2));
}

TEST_P(LoadedQuestionnaire, ShowQuestionShowsTextAnswerAreaAndPhase)
{
    const int compilation = NewCompilation(db);
    StoreAnswer(db, compilation, l1b, AnswerNo);
    StoreAnswer(db, compilation, m2, AnswerDontKnow);
    q.Load();
    q.LoadAnswers(compilation);
    w.View().FillAreaList(q);

    w.View().ShowQuestion(q, 4);

    EXPECT_EQ(q.CurrentQuestion, 4);
    EXPECT_EQ(q.CurrentArea, 1);
    EXPECT_EQ(w.question.text(), QStringLiteral("Indica gli oggetti"));
    EXPECT_EQ(w.question.toolTip(), QStringLiteral("Indica gli oggetti"));
    EXPECT_EQ(w.area.text(), QStringLiteral("Linguaggio"));
    EXPECT_EQ(w.phase.text(), QStringLiteral("Fase 1: Esplorazione"));
    EXPECT_EQ(w.Pressed(), QStringLiteral("N"));
    EXPECT_EQ(w.areas.currentItem(), w.areas.topLevelItem(1));

    w.View().ShowQuestion(q, 1);
    EXPECT_EQ(w.Pressed(), QStringLiteral("D"));
    EXPECT_EQ(q.CurrentArea, 0);
    EXPECT_EQ(w.phase.text(), QStringLiteral("Fase 2: Imitazione"));
    EXPECT_EQ(w.areas.currentItem(), w.areas.topLevelItem(0));

    // Unanswered: the group must let go of the button pressed before.
    w.View().ShowQuestion(q, 2);
    EXPECT_EQ(w.Pressed(), QString());
    EXPECT_EQ(w.question.text(), QStringLiteral("Salta a piedi uniti"));
    EXPECT_EQ(w.phase.text(), QStringLiteral("Fase 3: Autonomia piena"));
}

TEST_P(LoadedQuestionnaire, ShowQuestionOfNoneClearsTheLabelsAndButtons)
{
    const int compilation = NewCompilation(db);
    StoreAnswer(db, compilation, l2, AnswerYes);
    q.Load();
    q.LoadAnswers(compilation);
    w.View().FillAreaList(q);
    w.View().ShowQuestion(q, 5);
    ASSERT_EQ(w.Pressed(), QStringLiteral("Y"));

    w.View().ShowQuestion(q, -1);

    EXPECT_EQ(q.CurrentQuestion, -1);
    EXPECT_EQ(w.question.text(), QStringLiteral("---"));
    EXPECT_EQ(w.question.toolTip(), QStringLiteral("---"));
    EXPECT_EQ(w.area.text(), QStringLiteral("---"));
    EXPECT_EQ(w.phase.text(), QStringLiteral("---"));
    EXPECT_EQ(w.Pressed(), QString());
    // The area stays the one of the question last shown.
    EXPECT_EQ(q.CurrentArea, 1);
    EXPECT_EQ(q.GetStartPhase(), 1);
}

namespace {

// Areas A to E, phases 1 to 3; E has no questions.
// Indexes: 0 A1, 1 A2, 2 B1, 3 B2, 4 C1, 5 D2, 6 D3.
class SelectingAreas : public ::testing::Test {
protected:
    SelectingAreas()
    {
        for (int phase = 1; phase <= 3; ++phase)
            db.AddPhase(phase, QStringLiteral("Fase %1").arg(phase));
        const QString names = QStringLiteral("ABCDE");
        for (int area = 1; area <= 5; ++area)
            db.AddArea(area, names.at(area - 1));
        db.AddQuestion(1, 1, 1, QStringLiteral("A1"));
        db.AddQuestion(1, 2, 1, QStringLiteral("A2"));
        db.AddQuestion(2, 1, 1, QStringLiteral("B1"));
        db.AddQuestion(2, 2, 1, QStringLiteral("B2"));
        db.AddQuestion(3, 1, 1, QStringLiteral("C1"));
        db.AddQuestion(4, 2, 1, QStringLiteral("D2"));
        db.AddQuestion(4, 3, 1, QStringLiteral("D3"));
        q.Load();
    }

    TestDatabase db;
    TQuestions q;
};

} // namespace

TEST_F(SelectingAreas, AClickOnAnAreaSelectsItsFirstActiveQuestion)
{
    EXPECT_EQ(q.SelectArea(1), 2);
    EXPECT_EQ(q.CurrentQuestion, 2);
    EXPECT_EQ(q.SelectArea(3), 5);
    EXPECT_EQ(q.SelectArea(0), 0);

    q.Areas[0].StartPhase = 2;
    q.Areas[3].StartPhase = 3;
    EXPECT_EQ(q.SelectArea(0), 1);
    EXPECT_EQ(q.SelectArea(3), 6);
}

TEST_F(SelectingAreas, AnAreaWithNoActiveQuestionSelectsTheNextAreasFirstActiveQuestion)
{
    q.Areas[1].StartPhase = 3; // B1 and B2 lie before it
    EXPECT_EQ(q.SelectArea(1), 4);

    q.Areas[2].StartPhase = 2; // and C1 too
    EXPECT_EQ(q.SelectArea(1), 5);

    q.Areas[3].StartPhase = 9; // nothing active from B on
    EXPECT_EQ(q.SelectArea(1), -1);
    EXPECT_EQ(q.CurrentQuestion, -1);
}

TEST_F(SelectingAreas, AnAreaWithoutQuestionsLeavesTheSelection)
{
    q.SelectArea(2);
    ASSERT_EQ(q.CurrentQuestion, 4);
    EXPECT_EQ(q.SelectArea(4), 4);
    EXPECT_EQ(q.SelectArea(7), 4);
}

// A click on an area selects its first question even when the first area
// has no questions, so that the next area's list starts at index 0; an area
// of a single question gets it too.
TEST(SelectingAreasAfterAnEmptyFirstArea, EachAreaGetsItsFirstQuestion)
{
    TestDatabase db;
    db.AddPhase(1, QStringLiteral("Prima"));
    db.AddArea(1, QStringLiteral("Senza domande"));
    db.AddArea(2, QStringLiteral("Seconda"));
    db.AddArea(3, QStringLiteral("Terza"));
    db.AddQuestion(2, 1, 1, QStringLiteral("B1"));
    db.AddQuestion(2, 1, 2, QStringLiteral("B2"));
    db.AddQuestion(3, 1, 1, QStringLiteral("C1"));
    TQuestions q;
    q.Load();

    const struct {
        int current, area, expected;
    } cases[] = {
        {2, 1, 0}, // not B2
        {0, 2, 2}, // the single question of its area
        {1, 2, 2},
        {2, 0, 0}, // the first area, with no question, gets the first active one
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "area " << c.area << " from question " << c.current);
        q.CurrentQuestion = c.current;
        EXPECT_EQ(q.SelectArea(c.area), c.expected);
        EXPECT_EQ(q.CurrentQuestion, c.expected);
    }
}

INSTANTIATE_FOR_EACH_PROVIDER(Loading);
INSTANTIATE_TEST_SUITE_P(, LoadedQuestionnaire, ::testing::Values(TestProvider::File), ProviderName);
