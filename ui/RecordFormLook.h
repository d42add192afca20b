// The look the record windows share: blue group-box captions and list views
// drawn as grids whose columns come from the window's layout file.
#pragma once

class QGroupBox;
class QTreeWidget;

// Colours only the caption: the labels inside the box keep the usual colour.
void ShowCaptionInBlue(QGroupBox* box);

// Draws grid lines between the cells, keeps every row one line high, and sizes
// the columns from the list's "columnWidths" property ("130,90,400", pixels),
// which the layout file sets next to the column captions.
void SetUpGridList(QTreeWidget* list);
