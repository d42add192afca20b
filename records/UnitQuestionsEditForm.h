// TFormQuestionsEdit: the text of a question, and for a new question the area
// and phase it belongs to. Area and phase of an existing question are shown
// but cannot be changed.
#pragma once

#include "UnitRSEdit.h"

#include <memory>

namespace Ui {
class TFormQuestionsEdit;
}

class TFormQuestionsEdit : public TFormRSEdit {
    Q_OBJECT

public:
    TFormQuestionsEdit(QWidget* owner, TNyRecordset& recordset, bool editMode);
    ~TFormQuestionsEdit() override;

protected:
    void LoadRecord(bool editMode, TNyRecordset& recordset) override;
    void SaveRecord(TNyRecordset& recordset) override;
    void ShowUpdateError(const QString& message) override;

private:
    std::unique_ptr<Ui::TFormQuestionsEdit> ui_;
    // The drop-down items are these rows, one to one and in order.
    std::unique_ptr<TNyRecordset> areas_;
    std::unique_ptr<TNyRecordset> phases_;
};
