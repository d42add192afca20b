// Finding and ordering the rows of a list window: a search field that hides
// the rows not holding what is typed (letter case and accents aside, in any
// column), a count of the rows shown, and ordering by a click on a column's
// heading (dates as dates, numbers as numbers, text the Italian way).
//
// It works on whatever rows the list holds: it hides rows and moves them, it
// never adds or removes one. Each row keeps its record's position in the
// recordset it was filled from (RecordPositionRole), so moving rows parts
// nothing from its record. A row added or changed by anyone is filtered and
// ordered again as soon as the event loop runs; Apply() does it at once.
#pragma once

#include "Settings.h"

#include <QObject>
#include <QString>
#include <functional>

class QLabel;
class QLineEdit;
class QTreeWidget;
class QTreeWidgetItem;

// The position (from 1) in its recordset of the record a list row shows, as
// an int in the row's column 0.
inline constexpr int RecordPositionRole = Qt::UserRole + 40;

// Text as the search compares it: case-folded, accents and other marks
// dropped ("Nicolò" and "NICOLO" both give "nicolo").
QString FoldedForSearch(const QString& text);

// What the cells of a column hold, as their order needs to know.
enum class TColumnKind { Text, Number, Date };
// Date when every filled cell is a short date (with a time or without),
// Number when every one is a number, otherwise Text.
TColumnKind KindOfColumn(const QTreeWidget* list, int column);

// Puts the rows in the column's order (a stable sort: rows that compare equal
// keep their order); empty cells come first. The selection stays on its row.
void SortListRows(QTreeWidget* list, int column, bool descending);

class TListFinder : public QObject {
    Q_OBJECT

public:
    // field and count are the search field and the label beside it.
    TListFinder(QTreeWidget* list, QLineEdit* field, QLabel* count);

    // A further condition a row must meet to be shown (the compilations
    // list's choices of child, educator and dates); none by default.
    void SetRowFilter(std::function<bool(const QTreeWidgetItem*)> accepts);

    const TListOrder& Order() const { return order_; }
    void SetOrder(const TListOrder& order);

    // Orders the rows and hides those that do not match, now.
    void Apply();
    // Hides the rows that do not match, now (the order stays).
    void Filter();
    int ShownRows() const { return shown_; }
    QLineEdit* Field() const { return field_; }

signals:
    // The user clicked a column's heading.
    void OrderChanged(const TListOrder& order);

private:
    void HeaderClicked(int column);
    void RowsChanged();
    bool Matches(QTreeWidgetItem* item, const QString& folded) const;

    QTreeWidget* list_;
    QLineEdit* field_;
    QLabel* count_;
    std::function<bool(const QTreeWidgetItem*)> accepts_;
    TListOrder order_;
    int shown_ = 0;
    bool applying_ = false;
    bool pending_ = false;
};
