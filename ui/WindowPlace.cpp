#include "WindowPlace.h"

#include "Settings.h"

#include <QGuiApplication>
#include <QLayout>
#include <QScreen>
#include <QStyle>
#include <QWidget>

namespace {

// Room for the frame and title bar the window system adds around the
// client area, which is not known before the window is shown.
QRect ClientArea(const QRect& available, const QWidget* window)
{
    const int title = window->style()->pixelMetric(QStyle::PM_TitleBarHeight);
    const int border = 4;
    return available.adjusted(border, title + border, -border, -border);
}

} // namespace

QRect PlaceOnScreen(const QRect& wanted, const QRect& available, const QSize& minimum)
{
    const int width = qMin(qMax(wanted.width(), minimum.width()), available.width());
    const int height = qMin(qMax(wanted.height(), minimum.height()), available.height());
    const int x = qBound(available.left(), wanted.x(), available.left() + available.width() - width);
    const int y = qBound(available.top(), wanted.y(), available.top() + available.height() - height);
    return QRect(x, y, width, height);
}

void MakeResizableAndRestore(QWidget* window, const QSize& defaultSize)
{
    QSize minimum = window->layout() ? window->layout()->totalMinimumSize() : window->minimumSizeHint();
    minimum = minimum.boundedTo(defaultSize);
    window->setMinimumSize(minimum);
    window->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    window->setWindowFlag(Qt::MSWindowsFixedSizeDialogHint, false);
    window->setWindowFlag(Qt::WindowMaximizeButtonHint, true);

    const QRect kept = TSettings::GetInstance()->WindowGeometry(window->objectName());
    QScreen* screen = kept.isValid() ? QGuiApplication::screenAt(kept.center()) : nullptr;
    if (!screen)
        screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (!screen) {
        window->resize(defaultSize);
        return;
    }
    const QRect available = ClientArea(screen->availableGeometry(), window);
    if (kept.isValid()) {
        window->setGeometry(PlaceOnScreen(kept, available, minimum));
    } else {
        // Centred where the window would open, as small as the screen needs.
        const QRect centred(available.center() - QPoint(defaultSize.width() / 2, defaultSize.height() / 2),
                            defaultSize);
        window->setGeometry(PlaceOnScreen(centred, available, minimum));
    }
}

void KeepWindowPlace(const QWidget* window)
{
    TSettings::GetInstance()->SetWindowGeometry(window->objectName(), window->geometry());
}
