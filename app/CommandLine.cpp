#include "CommandLine.h"

bool HasNoSplashSwitch(const QStringList& arguments)
{
    for (const QString& argument : arguments) {
        if (!argument.startsWith(QLatin1Char('-')) && !argument.startsWith(QLatin1Char('/')))
            continue;
        if (argument.mid(1).compare(QLatin1String("NOSPLASH"), Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}
