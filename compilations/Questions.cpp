#include "Questions.h"

#include "Database.h"
#include "NumberFormat.h"
#include "NyTransaction.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QLabel>
#include <QTreeWidget>

namespace {

enum QuestionColumn { ColumnArea, ColumnPhase, ColumnItem, ColumnText, ColumnAnswer };
enum AreaColumn { ColumnDescription, ColumnPoints, ColumnUnanswered, ColumnStartPhase };

// Toggle buttons of an exclusive group refuse to be all up; the answer
// buttons must be, when a question has no answer.
void SetButtonDown(QAbstractButton* button, bool down)
{
    if (!button || button->isChecked() == down)
        return;
    QButtonGroup* group = button->group();
    const bool exclusive = group && group->exclusive();
    if (exclusive && !down)
        group->setExclusive(false);
    button->setChecked(down);
    if (exclusive && !down)
        group->setExclusive(true);
}

bool IsDown(const QAbstractButton* button)
{
    return button && button->isChecked();
}

void SetLabel(QLabel* label, const QString& text)
{
    if (label)
        label->setText(text);
}

} // namespace

void TQuestions::Load()
{
    IDCompiledTable = -1;
    UnansweredCount = -1;
    CurrentQuestion = 0;
    CurrentArea = 0;
    QuestionList.clear();
    Areas.clear();
    Phases.clear();

    TDatabase* database = TDatabase::GetInstance();
    {
        auto rs = database->OpenRecordset(QStringLiteral("SELECT * FROM Areas ORDER BY IDArea"));
        Areas.reserve(rs->RecordCount());
        while (!rs->Eof()) {
            TArea area;
            area.IDArea = rs->GetFieldAsInteger(QStringLiteral("IDArea"));
            area.Description = rs->GetFieldAsString(QStringLiteral("Description"));
            area.StartPhase = 1;
            Areas.push_back(area);
            rs->MoveNext();
        }
        rs->Close();
    }
    {
        auto rs = database->OpenRecordset(QStringLiteral("SELECT * FROM Phases ORDER BY IDPhase"));
        Phases.reserve(rs->RecordCount());
        while (!rs->Eof()) {
            TPhase phase;
            phase.IDPhase = rs->GetFieldAsInteger(QStringLiteral("IDPhase"));
            phase.Description = rs->GetFieldAsString(QStringLiteral("Description"));
            phase.AreaPoints.assign(Areas.size(), 0.0);
            Phases.push_back(std::move(phase));
            rs->MoveNext();
        }
        rs->Close();
    }
    {
        auto rs = database->OpenRecordset(QStringLiteral("SELECT * FROM Questions ORDER BY IDArea, IDPhase, QuestionOrder"));
        QuestionList.reserve(rs->RecordCount());
        while (!rs->Eof()) {
            TQuestion question;
            question.IDQuestion = rs->GetFieldAsInteger(QStringLiteral("IDQuestion"));
            question.QuestionText = rs->GetFieldAsString(QStringLiteral("QuestionText"));
            question.IDArea = rs->GetFieldAsInteger(QStringLiteral("IDArea"));
            question.IDPhase = rs->GetFieldAsInteger(QStringLiteral("IDPhase"));
            question.QuestionOrder = rs->GetFieldAsInteger(QStringLiteral("QuestionOrder"));
            question.Answer = AnswerNone;
            // A question outside the loaded grid could be neither shown nor
            // scored; the database's keys keep this from happening.
            if (AreaIndex(question.IDArea) >= 0 && PhaseIndex(question.IDPhase) >= 0)
                QuestionList.push_back(std::move(question));
            rs->MoveNext();
        }
        rs->Close();
    }
}

void TQuestions::LoadAnswers(int idCompiledTable)
{
    IDCompiledTable = idCompiledTable;
    auto rs = TDatabase::GetInstance()->OpenRecordset(
        QStringLiteral("SELECT * FROM CompiledTablesAnswers WHERE IDCompiledTable=") + QString::number(idCompiledTable)
        + QStringLiteral(" ORDER BY IDQuestion"));
    while (!rs->Eof()) {
        const int idQuestion = rs->GetFieldAsInteger(QStringLiteral("IDQuestion"));
        // An empty value would read as 0, which is "Sì": a row without an
        // answer must not credit the child with one. A code the program never
        // writes shows as "---" and so must also score as no answer, not
        // count like a "No".
        const bool missing = rs->GetFieldAsString(QStringLiteral("IDAnswer")).isEmpty();
        const int stored = missing ? -1 : rs->GetFieldAsInteger(QStringLiteral("IDAnswer"));
        std::uint8_t answer = AnswerNone;
        if (stored >= AnswerYes && stored <= AnswerDontKnow)
            answer = static_cast<std::uint8_t>(stored);
        for (TQuestion& question : QuestionList) {
            if (question.IDQuestion == idQuestion) {
                question.Answer = answer;
                break;
            }
        }
        rs->MoveNext();
    }
}

