#include "UnitAreas.h"

#include "Dialogs.h"
#include "RecordMessages.h"
#include "UnitAreaEdit.h"

#include "ui_UnitAreas.h"

TFormAreas::TFormAreas(QWidget* owner)
    : TFormRSShow(owner)
    , ui_(std::make_unique<Ui::TFormAreas>())
{
    ui_->setupUi(this);
    Initialize(TRecordListControls::Of(*ui_));
}

TFormAreas::~TFormAreas() = default;

QString TFormAreas::GetSelectSQL()
{
    return QStringLiteral("SELECT * FROM Areas ORDER BY IDArea");
}

void TFormAreas::GetColumnFields(QStringList& fields)
{
    fields << QStringLiteral("IDArea") << QStringLiteral("Description");
}

TFormRSEdit* TFormAreas::CreateEditForm(bool editMode, TNyRecordset& recordset)
{
    return new TFormAreaEdit(this, recordset, editMode);
}

bool TFormAreas::ConfirmDelete()
{
    return QuestionBox(this, Message11009()) == TBoxAnswer::Yes;
}

void TFormAreas::ShowDeleteError(const QString& message)
{
    WarningBox(this, Message11011() + message);
}
