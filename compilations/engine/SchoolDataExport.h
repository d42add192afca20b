// The school's data for spreadsheets and statistics programs: four CSV files
// in one folder, as Italian spreadsheet programs open them directly (UTF-8
// with BOM, ";" between fields, "," as decimal mark, a header row, quoting
// by RFC 4180, lines ending in CR LF):
//   bambini.csv       id; nome; data di nascita; note
//   educatori.csv     id; nome; note
//   compilazioni.csv  one row per compilation with its child, educator, age
//                     in months, the points of each area, total, unanswered
//   risposte.csv      one row per stored answer: compilation, area, phase,
//                     question order, question text, answer
// The scores are the editor's (StoredScores.h).
#pragma once

#include <QString>
#include <QStringList>
#include <functional>

// The four file names, in the order they are written.
QStringList SchoolDataFileNames();

// One field as the files write it: in double quotes, doubled inside, when it
// holds ";", a double quote or a line break.
QString CsvField(const QString& text);

// Writes the four files into folder, all or none (TSafeFileSet): on failure
// none of them has changed. progress, when given, is called with the
// compilations written so far and their number. Raises Exception with the
// reason.
void ExportSchoolData(const QString& folder, const std::function<void(int done, int total)>& progress = {});
