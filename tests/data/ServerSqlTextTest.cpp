// How the program's SQL text is read for the server: statements split, '?'
// numbered and names spelled as written, never inside quotes or comments.
#include "ServerSqlText.h"

#include <gtest/gtest.h>

namespace {

TEST(ServerSqlText, StatementsEndAtTheirOwnSemicolon)
{
    struct Case {
        const char* sql;
        const char* first;
    };
    const Case cases[] = {
        {"SELECT 1; SELECT 2", "SELECT 1;"},
        {"SELECT ';' AS a; x", "SELECT ';' AS a;"},
        {"SELECT \"a;b\" FROM t; x", "SELECT \"a;b\" FROM t;"},
        {"-- it's; a comment\nSELECT 1; x", "-- it's; a comment\nSELECT 1;"},
        {"/* ; */ SELECT 1", "/* ; */ SELECT 1"},
        {"CREATE FUNCTION f() AS $body$ BEGIN; END $body$; x", "CREATE FUNCTION f() AS $body$ BEGIN; END $body$;"},
        {"SELECT $1; x", "SELECT $1;"},
        {"SELECT 'it''s;'; x", "SELECT 'it''s;';"},
    };
    for (const Case& c : cases) {
        const QString sql = QString::fromUtf8(c.sql);
        EXPECT_EQ(sql.left(FirstStatementEnd(sql)), QString::fromUtf8(c.first)) << c.sql;
    }
}

TEST(ServerSqlText, PlaceholdersAreNumberedOutsideQuotes)
{
    struct Case {
        const char* sql;
        const char* numbered;
        int count;
    };
    const Case cases[] = {
        {"INSERT INTO t VALUES(?, ?, '?')", "INSERT INTO t VALUES($1, $2, '?')", 2},
        {"SELECT \"?\" FROM t -- ?\nWHERE a = ?", "SELECT \"?\" FROM t -- ?\nWHERE a = $1", 1},
        {"SELECT 1", "SELECT 1", 0},
    };
    for (const Case& c : cases) {
        int count = -1;
        EXPECT_EQ(NumberPlaceholders(QString::fromUtf8(c.sql), count), QString::fromUtf8(c.numbered)) << c.sql;
        EXPECT_EQ(count, c.count) << c.sql;
    }
}

TEST(ServerSqlText, BlankTextAndWrittenNames)
{
    EXPECT_TRUE(IsBlankSql(QStringLiteral("  ;\n-- it's nothing\n/* at all */ ")));
    EXPECT_FALSE(IsBlankSql(QStringLiteral("  ''")));
    EXPECT_FALSE(IsBlankSql(QStringLiteral("SELECT 1")));

    const QHash<QString, QString> names
        = WrittenNames(QStringLiteral("SELECT IDChild, COUNT(*) AS RecordCount FROM Children WHERE Name = 'IDCHILD2'"));
    EXPECT_EQ(names.value(QStringLiteral("idchild")), QStringLiteral("IDChild"));
    EXPECT_EQ(names.value(QStringLiteral("recordcount")), QStringLiteral("RecordCount"));
    EXPECT_FALSE(names.contains(QStringLiteral("idchild2")));
}

} // namespace
