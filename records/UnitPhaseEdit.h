// TFormPhaseEdit: the number and description of one phase, and the ages in
// months it is meant for ("da ... a ... mesi", both optional), from which a
// new compilation proposes its start phase.
#pragma once

#include "UnitNumberedEdit.h"

#include <memory>
#include <optional>

namespace Ui {
class TFormPhaseEdit;
}
class QLineEdit;

class TFormPhaseEdit : public TFormNumberedEdit {
    Q_OBJECT

public:
    TFormPhaseEdit(QWidget* owner, TNyRecordset& recordset, bool editMode);
    ~TFormPhaseEdit() override;

public slots:
    // An age range that ends before it begins is refused before saving.
    void BitBtnOKClick() override;

protected:
    void LoadRecord(bool editMode, TNyRecordset& recordset) override;
    void SaveRecord(TNyRecordset& recordset) override;

private:
    // The months typed, nothing for an empty field.
    static std::optional<int> Months(const QLineEdit* edit);

    std::unique_ptr<Ui::TFormPhaseEdit> ui_;
};
