#include "UnitRSShow.h"

#include "Database.h"
#include "Dialogs.h"
#include "Exception.h"
#include "ListFinder.h"
#include "NyTransaction.h"
#include "RecordFormLook.h"
#include "RecordListModel.h"
#include "Settings.h"
#include "UnitRSEdit.h"
#include "WindowPlace.h"

#include <QBoxLayout>
#include <QCloseEvent>
#include <QGroupBox>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QShortcut>
#include <QTreeView>
#include <optional>
#include <stdexcept>

TFormRSShow::TFormRSShow(QWidget* owner)
    : QDialog(owner)
    , owner_(owner)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowCloseButtonHint | Qt::WindowTitleHint);
    if (owner_)
        owner_->setEnabled(false);
    // The window itself must stay usable while its owner is disabled.
    setEnabled(true);
}

TFormRSShow::~TFormRSShow()
{
    if (owner_)
        owner_->setEnabled(true);
}

namespace {

// The box layout, among layout's and those inside it, that holds widget.
QBoxLayout* LayoutHolding(QLayout* layout, QWidget* widget)
{
    if (!layout)
        return nullptr;
    auto* box = qobject_cast<QBoxLayout*>(layout);
    if (box && box->indexOf(widget) >= 0)
        return box;
    for (int i = 0; i < layout->count(); ++i) {
        if (QBoxLayout* inner = LayoutHolding(layout->itemAt(i)->layout(), widget))
            return inner;
    }
    return nullptr;
}

// The list's columns as its layout file names and aligns them; a list that
// names none has one column, without a caption, for each field it shows.
TRecordListModel* ModelOfColumns(QTreeView* list, const QStringList& fields)
{
    QStringList captions = list->property("columnCaptions").toStringList();
    if (captions.isEmpty())
        captions = QStringList(fields.isEmpty() ? 1 : fields.size(), QString());
    QList<Qt::Alignment> alignments(captions.size());
    for (const QString& column : list->property("centredColumns").toString().split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        bool ok = false;
        const int at = column.trimmed().toInt(&ok);
        if (ok && at >= 0 && at < alignments.size())
            alignments[at] = Qt::AlignCenter;
    }
    return new TRecordListModel(captions, alignments, list);
}

const QString& RecordDeletedMeanwhileText()
{
    static const QString text = QStringLiteral("Il record selezionato \u00e8 stato eliminato da un altro utente. "
                                               "L'elenco \u00e8 stato aggiornato.");
    return text;
}

const QString& RecordMovedMeanwhileText()
{
    static const QString text = QStringLiteral("Il record selezionato \u00e8 stato modificato da un altro utente. "
                                               "L'elenco \u00e8 stato aggiornato: selezionarlo di nuovo.");
    return text;
}

} // namespace

void TFormRSShow::Initialize(const TRecordListControls& controls)
{
    // A list window without one of its controls is a programming error that
    // must stop it in every build, not only where assertions are compiled in.
    if (!controls.GroupBoxData || !controls.ListViewData || !controls.BitBtnNew || !controls.BitBtnEdit
        || !controls.BitBtnDelete || !controls.BitBtnClose)
        throw std::invalid_argument("a list window lacks one of its controls");
    Database = TDatabase::GetInstance();
    listViewData_ = controls.ListViewData;
    BitBtnNew = controls.BitBtnNew;
    BitBtnEdit = controls.BitBtnEdit;
    BitBtnDelete = controls.BitBtnDelete;
    BitBtnClose = controls.BitBtnClose;

    QStringList fields;
    GetColumnFields(fields);
    model_ = ModelOfColumns(listViewData_, fields);
    listViewData_->setModel(model_);
    listViewData_->setSelectionMode(QAbstractItemView::SingleSelection);
    listViewData_->setSelectionBehavior(QAbstractItemView::SelectRows);
    listViewData_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    listViewData_->setRootIsDecorated(false);
    listViewData_->setItemsExpandable(false);
    listViewData_->setAllColumnsShowFocus(true);
    SetUpGridList(listViewData_);
    ShowCaptionInBlue(controls.GroupBoxData);
    BitBtnEdit->setEnabled(false);
    BitBtnDelete->setEnabled(false);
    for (QPushButton* button : {BitBtnNew, BitBtnEdit, BitBtnDelete, BitBtnClose})
        button->setAutoDefault(false);
    GiveCommandKey(BitBtnNew, QKeySequence::New);
    GiveCommandKey(BitBtnDelete, QKeySequence(Qt::Key_Delete));

    connect(BitBtnNew, &QPushButton::clicked, this, [this] { BitBtnNewClick(); });
    connect(BitBtnEdit, &QPushButton::clicked, this, [this] { BitBtnEditClick(); });
    connect(BitBtnDelete, &QPushButton::clicked, this, [this] { BitBtnDeleteClick(); });
    connect(BitBtnClose, &QPushButton::clicked, this, &TFormRSShow::BitBtnCloseClick);
    // While one row is put in or taken out, the selection passes through
    // "none" to the row that follows: the buttons wait for where it ends,
    // instead of being disabled and enabled again, each time repainted with
    // what lies beneath them.
    connect(listViewData_->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        if (!changingRows_)
            ListViewDataSelectItem();
    });
    // A search or a change of the rows can take the selected row out of sight.
    connect(model_, &QAbstractItemModel::layoutChanged, this, [this] {
        if (!changingRows_)
            ListViewDataSelectItem();
    });
    connect(listViewData_, &QTreeView::doubleClicked, this, &TFormRSShow::ListViewDataDblClick);

    AddSearchRow(controls.GroupBoxData);
    AddRefreshButton();
    // The size the layout file gives is the one the window opens with until
    // the user changes it.
    MakeResizableAndRestore(this, size());

    RefreshList();
}

