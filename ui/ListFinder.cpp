#include "ListFinder.h"

#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QTreeView>

TListFinder::TListFinder(QTreeView* list, TRecordListModel* model, QLineEdit* field, QLabel* count)
    : QObject(list)
    , list_(list)
    , model_(model)
    , field_(field)
    , count_(count)
{
    QHeaderView* header = list_->header();
    header->setSectionsClickable(true);
    connect(header, &QHeaderView::sectionClicked, this, &TListFinder::HeaderClicked);
    connect(field_, &QLineEdit::textChanged, model_, &TRecordListModel::SetSearch);
    connect(model_, &QAbstractItemModel::modelReset, this, &TListFinder::ShowCount);
    connect(model_, &QAbstractItemModel::layoutChanged, this, &TListFinder::ShowCount);
    ShowCount();
}

void TListFinder::SetRowFilter(std::function<bool(const QStringList& cells)> accepts)
{
    model_->SetRowFilter(std::move(accepts));
}

void TListFinder::SetOrder(const TListOrder& order)
{
    order_ = order;
    if (order_.Column >= model_->columnCount())
        order_ = TListOrder();
    QHeaderView* header = list_->header();
    header->setSortIndicatorShown(order_.Column >= 0);
    if (order_.Column >= 0)
        header->setSortIndicator(order_.Column, order_.Descending ? Qt::DescendingOrder : Qt::AscendingOrder);
    model_->SetOrder(order_.Column, order_.Descending);
}

void TListFinder::HeaderClicked(int column)
{
    TListOrder order{column, false};
    if (order_.Column == column)
        order.Descending = !order_.Descending;
    SetOrder(order);
    emit OrderChanged(order_);
}

void TListFinder::Filter()
{
    model_->Refilter();
}

int TListFinder::ShownRows() const
{
    return model_->rowCount();
}

void TListFinder::ShowCount()
{
    count_->setText(QStringLiteral("%1 di %2").arg(model_->rowCount()).arg(model_->RecordCount()));
}
