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

#include <QCollatorSortKey>
#include <QString>
#include <optional>
#include <string>

struct sqlite3;

// The collation name the program's ORDER BY clauses use ("Name COLLATE ITALIAN").
inline constexpr char kNameOrderCollation[] = "ITALIAN";

// True when the names are equal after canonical composition and Unicode case
// folding ("É" and "é", "Σ" and final "ς").
bool SameName(const QString& a, const QString& b);

// The Italian name order itself: negative, zero or positive as a sorts before,
// with or after b. The collation registered on each connection is this one.
int CompareNameOrder(const QString& a, const QString& b);

// The order is the Unicode root collation's, compared up to accents
// (letter case aside). For the letters, digits and punctuation of Latin
// names the program weighs a name itself; the full collation, whose data
// costs the program 1.8 MB of memory, is loaded only for a name with any
// other character.
//
// The key of a name that sorts as the name does: keys compare as plain
// strings. With numeric, runs of digits sort by their value ("Sezione 2"
// before "Sezione 10"), as the lists sort their columns. None when the name
// has a character outside the program's own weights.
std::optional<std::u16string> NameOrderKey(const QString& name, bool numeric);

// The full collation's key, for the names NameOrderKey leaves out; it
// compares only with keys of its own kind.
QCollatorSortKey FullNameOrderKey(const QString& name, bool numeric);

// Registers the Italian name order on the connection; false when the engine
// refuses it.
bool RegisterNameOrder(sqlite3* db);
