#include "UnitNumberedEdit.h"

#include "Dialogs.h"
#include "FillFunctions.h"
#include "NyRecordset.h"

#include <QComboBox>
#include <QLineEdit>

TFormNumberedEdit::TFormNumberedEdit(QWidget* owner, TNyRecordset& recordset, bool editMode, TTexts texts)
    : TFormRSEdit(owner, recordset, editMode)
    , texts_(std::move(texts))
{
}

void TFormNumberedEdit::SetUp(QComboBox* comboBoxID, QLineEdit* editDescription)
{
    comboBoxID_ = comboBoxID;
    editDescription_ = editDescription;
    RefuseRepeatedNames({texts_.table, texts_.keyField, QStringLiteral("Description")}, editDescription_);
    Initialize();
}

void TFormNumberedEdit::LoadRecord(bool editMode, TNyRecordset& recordset)
{
    editMode_ = editMode;
    FillComboBoxRange(comboBoxID_, 1, 255);
    if (!editMode) {
        setWindowTitle(texts_.newCaption);
        // 1 is proposed even when taken: the database then refuses it and
        // the user picks another number in the dialog left open.
        SelectComboBoxItem(comboBoxID_, 0, -1);
        editDescription_->clear();
        return;
    }
    setWindowTitle(texts_.editCaption);
    // The number is shown but cannot be changed: other data refer to it, and
    // a choice that saving would ignore must not be offered.
    comboBoxID_->setEnabled(false);
    SelectComboBoxItem(comboBoxID_, recordset.GetFieldAsInteger(texts_.keyField) - 1, -1);
    editDescription_->setText(recordset.GetFieldAsString(QStringLiteral("Description")));
}

void TFormNumberedEdit::SaveRecord(TNyRecordset& recordset)
{
    if (!editMode_)
        recordset.SetField(texts_.keyField, comboBoxID_->currentIndex() + 1);
    recordset.SetField(QStringLiteral("Description"), editDescription_->text());
}

void TFormNumberedEdit::ShowUpdateError(const QString& message)
{
    WarningBox(this, texts_.updateError + message);
}

void TFormNumberedEdit::ShowRepeatedNameError(const QString& message)
{
    WarningBox(this, texts_.repeatedDescriptionError + message);
}
