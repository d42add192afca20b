// How the program compares names (of children, educators, areas, phases).
//
// Two names that differ only in letter case are one name to a reader, in
// every alphabet: "Niccolò" and "NICCOLÒ" are the same child. The engine's
// NOCASE folds A to Z only, so the program compares such names itself.
//
// Lists of names are ordered the Italian way: accents and letter case do not
// move a name away from its unaccented neighbours. The order is a collation
// registered on each connection and named by the program's queries; the
// schema never names it, so the file stays readable by the plain engine.
#pragma once

#include <QString>

struct sqlite3;

// The collation name the program's ORDER BY clauses use ("Name COLLATE ITALIAN").
inline constexpr char kNameOrderCollation[] = "ITALIAN";

// True when the names are equal after canonical composition and Unicode case
// folding ("É" and "é", "Σ" and final "ς").
bool SameName(const QString& a, const QString& b);

// The Italian name order itself: negative, zero or positive as a sorts before,
// with or after b. The collation registered on each connection is this one.
int CompareNameOrder(const QString& a, const QString& b);

// Registers the Italian name order on the connection; false when the engine
// refuses it.
bool RegisterNameOrder(sqlite3* db);
