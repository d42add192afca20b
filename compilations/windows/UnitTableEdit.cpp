#include "UnitTableEdit.h"

#include "CompilationMessages.h"
#include "Database.h"
#include "DateEntry.h"
#include "Dialogs.h"
#include "Exception.h"
#include "FillFunctions.h"
#include "LayoutShield.h"
#include "ListViewDelegate.h"
#include "NyTransaction.h"
#include "ReadableReport.h"
#include "QuestionsModel.h"
#include "RecordFormLook.h"
#include "Regional.h"
#include "ReportPrinting.h"
#include "SaveReadableReport.h"
#include "SearchableComboBox.h"
#include "Settings.h"
#include "UnitOperationInProgress.h"
#include "UnitSetStartPhase.h"
#include "WaitCursor.h"
#include "ui_UnitTableEdit.h"

#include <QButtonGroup>
#include <QKeyEvent>
#include <algorithm>
#include <utility>

namespace {

const QString kIDCompiledTable = QStringLiteral("IDCompiledTable");
const QString kIDChild = QStringLiteral("IDChild");
const QString kIDTeacher = QStringLiteral("IDTeacher");
const QString kDateTime = QStringLiteral("DateTime");
const QString kDescription = QStringLiteral("Description");

} // namespace

TFormTableEdit::THeader TFormTableEdit::THeader::Read(TNyRecordset& recordset)
{
    THeader header;
    header.IDChild = recordset.GetFieldAsInteger(kIDChild);
    header.IDTeacher = recordset.GetFieldAsInteger(kIDTeacher);
    header.DateTime = recordset.GetFieldAsDateTime(kDateTime);
    header.Description = recordset.GetFieldAsString(kDescription);
    return header;
}

void TFormTableEdit::THeader::Write(TNyRecordset& recordset) const
{
    recordset.SetField(kIDChild, IDChild);
    recordset.SetField(kIDTeacher, IDTeacher);
    recordset.SetField(kDateTime, DateTime);
    recordset.SetField(kDescription, Description);
}

// A failed save rolls the database back, but the recordset keeps in memory
// what it wrote: an inserted row with its new key, or an edited row with the
// new values. Put the row back as the database has it again, while the
// transaction still holds what was written: a new compilation becomes a
// pending new row once more (so the next OK inserts it, with no trace of the
// key it briefly had), an edited one shows its stored values.
void TFormTableEdit::UndoPostedRow(TNyRecordset& recordset, bool inserted, const THeader& stored)
{
    TNyConnection& connection = TDatabase::GetInstance()->Connection();
    try {
        if (inserted) {
            recordset.Delete();
            recordset.AddNew();
        } else {
            stored.Write(recordset);
            recordset.Update();
        }
    } catch (const Exception&) {
        // What the user is told about is the failure that stopped the save.
    }
    // Delete keeps its refusals for the next Update to report; the save's
    // own failure is the one that counts.
    connection.Errors().clear();
}

