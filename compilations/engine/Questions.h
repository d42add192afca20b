// The questionnaire of one compilation in memory: every area, phase and
// question of the database, overlaid with one compilation's answers and start
// phases; it scores the compilation, writes the answers back and exports the
// report. Plain data: the editor's view (TQuestionsView) paints what it holds.
#pragma once

#include "DateTime.h"

#include <QString>
#include <cstdint>
#include <vector>

// Answer codes, the same in memory, in the database and in the report.
enum : std::uint8_t {
    AnswerYes = 0,
    AnswerSometimes = 1,
    AnswerNo = 2,
    AnswerDontKnow = 3,
    AnswerNone = 255, // stored as -1
};

struct TQuestion {
    int IDQuestion = 0;
    QString QuestionText;
    int IDArea = 0;
    int IDPhase = 0;
    int QuestionOrder = 0;
    std::uint8_t Answer = AnswerNone;
};

struct TArea {
    int IDArea = 0;
    QString Description;
    int StartPhase = 1; // an IDPhase: the phases before it count as achieved
};

struct TPhase {
    int IDPhase = 0;
    QString Description;
    std::vector<double> AreaPoints; // per area, same index as TQuestions::Areas
};

// One area's result of a scoring.
struct TAreaScore {
    double Points = 0.0;
    int Unanswered = 0;
    int StartPhase = 1;
    // An area without questions has no points to show (they are 0).
    bool HasQuestions = false;
};

// The result of scoring a compilation: the editor shows it, the report
// prints it, so screen and paper always agree.
struct TScore {
    std::vector<TAreaScore> Areas; // same index as TQuestions::Areas
    double Total = 0.0;
    int Unanswered = 0;
};

class TQuestions {
public:
    enum class FindMode { First, Next };

    TQuestions() = default;

    // Reads all areas, phases and questions; raises the data-access exception.
    void Load();
    void LoadAnswers(int idCompiledTable);
    void LoadStartPhases(int idCompiledTable);

    static QString AnswerText(std::uint8_t code);
    static double AnswerValue(std::uint8_t code);
    // The answer a stored row means: none for an empty value or a code the
    // program never writes.
    static std::uint8_t StoredAnswer(bool missing, int stored);
    int AreaIndex(int idArea) const;
    int PhaseIndex(int idPhase) const;
    bool IsActive(int questionIndex) const;

    // Makes question index the current one and its area the current area (an
    // index of no question leaves the area as it was).
    void SetCurrentQuestion(int index);
    // Sets the answer of question index (AnswerNone takes it away).
    void SetAnswer(int index, std::uint8_t code);
    void SetStartPhase(int idPhase, bool allAreas);
    int GetStartPhase() const;
    int FindActiveQuestion(int start, FindMode mode) const;
    // The first active question from the area's first question on; an area
    // without questions leaves the current question as it is.
    int SelectArea(int areaIndex);
    // The one scoring of the program. A phase's cell of an area is the mean
    // of its answers ("Non so" and unanswered questions left out), or 1 for a
    // phase before the area's start phase; an area's points are the sum of
    // its cells that hold questions. Keeps the cells in Phases[].AreaPoints.
    TScore Score();
    bool HasUnanswered() const { return UnansweredCount > 0; }

    // Each deletes the compilation's rows and writes one per area (question);
    // returns the number of rows written. Raise the data-access exception.
    int SaveStartPhases(int idCompiledTable);
    int SaveAnswers(int idCompiledTable);
    // Both of the above in one transaction: after a failure the rows stored
    // before are all still there.
    void SaveStartPhasesAndAnswers(int idCompiledTable);
    // Gives the compilation copy the start phases and answers stored for
    // source, row for row, inside the caller's transaction. Raises the
    // data-access exception.
    static void CopyStartPhasesAndAnswers(int source, int copy);

    // Writes the HTML report of the compilation as it stands in memory. On
    // failure returns false with the exception's message in errorText.
    bool ExportReport(const QString& fileName, TDateTime observationDate, const QString& childName,
                      TDateTime childDateOfBirth, const QString& teacherName, const QString& description,
                      QString& errorText);

    int QuestionCount() const { return static_cast<int>(QuestionList.size()); }
    int AreaCount() const { return static_cast<int>(Areas.size()); }
    int PhaseCount() const { return static_cast<int>(Phases.size()); }

    int CurrentQuestion = -1;
    int CurrentArea = 0;
    std::vector<TQuestion> QuestionList;
    int IDCompiledTable = -1;
    std::vector<TArea> Areas;
    std::vector<TPhase> Phases;
    int UnansweredCount = -1;

private:
    void WriteReport(class TAHTML& html, const TScore& score, TDateTime observationDate, const QString& childName,
                     TDateTime childDateOfBirth, const QString& teacherName, const QString& description,
                     const QString& school) const;
};