void TQuestions::LoadStartPhases(int idCompiledTable)
{
    IDCompiledTable = idCompiledTable;
    auto rs = TDatabase::GetInstance()->OpenRecordset(
        QStringLiteral("SELECT * FROM CompiledTablesStartPhase WHERE IDCompiledTable=")
        + QString::number(idCompiledTable) + QStringLiteral(" ORDER BY IDArea"));
    while (!rs->Eof()) {
        const int index = AreaIndex(rs->GetFieldAsInteger(QStringLiteral("IDArea")));
        if (index >= 0)
            Areas[index].StartPhase = rs->GetFieldAsInteger(QStringLiteral("IDPhase"));
        rs->MoveNext();
    }
}

QString TQuestions::AnswerText(std::uint8_t code)
{
    switch (code) {
    case AnswerYes:
        return QStringLiteral("S\u00ec");
    case AnswerSometimes:
        return QStringLiteral("A volte");
    case AnswerNo:
        return QStringLiteral("No");
    case AnswerDontKnow:
        return QStringLiteral("Non so");
    default:
        return QStringLiteral("---");
    }
}

double TQuestions::AnswerValue(std::uint8_t code)
{
    switch (code) {
    case AnswerYes:
        return 1.0;
    case AnswerSometimes:
        return 0.5;
    default:
        return 0.0;
    }
}

int TQuestions::AreaIndex(int idArea) const
{
    for (size_t i = 0; i < Areas.size(); ++i) {
        if (Areas[i].IDArea == idArea)
            return static_cast<int>(i);
    }
    return -1;
}

int TQuestions::PhaseIndex(int idPhase) const
{
    for (size_t i = 0; i < Phases.size(); ++i) {
        if (Phases[i].IDPhase == idPhase)
            return static_cast<int>(i);
    }
    return -1;
}

bool TQuestions::IsActive(int questionIndex) const
{
    if (questionIndex < 0 || questionIndex >= QuestionCount())
        return false;
    const TQuestion& question = QuestionList[questionIndex];
    const int area = AreaIndex(question.IDArea);
    return area >= 0 && question.IDPhase >= Areas[area].StartPhase;
}

void TQuestions::FillQuestionList(QTreeWidget* list) const
{
    if (!list)
        return;
    list->setUpdatesEnabled(false);
    // The rows are written by column position: the list must have them all.
    list->setHeaderLabels({QStringLiteral("Area"), QStringLiteral("Fase"), QStringLiteral("Item"),
                           QStringLiteral("Testo"), QStringLiteral("Risposta")});
    list->clear();
    QList<QTreeWidgetItem*> items;
    for (int i = 0; i < QuestionCount(); ++i) {
        if (!IsActive(i))
            continue;
        const TQuestion& question = QuestionList[i];
        auto* item = new QTreeWidgetItem(QStringList{QString::number(question.IDArea), QString::number(question.IDPhase),
                                                     QString::number(question.QuestionOrder), question.QuestionText,
                                                     AnswerText(question.Answer)});
        item->setData(ColumnArea, QuestionIndexRole, i);
        items << item;
    }
    list->addTopLevelItems(items);
    list->setUpdatesEnabled(true);
}

void TQuestions::FillAreaList(QTreeWidget* list) const
{
    if (!list)
        return;
    if (list->topLevelItemCount() != AreaCount()) {
        list->setUpdatesEnabled(false);
        list->setHeaderLabels({QStringLiteral("Descrizione"), QStringLiteral("Punti"), QStringLiteral("Non risp."),
                               QStringLiteral("F.P.")});
        list->clear();
        QList<QTreeWidgetItem*> items;
        for (const TArea& area : Areas)
            items << new QTreeWidgetItem(QStringList{area.Description, QString(), QString(), QString::number(area.StartPhase)});
        list->addTopLevelItems(items);
        list->setUpdatesEnabled(true);
        return;
    }
    for (int i = 0; i < AreaCount(); ++i)
        list->topLevelItem(i)->setText(ColumnStartPhase, QString::number(Areas[i].StartPhase));
}

