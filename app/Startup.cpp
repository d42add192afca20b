#include "Startup.h"

#include "Database.h"
#include "Dialogs.h"
#include "Exception.h"
#include "IniFile.h"
#include "Messages.h"
#include "Settings.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

void OpenDatabaseAtStartup(const QString& settingsPath, const QString& databasePath)
{
    TDatabase* database = TDatabase::GetInstance();
    {
        const TIniFile settings(settingsPath);
        database->ReadConnectionString(settings);
        TSettings::GetInstance()->LoadFromIni(settings);
    }
    database->Open(databasePath);
}

bool OpenDatabaseOrReport(QWidget* owner, const QString& settingsPath, const QString& databasePath)
{
    try {
        OpenDatabaseAtStartup(settingsPath, databasePath);
        return true;
    } catch (const Exception& e) {
        ErrorBox(owner, Message11002() + e.Message());
        return false;
    }
}

void ShutDownDatabaseAndSettings(const QString& settingsPath)
{
    {
        TIniFile settings(settingsPath);
        TSettings::GetInstance()->SaveToIni(settings);
    }
    TSettings::ReleaseInstance();
    TDatabase::ReleaseInstance();
}

bool InstallQtItalianTranslations()
{
    QCoreApplication* application = QCoreApplication::instance();
    if (!application)
        return false;
    // The interface is Italian whatever the system's language, so Qt's texts
    // must be too.
    auto* translator = new QTranslator(application);
    if (!translator->load(QStringLiteral("qtbase_it"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    QCoreApplication::installTranslator(translator);
    return true;
}
