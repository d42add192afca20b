#include "FillFunctions.h"

#include "Exception.h"
#include "ListFinder.h"
#include "NyRecordset.h"

#include <QComboBox>
#include <QTreeWidget>
#include <vector>

namespace {

// Repainting is suspended while a list is refilled and resumed on every way out.
class TUpdatesSuspended {
public:
    explicit TUpdatesSuspended(QWidget* widget)
        : widget_(widget)
    {
        widget_->setUpdatesEnabled(false);
    }
    ~TUpdatesSuspended() { widget_->setUpdatesEnabled(true); }

private:
    QWidget* widget_;
};

// Writes list rows from the current record: the columns are found once for
// all the rows, and the cells line up as the column captions of the layout do.
class TListRowWriter {
public:
    TListRowWriter(QTreeWidget* list, TNyRecordset& recordset, const QStringList& fieldNames)
        : recordset_(recordset)
    {
        const int columns = list->columnCount();
        for (int i = 0; i < columns; ++i) {
            fields_.push_back(i < fieldNames.size() ? recordset.FieldIndex(fieldNames[i]) : -1);
            alignments_.push_back(list->headerItem()->textAlignment(i));
        }
    }

    void Write(QTreeWidgetItem* item)
    {
        for (size_t i = 0; i < fields_.size(); ++i) {
            QString text;
            if (fields_[i] >= 0) {
                try {
                    text = recordset_.GetFieldAsString(fields_[i]);
                } catch (const Exception&) {
                    text.clear();
                }
            }
            // A row stays one line high: the line breaks of a note show as
            // blanks.
            if (text.contains(QLatin1Char('\n')) || text.contains(QLatin1Char('\r'))) {
                text.replace(QLatin1String("\r\n"), QLatin1String(" "));
                text.replace(QLatin1Char('\n'), QLatin1Char(' '));
                text.replace(QLatin1Char('\r'), QLatin1Char(' '));
            }
            const int column = static_cast<int>(i);
            item->setText(column, text);
            if (alignments_[i] != 0)
                item->setTextAlignment(column, Qt::Alignment(alignments_[i]));
        }
    }

private:
    TNyRecordset& recordset_;
    std::vector<int> fields_; // the recordset's column for each list column, -1 for none
    std::vector<int> alignments_;
};

} // namespace

void FillListView(QTreeWidget* list, TNyRecordset& recordset, const QStringList& fieldNames)
{
    const TUpdatesSuspended suspended(list);
    list->clear();
    QList<QTreeWidgetItem*> items;
    try {
        TListRowWriter writer(list, recordset, fieldNames);
        while (!recordset.Eof()) {
            auto* item = new QTreeWidgetItem();
            writer.Write(item);
            item->setData(0, RecordPositionRole, int(items.size()) + 1);
            items << item;
            recordset.MoveNext();
        }
    } catch (const Exception&) {
        // The list shows the rows that could be read.
    }
    list->addTopLevelItems(items);
}

void FillListViewRow(QTreeWidget* list, QTreeWidgetItem* item, TNyRecordset& recordset, const QStringList& fieldNames)
{
    TListRowWriter(list, recordset, fieldNames).Write(item);
}

void FillComboBox(QComboBox* combo, TNyRecordset& recordset, bool showId)
{
    QString first, second;
    int fields = 0;
    try {
        fields = recordset.FieldCount();
        first = fields > 0 ? recordset.FieldName(0) : QString();
        second = fields > 1 ? recordset.FieldName(1) : QString();
    } catch (const Exception&) {
    }
    FillComboBox(combo, recordset, [&](TNyRecordset& record) {
        if (showId) {
            QString text = record.GetFieldAsString(first);
            if (fields > 1)
                text += QStringLiteral(" (") + record.GetFieldAsString(second) + QLatin1Char(')');
            return text;
        }
        return fields > 1 ? record.GetFieldAsString(second) : QString();
    });
}

void FillComboBox(QComboBox* combo, TNyRecordset& recordset, const std::function<QString(TNyRecordset&)>& textOf)
{
    const TUpdatesSuspended suspended(combo);
    combo->clear();
    int position = -1;
    try {
        position = recordset.GetAbsolutePosition();
        recordset.MoveFirst();
    } catch (const Exception&) {
    }
    // Added together: one by one, each item has the box (and the search
    // list of a searchable box) react to it alone.
    QStringList items;
    try {
        while (!recordset.Eof()) {
            items << textOf(recordset);
            recordset.MoveNext();
        }
    } catch (const Exception&) {
        // The list shows the items that could be read.
    }
    combo->addItems(items);
    try {
        recordset.SetAbsolutePosition(position);
    } catch (const Exception&) {
    }
}

void FillComboBoxRange(QComboBox* combo, int first, int last)
{
    const TUpdatesSuspended suspended(combo);
    combo->clear();
    QStringList items;
    for (int n = first; n <= last; ++n)
        items << QString::number(n);
    combo->addItems(items);
}

void SelectComboBoxItem(QComboBox* combo, int index, int fallback)
{
    // An index past the items is no failure: it simply selects nothing. Only
    // an index no list can have falls back.
    if (index >= -1) {
        combo->setCurrentIndex(index < combo->count() ? index : -1);
        return;
    }
    if (fallback != -1)
        combo->setCurrentIndex(fallback >= 0 && fallback < combo->count() ? fallback : -1);
}

void SelectComboBoxById(QComboBox* combo, TNyRecordset& recordset, const QString& fieldName, int id)
{
    try {
        recordset.MoveFirst();
        for (int count = 0; !recordset.Eof(); ++count) {
            if (recordset.GetFieldAsInteger(fieldName) == id) {
                combo->setCurrentIndex(count);
                return;
            }
            recordset.MoveNext();
        }
    } catch (const Exception&) {
    }
}
