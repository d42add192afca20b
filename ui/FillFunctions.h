// Copying recordset rows into list views and drop-down lists.
//
// List rows carry no record id: a list is filled in recordset order, and each
// row keeps the position of its record (RecordPositionRole, ListFinder.h), so
// that it still finds it once the rows have been ordered by a column.
#pragma once

#include <QString>
#include <functional>
#include <QStringList>

class QComboBox;
class QTreeWidget;
class QTreeWidgetItem;
class TNyRecordset;

// One row per remaining record; a column beyond the field names, or a cell
// that cannot be read, stays empty. Never raises.
void FillListView(QTreeWidget* list, TNyRecordset& recordset, const QStringList& fieldNames);
// The cells of one row, written from the current record as FillListView
// writes them; the record's position is left to the caller. Never raises.
void FillListViewRow(QTreeWidget* list, QTreeWidgetItem* item, TNyRecordset& recordset, const QStringList& fieldNames);
// One item per record: with showId "first (second)", else the second field.
// The recordset's position is kept. Never raises.
void FillComboBox(QComboBox* combo, TNyRecordset& recordset, bool showId);
// One item per record, the text the function makes of it; a record whose
// text cannot be read ends the list there. The recordset's position is kept.
void FillComboBox(QComboBox* combo, TNyRecordset& recordset, const std::function<QString(TNyRecordset&)>& textOf);
// The numbers first to last, as text.
void FillComboBoxRange(QComboBox* combo, int first, int last);
// Selects the item at index, else the fallback (unless -1); an index beyond
// the items leaves nothing selected.
void SelectComboBoxItem(QComboBox* combo, int index, int fallback);
// Selects the item of the first record whose integer field equals id, leaving
// the recordset there; without a match the selection stays as it was.
void SelectComboBoxById(QComboBox* combo, TNyRecordset& recordset, const QString& fieldName, int id);
