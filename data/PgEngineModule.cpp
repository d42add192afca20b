#include "PgEngineModule.h"

#include "ProgramModule.h"

namespace {

// The module brings libpq, and with it the LDAP library libpq takes service
// names from, which brings GnuTLS. GnuTLS by default starts itself the
// moment it is loaded (its random generator, the system's priority strings,
// its PKCS #11 modules): 0.6 MB kept for the rest of the run, for TLS to LDAP
// servers the program never reaches that way. The LDAP library starts GnuTLS
// itself before its first TLS session, so the module is loaded with GnuTLS's
// own start switched off; a setting the user made stays as it is.
class TLoadWithoutGnuTlsStart {
public:
    TLoadWithoutGnuTlsStart()
        : set_(!qEnvironmentVariableIsSet(kVariable))
    {
        if (set_)
            qputenv(kVariable, "1");
    }
    ~TLoadWithoutGnuTlsStart()
    {
        if (set_)
            qunsetenv(kVariable);
    }
    TLoadWithoutGnuTlsStart(const TLoadWithoutGnuTlsStart&) = delete;
    TLoadWithoutGnuTlsStart& operator=(const TLoadWithoutGnuTlsStart&) = delete;

private:
    static constexpr char kVariable[] = "GNUTLS_NO_IMPLICIT_INIT";
    bool set_;
};

} // namespace

std::unique_ptr<TDbEngine> OpenServerEngine(const TConnectionSettings& settings, int busyTimeoutMs, QString& error,
                                            bool& passwordRefused)
{
    passwordRefused = false;
    const TLoadWithoutGnuTlsStart gnuTls;
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
