#include "UnitRSEdit.h"

#include "Database.h"
#include "Dialogs.h"
#include "Exception.h"
#include "NyRecordset.h"
#include "RecordFormLook.h"
#include "WaitCursor.h"
#include "WindowPlace.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>

namespace {

const QString& RecordDeletedWhileOpenText()
{
    static const QString text = QStringLiteral("Questo record \u00e8 stato eliminato da un altro utente dopo "
                                               "l'apertura della finestra: non pu\u00f2 essere salvato. "
                                               "Con Annulla si torna all'elenco aggiornato.");
    return text;
}

} // namespace

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
    auto* groupBoxData = findChild<QGroupBox*>(QStringLiteral("GroupBoxData"));
    ShowCaptionInBlue(groupBoxData);
    if (groupBoxData)
        AlignFormLabels(qobject_cast<QFormLayout*>(groupBoxData->layout()));
    BitBtnOK->setDefault(true);
    BitBtnCancel->setAutoDefault(false);
    connect(BitBtnOK, &QPushButton::clicked, this, [this] { BitBtnOKClick(); });
    connect(BitBtnCancel, &QPushButton::clicked, this, &TFormRSEdit::BitBtnCancelClick);

    const TWaitCursor wait;
    try {
        LoadRecord(editMode_, recordset_);
        if (editMode_ && nameColumn_) {
            ownKey_ = recordset_.GetFieldAsInteger(nameColumn_->keyField);
            storedName_ = recordset_.GetFieldAsString(nameColumn_->nameField);
        }
        if (editMode_)
            recordset_.Edit();
        else
            recordset_.AddNew();
    } catch (const Exception&) {
        // The dialog opens with what could be loaded.
    }
}

void TFormRSEdit::LetUserResize(const QSize& defaultSize)
{
    MakeResizableAndRestore(this, defaultSize);
    keepPlace_ = true;
}

void TFormRSEdit::done(int result)
{
    if (keepPlace_)
        KeepWindowPlace(this);
    QDialog::done(result);
}

void TFormRSEdit::RefuseRepeatedNames(const TNameColumn& column, QLineEdit* nameEdit)
{
    nameColumn_ = column;
    nameEdit_ = nameEdit;
}

void TFormRSEdit::ShowRepeatedNameError(const QString& message)
{
    ShowUpdateError(message);
}

bool TFormRSEdit::NameIsFree()
{
    if (!nameColumn_)
        return true;
    const QString name = nameEdit_->text();
    // An empty name is the database's matter; a name kept as it was stored
    // is not a new repetition, so notes can still be mended on a record
    // stored before names were compared this way.
    if (name.isEmpty() || (editMode_ && name == storedName_))
        return true;
    const std::optional<QString> stored = FindSameName(*TDatabase::GetInstance(), *nameColumn_, name, ownKey_);
    if (!stored)
        return true;
    ShowRepeatedNameError(RepeatedNameText(name, *stored));
    return false;
}

bool TFormRSEdit::ConfirmCancel()
{
    return true;
}

void TFormRSEdit::BitBtnOKClick()
{
    try {
        if (!NameIsFree())
            return;
        SaveRecord(recordset_);
        recordset_.Update();
    } catch (const Exception& e) {
        if (editMode_ && !RecordStillStored())
            ShowDeletedMeanwhileError(e.Message());
        else
            ShowUpdateError(e.Message());
        return;
    }
    accept();
}

void TFormRSEdit::ShowDeletedMeanwhileError(const QString&)
{
    WarningBox(this, RecordDeletedWhileOpenText());
}

bool TFormRSEdit::RecordStillStored()
{
    try {
        return recordset_.CurrentRowStored();
    } catch (const Exception&) {
        // Unknown: the failure's own message is the one to show.
        return true;
    }
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
