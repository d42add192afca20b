// The report of a compilation as stored in the database, for the
// administrator's tool: the same report the editor writes for it.
#pragma once

#include <QString>

// Loads the compilation's header, child, educator, questionnaire, start
// phases and answers, scores them and writes the report. Raises Exception
// for an unknown compilation or a failure; no file is written then.
void ExportStoredCompilationReport(int idCompiledTable, const QString& fileName);
