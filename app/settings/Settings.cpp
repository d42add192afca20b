#include "Settings.h"

#include "Exception.h"
#include "IniFile.h"

namespace {
const QString TablesSection = QStringLiteral("TABLES");
const QString AutoAdvancingKey = QStringLiteral("AutoAdvancing");
}

TSettings* TSettings::instance_ = nullptr;

TSettings* TSettings::GetInstance()
{
    if (!instance_)
        instance_ = new TSettings();
    return instance_;
}

void TSettings::ReleaseInstance()
{
    delete instance_;
    instance_ = nullptr;
}

void TSettings::LoadFromIni(const TIniFile& file)
{
    autoAdvancing_ = file.ReadInteger(TablesSection, AutoAdvancingKey, 1) != 0;
}

QString TSettings::SaveToIni(TIniFile& file)
{
    try {
        file.WriteInteger(TablesSection, AutoAdvancingKey, autoAdvancing_ ? 1 : 0);
    } catch (const Exception& e) {
        // The file is left as it was; an unwritable file or folder costs the
        // user only this run's change, which the caller says.
        return e.Message();
    }
    return QString();
}
