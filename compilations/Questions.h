// The questionnaire of one compilation in memory: every area, phase and
// question of the database, overlaid with one compilation's answers and start
// phases; it fills and scores the compilation editor's controls, writes the
// answers back and exports the report.
#pragma once

#include "DateTime.h"

#include <QString>
#include <cstdint>
#include <vector>

class QAbstractButton;
class QLabel;
class QTreeWidget;

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

// The editor's controls the questionnaire fills and reads. Any of them may be
// missing (null): the questionnaire then simply does not show that part, as
// when a compilation is scored for a report without a window.
struct TQuestionsView {
    QTreeWidget* ListViewData = nullptr;  // columns Area, Fase, Item, Testo, Risposta
    QTreeWidget* ListViewAreas = nullptr; // columns Descrizione, Punti, Non risp., F.P.
    QLabel* LabelQuestion = nullptr;
    QLabel* LabelAreaDescription = nullptr;
    QLabel* LabelPhaseDescription = nullptr;
    QLabel* LabelTotalPoints = nullptr;
    QAbstractButton* SpeedButtonAnswerYes = nullptr;
    QAbstractButton* SpeedButtonAnswerSometimes = nullptr;
    QAbstractButton* SpeedButtonAnswerNo = nullptr;
    QAbstractButton* SpeedButtonAnswerDontKnow = nullptr;
};

class TQuestions {
public:
    enum class FindMode { First, Next };

    // Column of the question list that the row's question index is kept in.
    static constexpr int QuestionIndexRole = 0x0100; // Qt::UserRole

    TQuestions() = default;

    // Reads all areas, phases and questions; raises the data-access exception.
    void Load();
    void LoadAnswers(int idCompiledTable);
    void LoadStartPhases(int idCompiledTable);

    static QString AnswerText(std::uint8_t code);
    static double AnswerValue(std::uint8_t code);
    int AreaIndex(int idArea) const;
    int PhaseIndex(int idPhase) const;
    bool IsActive(int questionIndex) const;

    void FillQuestionList(QTreeWidget* list) const;
    void FillAreaList(QTreeWidget* list) const;
    void ShowQuestion(int index, const TQuestionsView& view);
    void SetAnswerFromButtons(int index, const TQuestionsView& view);
    void SetStartPhase(int idPhase, bool allAreas);
    int GetStartPhase() const;
    int FindActiveQuestion(int start, FindMode mode) const;
    int SelectArea(int areaIndex);
    void Score(const TQuestionsView& view);
    bool HasUnanswered() const { return UnansweredCount > 0; }

    // Each deletes the compilation's rows and writes one per area (question);
    // returns the number of rows written. Raise the data-access exception.
    int SaveStartPhases(int idCompiledTable);
    int SaveAnswers(int idCompiledTable);
    // Both of the above in one transaction: after a failure the rows stored
    // before are all still there.
    void SaveStartPhasesAndAnswers(int idCompiledTable);

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
    void WriteReport(class TAHTML& html, TDateTime observationDate, const QString& childName,
                     TDateTime childDateOfBirth, const QString& teacherName, const QString& description,
                     const QString& school) const;
};
