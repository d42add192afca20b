// The connection against real encrypted database files and a real server:
// the data-access message, statement execution and its row counts, and
// transactions.
#include "ConnectionString.h"
#include "DatabaseFile.h"
#include "DatabaseLockHolder.h"
#include "Exception.h"
#include "NyConnection.h"
#include "NyTransaction.h"
#include "PgEngineModule.h"
#include "TestDatabase.h"
#include "TestText.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sqlcipher/sqlite3.h>
#include <ostream>

namespace {

// The children's names in order, joined by ','.
QString ChildNames(TestDatabase& t)
{
    auto rs = t.Db().OpenRecordset(QStringLiteral("SELECT Name FROM Children ORDER BY Name"));
    QStringList names;
    for (; !rs->Eof(); rs->MoveNext())
        names << rs->GetFieldAsString(QStringLiteral("Name"));
    return names.join(QLatin1Char(','));
}

class ConnectionTest : public ProviderTest {
protected:
    TestDatabase t{GetParam()};
    TNyConnection& Connection() { return t.Db().Connection(); }
    QString Names() { return ChildNames(t); }
};

// What only the file has: its path, its key, its locks.
class FileConnectionTest : public ::testing::Test {
protected:
    TestDatabase t;
    TNyConnection& Connection() { return t.Db().Connection(); }
    QString Names() { return ChildNames(t); }
};

TEST_P(ConnectionTest, MessageWithoutEngineDescriptionsHasNoColon)
{
    EXPECT_EQ(MessageOf([&] { ThrowAdoError(QStringLiteral("TNyRecordset::Bof"), Connection()); }),
              QStringLiteral("NYADO exception: TNyRecordset::Bof"));
    EXPECT_EQ(MessageOf([&] { ThrowAdoError(QString(), Connection()); }), QStringLiteral("NYADO exception: "));

    // A real failure that leaves no engine description.
    auto rs = t.Db().OpenRecordset(QStringLiteral("SELECT * FROM Children"));
    EXPECT_EQ(MessageOf([&] { rs->GetFieldAsString(QStringLiteral("Name")); }),
              QStringLiteral("NYADO exception: TNyRecordset::GetFieldAsString[Name]"));
    EXPECT_TRUE(Connection().Errors().isEmpty());
}

TEST_P(ConnectionTest, MessageCarriesOneAndTwoEngineDescriptions)
{
    t.AddChild(QStringLiteral("Anna"));
    const QString insert = QStringLiteral("INSERT INTO Children(Name) VALUES('Anna')");

    const QString duplicate = t.EngineText("UNIQUE constraint failed: Children.Name",
                                           "duplicate key value violates unique constraint \"children_name_key\". "
                                           "Key (name)=(Anna) already exists.");
    EXPECT_EQ(MessageOf([&] { Connection().Execute(insert); }),
              QStringLiteral("NYADO exception: TNyConnection::Execute: ") + duplicate);
    EXPECT_TRUE(Connection().Errors().isEmpty());

    Connection().Errors() << QStringLiteral("Earlier failure");
    EXPECT_EQ(MessageOf([&] { Connection().Execute(insert); }),
              QStringLiteral("NYADO exception: TNyConnection::Execute: Earlier failure; ") + duplicate);
    EXPECT_TRUE(Connection().Errors().isEmpty());

    // Reported once: the next failure does not repeat the earlier ones.
    EXPECT_EQ(MessageOf([&] { Connection().Execute(QStringLiteral("SELEC 1")); }),
              QStringLiteral("NYADO exception: TNyConnection::Execute: ")
                  + t.EngineText("near \"SELEC\": syntax error", "syntax error at or near \"SELEC\""));
    EXPECT_TRUE(Connection().Errors().isEmpty());
}

TEST_P(ConnectionTest, ExecuteReturnsTheRowsTheStatementChanged)
{
    t.AddChild(QStringLiteral("Anna"));
    t.AddChild(QStringLiteral("Bruno"));
    EXPECT_EQ(Connection().Execute(QStringLiteral("UPDATE Children SET Info='x' WHERE Name='Nobody'")), 0);
    EXPECT_EQ(Connection().Execute(QStringLiteral("UPDATE Children SET Info='x'")), 2);
    EXPECT_EQ(Connection().Execute(QStringLiteral("INSERT INTO Children(Name) VALUES('Carla')")), 1);
    // Statements that change no row report none, not the previous count.
    EXPECT_EQ(Connection().Execute(QStringLiteral("CREATE TEMP TABLE Scratch(x INTEGER)")), 0);
    EXPECT_EQ(Connection().Execute(QStringLiteral("SELECT * FROM Children")), 0);
}

TEST_P(ConnectionTest, DeleteStarFromIsAccepted)
{
    t.AddChild(QStringLiteral("Anna"));
    t.AddChild(QStringLiteral("Bruno"));
    t.AddChild(QStringLiteral("Carla"));
    EXPECT_EQ(Connection().Execute(QStringLiteral("DELETE * FROM Children WHERE Name='Bruno'")), 1);
    EXPECT_EQ(Names(), QStringLiteral("Anna,Carla"));
    EXPECT_EQ(Connection().Execute(QStringLiteral("  delete  *  from Children")), 2);
    EXPECT_EQ(t.Count(QStringLiteral("Children")), 0);
}

TEST(DialectRewrite, OnlyALeadingDeleteStarFromLosesItsStar)
{
    const struct {
        const char16_t* sql;
        const char16_t* translated;
    } cases[] = {
        {u"DELETE * FROM T", u"DELETE FROM T"},
        {u" \tdelete\n*\r\nFrom T", u" \tdelete From T"},
        {u"DELETE * FROM", u"DELETE FROM"},
        {u"DELETE * FROM(T)", u"DELETE FROM(T)"},
        // Not the Jet form: left as written.
        {u"DELETE *FROM T", u"DELETE *FROM T"},
        {u"DELETE* FROM T", u"DELETE* FROM T"},
        {u"DELETE * FROMAGE", u"DELETE * FROMAGE"},
        {u"DELETE * FROM_T", u"DELETE * FROM_T"},
        {u"DELETE\u00a0* FROM T", u"DELETE\u00a0* FROM T"},
        {u"SELECT 'DELETE * FROM T'", u"SELECT 'DELETE * FROM T'"},
        {u"DELET", u"DELET"},
        {u"", u""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(TranslateSql(QString::fromUtf16(c.sql)), QString::fromUtf16(c.translated))
            << qPrintable(QString::fromUtf16(c.sql));
}

TEST_P(ConnectionTest, DialectRewriteLeavesTextValuesAlone)
{
    // Only the statement's own "DELETE * FROM" is rewritten, never a value.
    const QString value = QStringLiteral("DELETE * FROM Children");
    Connection().Execute(QStringLiteral("INSERT INTO Children(Name, Info) VALUES('Anna', '%1')").arg(value));
    EXPECT_EQ(t.Db().Lookup(QStringLiteral("SELECT Info FROM Children"), QStringLiteral("Info")), value);
    EXPECT_EQ(TranslateSql(QStringLiteral("DELETE * FROM Areas")), QStringLiteral("DELETE FROM Areas"));
    EXPECT_EQ(TranslateSql(QStringLiteral("DELETE FROM Areas")), QStringLiteral("DELETE FROM Areas"));
}

TEST_P(ConnectionTest, RefusedStatementChangesNothing)
{
    t.AddChild(QStringLiteral("Anna"));
    t.AddChild(QStringLiteral("Bruno"));
    // The first row would be renamed before the second collides with it.
    EXPECT_THROW(Connection().Execute(QStringLiteral("UPDATE Children SET Name='Same'")), Exception);
    EXPECT_EQ(Names(), QStringLiteral("Anna,Bruno"));
}

TEST_P(ConnectionTest, ClosedConnectionFailsWithAMessageAndCloseNeverRaises)
{
    TNyConnection connection;
    EXPECT_EQ(MessageOf([&] { connection.Execute(QStringLiteral("SELECT 1")); }),
              QStringLiteral("NYADO exception: TNyConnection::Execute: The connection is not open."));
    EXPECT_NO_THROW(connection.Close());
    EXPECT_NO_THROW(connection.Close());
    EXPECT_TRUE(connection.Errors().isEmpty());
}

TEST_F(FileConnectionTest, RefusedConnectionStrings)
{
    const QString path = QDir::toNativeSeparators(t.DatabasePath());
    const QString password = TDatabase::Password();
    struct Case {
        QString connectionString;
        QString message;
    };
    const Case cases[] = {
        {QString(), QStringLiteral("No provider is named in the connection string.")},
        {QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=%1").arg(path),
         QStringLiteral("Provider cannot be found: 'Microsoft.Jet.OLEDB.4.0'.")},
        {QStringLiteral("Provider=SQLCipher;Password=%1").arg(password),
         QStringLiteral("No data source is named in the connection string.")},
        {QStringLiteral("Provider=SQLCipher;Data Source=%1;Password=wrong").arg(path),
         QStringLiteral("file is encrypted or is not a database")},
        {QStringLiteral("Provider=SQLCipher;Data Source=%1;Password=%2").arg(t.Path(QStringLiteral("none.mdb")), password),
         QStringLiteral("unable to open database file")},
    };
    for (const Case& c : cases) {
        TNyConnection connection;
        EXPECT_EQ(MessageOf([&] { connection.Open(c.connectionString); }),
                  QStringLiteral("NYADO exception: TNyConnection::Open: ") + c.message)
            << qPrintable(c.connectionString);
        EXPECT_FALSE(connection.IsOpen());
        EXPECT_TRUE(connection.Errors().isEmpty());
    }
    // Opening a missing file must not create it.
    EXPECT_FALSE(QFile::exists(t.Path(QStringLiteral("none.mdb"))));
}

// The server's engine is a module loaded when a server is named: a missing
// or damaged one is a refusal with its reason, and this build's own reaches
// libpq (here refused by a port nobody listens on).
TEST(ServerModuleTest, MissingOrDamagedModuleIsRefusedWithItsReason)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString damaged = folder.filePath(QStringLiteral("baltero-pg.so"));
    QFile file(damaged);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(4096, 'x'));
    file.close();

    const QByteArray ownModule = qgetenv(kPgModuleVariable);
    const QString open = QStringLiteral("NYADO exception: TNyConnection::Open: ");
    const QString missing = folder.filePath(QStringLiteral("missing/baltero-pg.so"));
    struct Case {
        QString moduleFile;
        QString messageStart;
        QString messagePart;
    };
    const Case cases[] = {
        {missing, open + QStringLiteral("Manca il modulo che collega Baltero al server PostgreSQL (") + missing,
         QStringLiteral("Reinstallare Baltero.")},
        {damaged, open + QStringLiteral("Il modulo che collega Baltero al server PostgreSQL non si carica ("),
         QStringLiteral("invalid ELF header")},
        {QString::fromLocal8Bit(ownModule), open, QStringLiteral("port 1 failed")},
    };
    for (const Case& c : cases) {
        qputenv(kPgModuleVariable, c.moduleFile.toLocal8Bit());
        TNyConnection connection;
        const QString message =
            MessageOf([&] { connection.Open(QStringLiteral("Provider=PostgreSQL;Host=127.0.0.1;Port=1;User=x")); });
        EXPECT_TRUE(message.startsWith(c.messageStart)) << qPrintable(message);
        EXPECT_TRUE(message.contains(c.messagePart)) << qPrintable(message);
        EXPECT_FALSE(connection.IsOpen());
        // Loading the module leaves the environment programs started later
        // receive as it was.
        EXPECT_FALSE(qEnvironmentVariableIsSet("GNUTLS_NO_IMPLICIT_INIT"));
    }
    qputenv(kPgModuleVariable, ownModule);
}

TEST_F(FileConnectionTest, ConnectionStringKeysIgnoreCaseAndValuesMayBeQuoted)
{
    // A folder whose name holds the separators of the connection string.
    const QString folder = t.Path(QStringLiteral("a;b=\"c\""));
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString path = folder + QStringLiteral("/Baltero.mdb");
    CreateDatabaseFile(path);

    TNyConnection connection;
    connection.Open(QStringLiteral(" provider = sqlcipher ; DATA SOURCE = %1 ; password=\"%2\"")
                        .arg(QuoteConnectionValue(path), TDatabase::Password()));
    EXPECT_EQ(connection.Execute(QStringLiteral("INSERT INTO Teachers(Name) VALUES('Irene')")), 1);
}

// What a server connection asks of TLS and Kerberos encryption, by where the
// server is and what the user set.
TEST(ServerConnectionModes, FollowTheSettingsThenTheServersPlace)
{
    const QByteArray pgHost = qgetenv("PGHOST");
    const QByteArray gssEncMode = qgetenv("PGGSSENCMODE");
    qunsetenv("PGHOST");
    struct Case {
        const char* connection;
        const char* gssEncModeVariable;
        const char* sslMode;
        const char* gssMode;
    };
    const Case cases[] = {
        {"Host=127.0.0.1", "", "prefer", "disable"},
        {"Host=LocalHost", "", "prefer", "disable"},
        {"Host=::1;SslMode=require", "", "require", "disable"},
        {"Host=/run/postgresql", "", "prefer", "disable"},
        {"", "", "prefer", "disable"},
        {"Host=127.0.0.1", "prefer", "prefer", ""},
        {"Host=server.school.it", "", "require", ""},
        {"Host=localhost,server.school.it;SslMode=disable", "", "disable", ""},
    };
    for (const Case& c : cases) {
        if (*c.gssEncModeVariable)
            qputenv("PGGSSENCMODE", c.gssEncModeVariable);
        else
            qunsetenv("PGGSSENCMODE");
        const TConnectionSettings settings =
            ParseConnectionString(QStringLiteral("Provider=PostgreSQL;") + QLatin1String(c.connection));
        EXPECT_EQ(ServerSslMode(settings), QLatin1String(c.sslMode)) << c.connection;
        EXPECT_EQ(ServerGssEncMode(settings), QLatin1String(c.gssMode)) << c.connection << " " << c.gssEncModeVariable;
    }
    if (!gssEncMode.isNull())
        qputenv("PGGSSENCMODE", gssEncMode);
    else
        qunsetenv("PGGSSENCMODE");
    if (!pgHost.isNull())
        qputenv("PGHOST", pgHost);
}

TEST_P(ConnectionTest, SecondOpenIsRefusedAndKeepsTheOpenConnection)
{
    EXPECT_EQ(MessageOf([&] { Connection().Open(QStringLiteral("Provider=SQLCipher;Data Source=x")); }),
              QStringLiteral("NYADO exception: TNyConnection::Open: The connection is already open."));
    EXPECT_TRUE(Connection().IsOpen());
    EXPECT_EQ(Connection().Execute(QStringLiteral("INSERT INTO Teachers(Name) VALUES('Irene')")), 1);
}

TEST_P(ConnectionTest, RollbackRestoresRowsAndCommitKeepsThem)
{
    t.AddChild(QStringLiteral("Anna"));
    EXPECT_EQ(Connection().BeginTrans(), 1);
    Connection().Execute(QStringLiteral("DELETE * FROM Children"));
    Connection().Execute(QStringLiteral("INSERT INTO Children(Name) VALUES('Bruno')"));
    EXPECT_EQ(Names(), QStringLiteral("Bruno"));
    Connection().RollbackTrans();
    EXPECT_EQ(Connection().TransactionLevel(), 0);
    EXPECT_EQ(Names(), QStringLiteral("Anna"));

    Connection().BeginTrans();
    Connection().Execute(QStringLiteral("INSERT INTO Children(Name) VALUES('Carla')"));
    Connection().CommitTrans();
    EXPECT_EQ(Names(), QStringLiteral("Anna,Carla"));
}

TEST_P(ConnectionTest, NestedTransactions)
{
    Connection().BeginTrans();
    Connection().Execute(QStringLiteral("INSERT INTO Children(Name) VALUES('Outer')"));
    EXPECT_EQ(Connection().BeginTrans(), 2);
    Connection().Execute(QStringLiteral("INSERT INTO Children(Name) VALUES('Inner')"));
    Connection().RollbackTrans(); // undoes the inner level only
    EXPECT_EQ(Connection().TransactionLevel(), 1);
    EXPECT_EQ(Names(), QStringLiteral("Outer"));

    Connection().BeginTrans();
    Connection().Execute(QStringLiteral("INSERT INTO Children(Name) VALUES('Inner')"));
    Connection().CommitTrans(); // kept only if the outer level commits
    Connection().RollbackTrans();
    EXPECT_EQ(Connection().TransactionLevel(), 0);
    EXPECT_EQ(Names(), QString());
}

TEST_P(ConnectionTest, ARefusedFirstStatementLeavesTheTransactionToGoOn)
{
    t.AddChild(QStringLiteral("Anna"));
    const auto insert = [&](const char* name) {
        Connection().Execute(QStringLiteral("INSERT INTO Children(Name) VALUES('%1')").arg(QLatin1String(name)));
    };
    // Refused as the transaction's first statement, then as a later one:
    // each undoes itself alone and the work around it commits.
    Connection().BeginTrans();
    EXPECT_THROW(insert("Anna"), Exception);
    EXPECT_EQ(Connection().TransactionLevel(), 1);
    insert("Bruno");
    EXPECT_THROW(insert("Bruno"), Exception);
    insert("Carla");
    Connection().CommitTrans();
    EXPECT_EQ(Names(), QStringLiteral("Anna,Bruno,Carla"));

    // An inner level opened before any statement, and a transaction that
    // holds nothing.
    Connection().BeginTrans();
    EXPECT_EQ(Connection().BeginTrans(), 2);
    insert("Dario");
    Connection().CommitTrans();
    Connection().RollbackTrans();
    Connection().BeginTrans();
    Connection().CommitTrans();
    EXPECT_EQ(Connection().TransactionLevel(), 0);
    EXPECT_EQ(Names(), QStringLiteral("Anna,Bruno,Carla"));
}

TEST(ServerConnectionTest, AServerLostAtTheFirstStatementEndsTheTransactionWithItsMessage)
{
    if (TestDatabase::ServerConnection().isEmpty())
        GTEST_SKIP() << "no test server: BALTERO_TEST_PG is not set (scripts/test.sh starts one)";
    TestDatabase t(TestProvider::Server);
    TNyConnection& connection = t.Db().Connection();
    const QString message = MessageOf([&] {
        TNyTransaction transaction(connection);
        connection.Execute(QStringLiteral("SELECT pg_terminate_backend(pg_backend_pid())"));
        transaction.Commit();
    });
    EXPECT_TRUE(message.startsWith(QStringLiteral("NYADO exception: TNyConnection::Execute: "))) << message.toStdString();
    EXPECT_EQ(connection.TransactionLevel(), 0);
}

TEST_P(ConnectionTest, CommitOrRollbackWithoutBeginFails)
{
    EXPECT_EQ(MessageOf([&] { Connection().CommitTrans(); }),
              QStringLiteral("NYADO exception: TNyConnection::CommitTrans: No transaction is active."));
    EXPECT_EQ(MessageOf([&] { Connection().RollbackTrans(); }),
              QStringLiteral("NYADO exception: TNyConnection::RollbackTrans: No transaction is active."));
    EXPECT_TRUE(Connection().Errors().isEmpty());
}

TEST_P(ConnectionTest, ScopedTransactionRollsBackOnAnException)
{
    t.AddChild(QStringLiteral("Anna"));
    try {
        TNyTransaction transaction(Connection());
        Connection().Execute(QStringLiteral("INSERT INTO Children(Name) VALUES('Bruno')"));
        Connection().Execute(QStringLiteral("INSERT INTO Children(Name) VALUES('anna')")); // refused
        transaction.Commit();
        FAIL() << "the duplicate name was accepted";
    } catch (const Exception&) {
    }
    EXPECT_EQ(Connection().TransactionLevel(), 0);
    EXPECT_EQ(Names(), QStringLiteral("Anna"));

    {
        TNyTransaction transaction(Connection());
        Connection().Execute(QStringLiteral("INSERT INTO Children(Name) VALUES('Bruno')"));
        transaction.Commit();
    }
    EXPECT_EQ(Names(), QStringLiteral("Anna,Bruno"));
}

TEST_P(ConnectionTest, CloseRollsBackAnOpenTransaction)
{
    Connection().BeginTrans();
    Connection().Execute(QStringLiteral("INSERT INTO Children(Name) VALUES('Lost')"));
    t.Db().Close();
    EXPECT_EQ(Connection().TransactionLevel(), 0);
    t.Db().Open(t.DatabasePath());
    EXPECT_EQ(t.Count(QStringLiteral("Children")), 0);
}

TEST_F(FileConnectionTest, AFailedCommitEndsTheTransactionAndTheNextSaveReachesTheFile)
{
    t.AddChild(QStringLiteral("Anna"));
    Connection().SetBusyTimeout(200);
    // Depth 1 is the commit itself; at depth 2 an inner level was released
    // into the outer one before the outer commit fails.
    for (const int depth : {1, 2}) {
        SCOPED_TRACE(depth);
        const QString lost = QStringLiteral("Perso%1").arg(depth);
        {
            DatabaseLockHolder reader = DatabaseLockHolder::Reader(t.DatabasePath());
            ASSERT_TRUE(reader.Holding());
            EXPECT_THROW(
                {
                    TNyTransaction outer(Connection());
                    if (depth == 2) {
                        TNyTransaction inner(Connection());
                        Connection().Execute(QStringLiteral("INSERT INTO Children(Name) VALUES('%1')").arg(lost));
                        inner.Commit();
                    } else {
                        Connection().Execute(QStringLiteral("INSERT INTO Children(Name) VALUES('%1')").arg(lost));
                    }
                    outer.Commit();
                },
                Exception);
            EXPECT_EQ(Connection().TransactionLevel(), 0);
            EXPECT_NE(sqlite3_get_autocommit(Connection().Handle()), 0) << "the engine is still in a transaction";
            EXPECT_TRUE(Connection().Errors().isEmpty());
            EXPECT_TRUE(reader.Release());
        }
        // What the user does next is written at once, in a transaction or not.
        t.AddChild(QStringLiteral("Dopo%1").arg(depth));
        TNyTransaction transaction(Connection());
        t.AddChild(QStringLiteral("Transazione%1").arg(depth));
        transaction.Commit();
    }
    t.Db().Close();
    t.Db().Open(t.DatabasePath());
    EXPECT_EQ(Names(), QStringLiteral("Anna,Dopo1,Dopo2,Transazione1,Transazione2"));
}

TEST_F(FileConnectionTest, ARollbackOfTheWholeTransactionNeedsNoLock)
{
    t.AddChild(QStringLiteral("Anna"));
    Connection().SetBusyTimeout(200);
    {
        DatabaseLockHolder reader = DatabaseLockHolder::Reader(t.DatabasePath());
        ASSERT_TRUE(reader.Holding());
        Connection().BeginTrans();
        Connection().Execute(QStringLiteral("INSERT INTO Children(Name) VALUES('Bruno')"));
        EXPECT_NO_THROW(Connection().RollbackTrans());
        EXPECT_EQ(Connection().TransactionLevel(), 0);
        EXPECT_NE(sqlite3_get_autocommit(Connection().Handle()), 0);
        EXPECT_TRUE(reader.Release());
    }
    t.AddChild(QStringLiteral("Carla"));
    t.Db().Close();
    t.Db().Open(t.DatabasePath());
    EXPECT_EQ(Names(), QStringLiteral("Anna,Carla"));
}

TEST_F(FileConnectionTest, OpeningWaitsForAnotherProgramsWrite)
{
    t.Db().Close();
    DatabaseLockHolder writer = DatabaseLockHolder::Writer(t.DatabasePath(), 3000);
    ASSERT_TRUE(writer.Holding());
    QElapsedTimer waited;
    waited.start();
    EXPECT_NO_THROW(t.Db().Open(t.DatabasePath()));
    EXPECT_GT(waited.elapsed(), 1000) << "the file was not locked while it opened";
    EXPECT_TRUE(writer.Release());
    EXPECT_EQ(t.Count(QStringLiteral("Teachers")), 1);
}

INSTANTIATE_FOR_EACH_PROVIDER(ConnectionTest);

} // namespace
