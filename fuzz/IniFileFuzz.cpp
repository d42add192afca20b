// The settings file: any bytes read without harm; a write either refuses and
// leaves the file as it was, or reads back exactly the value written while
// every other key reads as before.
#include "FuzzSupport.h"

#include "Exception.h"
#include "IniFile.h"

#include <QFile>

namespace {

QByteArray FileBytes(const QString& fileName)
{
    QFile file(fileName);
    FUZZ_CHECK(file.open(QIODevice::ReadOnly));
    return file.readAll();
}

bool SameName(const QString& a, const QString& b)
{
    return a.trimmed().compare(b.trimmed(), Qt::CaseInsensitive) == 0;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzedDataProvider provider(data, size);
    const QString section = ConsumeText(provider, 16);
    const QString key = ConsumeText(provider, 16);
    const QString value = ConsumeText(provider, 64);
    const QString otherSection = ConsumeText(provider, 16);
    const QString otherKey = ConsumeText(provider, 16);
    const std::string bytes = provider.ConsumeRemainingBytesAsString();

    const QString fileName = FuzzFolder() + QStringLiteral("/Baltero.ini");
    {
        QFile file(fileName);
        FUZZ_CHECK(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        FUZZ_CHECK(file.write(bytes.data(), qint64(bytes.size())) == qint64(bytes.size()));
    }
    const QByteArray before = FileBytes(fileName);

    TIniFile ini(fileName);
    const QString missing = QStringLiteral("\x01missing");
    const QString otherBefore = ini.ReadString(otherSection, otherKey, missing);
    (void)ini.ReadInteger(section, key, 0);
    int number = 0;
    (void)ParseIniInteger(value, number);

    try {
        ini.WriteString(section, key, value);
    } catch (const EFileError&) {
        FUZZ_CHECK(FileBytes(fileName) == before);
        return 0;
    }
    FUZZ_CHECK(ini.ReadString(section, key, missing) == value);
    if (!(SameName(section, otherSection) && SameName(key, otherKey)))
        FUZZ_CHECK(ini.ReadString(otherSection, otherKey, missing) == otherBefore);
    return 0;
}