void TQuestions::ShowQuestion(int index, const TQuestionsView& view)
{
    CurrentQuestion = index;
    const bool valid = index >= 0 && index < QuestionCount();
    if (!valid) {
        const QString none = QStringLiteral("---");
        SetLabel(view.LabelQuestion, none);
        if (view.LabelQuestion)
            view.LabelQuestion->setToolTip(none);
        SetLabel(view.LabelAreaDescription, none);
        SetLabel(view.LabelPhaseDescription, none);
    } else {
        SetLabel(view.LabelQuestion, QuestionList[index].QuestionText);
        if (view.LabelQuestion)
            view.LabelQuestion->setToolTip(QuestionList[index].QuestionText);
    }

    QAbstractButton* buttons[] = {view.SpeedButtonAnswerYes, view.SpeedButtonAnswerSometimes, view.SpeedButtonAnswerNo,
                                  view.SpeedButtonAnswerDontKnow};
    for (QAbstractButton* button : buttons)
        SetButtonDown(button, false);
    if (!valid)
        return;

    const TQuestion& question = QuestionList[index];
    if (question.Answer <= AnswerDontKnow)
        SetButtonDown(buttons[question.Answer], true);

    CurrentArea = AreaIndex(question.IDArea);
    if (CurrentArea >= 0) {
        if (view.ListViewAreas && CurrentArea < view.ListViewAreas->topLevelItemCount())
            view.ListViewAreas->setCurrentItem(view.ListViewAreas->topLevelItem(CurrentArea));
        SetLabel(view.LabelAreaDescription, Areas[CurrentArea].Description);
    }
    const int phase = PhaseIndex(question.IDPhase);
    SetLabel(view.LabelPhaseDescription,
             QStringLiteral("Fase ") + QString::number(question.IDPhase) + QStringLiteral(": ")
                 + (phase >= 0 ? Phases[phase].Description : QString()));
}

void TQuestions::SetAnswerFromButtons(int index, const TQuestionsView& view)
{
    std::uint8_t code = AnswerNone;
    if (IsDown(view.SpeedButtonAnswerYes))
        code = AnswerYes;
    else if (IsDown(view.SpeedButtonAnswerSometimes))
        code = AnswerSometimes;
    else if (IsDown(view.SpeedButtonAnswerNo))
        code = AnswerNo;
    else if (IsDown(view.SpeedButtonAnswerDontKnow))
        code = AnswerDontKnow;
    if (index >= 0 && index < QuestionCount())
        QuestionList[index].Answer = code;
    // The row of the question answered, which is normally the selected one;
    // looking it up keeps a stray selection from showing the answer on
    // another question's row.
    if (view.ListViewData) {
        for (int row = 0; row < view.ListViewData->topLevelItemCount(); ++row) {
            QTreeWidgetItem* item = view.ListViewData->topLevelItem(row);
            if (item->data(ColumnArea, QuestionIndexRole).toInt() == index) {
                item->setText(ColumnAnswer, AnswerText(code));
                break;
            }
        }
    }
    Score(view);
}

void TQuestions::SetStartPhase(int idPhase, bool allAreas)
{
    if (allAreas) {
        for (TArea& area : Areas)
            area.StartPhase = idPhase;
    } else if (CurrentArea >= 0 && CurrentArea < AreaCount()) {
        Areas[CurrentArea].StartPhase = idPhase;
    }
}

int TQuestions::GetStartPhase() const
{
    if (CurrentArea < 0 || CurrentArea >= AreaCount())
        return -1;
    return Areas[CurrentArea].StartPhase;
}

int TQuestions::FindActiveQuestion(int start, FindMode mode) const
{
    const int from = mode == FindMode::First ? 0 : start + 1;
    for (int i = std::max(from, 0); i < QuestionCount(); ++i) {
        if (IsActive(i))
            return i;
    }
    return -1;
}

int TQuestions::SelectArea(int areaIndex)
{
    if (areaIndex == 0) {
        CurrentQuestion = FindActiveQuestion(0, FindMode::First);
        return CurrentQuestion;
    }
    // The scan starts at the second question, as the editor always has. When
    // the first area has no questions, the next area's list begins at index 0
    // and a click on it lands on its second question (or, if it has only
    // one, leaves the selection where it was).
    for (int k = 1; k < QuestionCount(); ++k) {
        if (AreaIndex(QuestionList[k].IDArea) == areaIndex) {
            CurrentQuestion = FindActiveQuestion(k - 1, FindMode::Next);
            break;
        }
    }
    return CurrentQuestion;
}

