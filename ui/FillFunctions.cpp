#include "FillFunctions.h"

#include "Exception.h"
#include "NyRecordset.h"

#include <QComboBox>

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

} // namespace

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
