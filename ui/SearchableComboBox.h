// Drop-down lists of many names (children, educators) that the user searches
// by typing any part of an item's text: the matching items drop down as one
// types, and choosing one selects it. What is typed never becomes an item;
// leaving the field with text that names no item shows the selected item's
// text again.
#pragma once

class QComboBox;

void MakeComboBoxSearchable(QComboBox* combo);
