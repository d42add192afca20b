#include "UnitPhaseEdit.h"

#include "RecordMessages.h"

#include "ui_UnitPhaseEdit.h"

TFormPhaseEdit::TFormPhaseEdit(QWidget* owner, TNyRecordset& recordset, bool editMode)
    : TFormNumberedEdit(owner, recordset, editMode,
                        {QStringLiteral("IDPhase"), QStringLiteral("Nuova fase"), QStringLiteral("Modifica dati fase"), Message11013(),
                         QStringLiteral("Phases"), RepeatedPhaseDescriptionText()})
    , ui_(std::make_unique<Ui::TFormPhaseEdit>())
{
    ui_->setupUi(this);
    SetUp(ui_->ComboBoxID, ui_->EditDescription);
    ui_->EditDescription->setFocus();
}

TFormPhaseEdit::~TFormPhaseEdit() = default;
