// Times the questionnaire engine on a large compilation: 1000 questions in
// 10 areas and 10 phases. Prints the median of several runs of each step.
//
//   build/release/bench/QuestionnaireBench
#include "Database.h"
#include "DatabaseFile.h"
#include "NyTransaction.h"
#include "Questions.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

constexpr int kAreas = 10;
constexpr int kPhases = 10;
constexpr int kQuestionsPerCell = 10;

double MedianMs(int runs, const std::function<void()>& step)
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        step();
        times.push_back(timer.nsecsElapsed() / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

void FillQuestionnaire(TDatabase& db)
{
    TNyTransaction transaction(db.Connection());
    db.Execute(QStringLiteral("INSERT INTO Children(Name) VALUES('Bambino')"));
    db.Execute(QStringLiteral("INSERT INTO Teachers(Name) VALUES('Educatrice')"));
    for (int a = 1; a <= kAreas; ++a)
        db.Execute(QStringLiteral("INSERT INTO Areas(IDArea, Description) VALUES(%1, 'Area %1')").arg(a));
    for (int p = 1; p <= kPhases; ++p)
        db.Execute(QStringLiteral("INSERT INTO Phases(IDPhase, Description) VALUES(%1, 'Fase %1')").arg(p));
    for (int a = 1; a <= kAreas; ++a)
        for (int p = 1; p <= kPhases; ++p)
            for (int q = 1; q <= kQuestionsPerCell; ++q)
                db.Execute(QStringLiteral("INSERT INTO Questions(QuestionText, IDArea, IDPhase, QuestionOrder) "
                                          "VALUES('Domanda %1.%2.%3', %1, %2, %3)")
                               .arg(a)
                               .arg(p)
                               .arg(q));
    db.Execute(QStringLiteral("INSERT INTO CompiledTables(IDChild, IDTeacher, DateTime, Description) "
                              "VALUES(1, 1, '2026-12-01 00:00:00', 'Prova')"));
    transaction.Commit();
}

} // namespace

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
    FillQuestionnaire(db);

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
    const double load = MedianMs(9, [&] { questionnaire.Load(); });
    const double fill = MedianMs(9, [&] {
        questionnaire.FillQuestionList(&questions);
        questionnaire.FillAreaList(&areas);
    });
    questions.setCurrentItem(questions.topLevelItem(0));
    int next = 0;
    // One key press: the answer stored, the row updated, everything rescored.
    const double answer = MedianMs(101, [&] {
        questions.setCurrentItem(questions.topLevelItem(next));
        yes.setChecked(true);
        questionnaire.SetAnswerFromButtons(next, view);
        next = (next + 1) % questionnaire.QuestionCount();
    });
    const double save = MedianMs(9, [&] { questionnaire.SaveStartPhasesAndAnswers(1); });
    const double reload = MedianMs(9, [&] {
        TQuestions again;
        again.Load();
        again.LoadAnswers(1);
        again.LoadStartPhases(1);
    });

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
