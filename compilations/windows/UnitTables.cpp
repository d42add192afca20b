#include "UnitTables.h"

#include "CompilationMessages.h"
#include "Database.h"
#include "Dialogs.h"
#include "Exception.h"
#include "NyTransaction.h"
#include "DateEntry.h"
#include "ListFinder.h"
#include "Questions.h"
#include "ReadableReport.h"
#include "UnitChildProgress.h"
#include "Regional.h"
#include "SaveReadableReport.h"
#include "SearchableComboBox.h"
#include "UnitOperationInProgress.h"
#include "UnitTableEdit.h"

#include "ui_UnitTables.h"

#include <QBoxLayout>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>

TFormTables::TFormTables(QWidget* owner)
    : TFormRSShow(owner)
    , ui_(std::make_unique<Ui::TFormTables>())
{
    ui_->setupUi(this);
    ui_->BitBtnDuplicate->setAutoDefault(false);
    connect(ui_->BitBtnDuplicate, &QPushButton::clicked, this, &TFormTables::BitBtnDuplicateClick);
    for (QPushButton* button : {ui_->BitBtnProgress, ui_->BitBtnReportPdf})
        button->setAutoDefault(false);
    connect(ui_->BitBtnProgress, &QPushButton::clicked, this, &TFormTables::BitBtnProgressClick);
    connect(ui_->BitBtnReportPdf, &QPushButton::clicked, this, &TFormTables::BitBtnReportPdfClick);
    Initialize(TRecordListControls::Of(*ui_));
    AddFilterRow();
}

TFormTables::~TFormTables() = default;

void TFormTables::AddFilterRow()
{
    QGroupBox* group = ui_->GroupBoxData;
    auto* row = new QHBoxLayout();
    const auto names = [this, group](const char* table, const QString& all, const char* objectName) {
        auto* combo = new QComboBox(group);
        combo->setObjectName(QLatin1String(objectName));
        combo->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
        combo->setMinimumContentsLength(10);
        combo->addItem(all);
        // The names are read when the user first reaches the box, all at
        // once: the list opens showing everyone.
        MakeComboBoxSearchable(combo, [this, table] {
            QStringList items;
            try {
                // ITALIAN: the program's name order (NameText.h).
                auto names = Database->OpenRecordset(
                    QStringLiteral("SELECT Name FROM %1 ORDER BY Name COLLATE ITALIAN").arg(QLatin1String(table)));
                for (; !names->Eof(); names->MoveNext())
                    items << names->GetFieldAsString(0);
            } catch (const Exception&) {
                // Without the names the list is simply not narrowed by them.
            }
            return items;
        });
        return combo;
    };
    comboBoxChild_ = names("Children", QStringLiteral("Tutti"), "ComboBoxFilterChild");
    comboBoxTeacher_ = names("Teachers", QStringLiteral("Tutti"), "ComboBoxFilterTeacher");
    const auto date = [group](const QString& caption, const char* checkName, const char* dateName,
                              QCheckBox*& check, TDateEntry*& entry) {
        check = new QCheckBox(caption, group);
        check->setObjectName(QLatin1String(checkName));
        entry = new TDateEntry(group);
        entry->setObjectName(QLatin1String(dateName));
        entry->setCalendarPopup(true);
        entry->setDate(QDate::currentDate());
        entry->setEnabled(false);
        // Room for the whole date with its four-digit year and the arrow.
        entry->setMinimumWidth(entry->fontMetrics().horizontalAdvance(QStringLiteral("00/00/0000")) + 28);
        connect(check, &QCheckBox::toggled, entry, &QWidget::setEnabled);
    };
    date(QStringLiteral("dal"), "CheckBoxFilterFrom", "DateFilterFrom", checkBoxFrom_, dateFrom_);
    date(QStringLiteral("al"), "CheckBoxFilterTo", "DateFilterTo", checkBoxTo_, dateTo_);

    auto* childLabel = new QLabel(QStringLiteral("Bambino:"), group);
    childLabel->setBuddy(comboBoxChild_);
    auto* teacherLabel = new QLabel(QStringLiteral("Educatore:"), group);
    teacherLabel->setBuddy(comboBoxTeacher_);
    row->addWidget(childLabel);
    row->addWidget(comboBoxChild_, 1);
    row->addWidget(teacherLabel);
    row->addWidget(comboBoxTeacher_, 1);
    // The dates go beside the search field, before the count of the rows
    // shown: one row would not hold them all at the window's first size.
    int at = 1;
    for (QWidget* widget : {static_cast<QWidget*>(checkBoxFrom_), static_cast<QWidget*>(dateFrom_),
                            static_cast<QWidget*>(checkBoxTo_), static_cast<QWidget*>(dateTo_)})
        SearchRow()->insertWidget(at++, widget);
    if (auto* box = qobject_cast<QBoxLayout*>(group->layout()))
        box->insertLayout(1, row);

    Finder()->SetRowFilter([this](const QStringList& cells) { return RowChosen(cells); });
    const auto refilter = [this] { Finder()->Filter(); };
    connect(comboBoxChild_, &QComboBox::currentIndexChanged, this, refilter);
    connect(comboBoxTeacher_, &QComboBox::currentIndexChanged, this, refilter);
    for (QCheckBox* check : {checkBoxFrom_, checkBoxTo_})
        connect(check, &QCheckBox::toggled, this, refilter);
    for (TDateEntry* entry : {dateFrom_, dateTo_})
        connect(entry, &QDateEdit::dateChanged, this, refilter);
}

