// Reading the program's SQL text as a PostgreSQL server needs it: one
// statement at a time, '?' placeholders numbered, names spelled as written.
// Quoted text ('...', "...", $tag$...$tag$) and comments are never touched.
#pragma once

#include <QHash>
#include <QString>

// Where the first statement of sql ends: just after its ';', or the end of
// the text.
qsizetype FirstStatementEnd(const QString& sql);

// True when the text holds nothing but blanks, comments and ';'.
bool IsBlankSql(const QString& sql);

// The text with each '?' placeholder replaced by $1, $2, ... in order;
// count receives their number.
QString NumberPlaceholders(const QString& sql, int& count);

// The unquoted names of the text (words that are not numbers), by their
// lower-case form, spelled as first written: the server gives result
// columns the lower-case form of a name that was not quoted.
QHash<QString, QString> WrittenNames(const QString& sql);
