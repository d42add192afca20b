#include "UnitTeacherEdit.h"

#include "Dialogs.h"
#include "MemoText.h"
#include "NyRecordset.h"
#include "RecordMessages.h"

#include "ui_UnitTeacherEdit.h"

TFormTeacherEdit::TFormTeacherEdit(QWidget* owner, TNyRecordset& recordset, bool editMode)
    : TFormRSEdit(owner, recordset, editMode)
    , ui_(std::make_unique<Ui::TFormTeacherEdit>())
{
    ui_->setupUi(this);
    RefuseRepeatedNames({QStringLiteral("Teachers"), QStringLiteral("IDTeacher"), QStringLiteral("Name"), true}, ui_->EditName);
    Initialize();
    ui_->EditName->setFocus();
}

TFormTeacherEdit::~TFormTeacherEdit() = default;

void TFormTeacherEdit::LoadRecord(bool editMode, TNyRecordset& recordset)
{
    if (!editMode) {
        setWindowTitle(QStringLiteral("Nuovo educatore"));
        ui_->LabelID->setText(Message11004());
        ui_->EditName->clear();
        ui_->MemoInfo->clear();
        return;
    }
    setWindowTitle(QStringLiteral("Modifica dati educatore"));
    ui_->LabelID->setText(recordset.GetFieldAsString(QStringLiteral("IDTeacher")));
    ui_->EditName->setText(recordset.GetFieldAsString(QStringLiteral("Name")));
    ui_->MemoInfo->setPlainText(recordset.GetFieldAsString(QStringLiteral("Info")));
}

void TFormTeacherEdit::SaveRecord(TNyRecordset& recordset)
{
    recordset.SetField(QStringLiteral("Name"), ui_->EditName->text());
    recordset.SetField(QStringLiteral("Info"), MemoLines(ui_->MemoInfo));
}

void TFormTeacherEdit::ShowUpdateError(const QString& message)
{
    WarningBox(this, Message11007() + message);
}
