// TFormAreaEdit: the number and description of one area.
#pragma once

#include "UnitNumberedEdit.h"

#include <memory>

namespace Ui {
class TFormAreaEdit;
}

class TFormAreaEdit : public TFormNumberedEdit {
    Q_OBJECT

public:
    TFormAreaEdit(QWidget* owner, TNyRecordset& recordset, bool editMode);
    ~TFormAreaEdit() override;

private:
    std::unique_ptr<Ui::TFormAreaEdit> ui_;
};
