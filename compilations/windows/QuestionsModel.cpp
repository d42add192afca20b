#include "QuestionsModel.h"

#include "QuestionsView.h"

#include <algorithm>

TQuestionsModel::TQuestionsModel(QObject* parent)
    : QAbstractTableModel(parent)
{
}

void TQuestionsModel::Fill(const TQuestions& questions)
{
    beginResetModel();
    questions_ = &questions;
    rows_.clear();
    for (int i = 0; i < questions.QuestionCount(); ++i) {
        if (questions.IsActive(i))
            rows_.push_back(i);
    }
    endResetModel();
}

int TQuestionsModel::RowOfQuestion(int questionIndex) const
{
    const auto found = std::lower_bound(rows_.begin(), rows_.end(), questionIndex);
    if (found == rows_.end() || *found != questionIndex)
        return -1;
    return static_cast<int>(found - rows_.begin());
}

int TQuestionsModel::QuestionOfRow(int row) const
{
    if (row < 0 || row >= static_cast<int>(rows_.size()))
        return -1;
    return rows_[row];
}

void TQuestionsModel::AnswerChanged(int questionIndex)
{
    const int row = RowOfQuestion(questionIndex);
    if (row < 0)
        return;
    const QModelIndex cell = index(row, ColumnAnswer);
    emit dataChanged(cell, cell, {Qt::DisplayRole});
}

int TQuestionsModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int TQuestionsModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant TQuestionsModel::data(const QModelIndex& index, int role) const
{
    const int q = QuestionOfRow(index.row());
    if (!questions_ || q < 0 || q >= questions_->QuestionCount())
        return {};
    if (role == TQuestionsView::QuestionIndexRole && index.column() == ColumnArea)
        return q;
    if (role != Qt::DisplayRole)
        return {};
    const TQuestion& question = questions_->QuestionList[q];
    switch (index.column()) {
    case ColumnArea:
        return QString::number(question.IDArea);
    case ColumnPhase:
        return QString::number(question.IDPhase);
    case ColumnItem:
        return QString::number(question.QuestionOrder);
    case ColumnText:
        return question.QuestionText;
    case ColumnAnswer:
        return TQuestions::AnswerText(question.Answer);
    default:
        return {};
    }
}

QVariant TQuestionsModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= ColumnCount)
        return {};
    if (role == Qt::TextAlignmentRole)
        return headerAlignment_[section];
    if (role != Qt::DisplayRole)
        return {};
    static const QString captions[ColumnCount] = {QStringLiteral("Area"), QStringLiteral("Fase"), QStringLiteral("Item"),
                                                  QStringLiteral("Testo"), QStringLiteral("Risposta")};
    return captions[section];
}

bool TQuestionsModel::setHeaderData(int section, Qt::Orientation orientation, const QVariant& value, int role)
{
    if (orientation != Qt::Horizontal || section < 0 || section >= ColumnCount || role != Qt::TextAlignmentRole)
        return false;
    headerAlignment_[section] = value;
    emit headerDataChanged(orientation, section, section);
    return true;
}
