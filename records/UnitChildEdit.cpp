#include "UnitChildEdit.h"

#include "DateEntry.h"
#include "DateTime.h"
#include "Dialogs.h"
#include "MemoText.h"
#include "NyRecordset.h"
#include "RecordMessages.h"

#include "ui_UnitChildEdit.h"

TFormChildEdit::TFormChildEdit(QWidget* owner, TNyRecordset& recordset, bool editMode)
    : TFormRSEdit(owner, recordset, editMode)
    , ui_(std::make_unique<Ui::TFormChildEdit>())
{
    ui_->setupUi(this);
    RefuseRepeatedNames({QStringLiteral("Children"), QStringLiteral("IDChild"), QStringLiteral("Name"), true}, ui_->EditName);
    Initialize();
    ui_->EditName->setFocus();
}

TFormChildEdit::~TFormChildEdit() = default;

void TFormChildEdit::LoadRecord(bool editMode, TNyRecordset& recordset)
{
    if (!editMode) {
        setWindowTitle(QStringLiteral("Nuovo bambino"));
        ui_->LabelID->setText(Message11004());
        ui_->EditName->clear();
        ui_->DTPDateOfBirth->setDate(QDate::currentDate());
        ui_->MemoInfo->clear();
        return;
    }
    setWindowTitle(QStringLiteral("Modifica dati bambino"));
    ui_->LabelID->setText(recordset.GetFieldAsString(QStringLiteral("IDChild")));
    ui_->EditName->setText(recordset.GetFieldAsString(QStringLiteral("Name")));
    const QDateTime birth = QDateTimeFromDateTime(recordset.GetFieldAsDateTime(QStringLiteral("DateOfBirth")));
    ui_->DTPDateOfBirth->setDate(birth.date());
    timeOfBirth_ = birth.time();
    ui_->MemoInfo->setPlainText(recordset.GetFieldAsString(QStringLiteral("Info")));
}

void TFormChildEdit::BitBtnOKClick()
{
    // A child is not born in the future; a typed text that is no date is
    // never saved as some other date.
    if (!CheckedPastDate(this, ui_->DTPDateOfBirth, DateOfBirthFieldName()))
        return;
    TFormRSEdit::BitBtnOKClick();
}

void TFormChildEdit::SaveRecord(TNyRecordset& recordset)
{
    const QDate birth = ui_->DTPDateOfBirth->EnteredDate().value_or(ui_->DTPDateOfBirth->date());
    recordset.SetField(QStringLiteral("Name"), ui_->EditName->text());
    recordset.SetField(QStringLiteral("DateOfBirth"), DateTimeFromQDateTime(QDateTime(birth, timeOfBirth_)));
    recordset.SetField(QStringLiteral("Info"), MemoLines(ui_->MemoInfo));
}

void TFormChildEdit::ShowUpdateError(const QString& message)
{
    WarningBox(this, Message11003() + message);
}
