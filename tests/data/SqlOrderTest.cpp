// Reading the ORDER BY of a SELECT term by term, and refusing what is more
// than a list of columns.
#include "SqlOrder.h"

#include <QStringList>
#include <gtest/gtest.h>

namespace {

QString Written(const std::optional<std::vector<TOrderTerm>>& terms)
{
    if (!terms)
        return QStringLiteral("-");
    QStringList text;
    for (const TOrderTerm& term : *terms)
        text << term.column + QLatin1Char('/') + term.collation + (term.descending ? "/desc" : "");
    return text.join(QLatin1String(", "));
}

TEST(SqlOrder, ReadsColumnTermsAndRefusesTheRest)
{
    const struct {
        const char* sql;
        const char* terms;
    } cases[] = {
        {"SELECT * FROM Children ORDER BY Name COLLATE ITALIAN, DateOfBirth DESC",
         "Name/ITALIAN, DateOfBirth//desc"},
        {"select a from t order by \"My Table\".[Col] collate nocase asc;", "My Table.Col/nocase"},
        {"SELECT 'ORDER BY x', (SELECT y FROM u ORDER BY y) FROM t -- ORDER BY z", ""},
        {"SELECT * FROM t ORDER BY lower(Name)", "-"},
        {"SELECT * FROM t ORDER BY 1", "-"},
        {"SELECT * FROM t UNION SELECT * FROM u ORDER BY a", "-"},
        {"SELECT * FROM t ORDER BY a LIMIT 5", "-"},
        {"SELECT * FROM t ORDER BY a NULLS FIRST", "-"},
        {"SELECT * FROM t WHERE a = 'open ORDER BY", "-"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.sql);
        EXPECT_EQ(Written(ParseOrderBy(QString::fromUtf8(c.sql))), QString::fromUtf8(c.terms));
    }
}

} // namespace
