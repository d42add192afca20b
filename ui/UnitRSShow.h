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
#include <functional>
#include <memory>

class QGroupBox;
class QHBoxLayout;
class QPushButton;
class QTreeView;
class TDatabase;
class TFormRSEdit;
class TListFinder;
class TRecordListModel;

// The controls every list window has. The list's columns are named by its
// "columnCaptions" property (a string list in the layout file), sized by
// "columnWidths" (RecordFormLook.h) and centred, heading and cells, where
// "centredColumns" says ("1,2", from 0).
struct TRecordListControls {
    QGroupBox* GroupBoxData = nullptr;
    QTreeView* ListViewData = nullptr;
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
    QTreeView* ListViewData() const { return listViewData_; }
    // The rows of the list: every record of the recordset, and those shown.
    TRecordListModel* ListModel() const { return model_; }
    // The search field above the list and what it shows.
    TListFinder* Finder() const { return finder_; }

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
    // True for a window whose BeforeDelete rewrites other rows of its list:
    // the list is read again in whole after a deletion, and BeforeDelete
    // and the deletion run in one transaction. A window whose BeforeDelete
    // writes anything must say so here.
    virtual bool DeletionChangesOtherRows() const { return false; }

    // Brings the list up to date after the recordset's current record was
    // saved: only its row is read again and put where the list's order (or
    // the one the user chose) puts it, shown or hidden by the search as any
    // row. record is the index the record had in the recordset before, -1
    // for a new record. The list then stands as after RefreshList, which
    // this falls back on when the record cannot be read alone.
    void ShowSavedRecord(int record);
    // The same after the record at index record was deleted and left the
    // recordset.
    void ShowDeletedRecord(int record);

    // The selected row's record: its index (from 0) in the recordset; -1
    // when no row is selected.
    int SelectedIndex() const;
    // The row above the list that holds the search field, for a window to
    // add its own choices to.
    QHBoxLayout* SearchRow() const { return searchRow_; }
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

    TDatabase* Database = nullptr;
    QPushButton* BitBtnNew = nullptr;
    QPushButton* BitBtnEdit = nullptr;
    QPushButton* BitBtnDelete = nullptr;
    QPushButton* BitBtnClose = nullptr;

private:
    // Adds the search field and the count above the list.
    void AddSearchRow(QGroupBox* group);
    // "Aggiorna" (F5): the list read again.
    void AddRefreshButton();
    // Reads the current row, the record at position record + 1, again before
    // it is edited; false, with the list read again and the user told, when
    // it was deleted or moved in the list by a change from elsewhere.
    bool RecordAsStored(int record);
    // After an edit was cancelled: the list read again when the record was
    // deleted from elsewhere while its window was open.
    void DropIfDeletedElsewhere();
    // Enter on the list or the search field: opens the selected row.
    bool OpenSelectedRow();
    // The row shown selected; -1 for none.
    int SelectedRow() const;
    void SelectRow(int row);
    // Puts one record in, changes or removes it in the list (change), then
    // selects the row at the index selected before (none when there is no
    // such row shown) with no current row, and leaves the recordset after
    // its last row, as RefreshList does.
    void ChangeRows(const std::function<void()>& change);

    QWidget* owner_;
    QTreeView* listViewData_ = nullptr;
    TRecordListModel* model_ = nullptr;
    TListFinder* finder_ = nullptr;
    QHBoxLayout* searchRow_ = nullptr;
    std::unique_ptr<TNyRecordset> recordset_;
    bool changingRows_ = false;
};
