#include "UnitPhases.h"

#include "Dialogs.h"
#include "RecordMessages.h"
#include "UnitPhaseEdit.h"

#include "ui_UnitPhases.h"

TFormPhases::TFormPhases(QWidget* owner)
    : TFormRSShow(owner)
    , ui_(std::make_unique<Ui::TFormPhases>())
{
    ui_->setupUi(this);
    Initialize(TRecordListControls::Of(*ui_));
}

TFormPhases::~TFormPhases() = default;

QString TFormPhases::GetSelectSQL()
{
    return QStringLiteral("SELECT * FROM Phases ORDER BY IDPhase");
}

void TFormPhases::GetColumnFields(QStringList& fields)
{
    fields << QStringLiteral("IDPhase") << QStringLiteral("Description");
}

TFormRSEdit* TFormPhases::CreateEditForm(bool editMode, TNyRecordset& recordset)
{
    return new TFormPhaseEdit(this, recordset, editMode);
}

bool TFormPhases::ConfirmDelete()
{
    return QuestionBox(this, Message11012()) == TBoxAnswer::Yes;
}

void TFormPhases::ShowDeleteError(const QString& message)
{
    WarningBox(this, Message11014() + message);
}
