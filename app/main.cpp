// Baltero: start-up. One copy per user, the splash while the main window is
// built, then the main window until the user closes it.
#include "Application.h"
#include "BuildConfig.h"
#include "CommandLine.h"
#include "Dialogs.h"
#include "Exception.h"
#include "Messages.h"
#include "Pictures.h"
#include "SingleInstance.h"
#include "Startup.h"
#include "UnitMain.h"
#include "UnitSplash.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QThread>
#include <QWindow>
#include <memory>

namespace {

// The splash stays up at least this long, however fast the start.
const qint64 SplashMinimumMs = 3000;

std::unique_ptr<TFormSplash> ShowSplash(QElapsedTimer& shownSince)
{
    auto splash = std::make_unique<TFormSplash>();
    splash->show();
    // The main window is built without returning to the event loop: let the
    // window system map the splash and paint it before that starts.
    QElapsedTimer mapping;
    mapping.start();
    while (mapping.elapsed() < 500 && !(splash->windowHandle() && splash->windowHandle()->isExposed()))
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents, 20);
    splash->repaint();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    shownSince.start();
    return splash;
}

void RemoveSplash(std::unique_ptr<TFormSplash>& splash, const QElapsedTimer& shownSince)
{
    const qint64 remaining = SplashMinimumMs - shownSince.elapsed();
    if (remaining > 0)
        QThread::msleep(static_cast<unsigned long>(remaining));
    splash->hide();
    splash->close();
    splash.reset();
}

} // namespace

int main(int argc, char** argv)
{
    TApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral(BALTERO_APPLICATION_TITLE));
    InstallQtItalianTranslations();
    QApplication::setWindowIcon(ProgramIcon());

    TSingleInstance instance;
    if (instance.Acquire() == TSingleInstance::TResult::AlreadyRunning) {
        WarningBox(nullptr, AlreadyRunningText());
        return 0;
    }

    // Until the main window runs, no window closing (the splash, a box of
    // the start) may ask the program to end: such a request would linger and
    // end the next message box before the user sees it.
    QApplication::setQuitOnLastWindowClosed(false);
    if (!PrepareUserFiles(nullptr)) {
        instance.Release();
        return 1;
    }
    int status = 0;
    const bool splashWanted = !HasNoSplashSwitch(QApplication::arguments().mid(1));
    try {
        std::unique_ptr<TFormSplash> splash;
        QElapsedTimer splashShownSince;
        if (splashWanted)
            splash = ShowSplash(splashShownSince);

        TFormMain mainWindow;
        if (splash)
            RemoveSplash(splash, splashShownSince);

        if (mainWindow.DatabaseOpened()) {
            QApplication::setQuitOnLastWindowClosed(true);
            mainWindow.show();
            QApplication::exec();
        } else {
            // The program did not start: say so to whatever started it.
            status = 1;
        }
        // The main window saves the settings and releases the database as it
        // goes, while this copy still holds the lock: a copy started right
        // after finds the settings written.
    } catch (const std::exception& e) {
        ErrorBox(nullptr, QString::fromUtf8(e.what()));
        status = 1;
    }
    instance.Release();
    return status;
}
