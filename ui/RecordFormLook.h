// The look the record windows share: blue group-box captions
// (ProgramStyle.h) and list views drawn as grids whose columns come from the
// window's layout file.
#pragma once

#include "ProgramStyle.h"

class QFontMetrics;
class QFormLayout;
class QKeySequence;
class QPushButton;
class QTreeView;

// Widens the label column of an edit dialog's form to the one width all edit
// dialogs share, so that every dialog starts its fields at the same distance
// from the left whatever its own labels are.
void AlignFormLabels(QFormLayout* form);

// Draws grid lines between the cells, keeps every row one line high, and sizes
// the columns of the list's model from the list's "columnWidths" property
// ("130,90,400", pixels), which the layout file sets next to the column
// captions.
void SetUpGridList(QTreeView* list);

// The height of a grid list's row for its font: the font's full line (with
// the descenders of g, p and q), a little room above and below, and the
// grid line drawn on the row's last pixel line.
int GridRowHeight(const QFontMetrics& metrics);

// Gives a button the desktop's key for its command (Ctrl+N for "Nuovo", Del
// for "Elimina") and shows the key in the button's tooltip. The key works
// anywhere in the button's window, except where a text field takes it for
// its own editing (Del in a search field deletes a character).
void GiveCommandKey(QPushButton* button, const QKeySequence& keys);
