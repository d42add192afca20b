// The prepared command against a real encrypted database file: rows written
// with re-bound values, the count of changed rows, and failures that leave
// the command usable.
#include "Exception.h"
#include "NyCommand.h"
#include "NyConnection.h"
#include "NyTransaction.h"
#include "TestDatabase.h"
#include "TestText.h"

#include <gtest/gtest.h>

namespace {

class CommandTest : public ProviderTest {
protected:
    TestDatabase t{GetParam()};
    TNyConnection& Connection() { return t.Db().Connection(); }
};

TEST_P(CommandTest, WritesOneRowPerExecutionWithItsOwnValues)
{
    TNyCommand insert(Connection(), QStringLiteral("INSERT INTO Areas(IDArea, Description) VALUES(?, 'Area ' || ?)"));
    for (int a = 1; a <= 3; ++a)
        EXPECT_EQ(insert.Execute({a, a * 10}), 1);
    EXPECT_EQ(t.Rows(QStringLiteral("SELECT IDArea, Description FROM Areas ORDER BY IDArea")),
              QStringList({QStringLiteral("1|Area 10"), QStringLiteral("2|Area 20"), QStringLiteral("3|Area 30")}));

    // Text goes in as a value, whatever it holds; empty text stays text.
    TNyCommand named(Connection(), QStringLiteral("INSERT INTO Phases(IDPhase, Description) VALUES(?, ?)"));
    named.Execute({1, QStringLiteral("L'et\u00e0 '); DROP TABLE Areas; --")});
    named.Execute({2, QString()});
    named.Execute({3, QVariant()});
    EXPECT_EQ(t.Rows(QStringLiteral("SELECT IDPhase, Description, CASE WHEN Description IS NULL THEN 'null' ELSE "
                             "'text' END AS Kind FROM Phases ORDER BY 1")),
              QStringList({QStringLiteral("1|L'et\u00e0 '); DROP TABLE Areas; --|text"), QStringLiteral("2||text"),
                           QStringLiteral("3||null")}));

    // The program's dialect is understood, and the count is of this command.
    TNyCommand remove(Connection(), QStringLiteral("DELETE * FROM Areas WHERE IDArea >= ?"));
    EXPECT_EQ(remove.Execute({2}), 2);
    EXPECT_EQ(remove.Execute({2}), 0);
    EXPECT_EQ(t.Count(QStringLiteral("Areas")), 1);
}

TEST_P(CommandTest, FailuresAreReportedAndTheCommandStaysUsable)
{
    TNyCommand insert(Connection(), QStringLiteral("INSERT INTO Areas(IDArea, Description) VALUES(?, 'x')"));
    insert.Execute({1});
    EXPECT_EQ(MessageOf([&] { insert.Execute({1}); }),
              QStringLiteral("NYADO exception: TNyCommand::Execute: ")
                  + t.EngineText("UNIQUE constraint failed: Areas.IDArea",
                                 "duplicate key value violates unique constraint \"areas_pkey\". Key (idarea)=(1) "
                                 "already exists."));
    EXPECT_TRUE(MessageOf([&] { insert.Execute({}); }).startsWith(QStringLiteral("NYADO exception: TNyCommand::Execute")));
    EXPECT_TRUE(MessageOf([&] { insert.Execute({2, 3}); }).startsWith(QStringLiteral("NYADO exception: TNyCommand::Execute")));
    EXPECT_EQ(insert.Execute({2}), 1);
    EXPECT_EQ(t.Count(QStringLiteral("Areas")), 2);

    struct Case {
        const char* sql;
    };
    for (const Case& c : {Case{"INSERT INTO NoSuchTable VALUES(?)"}, Case{"INSERT INTO Areas(IDArea) VALUES(?); "
                                                                          "DELETE FROM Areas"},
                          Case{"   "}}) {
        SCOPED_TRACE(c.sql);
        EXPECT_TRUE(MessageOf([&] { TNyCommand(Connection(), QString::fromLatin1(c.sql)); })
                        .startsWith(QStringLiteral("NYADO exception: TNyCommand::Prepare")));
    }
    EXPECT_EQ(t.Count(QStringLiteral("Areas")), 2);
}

TEST_P(CommandTest, RowsRunTogetherStopAtTheFirstRefusalAndTheTransactionGoesOn)
{
    TNyCommand insert(Connection(), QStringLiteral("INSERT INTO Areas(IDArea, Description) VALUES(?, ?)"));
    EXPECT_EQ(insert.ExecuteRows({1, QStringLiteral("Uno"), 2, QVariant()}), 2);
    EXPECT_TRUE(MessageOf([&] { insert.ExecuteRows({3, QStringLiteral("Tre"), 4}); })
                    .startsWith(QStringLiteral("NYADO exception: TNyCommand::Execute")));

    // Rows 5 to 604 inside a transaction, row 450 taken already: a server
    // gets them in several round trips, the refusal in the second.
    insert.Execute({450, QStringLiteral("Presa")});
    Connection().BeginTrans();
    std::vector<QVariant> rows;
    for (int a = 5; a <= 604; ++a)
        rows.insert(rows.end(), {a, QStringLiteral("Area %1").arg(a)});
    EXPECT_THROW(insert.ExecuteRows(rows), Exception);
    // Those before the refused row are there, none after it; the
    // transaction takes more work, a refusal too, and commits.
    EXPECT_EQ(t.Count(QStringLiteral("Areas")), 3 + 445);
    EXPECT_EQ(t.Count(QStringLiteral("Areas"), QStringLiteral("IDArea > 450")), 0);
    EXPECT_THROW(insert.Execute({1, QStringLiteral("Uno")}), Exception);
    EXPECT_EQ(insert.ExecuteRows({700, QStringLiteral("Dopo"), 701, QStringLiteral("Dopo")}), 2);
    Connection().CommitTrans();
    EXPECT_EQ(t.Count(QStringLiteral("Areas")), 3 + 445 + 2);
}

TEST_P(CommandTest, ATextRunsAgainAfterItsTableChanged)
{
    t.AddArea(1, QStringLiteral("Uno"));
    const QString all = QStringLiteral("SELECT * FROM Areas");
    EXPECT_EQ(t.Rows(all), QStringList({QStringLiteral("1|Uno")}));
    TNyTransaction transaction(Connection());
    Connection().Execute(QStringLiteral("ALTER TABLE Areas ADD COLUMN Extra INTEGER"));
    Connection().Execute(QStringLiteral("UPDATE Areas SET Extra = 7"));
    EXPECT_EQ(t.Rows(all), QStringList({QStringLiteral("1|Uno|7")}));
    transaction.Commit();
}

INSTANTIATE_FOR_EACH_PROVIDER(CommandTest);

} // namespace