bool TFormTables::RowChosen(const QStringList& cells) const
{
    // Column 1 is the child, 2 the educator (GetColumnFields); the first
    // item of each choice is everyone.
    if (comboBoxChild_->currentIndex() > 0 && cells.value(1) != comboBoxChild_->itemText(comboBoxChild_->currentIndex()))
        return false;
    if (comboBoxTeacher_->currentIndex() > 0
        && cells.value(2) != comboBoxTeacher_->itemText(comboBoxTeacher_->currentIndex()))
        return false;
    const bool from = checkBoxFrom_->isChecked();
    const bool to = checkBoxTo_->isChecked();
    if (!from && !to)
        return true;
    // The date column shows the short date, then the time of day if any.
    const QString text = cells.value(0);
    const QDate date = QDate::fromString(text.left(text.indexOf(QLatin1Char(' '))), RegionalShortDateFormat());
    return (!from || date >= dateFrom_->date()) && (!to || date <= dateTo_->date());
}

QString TFormTables::GetSelectSQL()
{
    // ITALIAN: the program's name order (NameText.h).
    return QStringLiteral(
        "     SELECT CompiledTables.*, Children.Name, Teachers.Name     FROM Teachers INNER JOIN (Children INNER JOIN "
        "CompiledTables ON Children.IDChild = CompiledTables.IDChild) ON Teachers.IDTeacher = CompiledTables.IDTeacher"
        "     ORDER BY CompiledTables.DateTime, Children.Name COLLATE ITALIAN, Teachers.Name COLLATE ITALIAN, "
        "CompiledTables.Description COLLATE ITALIAN, "
        "CompiledTables.IDCompiledTable     ");
}

void TFormTables::GetColumnFields(QStringList& fields)
{
    fields << QStringLiteral("DateTime") << QStringLiteral("Children.Name") << QStringLiteral("Teachers.Name")
           << QStringLiteral("Description");
}

TFormRSEdit* TFormTables::CreateEditForm(bool editMode, TNyRecordset& recordset)
{
    return new TFormTableEdit(this, recordset, editMode);
}

bool TFormTables::ConfirmDelete()
{
    return QuestionBox(this, Message11300()) == TBoxAnswer::Yes;
}

void TFormTables::ShowDeleteError(const QString& message)
{
    WarningBox(this, Message11302() + message);
}

void TFormTables::ListViewDataSelectItem()
{
    TFormRSShow::ListViewDataSelectItem();
    ui_->BitBtnDuplicate->setEnabled(SelectedIndex() >= 0);
    ui_->BitBtnProgress->setEnabled(SelectedIndex() >= 0);
    ui_->BitBtnReportPdf->setEnabled(SelectedIndex() >= 0);
}

int TFormTables::SelectedField(const QString& field)
{
    if (SelectedIndex() < 0)
        return 0;
    try {
        Recordset()->SetAbsolutePosition(SelectedIndex() + 1);
        return Recordset()->GetFieldAsInteger(field);
    } catch (const Exception& e) {
        WarningBox(this, e.Message());
        return 0;
    }
}

