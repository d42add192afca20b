#include "CompilationChange.h"

#include "NyCommand.h"
#include "NyQuery.h"

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
