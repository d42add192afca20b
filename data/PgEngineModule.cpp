#include "PgEngineModule.h"

#include "ProgramModule.h"


std::unique_ptr<TDbEngine> OpenServerEngine(const TConnectionSettings& settings, int busyTimeoutMs, QString& error,
                                            bool& passwordRefused)
{
    passwordRefused = false;
    const TModuleEntry module = LoadModuleEntry(kPgModuleVariable, QStringLiteral(BALTERO_PG_MODULE_FROM_PROGRAM),
                                                "BalteroOpenPgEngine");
    // The system's reason for a module that does not load: a damaged file,
    // a missing libpq...
    error = ModuleProblemText(
        module,
        QStringLiteral("Manca il modulo che collega Baltero al server PostgreSQL (%1). Reinstallare Baltero."),
        QStringLiteral("Il modulo che collega Baltero al server PostgreSQL non si carica (%1). Reinstallare Baltero."));
    if (!module.Function)
        return nullptr;
    const auto open = reinterpret_cast<decltype(&BalteroOpenPgEngine)>(module.Function);
    return std::unique_ptr<TDbEngine>(open(&settings, busyTimeoutMs, &error, &passwordRefused));
}
