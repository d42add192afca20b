#include "Startup.h"

#include "Database.h"
#include "IniFile.h"
#include "Settings.h"

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

void ShutDownDatabaseAndSettings(const QString& settingsPath)
{
    {
        TIniFile settings(settingsPath);
        TSettings::GetInstance()->SaveToIni(settings);
    }
    TSettings::ReleaseInstance();
    TDatabase::ReleaseInstance();
}
