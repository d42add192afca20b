// TFormTeachers: the register of the educators, with TFormTeacherEdit as its
// edit dialog.
#pragma once

#include "UnitRSShow.h"

#include <memory>

namespace Ui {
class TFormTeachers;
}

class TFormTeachers : public TFormRSShow {
    Q_OBJECT

public:
    explicit TFormTeachers(QWidget* owner);
    ~TFormTeachers() override;

protected:
    QString GetSelectSQL() override;
    void GetColumnFields(QStringList& fields) override;
    TFormRSEdit* CreateEditForm(bool editMode, TNyRecordset& recordset) override;
    bool ConfirmDelete() override;
    void ShowDeleteError(const QString& message) override;

private:
    std::unique_ptr<Ui::TFormTeachers> ui_;
};
