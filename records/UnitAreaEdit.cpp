#include "UnitAreaEdit.h"

#include "RecordMessages.h"

#include "ui_UnitAreaEdit.h"

TFormAreaEdit::TFormAreaEdit(QWidget* owner, TNyRecordset& recordset, bool editMode)
    : TFormNumberedEdit(owner, recordset, editMode,
                        {QStringLiteral("IDArea"), QStringLiteral("Nuova area"), QStringLiteral("Modifica dati area"), Message11010(),
                         QStringLiteral("Areas"), RepeatedAreaDescriptionText()})
    , ui_(std::make_unique<Ui::TFormAreaEdit>())
{
    ui_->setupUi(this);
    SetUp(ui_->ComboBoxID, ui_->EditDescription);
    // The number comes first, unless it is fixed already.
    if (ui_->ComboBoxID->isEnabled())
        ui_->ComboBoxID->setFocus();
    else
        ui_->EditDescription->setFocus();
}

TFormAreaEdit::~TFormAreaEdit() = default;
