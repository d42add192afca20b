// Times the questionnaire engine on a large compilation: 1000 questions in
// 10 areas and 10 phases. Prints the median of several runs of each step.
//
//   build/release/bench/QuestionnaireBench
#include "BenchSupport.h"
#include "Database.h"
#include "DatabaseFile.h"
#include "Questions.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <cstdio>

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("bench.mdb"));
    CreateDatabaseFile(path);
    OpenDatabaseFile(path);
    TDatabase& db = *TDatabase::GetInstance();
    FillLargeQuestionnaire(db);

    QTreeWidget questions;
    questions.setColumnCount(5);
    QTreeWidget areas;
    areas.setColumnCount(4);
    QLabel question, area, phase, total;
    QPushButton yes, sometimes, no, dontKnow;
    for (QPushButton* b : {&yes, &sometimes, &no, &dontKnow})
        b->setCheckable(true);
    const TQuestionsView view{&questions, &areas, &question, &area, &phase, &total, &yes, &sometimes, &no, &dontKnow};

    TQuestions questionnaire;
    const double load = Measure(9, [&] { questionnaire.Load(); }).median;
    const double fill = Measure(9, [&] {
        questionnaire.FillQuestionList(&questions);
        questionnaire.FillAreaList(&areas);
    }).median;
    questions.setCurrentItem(questions.topLevelItem(0));
    int next = 0;
    // One key press: the answer stored, the row updated, everything rescored.
    const double answer = Measure(101, [&] {
        questions.setCurrentItem(questions.topLevelItem(next));
        yes.setChecked(true);
        questionnaire.SetAnswerFromButtons(next, view);
        next = (next + 1) % questionnaire.QuestionCount();
    }).median;
    const double save = Measure(9, [&] { questionnaire.SaveStartPhasesAndAnswers(1); }).median;
    const double reload = Measure(9, [&] {
        TQuestions again;
        again.Load();
        again.LoadAnswers(1);
        again.LoadStartPhases(1);
    }).median;

    std::printf("questions: %d, areas: %d, phases: %d\n", questionnaire.QuestionCount(), questionnaire.AreaCount(),
                questionnaire.PhaseCount());
    std::printf("load questionnaire          %8.2f ms\n", load);
    std::printf("fill question and area list %8.2f ms\n", fill);
    std::printf("answer one question + score %8.3f ms\n", answer);
    std::printf("save answers and phases     %8.2f ms\n", save);
    std::printf("load one compilation        %8.2f ms\n", reload);
    TDatabase::ReleaseInstance();
    return 0;
}
