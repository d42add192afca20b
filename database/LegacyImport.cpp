#include "Database.h"

#include "LegacyQuestionFile.h"
#include "NyCommand.h"
#include "NyTransaction.h"

void TDatabase::ImportLegacyQuestions(const QString& fileName)
{
    // Everything is read and parsed before the first statement, so a file
    // that cannot be read costs nothing.
    const TLegacyQuestionnaire questionnaire = ReadLegacyQuestionFile(fileName);

    TNyTransaction transaction(connection_);
    // Questions first: areas and phases in use cannot go. Answers of
    // compilations refuse the deletion of their questions, which ends the
    // import here and the transaction takes nothing with it.
    Execute(QStringLiteral("DELETE * FROM Questions"));
    Execute(QStringLiteral("DELETE * FROM Areas"));
    Execute(QStringLiteral("DELETE * FROM Phases"));

    // One statement per table, bound again for each row; the texts go in as
    // values, never into the statement's text.
    TNyCommand area(connection_, QStringLiteral("INSERT INTO Areas(IDArea, Description) VALUES(?, ?)"));
    for (std::size_t m = 0; m < questionnaire.areas.size(); ++m)
        area.Execute({static_cast<int>(m + 1), questionnaire.areas[m].description});

    // Phases are shared by position, so each is written once with the last
    // name given to its position; a failure here is a real one.
    TNyCommand phase(connection_, QStringLiteral("INSERT INTO Phases(IDPhase, Description) VALUES(?, ?)"));
    for (int n = 0; n < questionnaire.PhaseTotal(); ++n)
        phase.Execute({n + 1, questionnaire.phaseNames[n]});

    TNyCommand insert(connection_, QStringLiteral("INSERT INTO Questions(IDQuestion, QuestionText, IDArea, IDPhase, "
                                                  "QuestionOrder) VALUES(?, ?, ?, ?, ?)"));
    // Sent together: a server gets them a few hundred at a time.
    std::vector<QVariant> rows;
    rows.reserve(questionnaire.questions.size() * 5);
    int previousArea = -1;
    int previousPhase = -1;
    int order = 0;
    for (std::size_t p = 0; p < questionnaire.questions.size(); ++p) {
        const TLegacyQuestionnaire::Question& question = questionnaire.questions[p];
        const int area = question.areaIndex + 1;
        const int phase = question.phaseIndex + 1;
        if (area == previousArea && phase == previousPhase) {
            ++order;
        } else {
            previousArea = area;
            previousPhase = phase;
            order = 1;
        }
        // Identifiers start from 0, as the earlier version numbered them.
        rows.insert(rows.end(), {static_cast<int>(p), question.text, area, phase, order});
    }
    insert.ExecuteRows(rows);

    transaction.Commit();
}
