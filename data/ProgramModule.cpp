#include "ProgramModule.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QHash>
#include <QLibrary>
#include <QMutex>

TModuleEntry LoadModuleEntry(const char* variable, const QString& fromProgram, const char* entry)
{
    TModuleEntry result;
    result.File = qEnvironmentVariable(variable);
    if (result.File.isEmpty()) {
        const QString programFolder =
            QCoreApplication::instance() ? QCoreApplication::applicationDirPath() : QString();
        result.File = QDir::cleanPath(programFolder + QLatin1Char('/') + fromProgram);
    }
    static QMutex mutex;
    static QHash<QString, QFunctionPointer> loaded;
    const QMutexLocker lock(&mutex);
    const QString key = result.File + QLatin1Char('\n') + QLatin1String(entry);
    if (const auto found = loaded.constFind(key); found != loaded.constEnd()) {
        result.Function = *found;
        return result;
    }
    if (!QFile::exists(result.File)) {
        result.Missing = true;
        return result;
    }
    // The QLibrary goes out of scope without unloading: the module stays.
    QLibrary module(result.File);
    result.Function = module.resolve(entry);
    if (!result.Function) {
        result.Reason = module.errorString();
        return result;
    }
    loaded.insert(key, result.Function);
    return result;
}

QString ModuleProblemText(const TModuleEntry& module, const QString& missingText, const QString& notLoadingText)
{
    if (module.Missing)
        return missingText.arg(QDir::toNativeSeparators(module.File));
    if (!module.Function)
        return notLoadingText.arg(module.Reason);
    return QString();
}
