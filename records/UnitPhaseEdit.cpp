#include "UnitPhaseEdit.h"

#include "Dialogs.h"
#include "NyRecordset.h"
#include "RecordMessages.h"

#include "ui_UnitPhaseEdit.h"

#include <QIntValidator>

namespace {

const QString kAgeFrom = QStringLiteral("AgeFromMonths");
const QString kAgeTo = QStringLiteral("AgeToMonths");

} // namespace

TFormPhaseEdit::TFormPhaseEdit(QWidget* owner, TNyRecordset& recordset, bool editMode)
    : TFormNumberedEdit(owner, recordset, editMode,
                        {QStringLiteral("IDPhase"), QStringLiteral("Nuova fase"), QStringLiteral("Modifica dati fase"), Message11013(),
                         QStringLiteral("Phases"), RepeatedPhaseDescriptionText()})
    , ui_(std::make_unique<Ui::TFormPhaseEdit>())
{
    ui_->setupUi(this);
    // Whole months from 0: a minus sign or a letter cannot be typed.
    for (QLineEdit* edit : {ui_->EditAgeFrom, ui_->EditAgeTo})
        edit->setValidator(new QIntValidator(0, MaxPhaseAgeMonths, edit));
    SetUp(ui_->ComboBoxID, ui_->EditDescription);
    ui_->EditDescription->setFocus();
}

TFormPhaseEdit::~TFormPhaseEdit() = default;

std::optional<int> TFormPhaseEdit::Months(const QLineEdit* edit)
{
    bool ok = false;
    const int months = edit->text().trimmed().toInt(&ok);
    if (!ok)
        return std::nullopt;
    return months;
}

void TFormPhaseEdit::LoadRecord(bool editMode, TNyRecordset& recordset)
{
    TFormNumberedEdit::LoadRecord(editMode, recordset);
    ui_->EditAgeFrom->clear();
    ui_->EditAgeTo->clear();
    if (!editMode)
        return;
    // Read as text: an empty field is no age, while 0 is one.
    ui_->EditAgeFrom->setText(recordset.GetFieldAsString(kAgeFrom));
    ui_->EditAgeTo->setText(recordset.GetFieldAsString(kAgeTo));
}

void TFormPhaseEdit::SaveRecord(TNyRecordset& recordset)
{
    TFormNumberedEdit::SaveRecord(recordset);
    for (const auto& [field, edit] : {std::pair{kAgeFrom, ui_->EditAgeFrom}, std::pair{kAgeTo, ui_->EditAgeTo}}) {
        if (const std::optional<int> months = Months(edit))
            recordset.SetField(field, *months);
        else
            recordset.SetFieldNull(field);
    }
}

void TFormPhaseEdit::BitBtnOKClick()
{
    const std::optional<int> from = Months(ui_->EditAgeFrom);
    const std::optional<int> to = Months(ui_->EditAgeTo);
    if (from && to && *from > *to) {
        WarningBox(this, PhaseAgeRangeReversedText(*from, *to));
        ui_->EditAgeTo->setFocus();
        ui_->EditAgeTo->selectAll();
        return;
    }
    TFormNumberedEdit::BitBtnOKClick();
}
