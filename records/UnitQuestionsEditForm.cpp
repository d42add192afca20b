#include "UnitQuestionsEditForm.h"

#include "Database.h"
#include "Dialogs.h"
#include "Exception.h"
#include "FillFunctions.h"
#include "MemoText.h"
#include "RecordMessages.h"

#include "ui_UnitQuestionsEditForm.h"

namespace {

// The key of the row behind the chosen item. Reading it from wherever the
// recordset happens to stand would file the question under another area.
int ChosenKey(QComboBox* combo, TNyRecordset* rows, const QString& field)
{
    const int index = combo->currentIndex();
    if (!rows || index < 0 || index >= rows->RecordCount())
        throw Exception(QStringLiteral("nessun elemento scelto in \"%1\".").arg(combo->accessibleName()));
    rows->SetAbsolutePosition(index + 1);
    return rows->GetFieldAsInteger(field);
}

} // namespace

TFormQuestionsEdit::TFormQuestionsEdit(QWidget* owner, TNyRecordset& recordset, bool editMode)
    : TFormRSEdit(owner, recordset, editMode)
    , ui_(std::make_unique<Ui::TFormQuestionsEdit>())
{
    ui_->setupUi(this);
    Initialize();
    ui_->MemoText->setFocus();
}

TFormQuestionsEdit::~TFormQuestionsEdit() = default;

void TFormQuestionsEdit::LoadRecord(bool editMode, TNyRecordset& recordset)
{
    if (editMode) {
        // Before anything that can fail: a half-loaded dialog must not
        // offer to move the question.
        ui_->ComboBoxIDArea->setEnabled(false);
        ui_->ComboBoxIDPhase->setEnabled(false);
    }
    TDatabase* database = TDatabase::GetInstance();
    areas_ = database->OpenRecordset(QStringLiteral("SELECT IDArea, Description FROM Areas ORDER BY IDArea"));
    phases_ = database->OpenRecordset(QStringLiteral("SELECT IDPhase, Description FROM Phases ORDER BY IDPhase"));
    FillComboBox(ui_->ComboBoxIDArea, *areas_, true);
    FillComboBox(ui_->ComboBoxIDPhase, *phases_, true);
    if (!editMode) {
        setWindowTitle(QStringLiteral("Nuova domanda"));
        ui_->LabelID->setText(Message11004());
        ui_->MemoText->clear();
        ui_->ComboBoxIDArea->setCurrentIndex(0);
        ui_->ComboBoxIDPhase->setCurrentIndex(0);
        return;
    }
    setWindowTitle(QStringLiteral("Modifica dati domanda"));
    ui_->LabelID->setText(recordset.GetFieldAsString(QStringLiteral("IDQuestion")));
    ui_->MemoText->setPlainText(recordset.GetFieldAsString(QStringLiteral("QuestionText")));
    SelectComboBoxById(ui_->ComboBoxIDArea, *areas_, QStringLiteral("IDArea"),
                       recordset.GetFieldAsInteger(QStringLiteral("IDArea")));
    SelectComboBoxById(ui_->ComboBoxIDPhase, *phases_, QStringLiteral("IDPhase"),
                       recordset.GetFieldAsInteger(QStringLiteral("IDPhase")));
}

void TFormQuestionsEdit::SaveRecord(TNyRecordset& recordset)
{
    recordset.SetField(QStringLiteral("QuestionText"), MemoLines(ui_->MemoText));
    // Area, phase and number of an existing question never change.
    if (EditMode())
        return;
    recordset.SetField(QStringLiteral("IDArea"), ChosenKey(ui_->ComboBoxIDArea, areas_.get(), QStringLiteral("IDArea")));
    recordset.SetField(QStringLiteral("IDPhase"),
                       ChosenKey(ui_->ComboBoxIDPhase, phases_.get(), QStringLiteral("IDPhase")));
    // A placeholder until the list window gives the question the next number
    // of its group.
    recordset.SetField(QStringLiteral("QuestionOrder"), -1);
}

void TFormQuestionsEdit::ShowUpdateError(const QString& message)
{
    WarningBox(this, Message11201() + message);
}
