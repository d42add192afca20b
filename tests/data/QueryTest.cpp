// The forward-only query against a real encrypted database file: every kind
// of stored value reads as the recordset reads it, and failures are the
// data-access exception.
#include "Exception.h"
#include "NyConnection.h"
#include "NyQuery.h"
#include "NyRecordset.h"
#include "TestDatabase.h"
#include "TestText.h"

#include <gtest/gtest.h>

namespace {

class QueryTest : public ProviderTest {
protected:
    TestDatabase t{GetParam()};
    TNyConnection& Connection() { return t.Db().Connection(); }
};

TEST_P(QueryTest, ValuesReadAsTheRecordsetReadsThem)
{
    // The questionnaire's columns as a damaged or foreign file may hold them.
    const char* values[] = {"NULL", "''", "'  '", "7", "-3", "4294967297", "2.5", "-2.5", "1e300", "' 42 '",
                            "'12abc'", "'testo'", "'2023-03-12 10:30:00'", "X'3132'", "X''", "'S\u00ec'"};
    for (const char* value : values) {
        SCOPED_TRACE(value);
        const QString sql = QStringLiteral("SELECT %1 AS V").arg(QString::fromUtf8(value));
        auto recordset = t.Db().OpenRecordset(sql);
        TNyQuery query(Connection(), sql);
        ASSERT_TRUE(query.Next());
        EXPECT_EQ(query.Integer(0), recordset->GetFieldAsInteger(QStringLiteral("V")));
        EXPECT_EQ(query.Text(0), recordset->GetFieldAsString(QStringLiteral("V")));
        EXPECT_EQ(query.IsEmpty(0), recordset->GetFieldAsString(QStringLiteral("V")).isEmpty());
        EXPECT_FALSE(query.Next());
    }
}

TEST_P(QueryTest, RowsComeInOrderWithTheirBoundValues)
{
    t.Db().Execute(QStringLiteral("INSERT INTO Areas(IDArea, Description) VALUES(1, 'Uno'), (2, 'Due'), (3, 'Tre')"));
    TNyQuery query(Connection(), QStringLiteral("SELECT IDArea, Description FROM Areas WHERE IDArea >= ? ORDER BY IDArea"),
                   {2});
    QStringList rows;
    while (query.Next())
        rows << QString::number(query.Integer(0)) + QLatin1Char('|') + query.Text(1);
    EXPECT_EQ(rows, QStringList({QStringLiteral("2|Due"), QStringLiteral("3|Tre")}));
}

TEST_P(QueryTest, FailuresAreTheDataAccessException)
{
    struct Case {
        const char* sql;
        int values;
    };
    for (const Case& c : {Case{"SELECT * FROM NoSuchTable", 0}, Case{"SELECT 1; DELETE FROM Areas", 0},
                          Case{"SELECT ?", 0}, Case{"SELECT 1", 1}}) {
        SCOPED_TRACE(c.sql);
        const QString message = MessageOf([&] {
            if (c.values == 0)
                TNyQuery(Connection(), QString::fromUtf8(c.sql));
            else
                TNyQuery(Connection(), QString::fromUtf8(c.sql), {1});
        });
        EXPECT_TRUE(message.startsWith(QStringLiteral("NYADO exception: TNyQuery::Open"))) << message.toStdString();
    }
}

INSTANTIATE_FOR_EACH_PROVIDER(QueryTest);

} // namespace
