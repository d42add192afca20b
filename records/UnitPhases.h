// TFormPhases: the phases, the columns of the questionnaire, with TFormPhaseEdit as
// its edit dialog. A phase still used by a question cannot be deleted.
#pragma once

#include "UnitRSShow.h"

#include <memory>

namespace Ui {
class TFormPhases;
}

class TFormPhases : public TFormRSShow {
    Q_OBJECT

public:
    explicit TFormPhases(QWidget* owner);
    ~TFormPhases() override;

protected:
    QString GetSelectSQL() override;
    void GetColumnFields(QStringList& fields) override;
    TFormRSEdit* CreateEditForm(bool editMode, TNyRecordset& recordset) override;
    bool ConfirmDelete() override;
    void ShowDeleteError(const QString& message) override;

private:
    std::unique_ptr<Ui::TFormPhases> ui_;
};
