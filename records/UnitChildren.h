// TFormChildren: the register of the children, with TFormChildEdit as its
// edit dialog.
#pragma once

#include "UnitRSShow.h"

#include <memory>

namespace Ui {
class TFormChildren;
}

class TFormChildren : public TFormRSShow {
    Q_OBJECT

public:
    explicit TFormChildren(QWidget* owner);
    ~TFormChildren() override;

protected:
    QString GetSelectSQL() override;
    void GetColumnFields(QStringList& fields) override;
    TFormRSEdit* CreateEditForm(bool editMode, TNyRecordset& recordset) override;
    bool ConfirmDelete() override;
    void ShowDeleteError(const QString& message) override;

private:
    std::unique_ptr<Ui::TFormChildren> ui_;
};
