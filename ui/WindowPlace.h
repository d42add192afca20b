// Windows the user can resize: where and how big each was left is kept in
// the settings (by the window's object name) and restored the next time,
// moved and shrunk where needed so that the whole window is on the screen it
// opens on.
#pragma once

#include <QRect>
#include <QSize>

class QWidget;

// The rectangle nearest to wanted that lies within available and is at least
// minimum in size (unless available itself is smaller).
QRect PlaceOnScreen(const QRect& wanted, const QRect& available, const QSize& minimum);

// Lets the window be resized from its layout's smallest size up, gives it
// defaultSize, then the place kept for it, if any, on its screen; a window
// without a kept place keeps its default size unless the screen is smaller.
void MakeResizableAndRestore(QWidget* window, const QSize& defaultSize);
// Keeps the window's present place in the settings.
void KeepWindowPlace(const QWidget* window);
