// Times the questionnaire engine on a large compilation: 1000 questions in
// 10 areas and 10 phases. Prints the median of several runs of each step.
//
//   build/release/bench/QuestionnaireBench
#include "BenchSupport.h"
#include "Database.h"
#include "DatabaseFile.h"
#include "Questions.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("bench.mdb"));
    CreateDatabaseFile(path);
    OpenDatabaseFile(path);
    TDatabase& db = *TDatabase::GetInstance();
    FillLargeQuestionnaire(db);

    TQuestions questionnaire;
    const double load = Measure(9, [&] { questionnaire.Load(); }).median;
    int next = 0;
    // One answer: stored, and everything scored again.
    const double answer = Measure(101, [&] {
        questionnaire.SetAnswer(next, AnswerYes);
        questionnaire.Score();
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
    std::printf("answer one question + score %8.3f ms\n", answer);
    std::printf("save answers and phases     %8.2f ms\n", save);
    std::printf("load one compilation        %8.2f ms\n", reload);
    TDatabase::ReleaseInstance();
    return 0;
}
