// TRecordListModel: the rows of a list window, held once as text and handed
// to the view cell by cell as it paints them.
//
// It keeps every record of the window's recordset in the recordset's order:
// record i is the one at position i + 1. The rows it shows are those records
// in the order the user chose by a column (the recordset's own otherwise),
// less those the search leaves out. Whatever changes the rows shown (an
// order, a search, a record saved or deleted) reaches the view as one layout
// change, so a selection stays with its record; only a fill starts afresh.
#pragma once

#include <QAbstractTableModel>
#include <QList>
#include <QStringList>
#include <QVariant>
#include <functional>
#include <vector>

class TNyRecordset;

// Text as the search compares it: case-folded, accents and other marks
// dropped ("Nicolò" and "NICOLO" both give "nicolo").
QString FoldedForSearch(const QString& text);

class TRecordListModel : public QAbstractTableModel {
    Q_OBJECT

public:
    // One column per caption; a column's alignment (0 for the usual) is its
    // heading's and its cells'.
    TRecordListModel(const QStringList& captions, const QList<Qt::Alignment>& alignments, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    // One record per remaining row of the recordset, from its current one to
    // its end; fieldNames name the recordset's field of each column. A column
    // beyond them, or a cell that cannot be read, stays empty. Never raises:
    // a failure leaves the records read until then.
    void Fill(TNyRecordset& recordset, const QStringList& fieldNames);

    int RecordCount() const { return static_cast<int>(records_.size()); }
    QString Text(int record, int column) const;
    // The record a shown row shows; -1 for none.
    int RecordOfRow(int row) const;
    // The row showing a record; -1 when none does (left out by the search).
    int RowOfRecord(int record) const;

    // The recordset's current row, read with the fields of the last fill,
    // is now record to; it was record from (-1 for a record new to the list).
    void PutRecord(int from, int to, TNyRecordset& recordset);
    void RemoveRecord(int record);

    // Column -1 for the recordset's order. Dates are ordered as dates,
    // numbers as numbers, text the Italian way; empty cells come first and
    // rows that compare equal keep the recordset's order.
    void SetOrder(int column, bool descending);
    // Every word of text must be in a shown row, in any column.
    void SetSearch(const QString& text);
    // A further condition a shown row must meet; none by default. Refilter
    // applies it again after what it depends on has changed.
    void SetRowFilter(std::function<bool(const QStringList& cells)> accepts);
    void Refilter();

private:
    // A record keeps the values it was read with (null where a cell could
    // not be read) and writes out their texts the first time a row shows
    // them or a search, filter or order reads them: a list opens without
    // formatting thousands of dates nobody scrolls to.
    struct TRecord {
        std::vector<QVariant> values;
        mutable QStringList cells; // empty until needed
        QString folded;            // the cells as the search reads them; empty until needed
        quint64 id;                // who the record is while records come and go around it
    };

    std::vector<QVariant> ReadValues(TNyRecordset& recordset) const;
    const QStringList& Cells(const TRecord& record) const;
    bool Matches(TRecord& record, const QStringList& words);
    // Works out order_ (when the records or the order changed) and rows_.
    void Arrange(bool reorder);
    // Arrange as one layout change: the view's indexes follow their records.
    void ArrangeInView(bool reorder, const std::function<void()>& change = {});

    QStringList captions_;
    QList<Qt::Alignment> alignments_;
    std::vector<int> fields_; // the recordset's field of each column, -1 for none
    std::vector<bool> dateTimes_; // whether that field holds dates, as the recordset writes them
    std::vector<TRecord> records_;
    std::vector<int> order_; // every record, in the order chosen
    std::vector<int> rows_;  // the records shown, in that order
    quint64 nextId_ = 0;
    int orderColumn_ = -1;
    bool descending_ = false;
    QString search_;
    std::function<bool(const QStringList&)> accepts_;
};