void TFormTables::BitBtnProgressClick()
{
    const int idChild = SelectedField(QStringLiteral("IDChild"));
    if (idChild == 0)
        return;
    TFormChildProgress::Show(this, idChild);
    // Compilations changed from the progress window show here too.
    Reload();
}

void TFormTables::BitBtnReportPdfClick()
{
    const int key = SelectedField(QStringLiteral("IDCompiledTable"));
    if (key == 0)
        return;
    TReadableReport report;
    try {
        report = LoadReadableReport(key);
    } catch (const Exception& e) {
        WarningBox(this, PdfNotWrittenText() + e.Message());
        return;
    }
    SaveReadableReportPdf(this, report);
}

void TFormTables::Reload()
{
    try {
        RefreshList();
    } catch (const Exception& e) {
        WarningBox(this, e.Message());
    }
}

void TFormTables::BitBtnNewClick()
{
    // A compilation needs a child, an educator and something to answer.
    bool complete = true;
    try {
        for (const char* table : {"Children", "Teachers", "Questions"}) {
            auto counted = Database->OpenRecordset(QStringLiteral("SELECT COUNT(*) AS RecordCount FROM ")
                                                   + QLatin1String(table));
            if (counted->GetFieldAsInteger(QStringLiteral("RecordCount")) <= 0)
                complete = false;
        }
    } catch (const Exception& e) {
        WarningBox(this, e.Message());
        return;
    }
    if (!complete) {
        WarningBox(this, Message11303());
        return;
    }
    TFormRSShow::BitBtnNewClick();
}

void TFormTables::BitBtnDeleteClick()
{
    // Without a selected row the recordset's current row, whichever it is,
    // would be deleted. The database takes the answers and start phases
    // with the compilation.
    if (SelectedIndex() >= 0)
        TFormRSShow::BitBtnDeleteClick();
}

void TFormTables::BitBtnDuplicateClick()
{
    if (SelectedIndex() < 0 || QuestionBox(this, Message11305()) != TBoxAnswer::Yes)
        return;
    QString error;
    try {
        Duplicate();
    } catch (const Exception& e) {
        error = e.Message();
    }
    // Told once the progress window is gone, so that nothing covers the box.
    if (!error.isEmpty()) {
        WarningBox(this, Message11306() + error);
        // What the recordset holds of a copy that failed goes with a reload.
        Reload();
        return;
    }
    try {
        ShowSavedRecord(-1);
    } catch (const Exception& e) {
        WarningBox(this, e.Message());
    }
}

void TFormTables::Duplicate()
{
    TNyRecordset& recordset = *Recordset();
    recordset.SetAbsolutePosition(SelectedIndex() + 1);
    const TOperationInProgress progress(this, Message11307());

    const int source = recordset.GetFieldAsInteger(QStringLiteral("IDCompiledTable"));
    const QString description = recordset.GetFieldAsString(QStringLiteral("Description"));
    const int idChild = recordset.GetFieldAsInteger(QStringLiteral("IDChild"));
    const TDateTime dateTime = recordset.GetFieldAsDateTime(QStringLiteral("DateTime"));
    const int idTeacher = recordset.GetFieldAsInteger(QStringLiteral("IDTeacher"));

    // The copy is whole or absent: a failure part-way leaves no new
    // compilation behind, and the recordset is reloaded afterwards, which
    // discards the row it holds in memory. A copy made is the recordset's
    // current row.
    TNyTransaction transaction(Database->Connection());
    try {
        recordset.AddNew();
        recordset.SetField(QStringLiteral("Description"), QStringLiteral("Copia di ") + description);
        recordset.SetField(QStringLiteral("IDChild"), idChild);
        recordset.SetField(QStringLiteral("DateTime"), dateTime);
        recordset.SetField(QStringLiteral("IDTeacher"), idTeacher);
        recordset.Update();
        const int copy = recordset.GetFieldAsInteger(QStringLiteral("IDCompiledTable"));
        TQuestions::CopyStartPhasesAndAnswers(source, copy);
        transaction.Commit();
    } catch (const Exception&) {
        try {
            recordset.CancelUpdate();
        } catch (const Exception&) {
        }
        throw;
    }
}
