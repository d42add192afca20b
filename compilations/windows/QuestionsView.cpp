#include "QuestionsView.h"

#include "NumberFormat.h"
#include "QuestionsModel.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QLabel>
#include <QTreeWidget>

namespace {

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

// An answer changes the score of its own area alone: a cell is written only
// when the number it shows (kept beside its text) has changed, and each
// write has the list measure and repaint the row.
template <typename Text>
void ShowNumber(QTreeWidgetItem* row, int column, double value, Text text)
{
    const QVariant shown = row->data(column, Qt::UserRole);
    if (shown.isValid() && shown.toDouble() == value)
        return;
    row->setData(column, Qt::UserRole, value);
    row->setText(column, text());
}

} // namespace

TQuestionsModel* TQuestionsView::QuestionsModel() const
{
    if (!ListViewData)
        return nullptr;
    auto* model = dynamic_cast<TQuestionsModel*>(ListViewData->model());
    if (!model) {
        model = new TQuestionsModel(ListViewData);
        ListViewData->setModel(model);
    }
    return model;
}

void TQuestionsView::FillQuestionList(const TQuestions& questions) const
{
    if (TQuestionsModel* model = QuestionsModel())
        model->Fill(questions);
}

void TQuestionsView::FillAreaList(const TQuestions& questions) const
{
    QTreeWidget* list = ListViewAreas;
    if (!list)
        return;
    if (list->topLevelItemCount() != questions.AreaCount()) {
        list->setUpdatesEnabled(false);
        list->setHeaderLabels({QStringLiteral("Descrizione"), QStringLiteral("Punti"), QStringLiteral("Non risp."),
                               QStringLiteral("F.P.")});
        list->clear();
        QList<QTreeWidgetItem*> items;
        for (const TArea& area : questions.Areas)
            items << new QTreeWidgetItem(QStringList{area.Description, QString(), QString(), QString::number(area.StartPhase)});
        list->addTopLevelItems(items);
        list->setUpdatesEnabled(true);
        return;
    }
    for (int i = 0; i < questions.AreaCount(); ++i)
        list->topLevelItem(i)->setText(ColumnStartPhase, QString::number(questions.Areas[i].StartPhase));
}

void TQuestionsView::ShowQuestion(TQuestions& questions, int index) const
{
    questions.SetCurrentQuestion(index);
    const bool valid = index >= 0 && index < questions.QuestionCount();
    if (!valid) {
        const QString none = QStringLiteral("---");
        SetLabel(LabelQuestion, none);
        if (LabelQuestion)
            LabelQuestion->setToolTip(none);
        SetLabel(LabelAreaDescription, none);
        SetLabel(LabelPhaseDescription, none);
    } else {
        SetLabel(LabelQuestion, questions.QuestionList[index].QuestionText);
        if (LabelQuestion)
            LabelQuestion->setToolTip(questions.QuestionList[index].QuestionText);
    }

    QAbstractButton* buttons[] = {SpeedButtonAnswerYes, SpeedButtonAnswerSometimes, SpeedButtonAnswerNo,
                                  SpeedButtonAnswerDontKnow};
    for (QAbstractButton* button : buttons)
        SetButtonDown(button, false);
    if (!valid)
        return;

    const TQuestion& question = questions.QuestionList[index];
    if (question.Answer <= AnswerDontKnow)
        SetButtonDown(buttons[question.Answer], true);

    const int area = questions.CurrentArea;
    if (area >= 0) {
        if (ListViewAreas && area < ListViewAreas->topLevelItemCount())
            ListViewAreas->setCurrentItem(ListViewAreas->topLevelItem(area));
        SetLabel(LabelAreaDescription, questions.Areas[area].Description);
    }
    const int phase = questions.PhaseIndex(question.IDPhase);
    SetLabel(LabelPhaseDescription,
             QStringLiteral("Fase ") + QString::number(question.IDPhase) + QStringLiteral(": ")
                 + (phase >= 0 ? questions.Phases[phase].Description : QString()));
}

void TQuestionsView::SetAnswerFromButtons(TQuestions& questions, int index) const
{
    std::uint8_t code = AnswerNone;
    if (IsDown(SpeedButtonAnswerYes))
        code = AnswerYes;
    else if (IsDown(SpeedButtonAnswerSometimes))
        code = AnswerSometimes;
    else if (IsDown(SpeedButtonAnswerNo))
        code = AnswerNo;
    else if (IsDown(SpeedButtonAnswerDontKnow))
        code = AnswerDontKnow;
    questions.SetAnswer(index, code);
    // The row of the question answered, which is normally the selected one;
    // looking it up keeps a stray selection from showing the answer on
    // another question's row.
    if (TQuestionsModel* model = QuestionsModel())
        model->AnswerChanged(index);
    Score(questions);
}

TScore TQuestionsView::Score(TQuestions& questions) const
{
    const TScore score = questions.Score();
    ShowScore(score);
    return score;
}

void TQuestionsView::ShowScore(const TScore& score) const
{
    if (ListViewAreas) {
        const int rows = std::min(ListViewAreas->topLevelItemCount(), static_cast<int>(score.Areas.size()));
        for (int i = 0; i < rows; ++i) {
            const TAreaScore& area = score.Areas[i];
            if (!area.HasQuestions)
                continue;
            QTreeWidgetItem* row = ListViewAreas->topLevelItem(i);
            ShowNumber(row, ColumnPoints, area.Points, [&] { return FormatPoints(area.Points); });
            ShowNumber(row, ColumnUnanswered, area.Unanswered, [&] { return QString::number(area.Unanswered); });
        }
    }
    SetLabel(LabelTotalPoints, FormatPoints(score.Total));
}
