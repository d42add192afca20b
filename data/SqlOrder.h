// The ORDER BY of a SELECT, read term by term, so that a row can be put in
// its place among rows already read without asking the engine for all of them.
#pragma once

#include <QString>
#include <optional>
#include <vector>

struct TOrderTerm {
    QString column;    // as written: "Column" or "Table.Column", unquoted
    QString collation; // empty when the term names none
    bool descending = false;
};

// The terms of the statement's last ORDER BY; empty when it has none.
// Nothing when the order is more than a list of columns the rows carry: a
// compound SELECT, GROUP BY, LIMIT, an expression or a position as a term.
std::optional<std::vector<TOrderTerm>> ParseOrderBy(const QString& sql);
