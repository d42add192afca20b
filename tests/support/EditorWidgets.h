// The compilation editor's controls built for real without the window, for
// the tests of the questionnaire's view.
#pragma once

#include "QuestionsTestSupport.h"
#include "QuestionsView.h"

#include <QButtonGroup>
#include <QLabel>
#include <QToolButton>
#include <QTreeView>
#include <QTreeWidget>

// The editor's lists, labels and answer buttons. The buttons are checkable
// and share one exclusive group, as in the editor.
struct EditorWidgets {
    QTreeView questions; // gets its model at the first fill
    QTreeWidget areas;
    QLabel question;
    QLabel area;
    QLabel phase;
    QLabel total;
    QToolButton yes;
    QToolButton sometimes;
    QToolButton no;
    QToolButton dontKnow;
    QButtonGroup group;

    EditorWidgets()
    {
        for (QToolButton* button : {&yes, &sometimes, &no, &dontKnow}) {
            button->setCheckable(true);
            group.addButton(button);
        }
        group.setExclusive(true);
    }

    TQuestionsView View()
    {
        TQuestionsView view;
        view.ListViewData = &questions;
        view.ListViewAreas = &areas;
        view.LabelQuestion = &question;
        view.LabelAreaDescription = &area;
        view.LabelPhaseDescription = &phase;
        view.LabelTotalPoints = &total;
        view.SpeedButtonAnswerYes = &yes;
        view.SpeedButtonAnswerSometimes = &sometimes;
        view.SpeedButtonAnswerNo = &no;
        view.SpeedButtonAnswerDontKnow = &dontKnow;
        return view;
    }

    QToolButton& Button(std::uint8_t code)
    {
        switch (code) {
        case AnswerYes:
            return yes;
        case AnswerSometimes:
            return sometimes;
        case AnswerNo:
            return no;
        default:
            return dontKnow;
        }
    }

    // The codes of the buttons that are down, in button order.
    QString Pressed() const
    {
        QString down;
        if (yes.isChecked())
            down += QLatin1Char('Y');
        if (sometimes.isChecked())
            down += QLatin1Char('S');
        if (no.isChecked())
            down += QLatin1Char('N');
        if (dontKnow.isChecked())
            down += QLatin1Char('D');
        return down;
    }

    // What the user's click does to a pressed button: an exclusive group
    // refuses to release its checked button, so the editor lifts the
    // exclusivity for that moment.
    void Release(std::uint8_t code)
    {
        group.setExclusive(false);
        Button(code).setChecked(false);
        group.setExclusive(true);
    }

    static QStringList Row(const QTreeWidget& list, int row)
    {
        QStringList texts;
        const QTreeWidgetItem* item = list.topLevelItem(row);
        if (!item)
            return texts;
        for (int column = 0; column < item->columnCount(); ++column)
            texts << item->text(column);
        return texts;
    }
    QStringList AreaRow(int row) const { return Row(areas, row); }
    int QuestionRowCount() const { return questions.model() ? questions.model()->rowCount() : 0; }
    QStringList QuestionRow(int row) const
    {
        QStringList texts;
        if (row < 0 || row >= QuestionRowCount())
            return texts;
        for (int column = 0; column < questions.model()->columnCount(); ++column)
            texts << questions.model()->index(row, column).data().toString();
        return texts;
    }
    QStringList QuestionHeadings() const
    {
        QStringList texts;
        for (int column = 0; questions.model() && column < questions.model()->columnCount(); ++column)
            texts << questions.model()->headerData(column, Qt::Horizontal).toString();
        return texts;
    }
    int QuestionIndexOfRow(int row) const
    {
        if (row < 0 || row >= QuestionRowCount())
            return -1;
        return questions.model()->index(row, 0).data(TQuestionsView::QuestionIndexRole).toInt();
    }
    // Makes row the question list's current row, as a click would.
    void SetCurrentQuestionRow(int row) { questions.setCurrentIndex(questions.model()->index(row, 0)); }
};
