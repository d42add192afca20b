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
    const TUpdatesSuspended suspended(combo);
    combo->clear();
    int position = -1;
    try {
        position = recordset.GetAbsolutePosition();
        recordset.MoveFirst();
    } catch (const Exception&) {
    }
    try {
        const int fields = recordset.FieldCount();
        const QString first = fields > 0 ? recordset.FieldName(0) : QString();
        const QString second = fields > 1 ? recordset.FieldName(1) : QString();
        while (!recordset.Eof()) {
            QString text;
            if (showId) {
                text = recordset.GetFieldAsString(first);
                if (fields > 1)
                    text += QStringLiteral(" (") + recordset.GetFieldAsString(second) + QLatin1Char(')');
            } else if (fields > 1) {
                text = recordset.GetFieldAsString(second);
            }
            combo->addItem(text);
            recordset.MoveNext();
        }
    } catch (const Exception&) {
        // The list shows the items that could be read.
    }
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
