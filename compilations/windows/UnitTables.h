// TFormTables: the list of the compilations, with the compilation editor as
// its edit dialog; it also duplicates a compilation with its answers and
// start phases.
#pragma once

#include "UnitRSShow.h"

#include <memory>

namespace Ui {
class TFormTables;
}
class QCheckBox;
class QComboBox;
class TDateEntry;

class TFormTables : public TFormRSShow {
    Q_OBJECT

public:
    explicit TFormTables(QWidget* owner);
    ~TFormTables() override;

public slots:
    void BitBtnNewClick() override;
    void BitBtnDeleteClick() override;
    void ListViewDataSelectItem() override;
    void BitBtnDuplicateClick();
    void BitBtnProgressClick();
    void BitBtnReportPdfClick();

protected:
    QString GetSelectSQL() override;
    void GetColumnFields(QStringList& fields) override;
    TFormRSEdit* CreateEditForm(bool editMode, TNyRecordset& recordset) override;
    bool ConfirmDelete() override;
    void ShowDeleteError(const QString& message) override;

private:
    // The choices of child, educator and dates that narrow the list,
    // around the search field.
    void AddFilterRow();
    bool RowChosen(const QStringList& cells) const;

    // Copies the compilation at the recordset's current row, all or nothing.
    void Duplicate();
    // The selected compilation's field; 0 (and the user told) when it
    // cannot be read.
    int SelectedField(const QString& field);
    // A reload that fails leaves the list as it was and says why.
    void Reload();

    std::unique_ptr<Ui::TFormTables> ui_;
    QComboBox* comboBoxChild_ = nullptr;
    QComboBox* comboBoxTeacher_ = nullptr;
    QCheckBox* checkBoxFrom_ = nullptr;
    QCheckBox* checkBoxTo_ = nullptr;
    TDateEntry* dateFrom_ = nullptr;
    TDateEntry* dateTo_ = nullptr;
};
