#include "UnitTables.h"

#include "CompilationMessages.h"
#include "Database.h"
#include "Dialogs.h"
#include "Exception.h"
#include "NyTransaction.h"
#include "Questions.h"
#include "PagedPdf.h"
#include "ReadableReportPdf.h"
#include "UnitChildProgress.h"
#include "UnitOperationInProgress.h"
#include "UnitTableEdit.h"

#include "ui_UnitTables.h"

#include <QTreeWidget>

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
}

TFormTables::~TFormTables() = default;

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
    const QString fileName = GetSaveFileName(this, QStringLiteral("Relazione in PDF"), QStringLiteral("File PDF (*.pdf)"),
                                             QStringLiteral("pdf"), ReadableReportFileName(report));
    if (fileName.isEmpty())
        return;
    QString error;
    try {
        const TOperationInProgress progress(this, QStringLiteral("Attendere, scrittura della relazione in corso..."));
        SavePdf(fileName, ReadableReportPdf(report));
    } catch (const Exception& e) {
        error = e.Message();
    }
    // Told once the progress window is gone, so that nothing covers the box.
    if (!error.isEmpty())
        WarningBox(this, PdfNotWrittenText() + error);
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
    if (ExecuteEditForm(false) != ResultOk)
        return;
    AfterInsert(*Recordset());
    Reload();
}

void TFormTables::BitBtnDeleteClick()
{
    const int row = SelectedIndex();
    // Without a selected row the recordset's current row, whichever it is,
    // would be deleted.
    if (row < 0 || !ConfirmDelete())
        return;
    try {
        Recordset()->SetAbsolutePosition(row + 1);
        const QString id = Recordset()->GetFieldAsString(QStringLiteral("IDCompiledTable"));
        // The database takes the answers and start phases with it.
        Database->Execute(QStringLiteral("DELETE * FROM CompiledTables WHERE IDCompiledTable=") + id);
        Recordset()->Close();
        RefreshList();
    } catch (const Exception& e) {
        ShowDeleteError(e.Message());
    }
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
    if (!error.isEmpty())
        WarningBox(this, Message11306() + error);
    Reload();
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

    TQuestions questionnaire;
    questionnaire.Load();
    questionnaire.LoadStartPhases(source);
    questionnaire.LoadAnswers(source);

    // The copy is whole or absent: a failure part-way leaves no new
    // compilation behind. The recordset is reloaded afterwards in any case,
    // which discards the row it holds in memory.
    TNyTransaction transaction(Database->Connection());
    try {
        recordset.AddNew();
        recordset.SetField(QStringLiteral("Description"), QStringLiteral("Copia di ") + description);
        recordset.SetField(QStringLiteral("IDChild"), idChild);
        recordset.SetField(QStringLiteral("DateTime"), dateTime);
        recordset.SetField(QStringLiteral("IDTeacher"), idTeacher);
        recordset.Update();
        const int copy = recordset.GetFieldAsInteger(QStringLiteral("IDCompiledTable"));
        questionnaire.SaveStartPhases(copy);
        questionnaire.SaveAnswers(copy);
        transaction.Commit();
    } catch (const Exception&) {
        try {
            recordset.CancelUpdate();
        } catch (const Exception&) {
        }
        throw;
    }
}
