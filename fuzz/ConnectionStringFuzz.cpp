// The connection string read from the settings file: any text parses, and a
// value written with QuoteConnectionValue comes back exactly.
#include "FuzzSupport.h"

#include "NyConnection.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzedDataProvider provider(data, size);
    const QString value = ConsumeText(provider, 256);
    const QString other = ConsumeRemainingText(provider);

    (void)ParseConnectionString(other);

    const QString text = QStringLiteral("Provider=SQLCipher;Data Source=") + QuoteConnectionValue(value)
        + QStringLiteral(";Password=") + QuoteConnectionValue(other) + QStringLiteral(";Mode=Create");
    const TConnectionSettings settings = ParseConnectionString(text);
    FUZZ_CHECK(settings.provider == QLatin1String("SQLCipher"));
    FUZZ_CHECK(settings.dataSource == value);
    FUZZ_CHECK(settings.hasDataSource == !value.isEmpty());
    FUZZ_CHECK(settings.password == other);
    FUZZ_CHECK(settings.create);
    return 0;
}
