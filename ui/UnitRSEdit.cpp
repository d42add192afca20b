#include "UnitRSEdit.h"

#include "Exception.h"
#include "NyRecordset.h"
#include "RecordFormLook.h"
#include "WaitCursor.h"

#include <QGroupBox>
#include <QPushButton>

TFormRSEdit::TFormRSEdit(QWidget* owner, TNyRecordset& recordset, bool editMode)
    : QDialog(owner)
    , recordset_(recordset)
    , editMode_(editMode)
{
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowCloseButtonHint | Qt::WindowTitleHint);
}

void TFormRSEdit::Initialize()
{
    BitBtnOK = findChild<QPushButton*>(QStringLiteral("BitBtnOK"));
    BitBtnCancel = findChild<QPushButton*>(QStringLiteral("BitBtnCancel"));
    Q_ASSERT(BitBtnOK && BitBtnCancel);
    ShowCaptionInBlue(findChild<QGroupBox*>(QStringLiteral("GroupBoxData")));
    BitBtnOK->setDefault(true);
    BitBtnCancel->setAutoDefault(false);
    connect(BitBtnOK, &QPushButton::clicked, this, [this] { BitBtnOKClick(); });
    connect(BitBtnCancel, &QPushButton::clicked, this, &TFormRSEdit::BitBtnCancelClick);

    const TWaitCursor wait;
    try {
        LoadRecord(editMode_, recordset_);
        if (editMode_)
            recordset_.Edit();
        else
            recordset_.AddNew();
    } catch (const Exception&) {
        // The dialog opens with what could be loaded.
    }
}

bool TFormRSEdit::ConfirmCancel()
{
    return true;
}

void TFormRSEdit::BitBtnOKClick()
{
    try {
        SaveRecord(recordset_);
        recordset_.Update();
    } catch (const Exception& e) {
        ShowUpdateError(e.Message());
        return;
    }
    accept();
}

void TFormRSEdit::BitBtnCancelClick()
{
    reject();
}

void TFormRSEdit::reject()
{
    if (!ConfirmCancel())
        return;
    try {
        recordset_.CancelUpdate();
    } catch (const Exception&) {
        // Nothing is left pending whatever the layer reports.
    }
    QDialog::reject();
}