TFormTableEdit::TFormTableEdit(QWidget* owner, TNyRecordset& recordset, bool editMode)
    : TFormRSEdit(owner, recordset, editMode)
    , ui_(std::make_unique<Ui::TFormTableEdit>())
{
    ui_->setupUi(this);
    // The question and the total change at every answer key, in room that
    // stays the same.
    new TLayoutShield(ui_->LabelQuestion);
    new TLayoutShield(ui_->LabelTotalPoints);
    LetUserResize(QSize(777, 521));
    for (QGroupBox* group : findChildren<QGroupBox*>())
        ShowCaptionInBlue(group);

    // The list's model comes first: the report style centres its headings.
    ui_->ListViewData->setModel(new TQuestionsModel(ui_->ListViewData));
    SetReportStyle(ui_->ListViewData, {1, 2, 4});
    const int questionWidths[] = {35, 35, 35, 205, 70};
    for (int column = 0; column < 5; ++column)
        ui_->ListViewData->setColumnWidth(column, questionWidths[column]);
    SetReportStyle(ui_->ListViewAreas, {1, 2, 3});
    const int areaWidths[] = {140, 60, 60, 35};
    for (int column = 0; column < 4; ++column)
        ui_->ListViewAreas->setColumnWidth(column, areaWidths[column]);

    view_.ListViewData = ui_->ListViewData;
    view_.ListViewAreas = ui_->ListViewAreas;
    view_.LabelQuestion = ui_->LabelQuestion;
    view_.LabelAreaDescription = ui_->LabelAreaDescription;
    view_.LabelPhaseDescription = ui_->LabelPhaseDescription;
    view_.LabelTotalPoints = ui_->LabelTotalPoints;
    view_.SpeedButtonAnswerYes = ui_->SpeedButtonAnswerYes;
    view_.SpeedButtonAnswerSometimes = ui_->SpeedButtonAnswerSometimes;
    view_.SpeedButtonAnswerNo = ui_->SpeedButtonAnswerNo;
    view_.SpeedButtonAnswerDontKnow = ui_->SpeedButtonAnswerDontKnow;

    // At most one answer is down, but all may be up: the group is not
    // exclusive (an exclusive one refuses to release its pressed button) and
    // the click handler releases the others.
    answerButtons_ = new QButtonGroup(this);
    answerButtons_->setExclusive(false);
    for (QAbstractButton* button : {view_.SpeedButtonAnswerYes, view_.SpeedButtonAnswerSometimes,
                                    view_.SpeedButtonAnswerNo, view_.SpeedButtonAnswerDontKnow}) {
        answerButtons_->addButton(button);
        // The chosen answer must stand out at a glance: white on dark blue
        // with a black frame, where the style's own pressed look is only a
        // slightly darker grey. The buttons stay out of the tab order (the
        // answer keys work from anywhere in the window).
        button->setStyleSheet(QStringLiteral("QPushButton:checked { background-color: #000080; color: #ffffff;"
                                             " border: 2px solid #000000; border-radius: 3px; padding: 3px; }"));
        button->setFocusPolicy(Qt::NoFocus);
    }
    connect(answerButtons_, &QButtonGroup::buttonClicked, this, &TFormTableEdit::AnswerButtonClicked);

    connect(ui_->ListViewData->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &TFormTableEdit::ListViewDataSelectItem);
    connect(ui_->ListViewAreas, &QTreeWidget::itemClicked, this, &TFormTableEdit::ListViewAreasClick);
    // Moving through the areas with the arrow keys jumps as a click does;
    // a selection the program makes itself (a refill) does not.
    connect(ui_->ListViewAreas, &QTreeWidget::currentItemChanged, this, [this] {
        if (ui_->ListViewAreas->hasFocus())
            ListViewAreasClick();
    });
    connect(ui_->BitBtnSetStartPhase, &QPushButton::clicked, this, &TFormTableEdit::BitBtnSetStartPhaseClick);
    connect(ui_->BitBtnExportAndPrint, &QPushButton::clicked, this, &TFormTableEdit::BitBtnExportAndPrintClick);
    connect(ui_->BitBtnReportPdf, &QPushButton::clicked, this, &TFormTableEdit::BitBtnReportPdfClick);
    const auto changed = [this] { modified_ = true; };
    connect(ui_->DateTimePickerDate, &QDateEdit::dateChanged, this, changed);
    connect(ui_->ComboBoxChild, &QComboBox::currentIndexChanged, this, changed);
    connect(ui_->ComboBoxTeacher, &QComboBox::currentIndexChanged, this, changed);
    connect(ui_->EditDescription, &QLineEdit::textChanged, this, changed);
    for (QPushButton* button : {ui_->BitBtnSetStartPhase, ui_->BitBtnExportAndPrint})
        button->setAutoDefault(false);
    GiveCommandKey(ui_->BitBtnExportAndPrint, QKeySequence::Print);
    // A school has hundreds of children: they are found by typing.
    MakeComboBoxSearchable(ui_->ComboBoxChild);
    MakeComboBoxSearchable(ui_->ComboBoxTeacher);
    // Room for a name with its date of birth.
    ui_->ComboBoxChild->setMinimumContentsLength(24);

    // Key preview: the answer keys work wherever the focus is in the window.
    installEventFilter(this);
    for (QWidget* child : findChildren<QWidget*>())
        child->installEventFilter(this);

    Initialize();
    modified_ = false;
    StartAgeProposal();
    ui_->CheckBoxAvanzaAutomaticamente->setChecked(TSettings::GetInstance()->AutoAdvancing());
}

