// TFormTableEdit: the compilation editor. The user picks date, child,
// educator and description, answers the questions with the buttons or the
// keys s, v, n, o, sets start phases, exports and prints the report, and
// saves with OK. The compilation's header row is the current (or a freshly
// added) row of the compilations list's recordset.
#pragma once

#include "AgeStartPhase.h"
#include "CompilationChange.h"
#include "DateTime.h"
#include "Questions.h"
#include "QuestionsView.h"
#include "UnitRSEdit.h"

#include <QTime>
#include <memory>
#include <optional>

namespace Ui {
class TFormTableEdit;
}
class QAbstractButton;
class QButtonGroup;
class QKeyEvent;

class TFormTableEdit : public TFormRSEdit {
    Q_OBJECT

public:
    TFormTableEdit(QWidget* owner, TNyRecordset& recordset, bool editMode);
    ~TFormTableEdit() override;

    // Unsaved changes exist.
    bool Modified() const { return modified_; }
    TQuestions& Questionnaire() { return *questionnaire_; }
    // The picker's date with the time of day the compilation was stored with
    // (none for a new one): the editor shows only the date and must not drop
    // the time.
    TDateTime DateValue() const;
    // The label of the observation date, as the messages about it name it.
    static QString DateFieldName() { return QStringLiteral("Data"); }

public slots:
    void ListViewDataSelectItem();
    void SpeedButtonAnswerClick();
    void ListViewAreasClick();
    void BitBtnSetStartPhaseClick();
    void BitBtnExportAndPrintClick();
    void BitBtnReportPdfClick();
    void BitBtnOKClick() override;

protected:
    void LoadRecord(bool editMode, TNyRecordset& recordset) override;
    void SaveRecord(TNyRecordset& recordset) override;
    void ShowUpdateError(const QString& message) override;
    // The save's own check of the stored compilation has said so already.
    void ShowDeletedMeanwhileError(const QString& message) override { ShowUpdateError(message); }
    bool ConfirmCancel() override;

    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The answer keys; true when the key was one and has been used.
    bool FormKeyPress(const QKeyEvent* event);
    // The date field holds a date, not before the chosen child's birth;
    // otherwise the user has been told.
    bool DateAccepted();
    // The chosen child's date of birth; an invalid date when none can be read.
    QDate SelectedChildBirth();
    // Letters typed into these controls are text, not answers.
    bool TakesTyping(const QWidget* widget) const;
    void AnswerButtonClicked(QAbstractButton* button);
    void PressAnswerButton(QAbstractButton* button);
    int SelectedQuestionRow() const;
    // Selects the row of the list showing question q, if there is one.
    void SelectQuestion(int q);
    void SelectQuestionRow(int row);
    void AdvanceToQuestionRow(int row);
    // Where the area list's selection sends the question list.
    void FollowAreaSelection();
    int SelectedKey(TNyRecordset* recordset, const class QComboBox* combo, const QString& field,
                    const QString& what) const;

    // The header fields of a compilation as the recordset holds them.
    struct THeader {
        int IDChild = 0;
        int IDTeacher = 0;
        TDateTime DateTime = 0.0;
        QString Description;
        static THeader Read(TNyRecordset& recordset);
        void Write(TNyRecordset& recordset) const;
    };
    static void UndoPostedRow(TNyRecordset& recordset, bool inserted, const THeader& stored);
    // Why a save the database refused failed, when another user deleted
    // something the compilation refers to; empty otherwise.
    QString MissingReferenceText(TNyConnection& connection, const THeader& header) const;

    // Start phases from the child's age. A new compilation starts every
    // area at the phase whose age range holds the child's age at the
    // observation date, and follows the date and the child until the user
    // sets a start phase; a stored compilation keeps its own.
    void StartAgeProposal();
    void ProposeStartPhasesFromAge();
    // The child's age at the date shown, in whole months.
    std::optional<int> ChildAgeInMonths();
    // What the age proposes, for the start-phase dialog; empty without an
    // age or without phases that have ranges.
    QString AgeProposalNote();
    // The lists and points after the start phases changed.
    void ShowStartPhases();
    // Reads the compilation again as stored, dropping what this window
    // changed: the choice offered when someone else saved it meanwhile.
    void ReloadStoredCompilation();

    std::unique_ptr<Ui::TFormTableEdit> ui_;
    std::unique_ptr<TQuestions> questionnaire_;
    std::unique_ptr<TNyRecordset> phasesRecordset_;
    std::unique_ptr<TNyRecordset> childrenRecordset_;
    std::unique_ptr<TNyRecordset> teachersRecordset_;
    TQuestionsView view_;
    QButtonGroup* answerButtons_ = nullptr;
    QTime timeOfDay_;
    // The edited compilation's header as stored, read once when it opens: a
    // failed save may leave unsaved values in the recordset's row.
    THeader storedHeader_;
    // Why the compilation could not be read whole; while set, nothing is
    // saved or exported over what is stored.
    QString loadError_;
    // The stored compilation's count of saves when this window read it, and
    // how the last save found it when it did not go ahead.
    int openedChangeCount_ = 0;
    std::optional<TStoredCompilation> refusedSave_;
    // The last save failed because something it refers to was deleted
    // meanwhile, and its message says what.
    bool missingReference_ = false;
    bool modified_ = false;
    std::vector<TPhaseAgeRange> phaseAgeRanges_;
    bool startPhaseSetByHand_ = false;
};
