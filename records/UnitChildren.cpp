#include "UnitChildren.h"

#include "Dialogs.h"
#include "RecordMessages.h"
#include "UnitChildEdit.h"

#include "ui_UnitChildren.h"

TFormChildren::TFormChildren(QWidget* owner)
    : TFormRSShow(owner)
    , ui_(std::make_unique<Ui::TFormChildren>())
{
    ui_->setupUi(this);
    Initialize(TRecordListControls::Of(*ui_));
}

TFormChildren::~TFormChildren() = default;

QString TFormChildren::GetSelectSQL()
{
    // ITALIAN: the program's name order (NameText.h).
    return QStringLiteral("SELECT * FROM Children ORDER BY Name COLLATE ITALIAN, DateOfBirth, Info COLLATE ITALIAN");
}

void TFormChildren::GetColumnFields(QStringList& fields)
{
    fields << QStringLiteral("Name") << QStringLiteral("DateOfBirth") << QStringLiteral("Info");
}

TFormRSEdit* TFormChildren::CreateEditForm(bool editMode, TNyRecordset& recordset)
{
    return new TFormChildEdit(this, recordset, editMode);
}

bool TFormChildren::ConfirmDelete()
{
    return QuestionBox(this, Message11005()) == TBoxAnswer::Yes;
}

void TFormChildren::ShowDeleteError(const QString& message)
{
    WarningBox(this, Message11008() + message);
}