TFormTableEdit::~TFormTableEdit() = default;

TDateTime TFormTableEdit::DateValue() const
{
    const QDate date = ui_->DateTimePickerDate->EnteredDate().value_or(ui_->DateTimePickerDate->date());
    return DateTimeFromQDateTime(QDateTime(date, timeOfDay_));
}

QDate TFormTableEdit::SelectedChildBirth()
{
    QDate birth;
    const int index = ui_->ComboBoxChild->currentIndex();
    try {
        if (childrenRecordset_ && index >= 0 && index < childrenRecordset_->RecordCount()) {
            childrenRecordset_->SetAbsolutePosition(index + 1);
            birth = QDateTimeFromDateTime(childrenRecordset_->GetFieldAsDateTime(QStringLiteral("DateOfBirth"))).date();
        }
    } catch (const Exception&) {
        // Without the child's date only the date itself is checked; the save
        // reports what cannot be read.
    }
    return birth;
}

bool TFormTableEdit::DateAccepted()
{
    // An observation is not made before the child was born.
    const QDate birth = SelectedChildBirth();
    return CheckedDateNotBefore(this, ui_->DateTimePickerDate, DateFieldName(), birth,
                                QStringLiteral("la data di nascita del bambino"))
        .has_value();
}

void TFormTableEdit::LoadRecord(bool editMode, TNyRecordset& recordset)
{
    setWindowTitle(editMode ? QStringLiteral("Modifica compilazione") : QStringLiteral("Nuova compilazione"));
    questionnaire_ = std::make_unique<TQuestions>();
    // A failure ends the loading where it happened, and the window opens with
    // what was read. It is caught here rather than by the dialog's set-up so
    // that a new compilation still gets its own new row.
    try {
        TDatabase* database = TDatabase::GetInstance();
        phasesRecordset_ = database->OpenRecordset(QStringLiteral("SELECT IDPhase, Description FROM Phases ORDER BY IDPhase"));
        // By name, the Italian way (NameText.h); a child shows with the date
        // of birth, which tells apart two children of the same name.
        childrenRecordset_ = database->OpenRecordset(
            QStringLiteral("SELECT IDChild, Name, DateOfBirth FROM Children ORDER BY Name COLLATE ITALIAN, IDChild"));
        const QString name = QStringLiteral("Name");
        const QString dateOfBirth = QStringLiteral("DateOfBirth");
        FillComboBox(ui_->ComboBoxChild, *childrenRecordset_, [&](TNyRecordset& child) {
            QString text = child.GetFieldAsString(name);
            if (!child.GetFieldAsString(dateOfBirth).isEmpty())
                text += QStringLiteral(" (") + FormatShortDate(child.GetFieldAsDateTime(dateOfBirth)) + QLatin1Char(')');
            return text;
        });
        teachersRecordset_ = database->OpenRecordset(
            QStringLiteral("SELECT IDTeacher, Name FROM Teachers ORDER BY Name COLLATE ITALIAN, IDTeacher"));
        FillComboBox(ui_->ComboBoxTeacher, *teachersRecordset_, false);

        questionnaire_->Load();

        if (editMode) {
            // What another computer has saved since the list was read is
            // what this window shows and what its save is measured against.
            if (recordset.RequeryCurrentRow() == 0)
                throw Exception(CompilationDeletedText());
            openedChangeCount_ = recordset.GetFieldAsInteger(QStringLiteral("ChangeCount"));
            storedHeader_ = THeader::Read(recordset);
            const int key = recordset.GetFieldAsInteger(kIDCompiledTable);
            questionnaire_->LoadAnswers(key);
            questionnaire_->LoadStartPhases(key);
            const QDateTime stored = QDateTimeFromDateTime(recordset.GetFieldAsDateTime(kDateTime));
            timeOfDay_ = stored.time();
            ui_->DateTimePickerDate->setDate(stored.date());
            SelectComboBoxById(ui_->ComboBoxChild, *childrenRecordset_, kIDChild, recordset.GetFieldAsInteger(kIDChild));
            SelectComboBoxById(ui_->ComboBoxTeacher, *teachersRecordset_, kIDTeacher,
                               recordset.GetFieldAsInteger(kIDTeacher));
            // A description stored longer than the edit takes (the copies
            // of copies grow) must not be cut short by merely opening it.
            const QString description = recordset.GetFieldAsString(kDescription);
            ui_->EditDescription->setMaxLength(std::max(100, static_cast<int>(description.size())));
            ui_->EditDescription->setText(description);
        } else {
            timeOfDay_ = QTime(0, 0);
            ui_->DateTimePickerDate->setDate(QDate::currentDate());
            SelectComboBoxItem(ui_->ComboBoxChild, 0, -1);
            SelectComboBoxItem(ui_->ComboBoxTeacher, 0, -1);
            ui_->EditDescription->setText(QStringLiteral("Descrizione [") + FormatLongDate(DateValue())
                                          + QLatin1Char(']'));
        }
    } catch (const Exception& e) {
        loadError_ = e.Message();
        return;
    }

    view_.FillQuestionList(*questionnaire_);
    view_.FillAreaList(*questionnaire_);
    SelectQuestionRow(0);
    view_.Score(*questionnaire_);
}

