#include "UserGuide.h"

#include "AppPaths.h"
#include "Dialogs.h"
#include "Messages.h"

#include <QApplication>
#include <QFileInfo>
#include <QKeyEvent>
#include <QUrl>

void OpenUserGuide(QWidget* owner)
{
    const QString path = UserGuideFilePath();
    if (QFileInfo(path).isFile())
        OpenWithDesktop(QUrl::fromLocalFile(path));
    else
        WarningBox(owner, Message23001());
}

TUserGuideKey::TUserGuideKey(QObject* parent)
    : QObject(parent)
{
    qApp->installEventFilter(this);
}

TUserGuideKey::~TUserGuideKey()
{
    qApp->removeEventFilter(this);
}

bool TUserGuideKey::eventFilter(QObject* watched, QEvent* event)
{
    // The menu command's own shortcut reaches only the main window, and not
    // while a modal window covers it: the key is taken before any window's
    // shortcuts (ShortcutOverride) and answered when it is pressed.
    const QEvent::Type type = event->type();
    if (type != QEvent::ShortcutOverride && type != QEvent::KeyPress)
        return QObject::eventFilter(watched, event);
    auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() != Qt::Key_F1 || key->modifiers() != Qt::NoModifier)
        return QObject::eventFilter(watched, event);
    if (type == QEvent::ShortcutOverride) {
        event->accept();
        return true;
    }
    // Taken here, the press goes no further (to the focus widget, its
    // parents): the guide opens once.
    if (!key->isAutoRepeat())
        OpenUserGuide(QApplication::activeWindow());
    return true;
}
