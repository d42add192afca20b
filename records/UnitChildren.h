// TFormChildren: the register of the children, with TFormChildEdit as its
// edit dialog.
#pragma once

#include "UnitRSShow.h"

#include <functional>
#include <memory>

namespace Ui {
class TFormChildren;
}

class TFormChildren : public TFormRSShow {
    Q_OBJECT

public:
    explicit TFormChildren(QWidget* owner);
    ~TFormChildren() override;

    // What "Andamento..." opens for the selected child: the progress window
    // lives with the compilations, which this window does not know; the
    // program hands it in (RecordWindows.cpp). Without it the button stays off.
    using TProgressOpener = std::function<void(QWidget* owner, int idChild)>;
    void SetProgressOpener(TProgressOpener opener);

public slots:
    void ListViewDataSelectItem() override;
    void BitBtnProgressClick();

protected:
    QString GetSelectSQL() override;
    void GetColumnFields(QStringList& fields) override;
    TFormRSEdit* CreateEditForm(bool editMode, TNyRecordset& recordset) override;
    bool ConfirmDelete() override;
    void ShowDeleteError(const QString& message) override;

private:
    std::unique_ptr<Ui::TFormChildren> ui_;
    TProgressOpener progressOpener_;
};
