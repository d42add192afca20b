#include "PgEngineModule.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLibrary>
#include <QMutex>

namespace {

// The module's file: where the program's installation puts it
// (BALTERO_PG_MODULE_FROM_PROGRAM, relative to the program's folder), or
// where the environment variable says.
QString ModuleFile()
{
    const QString named = qEnvironmentVariable(kPgModuleVariable);
    if (!named.isEmpty())
        return named;
    const QString programFolder = QCoreApplication::instance() ? QCoreApplication::applicationDirPath() : QString();
    return QDir::cleanPath(programFolder + QStringLiteral("/" BALTERO_PG_MODULE_FROM_PROGRAM));
}

} // namespace

std::unique_ptr<TDbEngine> OpenServerEngine(const TConnectionSettings& settings, int busyTimeoutMs, QString& error,
                                            bool& passwordRefused)
{
    passwordRefused = false;
    // The module stays loaded for the rest of the run: the engines it made
    // run its code until they are closed.
    static QMutex mutex;
    static QString loadedFile;
    static decltype(&BalteroOpenPgEngine) loadedOpen = nullptr;
    decltype(&BalteroOpenPgEngine) open = nullptr;
    {
        const QMutexLocker lock(&mutex);
        const QString file = ModuleFile();
        if (!loadedOpen || file != loadedFile) {
            if (!QFile::exists(file)) {
                error = QStringLiteral("Manca il modulo che collega Baltero al server PostgreSQL (%1). "
                                       "Reinstallare Baltero.")
                            .arg(QDir::toNativeSeparators(file));
                return nullptr;
            }
            QLibrary module(file);
            const auto found = reinterpret_cast<decltype(&BalteroOpenPgEngine)>(module.resolve("BalteroOpenPgEngine"));
            if (!found) {
                // The system's reason: a damaged file, a missing libpq...
                error = QStringLiteral("Il modulo che collega Baltero al server PostgreSQL non si carica (%1). "
                                       "Reinstallare Baltero.")
                            .arg(module.errorString());
                return nullptr;
            }
            loadedOpen = found;
            loadedFile = file;
        }
        open = loadedOpen;
    }
    return std::unique_ptr<TDbEngine>(open(&settings, busyTimeoutMs, &error, &passwordRefused));
}
