// The engine's own check of a database file's structure.
#pragma once

#include <QStringList>

class TNyConnection;

// The problems PRAGMA integrity_check finds in the open database, empty when
// the file is sound. A file too damaged to be read at all raises the
// data-access exception instead.
QStringList IntegrityProblems(TNyConnection& connection);
