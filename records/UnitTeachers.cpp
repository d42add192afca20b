#include "UnitTeachers.h"

#include "Dialogs.h"
#include "RecordMessages.h"
#include "UnitTeacherEdit.h"

#include "ui_UnitTeachers.h"

TFormTeachers::TFormTeachers(QWidget* owner)
    : TFormRSShow(owner)
    , ui_(std::make_unique<Ui::TFormTeachers>())
{
    ui_->setupUi(this);
    Initialize(TRecordListControls::Of(*ui_));
}

TFormTeachers::~TFormTeachers() = default;

QString TFormTeachers::GetSelectSQL()
{
    // ITALIAN: the program's name order (NameText.h).
    return QStringLiteral("SELECT * FROM Teachers ORDER BY Name COLLATE ITALIAN, Info COLLATE ITALIAN");
}

void TFormTeachers::GetColumnFields(QStringList& fields)
{
    fields << QStringLiteral("Name") << QStringLiteral("Info");
}

TFormRSEdit* TFormTeachers::CreateEditForm(bool editMode, TNyRecordset& recordset)
{
    return new TFormTeacherEdit(this, recordset, editMode);
}

bool TFormTeachers::ConfirmDelete()
{
    return QuestionBox(this, Message11006()) == TBoxAnswer::Yes;
}

void TFormTeachers::ShowDeleteError(const QString& message)
{
    WarningBox(this, Message11008() + message);
}
