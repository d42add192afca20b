#include "IntegrityCheck.h"

#include "NyConnection.h"
#include "NyRecordset.h"

QStringList IntegrityProblems(TNyConnection& connection)
{
    TNyRecordset check(connection);
    check.Open(QStringLiteral("PRAGMA integrity_check"));
    QStringList problems;
    for (; !check.Eof(); check.MoveNext()) {
        const QString line = check.GetFieldAsString(QStringLiteral("integrity_check"));
        if (line != QLatin1String("ok"))
            problems << line;
    }
    // No row at all is no verdict, and no verdict is no sound file.
    if (problems.isEmpty() && check.RecordCount() == 0)
        problems << QStringLiteral("the integrity check gave no result");
    return problems;
}
