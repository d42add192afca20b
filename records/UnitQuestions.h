// TFormQuestions: the questions of the questionnaire, with TFormQuestionsEdit
// as its edit dialog.
//
// Within each area and phase the questions are numbered 1, 2, ... in the
// order they are shown: a new question goes to the end of its group and a
// deletion closes the gap.
#pragma once

#include "UnitRSShow.h"

#include <memory>

namespace Ui {
class TFormQuestions;
}

class TFormQuestions : public TFormRSShow {
    Q_OBJECT

public:
    explicit TFormQuestions(QWidget* owner);
    ~TFormQuestions() override;

public slots:
    // A question needs an area and a phase to belong to.
    void BitBtnNewClick() override;

protected:
    QString GetSelectSQL() override;
    void GetColumnFields(QStringList& fields) override;
    TFormRSEdit* CreateEditForm(bool editMode, TNyRecordset& recordset) override;
    bool ConfirmDelete() override;
    void ShowDeleteError(const QString& message) override;
    // The new question, stored with the number -1, gets the next number of
    // its group.
    void AfterInsert(TNyRecordset& recordset) override;
    // Numbers the rest of the group 1, 2, ... in their order. It runs in the
    // deletion's transaction and raises on failure, so a refused deletion
    // leaves every number as it was.
    void BeforeDelete(TNyRecordset& recordset) override;
    bool DeletionChangesOtherRows() const override { return true; }

private:
    int CountRecords(const QString& table);

    std::unique_ptr<Ui::TFormQuestions> ui_;
};
