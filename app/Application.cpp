#include "Application.h"

#include "Dialogs.h"
#include "Exception.h"

TApplication::TApplication(int& argc, char** argv)
    : QApplication(argc, argv)
{
}

bool TApplication::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const Exception& e) {
        ErrorBox(activeWindow(), e.Message());
    } catch (const std::exception& e) {
        ErrorBox(activeWindow(), QString::fromLocal8Bit(e.what()));
    }
    return false;
}
