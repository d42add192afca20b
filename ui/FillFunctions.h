// Copying recordset rows into drop-down lists (a list window's rows are its
// model's, RecordListModel.h).
#pragma once

#include <QString>
#include <functional>
#include <QStringList>

class QComboBox;
class TNyRecordset;

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
