// The engine's own check of a database file's structure.
#pragma once

#include <QStringList>

class TNyConnection;

// How far the check goes. Full is PRAGMA integrity_check. Structure is
// PRAGMA quick_check: every page of every table and index is read (an
// encrypted page that was altered does not decrypt) and its tree and
// records checked, in one pass over the file, but indexes are not matched
// against their tables' rows, which costs more than reading the whole file.
enum class TIntegrityCheck { Full, Structure };

// The problems the check finds in the open database, empty when the file is
// sound. A file too damaged to be read at all raises the data-access
// exception instead.
QStringList IntegrityProblems(TNyConnection& connection, TIntegrityCheck check = TIntegrityCheck::Full);
