// TFormChildEdit: a child's name, date of birth and notes. The database
// numbers a new child when it is saved and refuses a name already present.
#pragma once

#include "UnitRSEdit.h"

#include <QTime>
#include <memory>

namespace Ui {
class TFormChildEdit;
}

class TFormChildEdit : public TFormRSEdit {
    Q_OBJECT

public:
    TFormChildEdit(QWidget* owner, TNyRecordset& recordset, bool editMode);
    ~TFormChildEdit() override;

    // The label of the date of birth, as the messages about it name it.
    static QString DateOfBirthFieldName() { return QStringLiteral("Data di nascita"); }

public slots:
    void BitBtnOKClick() override;

protected:
    void LoadRecord(bool editMode, TNyRecordset& recordset) override;
    void SaveRecord(TNyRecordset& recordset) override;
    void ShowUpdateError(const QString& message) override;

private:
    std::unique_ptr<Ui::TFormChildEdit> ui_;
    // The picker shows the date only; a time of day stored with the date
    // goes back unchanged.
    QTime timeOfBirth_{0, 0};
};