void TFormRSShow::AddSearchRow(QGroupBox* group)
{
    auto* field = new QLineEdit(group);
    field->setObjectName(QStringLiteral("EditSearch"));
    field->setPlaceholderText(QStringLiteral("Cerca\u2026"));
    field->setAccessibleName(QStringLiteral("Cerca"));
    field->setClearButtonEnabled(true);
    auto* count = new QLabel(group);
    count->setObjectName(QStringLiteral("LabelShownRows"));
    searchRow_ = new QHBoxLayout();
    searchRow_->addWidget(field, 1);
    searchRow_->addWidget(count);
    if (auto* box = qobject_cast<QBoxLayout*>(group->layout()))
        box->insertLayout(0, searchRow_);
    else
        searchRow_->setParent(this); // a group laid out otherwise: the row is kept, not shown
    setTabOrder(field, listViewData_);

    finder_ = new TListFinder(listViewData_, model_, field, count);
    finder_->SetOrder(TSettings::GetInstance()->ListOrder(objectName()));
    connect(finder_, &TListFinder::OrderChanged, this,
            [this](const TListOrder& order) { TSettings::GetInstance()->SetListOrder(objectName(), order); });

    auto* find = new QShortcut(QKeySequence::Find, this);
    connect(find, &QShortcut::activated, this, [field] {
        field->setFocus(Qt::ShortcutFocusReason);
        field->selectAll();
    });
    field->installEventFilter(this);
    listViewData_->installEventFilter(this);
}

bool TFormRSShow::OpenSelectedRow()
{
    if (!BitBtnEdit->isEnabled())
        return false;
    BitBtnEditClick();
    return true;
}

