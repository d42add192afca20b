// TQuestionsView: the compilation editor's lists, labels and answer buttons,
// painted from the questionnaire engine (TQuestions) and read back into it.
// Any control may be missing (null): that part is then simply not shown.
#pragma once

#include "Questions.h"

#include <Qt>

class QAbstractButton;
class QLabel;
class QTreeView;
class QTreeWidget;
class TQuestionsModel;

struct TQuestionsView {
    // The role of the question list's first column that holds the row's
    // question index.
    static constexpr int QuestionIndexRole = Qt::UserRole;

    QTreeView* ListViewData = nullptr;    // columns Area, Fase, Item, Testo, Risposta
    QTreeWidget* ListViewAreas = nullptr; // columns Descrizione, Punti, Non risp., F.P.
    QLabel* LabelQuestion = nullptr;
    QLabel* LabelAreaDescription = nullptr;
    QLabel* LabelPhaseDescription = nullptr;
    QLabel* LabelTotalPoints = nullptr;
    QAbstractButton* SpeedButtonAnswerYes = nullptr;
    QAbstractButton* SpeedButtonAnswerSometimes = nullptr;
    QAbstractButton* SpeedButtonAnswerNo = nullptr;
    QAbstractButton* SpeedButtonAnswerDontKnow = nullptr;

    // One row per active question. The list gets its model (a
    // TQuestionsModel) here unless it has one already.
    void FillQuestionList(const TQuestions& questions) const;
    // The question list's model, or null without a list.
    TQuestionsModel* QuestionsModel() const;
    // One row per area, built once; afterwards only the start phases change.
    void FillAreaList(const TQuestions& questions) const;
    // Makes question index the current one and shows its text, answer, area
    // and phase (or "---" for no question).
    void ShowQuestion(TQuestions& questions, int index) const;
    // Stores the answer the buttons show for question index, writes it in
    // the question's row and scores again.
    void SetAnswerFromButtons(TQuestions& questions, int index) const;
    // Scores the compilation and shows the result.
    TScore Score(TQuestions& questions) const;
    // Area points, unanswered counts and the total; areas without questions
    // are left as they are.
    void ShowScore(const TScore& score) const;
};
