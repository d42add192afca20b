// Two educators saving one compilation from two computers: the second save
// must not overwrite the first unseen. Each save counts itself in the
// compilation's ChangeCount; a save goes ahead only while the count is the
// one read when the compilation was opened.
#pragma once

#include <vector>

class TNyConnection;

enum class TStoredCompilation { AsOpened, ChangedMeanwhile, Deleted };

// The compilation's count of saves; -1 when it is not stored.
int CompilationChangeCount(TNyConnection& connection, int idCompiledTable);

// Counts one more save of the compilation when it is stored as it was when
// its count was openedCount, and says how it was found; nothing is written
// otherwise. Meant for the first step of the save's transaction: the count
// written holds off any other save until the transaction ends.
TStoredCompilation ClaimCompilationSave(TNyConnection& connection, int idCompiledTable, int openedCount);

// What a compilation refers to that another user may delete while it is
// open in an editor.
enum class TMissingReference { None, Child, Teacher, Questions };

// After a save the database refused: the first of the compilation's child,
// its educator and the questions it answers that is no longer stored.
TMissingReference MissingReference(TNyConnection& connection, int idChild, int idTeacher,
                                   const std::vector<int>& questionKeys);