void TFormTableEdit::ListViewDataSelectItem()
{
    const int row = SelectedQuestionRow();
    if (row < 0)
        return;
    view_.ShowQuestion(*questionnaire_, view_.QuestionsModel()->QuestionOfRow(row));
}

int TFormTableEdit::SelectedQuestionRow() const
{
    const QModelIndexList selected = ui_->ListViewData->selectionModel()->selectedRows();
    return selected.isEmpty() ? -1 : selected.first().row();
}

void TFormTableEdit::SelectQuestionRow(int row)
{
    const QModelIndex index = view_.QuestionsModel()->index(row, 0);
    if (!index.isValid())
        return;
    ui_->ListViewData->setCurrentIndex(index);
    ui_->ListViewData->scrollTo(index, QAbstractItemView::EnsureVisible);
}

void TFormTableEdit::SelectQuestion(int q)
{
    const int row = view_.QuestionsModel()->RowOfQuestion(q);
    if (row >= 0)
        SelectQuestionRow(row);
}

void TFormTableEdit::AnswerButtonClicked(QAbstractButton* button)
{
    // A click on a released button presses it and releases the others; a
    // click on the pressed one releases it, leaving the question unanswered.
    if (button->isChecked()) {
        for (QAbstractButton* other : answerButtons_->buttons()) {
            if (other != button)
                other->setChecked(false);
        }
    }
    SpeedButtonAnswerClick();
}

void TFormTableEdit::PressAnswerButton(QAbstractButton* button)
{
    for (QAbstractButton* other : answerButtons_->buttons())
        other->setChecked(other == button);
    SpeedButtonAnswerClick();
}

void TFormTableEdit::SpeedButtonAnswerClick()
{
    modified_ = true;
    const int row = SelectedQuestionRow();
    if (row < 0) {
        view_.Score(*questionnaire_);
        return;
    }
    TQuestionsModel* model = view_.QuestionsModel();
    view_.SetAnswerFromButtons(*questionnaire_, model->QuestionOfRow(row));
    if (ui_->CheckBoxAvanzaAutomaticamente->isChecked() && row < model->rowCount() - 1)
        AdvanceToQuestionRow(row + 1);
}

void TFormTableEdit::AdvanceToQuestionRow(int row)
{
    // The answered question leaves the view's bottom edge: the list moves by
    // half a page at once, so that the questions to come show below the
    // current one, rather than a row at a time, which would show none of
    // them and scroll (and repaint the scroll bar) on every answer.
    QTreeView* list = ui_->ListViewData;
    const QModelIndex index = view_.QuestionsModel()->index(row, 0);
    if (index.isValid() && !list->viewport()->rect().contains(list->visualRect(index)))
        list->scrollTo(index, QAbstractItemView::PositionAtCenter);
    SelectQuestionRow(row);
}

