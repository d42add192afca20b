// TFormRSShow: the record list window. It lists the rows of one SELECT and
// offers "Nuovo", "Modifica", "Elimina" and "Chiudi"; it owns the recordset of
// the rows it shows and lends it to its edit dialog.
//
// A concrete window builds its controls (from its .ui file), then hands them
// to Initialize(), which connects them and fills the list.
#pragma once

#include "NyRecordset.h"

#include <QDialog>
#include <QStringList>
#include <memory>

class QGroupBox;
class QPushButton;
class QTreeWidget;
class TDatabase;
class TFormRSEdit;

// The controls every list window has.
struct TRecordListControls {
    QGroupBox* GroupBoxData = nullptr;
    QTreeWidget* ListViewData = nullptr;
    QPushButton* BitBtnNew = nullptr;
    QPushButton* BitBtnEdit = nullptr;
    QPushButton* BitBtnDelete = nullptr;
    QPushButton* BitBtnClose = nullptr;

    // The controls of a form generated from a .ui file; a form without one of
    // them does not compile.
    template <typename Form>
    static TRecordListControls Of(const Form& form)
    {
        return {form.GroupBoxData, form.ListViewData, form.BitBtnNew, form.BitBtnEdit, form.BitBtnDelete,
                form.BitBtnClose};
    }
};

class TFormRSShow : public QDialog {
    Q_OBJECT

public:
    // The owner (the main window) is disabled while the list window lives.
    explicit TFormRSShow(QWidget* owner);
    ~TFormRSShow() override;

    void RefreshList();
    // OK = 1, cancel = 2, -1 when the dialog could not run.
    int ExecuteEditForm(bool editMode);

    TNyRecordset* Recordset() const { return recordset_.get(); }
    QTreeWidget* ListViewData() const { return listViewData_; }

    enum { ResultOk = 1, ResultCancel = 2 };

public slots:
    virtual void BitBtnNewClick();
    virtual void BitBtnEditClick();
    virtual void BitBtnDeleteClick();
    virtual void ListViewDataSelectItem();
    void ListViewDataDblClick();
    void BitBtnCloseClick();

protected:
    // Every control must be there: a missing one raises std::invalid_argument.
    void Initialize(const TRecordListControls& controls);

    virtual QString GetSelectSQL() = 0;
    virtual void GetColumnFields(QStringList& fields) = 0;
    virtual TFormRSEdit* CreateEditForm(bool editMode, TNyRecordset& recordset) = 0;
    virtual bool ConfirmDelete() = 0;
    virtual void ShowDeleteError(const QString& message) = 0;
    virtual void AfterInsert(TNyRecordset& recordset);
    virtual void BeforeDelete(TNyRecordset& recordset);

    int SelectedIndex() const;
    void closeEvent(QCloseEvent* event) override;

    TDatabase* Database = nullptr;
    QPushButton* BitBtnNew = nullptr;
    QPushButton* BitBtnEdit = nullptr;
    QPushButton* BitBtnDelete = nullptr;
    QPushButton* BitBtnClose = nullptr;

private:
    QWidget* owner_;
    QTreeWidget* listViewData_ = nullptr;
    std::unique_ptr<TNyRecordset> recordset_;
};
