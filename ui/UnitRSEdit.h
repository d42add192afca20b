// TFormRSEdit: the record edit dialog. It edits the current record of its list
// window's recordset in place, or a new record it appends, and commits it with
// the recordset's Update when the user presses OK.
//
// A concrete dialog builds its controls (from its .ui file) with the names
// GroupBoxData, BitBtnOK and BitBtnCancel, then calls Initialize(), which runs
// LoadRecord and puts the recordset into the new-record state in new mode.
#pragma once

#include "NameCheck.h"

#include <QDialog>

class QLineEdit;
class QPushButton;
class TNyRecordset;

class TFormRSEdit : public QDialog {
    Q_OBJECT

public:
    TFormRSEdit(QWidget* owner, TNyRecordset& recordset, bool editMode);

    bool EditMode() const { return editMode_; }
    TNyRecordset& Recordset() const { return recordset_; }

public slots:
    virtual void BitBtnOKClick();
    void BitBtnCancelClick();

    // Esc and the close box run the "Annulla" handling too, so no pending
    // record outlives the dialog.
    void reject() override;
    void done(int result) override;

protected:
    void Initialize();

    // For a dialog the user may resize (the compilation editor): it opens
    // with defaultSize or where the user last left it, and its place is kept
    // when it closes.
    void LetUserResize(const QSize& defaultSize);

    // For dialogs of records known by a name that must not repeat: before
    // saving, a name the same as another record's (letter case aside) is
    // refused with ShowRepeatedNameError. Called before Initialize().
    void RefuseRepeatedNames(const TNameColumn& column, QLineEdit* nameEdit);
    // By default the dialog's save error, as for an exact duplicate.
    virtual void ShowRepeatedNameError(const QString& message);

    virtual void LoadRecord(bool editMode, TNyRecordset& recordset) = 0;
    virtual void SaveRecord(TNyRecordset& recordset) = 0;
    virtual void ShowUpdateError(const QString& message) = 0;
    // A save refused because another user deleted the record meanwhile; by
    // default the message says so in place of the dialog's save error.
    virtual void ShowDeletedMeanwhileError(const QString& message);
    virtual bool ConfirmCancel();

    QPushButton* BitBtnOK = nullptr;
    QPushButton* BitBtnCancel = nullptr;

private:
    // True when the typed name may be saved.
    bool NameIsFree();
    // False when another user deleted the record this window edits.
    bool RecordStillStored();

    TNyRecordset& recordset_;
    bool editMode_;
    bool keepPlace_ = false;
    std::optional<TNameColumn> nameColumn_;
    QLineEdit* nameEdit_ = nullptr;
    // The edited record's key and stored name.
    std::optional<int> ownKey_;
    QString storedName_;
};