bool TFormTableEdit::TakesTyping(const QWidget* widget) const
{
    for (const QWidget* control : {static_cast<const QWidget*>(ui_->DateTimePickerDate),
                                   static_cast<const QWidget*>(ui_->ComboBoxChild),
                                   static_cast<const QWidget*>(ui_->ComboBoxTeacher),
                                   static_cast<const QWidget*>(ui_->EditDescription)}) {
        if (widget == control || control->isAncestorOf(widget))
            return true;
    }
    return false;
}

bool TFormTableEdit::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress && watched->isWidgetType()) {
        // Where the user is typing decides, not which widget the key has
        // bubbled up to: a letter the date picker refuses reaches its group.
        const QWidget* focus = focusWidget();
        const QWidget* target = focus ? focus : static_cast<QWidget*>(watched);
        if (!TakesTyping(target) && !TakesTyping(static_cast<QWidget*>(watched))
            && FormKeyPress(static_cast<QKeyEvent*>(event)))
            return true;
    }
    return TFormRSEdit::eventFilter(watched, event);
}

bool TFormTableEdit::FormKeyPress(const QKeyEvent* event)
{
    if (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return false;
    if (event->key() == Qt::Key_Delete || event->key() == Qt::Key_Backspace) {
        // As a click on the pressed answer button: the question is left
        // without an answer.
        PressAnswerButton(nullptr);
        return true;
    }
    const QString text = event->text();
    if (text.size() != 1)
        return false;
    // Lower case only: a capital (Shift, Caps Lock) is not an answer key.
    switch (text.at(0).unicode()) {
    case 's':
        PressAnswerButton(ui_->SpeedButtonAnswerYes);
        return true;
    case 'v':
        PressAnswerButton(ui_->SpeedButtonAnswerSometimes);
        return true;
    case 'n':
        PressAnswerButton(ui_->SpeedButtonAnswerNo);
        return true;
    case 'o':
        PressAnswerButton(ui_->SpeedButtonAnswerDontKnow);
        return true;
    default:
        return false;
    }
}

void TFormTableEdit::ListViewAreasClick()
{
    if (ui_->ListViewAreas->selectedItems().isEmpty())
        return;
    FollowAreaSelection();
}

void TFormTableEdit::FollowAreaSelection()
{
    const QList<QTreeWidgetItem*> selected = ui_->ListViewAreas->selectedItems();
    if (selected.isEmpty())
        return;
    const int q = questionnaire_->SelectArea(ui_->ListViewAreas->indexOfTopLevelItem(selected.first()));
    if (view_.QuestionsModel()->rowCount() == 0) {
        view_.ShowQuestion(*questionnaire_, -1);
        return;
    }
    SelectQuestion(q);
}

void TFormTableEdit::BitBtnSetStartPhaseClick()
{
    if (!phasesRecordset_)
        return;
    TFormSetStartPhase dialog(this);
    QComboBox* combo = dialog.ComboBoxStartPhase();
    FillComboBox(combo, *phasesRecordset_, true);
    SelectComboBoxById(combo, *phasesRecordset_, QStringLiteral("IDPhase"), questionnaire_->GetStartPhase());
    dialog.ShowAgeProposal(AgeProposalNote());
    const int result = dialog.exec();
    const int index = combo->currentIndex();
    // With no phase chosen (there are none) there is nothing to apply.
    if (result == TFormSetStartPhase::ResultCancel || index < 0)
        return;
    try {
        modified_ = true;
        startPhaseSetByHand_ = true;
        phasesRecordset_->SetAbsolutePosition(index + 1);
        const int idPhase = phasesRecordset_->GetFieldAsInteger(QStringLiteral("IDPhase"));
        questionnaire_->SetStartPhase(idPhase, result == TFormSetStartPhase::ResultEveryArea);
        view_.FillQuestionList(*questionnaire_);
        view_.FillAreaList(*questionnaire_);
        view_.Score(*questionnaire_);
        FollowAreaSelection();
    } catch (const Exception&) {
        // The phases were read when the window opened; a row that cannot be
        // read now simply changes nothing.
    }
}

void TFormTableEdit::BitBtnExportAndPrintClick()
{
    if (!loadError_.isEmpty()) {
        // A report of what could not be read would show wrong points.
        WarningBox(this, Message21001() + loadError_);
        return;
    }
    if (!DateAccepted())
        return;
    if (questionnaire_->HasUnanswered() && QuestionBox(this, Message21002()) != TBoxAnswer::Yes)
        return;
    const QString fileName = GetSaveFileName(this, QStringLiteral("Esportazione e stampa compilazione"),
                                             QStringLiteral("File HTML (*.html)"), QStringLiteral("html"));
    if (fileName.isEmpty())
        return;

    QString childName;
    TDateTime dateOfBirth = 0.0;
    QString teacherName;
    bool exported = false;
    QString errorText;
    try {
        const TWaitCursor wait;
        repaint();
        SelectedKey(childrenRecordset_.get(), ui_->ComboBoxChild, kIDChild, QStringLiteral("bambino"));
        childName = childrenRecordset_->GetFieldAsString(QStringLiteral("Name"));
        dateOfBirth = childrenRecordset_->GetFieldAsDateTime(QStringLiteral("DateOfBirth"));
        SelectedKey(teachersRecordset_.get(), ui_->ComboBoxTeacher, kIDTeacher, QStringLiteral("educatore"));
        teacherName = teachersRecordset_->GetFieldAsString(QStringLiteral("Name"));
        exported = questionnaire_->ExportReport(fileName, DateValue(), childName, dateOfBirth, teacherName,
                                                ui_->EditDescription->text(), errorText);
    } catch (const Exception& e) {
        exported = false;
        errorText = e.Message();
    }
    if (!exported) {
        WarningBox(this, Message21001() + errorText);
        return;
    }
    if (QuestionBox(this, Message21000()) == TBoxAnswer::Yes)
        PrintHtmlFile(this, fileName, PrintableReport);
}

void TFormTableEdit::BitBtnReportPdfClick()
{
    if (!loadError_.isEmpty()) {
        WarningBox(this, PdfNotWrittenText() + loadError_);
        return;
    }
    if (!DateAccepted())
        return;
    // The report of what the editor shows, saved or not.
    TReadableReport report;
    try {
        TCompilationHeader header;
        header.IDCompiledTable = EditMode() ? questionnaire_->IDCompiledTable : -1;
        header.IDChild = SelectedKey(childrenRecordset_.get(), ui_->ComboBoxChild, kIDChild, QStringLiteral("bambino"));
        header.ChildName = childrenRecordset_->GetFieldAsString(QStringLiteral("Name"));
        header.DateOfBirth = childrenRecordset_->GetFieldAsDateTime(QStringLiteral("DateOfBirth"));
        header.IDTeacher =
            SelectedKey(teachersRecordset_.get(), ui_->ComboBoxTeacher, kIDTeacher, QStringLiteral("educatore"));
        header.TeacherName = teachersRecordset_->GetFieldAsString(QStringLiteral("Name"));
        header.Date = DateValue();
        header.Description = ui_->EditDescription->text();
        report = BuildReadableReport(*questionnaire_, header);
    } catch (const Exception& e) {
        WarningBox(this, PdfNotWrittenText() + e.Message());
        return;
    }
    SaveReadableReportPdf(this, report);
}

int TFormTableEdit::SelectedKey(TNyRecordset* recordset, const QComboBox* combo, const QString& field,
                                const QString& what) const
{
    // Without a chosen item the recordset would stay wherever it was and
    // hand out some other record's key.
    const int index = combo->currentIndex();
    if (!recordset || index < 0 || index >= recordset->RecordCount())
        throw Exception(QStringLiteral("nessun %1 selezionato.").arg(what));
    recordset->SetAbsolutePosition(index + 1);
    return recordset->GetFieldAsInteger(field);
}

void TFormTableEdit::BitBtnOKClick()
{
    if (!DateAccepted())
        return;
    TSettings::GetInstance()->SetAutoAdvancing(ui_->CheckBoxAvanzaAutomaticamente->isChecked());
    TFormRSEdit::BitBtnOKClick();
    if (result() == QDialog::Accepted)
        modified_ = false;
}

void TFormTableEdit::SaveRecord(TNyRecordset& recordset)
{
    if (!loadError_.isEmpty()) {
        // Saving now would replace the stored answers and start phases with
        // the ones that happen to have been read.
        throw Exception(loadError_);
    }
    const TOperationInProgress progress(this, Message11304());

    THeader header;
    header.IDChild = SelectedKey(childrenRecordset_.get(), ui_->ComboBoxChild, kIDChild, QStringLiteral("bambino"));
    header.IDTeacher = SelectedKey(teachersRecordset_.get(), ui_->ComboBoxTeacher, kIDTeacher,
                                   QStringLiteral("educatore"));
    header.DateTime = DateValue();
    header.Description = ui_->EditDescription->text();

    const bool inserting = !EditMode();
    // A new compilation must be written as a new row: the pending row has no
    // key yet. Anything else would overwrite another compilation.
    if (inserting && !recordset.GetFieldAsString(kIDCompiledTable).isEmpty())
        throw Exception(QStringLiteral("la nuova compilazione non \u00e8 pronta per essere inserita."));

    // The header, the start phases and the answers are one change: after a
    // failure none of them is stored and the database is as it was.
    TNyConnection& connection = TDatabase::GetInstance()->Connection();
    TNyTransaction transaction(connection);
    bool posted = false;
    try {
        if (!inserting) {
            const TStoredCompilation found =
                ClaimCompilationSave(connection, recordset.GetFieldAsInteger(kIDCompiledTable), openedChangeCount_);
            if (found != TStoredCompilation::AsOpened) {
                refusedSave_ = found;
                throw Exception(found == TStoredCompilation::Deleted ? CompilationDeletedText()
                                                                     : CompilationChangedText());
            }
        }
        header.Write(recordset);
        recordset.Update();
        posted = true;
        const int key = recordset.GetFieldAsInteger(kIDCompiledTable);
        questionnaire_->SaveStartPhases(key);
        questionnaire_->SaveAnswers(key);
        transaction.Commit();
        if (!inserting)
            ++openedChangeCount_;
    } catch (const Exception&) {
        if (posted)
            UndoPostedRow(recordset, inserting, storedHeader_);
        if (!refusedSave_) {
            const QString missing = MissingReferenceText(connection, header);
            if (!missing.isEmpty()) {
                missingReference_ = true;
                throw Exception(missing);
            }
        }
        throw;
    }
}

QString TFormTableEdit::MissingReferenceText(TNyConnection& connection, const THeader& header) const
{
    std::vector<int> questions;
    questions.reserve(questionnaire_->QuestionList.size());
    for (const TQuestion& question : questionnaire_->QuestionList)
        questions.push_back(question.IDQuestion);
    try {
        switch (MissingReference(connection, header.IDChild, header.IDTeacher, questions)) {
        case TMissingReference::Child:
            return ChildDeletedMeanwhileText();
        case TMissingReference::Teacher:
            return TeacherDeletedMeanwhileText();
        case TMissingReference::Questions:
            return QuestionsDeletedMeanwhileText();
        case TMissingReference::None:
            break;
        }
    } catch (const Exception&) {
        // The failure's own message is the one to show.
    }
    return QString();
}

void TFormTableEdit::ShowUpdateError(const QString& message)
{
    const std::optional<TStoredCompilation> refused = std::exchange(refusedSave_, std::nullopt);
    modified_ = true;
    if (refused == TStoredCompilation::ChangedMeanwhile) {
        if (YesNoBox(this, CompilationChangedText() + ReloadChangedCompilationText()) == TBoxAnswer::Yes)
            ReloadStoredCompilation();
        return;
    }
    const bool explained = std::exchange(missingReference_, false) || refused;
    WarningBox(this, explained ? message : Message11301() + message);
}

void TFormTableEdit::ReloadStoredCompilation()
{
    loadError_.clear();
    LoadRecord(true, Recordset());
    if (loadError_.isEmpty()) {
        modified_ = false;
        return;
    }
    // The lists must not go on showing the questionnaire just replaced.
    view_.FillQuestionList(*questionnaire_);
    view_.FillAreaList(*questionnaire_);
    view_.Score(*questionnaire_);
    WarningBox(this, Message11301() + loadError_);
}

bool TFormTableEdit::ConfirmCancel()
{
    if (!modified_)
        return true;
    return QuestionBox(this, Message19001()) == TBoxAnswer::Yes;
}

void TFormTableEdit::StartAgeProposal()
{
    if (!loadError_.isEmpty())
        return;
    try {
        auto phases = TDatabase::GetInstance()->OpenRecordset(
            QStringLiteral("SELECT IDPhase, AgeFromMonths, AgeToMonths FROM Phases ORDER BY IDPhase"));
        for (; !phases->Eof(); phases->MoveNext()) {
            TPhaseAgeRange range;
            range.IDPhase = phases->GetFieldAsInteger(QStringLiteral("IDPhase"));
            // Read as text: an empty field is no bound, while 0 is one.
            for (const auto& [field, bound] : {std::pair{QStringLiteral("AgeFromMonths"), &range.FromMonths},
                                               std::pair{QStringLiteral("AgeToMonths"), &range.ToMonths}}) {
                if (!phases->GetFieldAsString(field).isEmpty())
                    *bound = phases->GetFieldAsInteger(field);
            }
            phaseAgeRanges_.push_back(range);
        }
    } catch (const Exception&) {
        // Without the ranges nothing is proposed: every area starts at 1.
        phaseAgeRanges_.clear();
    }
    if (EditMode())
        return;
    connect(ui_->DateTimePickerDate, &QDateEdit::dateChanged, this, &TFormTableEdit::ProposeStartPhasesFromAge);
    connect(ui_->ComboBoxChild, &QComboBox::currentIndexChanged, this, &TFormTableEdit::ProposeStartPhasesFromAge);
    ProposeStartPhasesFromAge();
}

std::optional<int> TFormTableEdit::ChildAgeInMonths()
{
    const QDate date = ui_->DateTimePickerDate->EnteredDate().value_or(ui_->DateTimePickerDate->date());
    return AgeInMonths(SelectedChildBirth(), date);
}

void TFormTableEdit::ProposeStartPhasesFromAge()
{
    if (EditMode() || startPhaseSetByHand_ || !loadError_.isEmpty())
        return;
    std::vector<TArea>& areas = questionnaire_->Areas;
    const std::vector<std::optional<int>> proposals = ProposeStartPhases(areas.size(), phaseAgeRanges_, ChildAgeInMonths());
    bool changed = false;
    for (std::size_t i = 0; i < areas.size(); ++i) {
        // Where nothing is proposed the area starts at the first phase, as
        // it always has.
        const int phase = proposals[i].value_or(1);
        changed = changed || areas[i].StartPhase != phase;
        areas[i].StartPhase = phase;
    }
    if (changed)
        ShowStartPhases();
}

QString TFormTableEdit::AgeProposalNote()
{
    const std::optional<int> age = ChildAgeInMonths();
    const bool anyRange = std::any_of(phaseAgeRanges_.begin(), phaseAgeRanges_.end(),
                                      [](const TPhaseAgeRange& range) { return range.HasRange(); });
    if (!age || !anyRange)
        return QString();
    const std::optional<int> phase = PhaseForAge(phaseAgeRanges_, *age);
    return phase ? AgeProposalText(*age, *phase) : NoPhaseForAgeText(*age);
}

void TFormTableEdit::ShowStartPhases()
{
    view_.FillQuestionList(*questionnaire_);
    view_.FillAreaList(*questionnaire_);
    view_.Score(*questionnaire_);
    if (ui_->ListViewAreas->selectedItems().isEmpty())
        SelectQuestionRow(0);
    else
        FollowAreaSelection();
}
