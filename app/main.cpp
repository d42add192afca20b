// Baltero: opens its database next to the program as start-up does and
// reports the outcome on the console.
#include "AppPaths.h"
#include "Database.h"
#include "Exception.h"
#include "Messages.h"
#include "Startup.h"

#include <QCoreApplication>
#include <QDir>
#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Baltero"));

    try {
        OpenDatabaseAtStartup(SettingsFilePath(), DatabaseFilePath());
        std::printf("Baltero: database %s opened.\n", qPrintable(QDir::toNativeSeparators(DatabaseFilePath())));
        ShutDownDatabaseAndSettings(SettingsFilePath());
    } catch (const Exception& e) {
        std::fprintf(stderr, "%s\n", (Message11002() + e.Message()).toLocal8Bit().constData());
        TDatabase::ReleaseInstance();
    }
    // Every path ends normally: the failure has been reported.
    return 0;
}
