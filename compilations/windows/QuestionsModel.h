// The editor's question list as a table over the questionnaire engine: one
// row per question active when the list was filled, its texts read from the
// engine when the view paints them. Nothing is copied per row, so a
// questionnaire of a thousand questions opens and answers as fast as one of
// ten.
#pragma once

#include "Questions.h"

#include <QAbstractTableModel>
#include <vector>

class TQuestionsModel : public QAbstractTableModel {
public:
    enum Column { ColumnArea, ColumnPhase, ColumnItem, ColumnText, ColumnAnswer, ColumnCount };

    explicit TQuestionsModel(QObject* parent = nullptr);

    // One row per question active now (start phases decide); the rows stay
    // as they are until the next fill, whatever the start phases become.
    void Fill(const TQuestions& questions);
    // The row showing question index, or -1.
    int RowOfQuestion(int questionIndex) const;
    // The question index row shows, or -1.
    int QuestionOfRow(int row) const;
    // The answer of question index has changed: its cell is painted again.
    void AnswerChanged(int questionIndex);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    // Keeps the headings' alignment (the list's look sets it).
    bool setHeaderData(int section, Qt::Orientation orientation, const QVariant& value, int role = Qt::EditRole) override;

private:
    const TQuestions* questions_ = nullptr;
    std::vector<int> rows_; // question indexes, ascending
    QVariant headerAlignment_[ColumnCount];
};
