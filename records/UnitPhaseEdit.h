// TFormPhaseEdit: the number and description of one phase.
#pragma once

#include "UnitNumberedEdit.h"

#include <memory>

namespace Ui {
class TFormPhaseEdit;
}

class TFormPhaseEdit : public TFormNumberedEdit {
    Q_OBJECT

public:
    TFormPhaseEdit(QWidget* owner, TNyRecordset& recordset, bool editMode);
    ~TFormPhaseEdit() override;

private:
    std::unique_ptr<Ui::TFormPhaseEdit> ui_;
};
