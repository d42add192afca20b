// TFormNumberedEdit: what the area and phase dialogs share. Both edit a
// record identified by a number from 1 to 255 that the user picks when the
// record is created and that stays fixed afterwards, plus a description.
#pragma once

#include "UnitRSEdit.h"

class QComboBox;
class QLineEdit;

class TFormNumberedEdit : public TFormRSEdit {
    Q_OBJECT

protected:
    struct TTexts {
        QString keyField;     // "IDArea"
        QString newCaption;   // "Nuova area"
        QString editCaption;  // "Modifica dati area"
        QString updateError;  // the message that the exception's text follows
        QString table;        // "Areas"
        QString repeatedDescriptionError; // as updateError, for a description in use
    };

    TFormNumberedEdit(QWidget* owner, TNyRecordset& recordset, bool editMode, TTexts texts);

    // Called by the concrete dialog once its layout is built.
    void SetUp(QComboBox* comboBoxID, QLineEdit* editDescription);

    void LoadRecord(bool editMode, TNyRecordset& recordset) override;
    void SaveRecord(TNyRecordset& recordset) override;
    void ShowUpdateError(const QString& message) override;
    void ShowRepeatedNameError(const QString& message) override;

private:
    TTexts texts_;
    QComboBox* comboBoxID_ = nullptr;
    QLineEdit* editDescription_ = nullptr;
    bool editMode_ = false;
};
