// Drop-down lists of many names (children, educators) that the user searches
// by typing any part of an item's text: the matching items drop down as one
// types, and choosing one selects it. What is typed never becomes an item;
// leaving the field with text that names no item shows the selected item's
// text again.
//
// itemsOnFirstUse, when given, reads the items the box adds to those it has
// when the user first reaches it (focus, click, key or wheel): a list window
// that opens with "all" chosen needs no names before then.
#pragma once

#include <QStringList>
#include <functional>

class QComboBox;

void MakeComboBoxSearchable(QComboBox* combo, std::function<QStringList()> itemsOnFirstUse = {});
