// A school's database copied whole into an empty one: every row and key as
// it was, new keys after the copied ones, a target holding anything refused
// untouched, and the references checked the same way on any store.
#include "DatabaseFile.h"
#include "DatabaseTransfer.h"
#include "Exception.h"
#include "NyConnection.h"
#include "NyRecordset.h"
#include "ServerSchema.h"
#include "SqlText.h"
#include "TestDatabase.h"

#include <QCoreApplication>
#include <gtest/gtest.h>

namespace {

QString FileConnection(const QString& path)
{
    return QStringLiteral("Provider=SQLCipher;Data Source=%1;Password=%2")
        .arg(QuoteConnectionValue(path), QuoteConnectionValue(TDatabase::Password()));
}

// Every row of every table, ordered, fields joined by '|'.
QStringList Everything(TNyConnection& connection)
{
    QStringList all;
    for (const TTableLayout& table : ProgramTables()) {
        TNyRecordset rows(connection);
        rows.Open(QStringLiteral("SELECT %1 FROM %2 ORDER BY 1, 2").arg(table.columns.join(", "), table.name));
        for (; !rows.Eof(); rows.MoveNext()) {
            QStringList fields{table.name};
            for (int f = 0; f < rows.FieldCount(); ++f)
                fields << rows.GetFieldAsString(f);
            all << fields.join('|');
        }
    }
    return all;
}

class DatabaseTransfer : public ::testing::Test {
protected:
    DatabaseTransfer()
    {
        source.Db().Execute(QStringLiteral("UPDATE Application SET School = 'Scuola «Il Girasole»'"));
        source.AddArea(1, QStringLiteral("Autonomia"));
        source.AddPhase(2, QStringLiteral("Seconda"));
        source.Db().Execute(QStringLiteral("UPDATE Phases SET AgeFromMonths = 12"));
        const int q = source.AddQuestion(1, 2, 1, QStringLiteral("Mangia da solo"));
        // Deleted rows leave gaps in the keys, which the copy keeps.
        source.AddChild(QStringLiteral("Gone"));
        const int child = source.AddChild(QStringLiteral("Zoë 陈"));
        source.Db().Execute(QStringLiteral("DELETE FROM Children WHERE Name = 'Gone'"));
        source.Db().Execute(QStringLiteral("UPDATE Children SET Info = NULL"));
        const int teacher = source.AddTeacher(QStringLiteral("Irene"));
        compilation = source.AddCompilation(child, teacher, QStringLiteral("Marzo"));
        StoreAnswer(source, compilation, q, 2);
        StoreStartPhase(source, compilation, 1, 2);
        StoreStartPhase(source, compilation, 7, 1);
        CreateDatabaseFile(targetPath());
        target.Open(FileConnection(targetPath()));
    }
    QString targetPath() const { return source.Path(QStringLiteral("Copia.mdb")); }

    TestDatabase source;
    TNyConnection target;
    int compilation = 0;
};

} // namespace

TEST_F(DatabaseTransfer, CopiesEveryRowWithItsKeysAndNewKeysFollow)
{
    TNyConnection& from = source.Db().Connection();
    const std::map<QString, int> copied = CopyDatabaseContents(from, target);
    EXPECT_EQ(copied, TableRowCounts(from));
    EXPECT_EQ(Everything(target), Everything(from));
    EXPECT_TRUE(BrokenReferences(target).isEmpty());

    target.Execute(QStringLiteral("INSERT INTO Children(Name) VALUES('Nuovo')"));
    TNyRecordset key(target);
    key.Open(QStringLiteral("SELECT IDChild FROM Children WHERE Name = 'Nuovo'"));
    EXPECT_EQ(key.GetFieldAsInteger(QStringLiteral("IDChild")), 3);
}

TEST_F(DatabaseTransfer, ATargetHoldingAnythingIsRefusedUntouched)
{
    target.Execute(QStringLiteral("INSERT INTO Teachers(Name) VALUES('Già qui')"));
    const QStringList before = Everything(target);
    EXPECT_THROW(CopyDatabaseContents(source.Db().Connection(), target), Exception);
    EXPECT_EQ(Everything(target), before);
}

TEST_F(DatabaseTransfer, BrokenReferencesAreNamed)
{
    TNyConnection& from = source.Db().Connection();
    from.Execute(QStringLiteral("PRAGMA foreign_keys = OFF"));
    from.Execute(QStringLiteral("DELETE FROM Areas"));
    from.Execute(QStringLiteral("UPDATE CompiledTablesAnswers SET IDQuestion = 99"));
    EXPECT_EQ(BrokenReferences(from),
              QStringList({"Questions.IDArea: righe che rimandano a un record inesistente di Areas: 1",
                           "CompiledTablesAnswers.IDQuestion: righe che rimandano a un record inesistente di Questions: 1"}));
}

// A school moved onto the server and back: the same rows and keys each way,
// and the server's next key after the copied ones.
TEST_F(DatabaseTransfer, ToTheServerAndBackUnchanged)
{
    if (TestDatabase::ServerConnection().isEmpty())
        GTEST_SKIP() << "no test server: BALTERO_TEST_PG is not set (scripts/test.sh starts one)";
    const QString name = QStringLiteral("baltero_transfer_%1").arg(QCoreApplication::applicationPid());
    TNyConnection admin;
    admin.Open(TestDatabase::ServerConnection());
    admin.Execute(QStringLiteral("DROP DATABASE IF EXISTS ") + name);
    admin.Execute(QStringLiteral("CREATE DATABASE ") + name);
    {
        TNyConnection server;
        server.Open(TestDatabase::ServerConnection() + QStringLiteral(";Database=") + name);
        CreateServerSchema(server);
        TNyConnection& file = source.Db().Connection();
        CopyDatabaseContents(file, server);
        EXPECT_EQ(Everything(server), Everything(file));
        EXPECT_TRUE(BrokenReferences(server).isEmpty());
        CopyDatabaseContents(server, target);
        EXPECT_EQ(Everything(target), Everything(file));
        TNyRecordset school(target);
        school.Open(QStringLiteral("SELECT School FROM Application"));
        EXPECT_EQ(school.GetFieldAsString(0), QStringLiteral("Scuola «Il Girasole»"));

        server.Execute(QStringLiteral("INSERT INTO Children(Name) VALUES('Nuovo')"));
        TNyRecordset key(server);
        key.Open(QStringLiteral("SELECT IDChild FROM Children WHERE Name = 'Nuovo'"));
        EXPECT_EQ(key.GetFieldAsInteger(QStringLiteral("IDChild")), 3);
    }
    admin.Execute(QStringLiteral("DROP DATABASE ") + name);
}
