// Finding and ordering the rows of a list window: a search field that leaves
// out the rows not holding what is typed (letter case and accents aside, in
// any column), a count of the rows shown, and ordering by a click on a
// column's heading (dates as dates, numbers as numbers, text the Italian way).
//
// The rows are the list's model's (RecordListModel.h): the finder tells it
// what to show and in what order, and shows the count after every change.
#pragma once

#include "RecordListModel.h"
#include "Settings.h"

#include <QObject>
#include <QString>
#include <functional>

class QLabel;
class QLineEdit;
class QTreeView;

class TListFinder : public QObject {
    Q_OBJECT

public:
    // field and count are the search field and the label beside it.
    TListFinder(QTreeView* list, TRecordListModel* model, QLineEdit* field, QLabel* count);

    // A further condition a row must meet to be shown (the compilations
    // list's choices of child, educator and dates); none by default.
    void SetRowFilter(std::function<bool(const QStringList& cells)> accepts);

    const TListOrder& Order() const { return order_; }
    // The rows put in this order now.
    void SetOrder(const TListOrder& order);

    // Shows again the rows that match, after what the row filter reads has
    // changed.
    void Filter();
    int ShownRows() const;
    QLineEdit* Field() const { return field_; }

signals:
    // The user clicked a column's heading.
    void OrderChanged(const TListOrder& order);

private:
    void HeaderClicked(int column);
    void ShowCount();

    QTreeView* list_;
    TRecordListModel* model_;
    QLineEdit* field_;
    QLabel* count_;
    TListOrder order_;
};