void TQuestions::Score(const TQuestionsView& view)
{
    UnansweredCount = 0;
    double total = 0.0;

    int areaNumber = -1;
    int areaIndex = -1;
    int phaseNumber = -1;
    int phaseIndex = -1;
    double cellSum = 0.0;
    int cellCount = 0;
    double areaPoints = 0.0;
    int areaUnanswered = 0;

    auto closeCell = [&]() {
        const double value = cellCount > 0 ? cellSum / cellCount : 0.0;
        areaPoints += value;
        if (areaNumber != -1 && areaIndex >= 0 && phaseIndex >= 0
            && areaIndex < static_cast<int>(Phases[phaseIndex].AreaPoints.size()))
            Phases[phaseIndex].AreaPoints[areaIndex] = value;
        cellSum = 0.0;
        cellCount = 0;
    };
    auto closeArea = [&]() {
        if (view.ListViewAreas && areaIndex >= 0 && areaIndex < view.ListViewAreas->topLevelItemCount()) {
            QTreeWidgetItem* row = view.ListViewAreas->topLevelItem(areaIndex);
            row->setText(ColumnPoints, FormatPoints(areaPoints));
            row->setText(ColumnUnanswered, QString::number(areaUnanswered));
        }
        UnansweredCount += areaUnanswered;
        total += areaPoints;
    };

    for (const TQuestion& question : QuestionList) {
        bool closed = false;
        if (question.IDPhase != phaseNumber) {
            closeCell();
            closed = true;
            phaseNumber = question.IDPhase;
            phaseIndex = PhaseIndex(phaseNumber);
        }
        if (question.IDArea != areaNumber) {
            if (areaNumber != -1) {
                if (!closed)
                    closeCell();
                closeArea();
            }
            areaNumber = question.IDArea;
            areaIndex = AreaIndex(areaNumber);
            areaPoints = 0.0;
            areaUnanswered = 0;
        }
        const int startPhase = areaIndex >= 0 ? Areas[areaIndex].StartPhase : 1;
        if (question.IDPhase < startPhase) {
            cellSum += 1.0;
            cellCount += 1;
        } else {
            cellSum += AnswerValue(question.Answer);
            if (question.Answer == AnswerNone)
                areaUnanswered += 1;
            else if (question.Answer != AnswerDontKnow)
                cellCount += 1;
        }
    }
    closeCell();
    if (areaNumber != -1)
        closeArea();

    SetLabel(view.LabelTotalPoints, FormatPoints(total));
}

int TQuestions::SaveStartPhases(int idCompiledTable)
{
    TDatabase* database = TDatabase::GetInstance();
    const QString key = QString::number(idCompiledTable);
    database->Execute(QStringLiteral("DELETE * FROM CompiledTablesStartPhase WHERE IDCompiledTable=") + key);
    for (const TArea& area : Areas) {
        database->Execute(QStringLiteral("         INSERT INTO CompiledTablesStartPhase(IDCompiledTable, IDArea, IDPhase)"
                                         "         VALUES(")
                          + key + QLatin1Char(',') + QString::number(area.IDArea) + QLatin1Char(',')
                          + QString::number(area.StartPhase) + QStringLiteral(")         "));
    }
    return AreaCount();
}

int TQuestions::SaveAnswers(int idCompiledTable)
{
    TDatabase* database = TDatabase::GetInstance();
    const QString key = QString::number(idCompiledTable);
    database->Execute(QStringLiteral("DELETE * FROM CompiledTablesAnswers WHERE IDCompiledTable=") + key);
    for (const TQuestion& question : QuestionList) {
        // No answer (255) is stored as the byte read as signed: -1.
        const int stored = static_cast<std::int8_t>(question.Answer);
        database->Execute(QStringLiteral("         INSERT INTO CompiledTablesAnswers(IDCompiledTable, IDQuestion, IDAnswer)"
                                         "         VALUES(")
                          + key + QLatin1Char(',') + QString::number(question.IDQuestion) + QLatin1Char(',')
                          + QString::number(stored) + QStringLiteral(")         "));
    }
    return QuestionCount();
}

void TQuestions::SaveStartPhasesAndAnswers(int idCompiledTable)
{
    TNyTransaction transaction(TDatabase::GetInstance()->Connection());
    SaveStartPhases(idCompiledTable);
    SaveAnswers(idCompiledTable);
    transaction.Commit();
}