bool TFormRSShow::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress && finder_
        && (watched == listViewData_ || watched == finder_->Field())) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const bool plain = (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
        if (plain && (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter))
            return OpenSelectedRow() || watched == finder_->Field();
        if (plain && watched == finder_->Field() && key->key() == Qt::Key_Down) {
            // From the search field straight into the rows it left.
            if (SelectedIndex() < 0 && model_->rowCount() > 0)
                listViewData_->setCurrentIndex(model_->index(0, 0));
            listViewData_->setFocus(Qt::OtherFocusReason);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TFormRSShow::keyPressEvent(QKeyEvent* event)
{
    // Esc first clears a search, so that a list narrowed by mistake is not
    // closed with it; on a whole list it closes the window as always.
    if (event->key() == Qt::Key_Escape && finder_ && !finder_->Field()->text().isEmpty()) {
        finder_->Field()->clear();
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

int TFormRSShow::SelectedRow() const
{
    const QModelIndexList selected = listViewData_->selectionModel()->selectedIndexes();
    return selected.isEmpty() ? -1 : selected.first().row();
}

void TFormRSShow::SelectRow(int row)
{
    listViewData_->selectionModel()->select(model_->index(row, 0),
                                            QItemSelectionModel::Select | QItemSelectionModel::Rows);
}

int TFormRSShow::SelectedIndex() const
{
    // Rows move when the list is ordered by a column: the model knows each
    // row's record.
    return model_->RecordOfRow(SelectedRow());
}

void TFormRSShow::RefreshList()
{
    // The selection stays on its record (the first column is its key), where
    // the rows of others' changes come and go around it.
    QString selectedKey;
    const int selected = SelectedIndex();
    if (recordset_ && selected >= 0 && selected < recordset_->RecordCount()) {
        recordset_->SetAbsolutePosition(selected + 1);
        selectedKey = recordset_->GetFieldAsString(0);
    }
    recordset_ = Database->OpenRecordset(GetSelectSQL());
    QStringList fields;
    GetColumnFields(fields);
    model_->Fill(*recordset_, fields);
    if (!selectedKey.isEmpty()) {
        for (int position = 1; position <= recordset_->RecordCount(); ++position) {
            recordset_->SetAbsolutePosition(position);
            if (recordset_->GetFieldAsString(0) != selectedKey)
                continue;
            if (const int row = model_->RowOfRecord(position - 1); row >= 0) {
                SelectRow(row);
                listViewData_->scrollTo(model_->index(row, 0));
            }
            break;
        }
        // Where filling the list leaves the recordset: after the last row.
        if (const int count = recordset_->RecordCount(); count > 0) {
            recordset_->SetAbsolutePosition(count);
            recordset_->MoveNext();
        }
    }
    // The buttons follow the selection also when the reload leaves none.
    ListViewDataSelectItem();
}

void TFormRSShow::AddRefreshButton()
{
    // Beside "Chiudi": the list shows what other computers have saved since
    // it was read.
    auto* button = new QPushButton(QStringLiteral("Aggiorna"), this);
    button->setObjectName(QStringLiteral("BitBtnRefresh"));
    button->setAutoDefault(false);
    GiveCommandKey(button, QKeySequence(Qt::Key_F5));
    connect(button, &QPushButton::clicked, this, [this] {
        try {
            RefreshList();
        } catch (const Exception& e) {
            WarningBox(this, e.Message());
        }
    });
    QBoxLayout* row = LayoutHolding(layout(), BitBtnClose);
    if (row)
        row->insertWidget(row->indexOf(BitBtnClose), button);
    else
        button->hide();
}

void TFormRSShow::ChangeRows(const std::function<void()>& change)
{
    const int selectedRow = SelectedRow();
    {
        const QScopedValueRollback quiet(changingRows_, true);
        change();
        listViewData_->clearSelection();
        listViewData_->selectionModel()->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
        if (selectedRow >= 0 && selectedRow < model_->rowCount())
            SelectRow(selectedRow);
    }
    // Where filling the list leaves the recordset.
    const int count = recordset_->RecordCount();
    if (count > 0) {
        recordset_->SetAbsolutePosition(count);
        recordset_->MoveNext();
    }
    ListViewDataSelectItem();
}

void TFormRSShow::ShowSavedRecord(int record)
{
    const int records = model_->RecordCount();
    // Where the record stands in the recordset now: a new one last.
    const int before = recordset_->GetAbsolutePosition();
    const bool known = record >= 0
        ? record < records && before == record + 1 && recordset_->RecordCount() == records
        : before == records + 1 && recordset_->RecordCount() == records + 1;
    const std::optional<int> after = known ? recordset_->RequeryCurrentRow() : std::nullopt;
    if (!after) {
        RefreshList();
        return;
    }
    ChangeRows([&] {
        if (*after == 0)
            // The record no longer belongs to the list.
            model_->RemoveRecord(record);
        else
            model_->PutRecord(record, *after - 1, *recordset_);
    });
}

void TFormRSShow::ShowDeletedRecord(int record)
{
    if (DeletionChangesOtherRows() || record < 0 || record >= model_->RecordCount()
        || recordset_->RecordCount() != model_->RecordCount() - 1) {
        RefreshList();
        return;
    }
    ChangeRows([&] { model_->RemoveRecord(record); });
}

int TFormRSShow::ExecuteEditForm(bool editMode)
{
    int result = -1;
    TFormRSEdit* dialog = nullptr;
    try {
        dialog = CreateEditForm(editMode, *recordset_);
        if (dialog)
            result = dialog->exec() == QDialog::Accepted ? ResultOk : ResultCancel;
    } catch (const Exception&) {
        result = -1;
    }
    delete dialog;
    return result;
}

void TFormRSShow::AfterInsert(TNyRecordset&)
{
}

void TFormRSShow::BeforeDelete(TNyRecordset&)
{
}

void TFormRSShow::BitBtnNewClick()
{
    if (ExecuteEditForm(false) != ResultOk)
        return;
    try {
        AfterInsert(*recordset_);
        ShowSavedRecord(-1);
    } catch (const Exception& e) {
        // The record is saved; only the list could not be brought up to date.
        WarningBox(this, e.Message());
    }
}

void TFormRSShow::BitBtnEditClick()
{
    recordset_->SetAbsolutePosition(SelectedIndex() + 1);
    // The record the dialog edits.
    const int record = recordset_->GetAbsolutePosition() - 1;
    if (record >= 0 && !RecordAsStored(record))
        return;
    if (ExecuteEditForm(true) != ResultOk) {
        if (record >= 0)
            DropIfDeletedElsewhere();
        return;
    }
    try {
        if (record >= 0)
            ShowSavedRecord(record);
        else
            RefreshList();
    } catch (const Exception& e) {
        WarningBox(this, e.Message());
    }
}

void TFormRSShow::DropIfDeletedElsewhere()
{
    try {
        // The editor has said so already; the list only follows.
        if (!recordset_->CurrentRowStored())
            RefreshList();
    } catch (const Exception& e) {
        WarningBox(this, e.Message());
    }
}

bool TFormRSShow::RecordAsStored(int record)
{
    std::optional<int> now;
    try {
        now = recordset_->RequeryCurrentRow();
    } catch (const Exception& e) {
        WarningBox(this, e.Message());
        return false;
    }
    if (now && *now == record + 1) {
        model_->PutRecord(record, record, *recordset_);
        return true;
    }
    if (!now)
        return true;
    // Deleted, or changed so that it stands elsewhere in the list, from
    // another computer: the list is read again before anyone edits it.
    try {
        RefreshList();
    } catch (const Exception& e) {
        WarningBox(this, e.Message());
        return false;
    }
    InformationBox(this, *now == 0 ? RecordDeletedMeanwhileText() : RecordMovedMeanwhileText());
    return false;
}

void TFormRSShow::ListViewDataDblClick()
{
    if (BitBtnEdit->isEnabled())
        BitBtnEditClick();
}

void TFormRSShow::ListViewDataSelectItem()
{
    const bool selected = SelectedIndex() >= 0;
    BitBtnEdit->setEnabled(selected);
    BitBtnDelete->setEnabled(selected);
}

void TFormRSShow::BitBtnDeleteClick()
{
    if (!ConfirmDelete())
        return;
    int record = -1;
    try {
        {
            // What BeforeDelete writes (the renumbering of the questions)
            // stands or falls with the deletion: a refused deletion leaves
            // no trace. The deletion alone is one statement, its cascade
            // included, done whole or refused whole by the engine: it takes
            // no transaction of its own, nor the round trips to the server
            // that would open and close one.
            std::optional<TNyTransaction> transaction;
            if (DeletionChangesOtherRows())
                transaction.emplace(Database->Connection());
            recordset_->SetAbsolutePosition(SelectedIndex() + 1);
            record = recordset_->GetAbsolutePosition() - 1;
            BeforeDelete(*recordset_);
            recordset_->Delete();
            recordset_->Update();
            if (transaction)
                transaction->Commit();
        }
        ShowDeletedRecord(record);
    } catch (const Exception& e) {
        try {
            recordset_->CancelUpdate();
            // Only a failure after the row left the recordset (a failed
            // commit) can part the list from its recordset; reload then, or
            // row i would no longer be the record at position i + 1.
            if (recordset_->RecordCount() != model_->RecordCount())
                RefreshList();
        } catch (const Exception&) {
        }
        ShowDeleteError(e.Message());
    }
}

void TFormRSShow::BitBtnCloseClick()
{
    close();
}

void TFormRSShow::closeEvent(QCloseEvent* event)
{
    KeepWindowPlace(this);
    if (owner_)
        owner_->setEnabled(true);
    QDialog::closeEvent(event);
}
