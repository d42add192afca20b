#include "ListViewDelegate.h"

#include "RecordFormLook.h"

#include <QHeaderView>
#include <QItemSelectionModel>
#include <QPainter>
#include <QTreeWidget>

TListViewDelegate::TListViewDelegate(QObject* parent)
    : QStyledItemDelegate(parent)
{
}

void TListViewDelegate::SetColumnAlignment(int column, Qt::Alignment alignment)
{
    alignments_.insert(column, alignment);
}

void TListViewDelegate::initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const
{
    QStyledItemDelegate::initStyleOption(option, index);
    const auto found = alignments_.constFind(index.column());
    if (found != alignments_.constEnd())
        option->displayAlignment = *found | Qt::AlignVCenter;
}

QSize TListViewDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    const QSize size = QStyledItemDelegate::sizeHint(option, index);
    return {size.width(), qMax(size.height(), GridRowHeight(option.fontMetrics))};
}

void TListViewDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    // The text keeps clear of the grid lines.
    QStyleOptionViewItem cell = option;
    cell.rect.adjust(0, 0, -1, -1);
    QStyledItemDelegate::paint(painter, cell, index);
    painter->save();
    painter->setPen(option.palette.color(QPalette::Mid));
    painter->drawLine(option.rect.topRight(), option.rect.bottomRight());
    painter->drawLine(option.rect.bottomLeft(), option.rect.bottomRight());
    painter->restore();
}

void SetReportStyle(QTreeView* list, std::initializer_list<int> centredColumns)
{
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->setRootIsDecorated(false);
    list->setItemsExpandable(false);
    list->setAllColumnsShowFocus(true);
    list->setUniformRowHeights(true);
    list->header()->setSectionsMovable(false);
    list->header()->setStretchLastSection(false);
    // The heading shares the rows' selection only to highlight the selected
    // columns, which a report list does not do; shared, every move of the
    // selection (each answer in the compilation editor) paints the whole
    // heading again.
    if (list->model())
        list->header()->setSelectionModel(new QItemSelectionModel(list->model(), list->header()));
    auto* delegate = new TListViewDelegate(list);
    for (int column : centredColumns) {
        delegate->SetColumnAlignment(column, Qt::AlignHCenter);
        if (auto* widget = qobject_cast<QTreeWidget*>(list))
            widget->headerItem()->setTextAlignment(column, Qt::AlignCenter);
        else if (list->model())
            list->model()->setHeaderData(column, Qt::Horizontal, int(Qt::AlignCenter), Qt::TextAlignmentRole);
    }
    list->setItemDelegate(delegate);
}
