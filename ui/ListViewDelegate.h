// The report look of the program's list views: grid lines around every cell
// and a fixed alignment per column, whoever fills the rows.
#pragma once

#include <QHash>
#include <QStyledItemDelegate>
#include <initializer_list>

class QTreeView;

class TListViewDelegate : public QStyledItemDelegate {
public:
    explicit TListViewDelegate(QObject* parent = nullptr);

    void SetColumnAlignment(int column, Qt::Alignment alignment);

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    // Tall enough for the font's descenders above the grid line.
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;

private:
    QHash<int, Qt::Alignment> alignments_;
};

// Read-only, whole-row, single selection, no tree decoration, grid lines; the
// given columns (and their headings) centred. A list other than a
// QTreeWidget must have its model, which keeps the headings' alignment.
void SetReportStyle(QTreeView* list, std::initializer_list<int> centredColumns);
