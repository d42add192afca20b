// TFormTeacherEdit: an educator's name and notes. The database numbers a new
// educator when it is saved and refuses a name already present.
#pragma once

#include "UnitRSEdit.h"

#include <memory>

namespace Ui {
class TFormTeacherEdit;
}

class TFormTeacherEdit : public TFormRSEdit {
    Q_OBJECT

public:
    TFormTeacherEdit(QWidget* owner, TNyRecordset& recordset, bool editMode);
    ~TFormTeacherEdit() override;

protected:
    void LoadRecord(bool editMode, TNyRecordset& recordset) override;
    void SaveRecord(TNyRecordset& recordset) override;
    void ShowUpdateError(const QString& message) override;

private:
    std::unique_ptr<Ui::TFormTeacherEdit> ui_;
};
