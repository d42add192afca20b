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
    // The age range as the edit dialog says it: "da 12 a 23", "da 48",
    // "fino a 11", or nothing.
    return QStringLiteral("SELECT *, CASE WHEN AgeFromMonths IS NOT NULL AND AgeToMonths IS NOT NULL "
                          "THEN 'da ' || AgeFromMonths || ' a ' || AgeToMonths "
                          "WHEN AgeFromMonths IS NOT NULL THEN 'da ' || AgeFromMonths "
                          "WHEN AgeToMonths IS NOT NULL THEN 'fino a ' || AgeToMonths END AS AgeRange "
                          "FROM Phases ORDER BY IDPhase");
}

void TFormPhases::GetColumnFields(QStringList& fields)
{
    fields << QStringLiteral("IDPhase") << QStringLiteral("Description") << QStringLiteral("AgeRange");
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
