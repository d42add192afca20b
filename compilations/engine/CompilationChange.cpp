#include "CompilationChange.h"

#include "NyCommand.h"
#include "NyQuery.h"

#include <QStringList>

int CompilationChangeCount(TNyConnection& connection, int idCompiledTable)
{
    TNyQuery count(connection, QStringLiteral("SELECT ChangeCount FROM CompiledTables WHERE IDCompiledTable = ?"),
                   {idCompiledTable});
    return count.Next() ? count.Integer(0) : -1;
}

TStoredCompilation ClaimCompilationSave(TNyConnection& connection, int idCompiledTable, int openedCount)
{
    TNyCommand claim(connection, QStringLiteral("UPDATE CompiledTables SET ChangeCount = ChangeCount + 1 "
                                                "WHERE IDCompiledTable = ? AND ChangeCount = ?"));
    if (claim.Execute({idCompiledTable, openedCount}) == 1)
        return TStoredCompilation::AsOpened;
    return CompilationChangeCount(connection, idCompiledTable) < 0 ? TStoredCompilation::Deleted
                                                                   : TStoredCompilation::ChangedMeanwhile;
}

TMissingReference MissingReference(TNyConnection& connection, int idChild, int idTeacher,
                                   const std::vector<int>& questionKeys)
{
    const auto stored = [&connection](const QString& sql, int key) {
        TNyQuery found(connection, sql, {key});
        return found.Next();
    };
    if (!stored(QStringLiteral("SELECT 1 FROM Children WHERE IDChild = ?"), idChild))
        return TMissingReference::Child;
    if (!stored(QStringLiteral("SELECT 1 FROM Teachers WHERE IDTeacher = ?"), idTeacher))
        return TMissingReference::Teacher;
    if (questionKeys.empty())
        return TMissingReference::None;
    // The keys are numbers: written into the text, a thousand of them are
    // one statement rather than a thousand.
    QStringList keys;
    for (int key : questionKeys)
        keys << QString::number(key);
    TNyQuery count(connection, QStringLiteral("SELECT COUNT(*) FROM Questions WHERE IDQuestion IN (%1)")
                                   .arg(keys.join(QLatin1Char(','))));
    const bool all = count.Next() && count.Integer(0) == static_cast<int>(questionKeys.size());
    return all ? TMissingReference::None : TMissingReference::Questions;
}
