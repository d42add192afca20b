// TFormAreas: the areas, the rows of the questionnaire, with TFormAreaEdit as
// its edit dialog. An area still used by a question cannot be deleted.
#pragma once

#include "UnitRSShow.h"

#include <memory>

namespace Ui {
class TFormAreas;
}

class TFormAreas : public TFormRSShow {
    Q_OBJECT

public:
    explicit TFormAreas(QWidget* owner);
    ~TFormAreas() override;

protected:
    QString GetSelectSQL() override;
    void GetColumnFields(QStringList& fields) override;
    TFormRSEdit* CreateEditForm(bool editMode, TNyRecordset& recordset) override;
    bool ConfirmDelete() override;
    void ShowDeleteError(const QString& message) override;

private:
    std::unique_ptr<Ui::TFormAreas> ui_;
};
