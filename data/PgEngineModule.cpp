#include "PgEngineModule.h"

#include "ProgramModule.h"

#include <QDir>

std::unique_ptr<TDbEngine> OpenServerEngine(const TConnectionSettings& settings, int busyTimeoutMs, QString& error,
                                            bool& passwordRefused)
{
    passwordRefused = false;
    const TModuleEntry module = LoadModuleEntry(kPgModuleVariable, QStringLiteral(BALTERO_PG_MODULE_FROM_PROGRAM),
                                                "BalteroOpenPgEngine");
    if (module.Missing) {
        error = QStringLiteral("Manca il modulo che collega Baltero al server PostgreSQL (%1). "
                               "Reinstallare Baltero.")
                    .arg(QDir::toNativeSeparators(module.File));
        return nullptr;
    }
    if (!module.Function) {
        // The system's reason: a damaged file, a missing libpq...
        error = QStringLiteral("Il modulo che collega Baltero al server PostgreSQL non si carica (%1). "
                               "Reinstallare Baltero.")
                    .arg(module.Reason);
        return nullptr;
    }
    const auto open = reinterpret_cast<decltype(&BalteroOpenPgEngine)>(module.Function);
    return std::unique_ptr<TDbEngine>(open(&settings, busyTimeoutMs, &error, &passwordRefused));
}
