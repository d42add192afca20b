// Real encrypted database files in a temporary folder for the tests, or a
// fresh database of their own on the test server.
#pragma once

#include "Database.h"

#include <gtest/gtest.h>

#include <QString>
#include <QStringList>
#include <QTemporaryDir>

// A temporary folder holding a new database created from the schema, opened
// through TDatabase::GetInstance() for the length of the fixture; the instance
// is released and the folder removed afterwards.
//
// On the server (TestProvider::Server) a new database is created on the
// PostgreSQL server BALTERO_TEST_PG names, given the program's schema, opened
// the same way and dropped afterwards, so tests running at once never meet.
enum class TestProvider { File, Server };

class TestDatabase {
public:
    explicit TestDatabase(TestProvider provider = TestProvider::File);
    ~TestDatabase();

    // The test server's connection string; empty when none is set.
    static QString ServerConnection();
    TestProvider Provider() const { return provider_; }
    bool OnServer() const { return provider_ == TestProvider::Server; }
    // The engine's own words, which differ: the file's or the server's.
    QString EngineText(const char* file, const char* server) const
    {
        return QString::fromUtf8(OnServer() ? server : file);
    }
    // The connection string of this test's database on the server.
    const QString& ServerDatabase() const { return serverConnection_; }

    QString Path(const QString& fileName) const { return dir_.filePath(fileName); }
    const QString& DatabasePath() const { return databasePath_; }
    TDatabase& Db() { return *TDatabase::GetInstance(); }
    // Opens connection on this test's database as another program (another
    // computer's, on the server) opens it: a connection of its own.
    void OpenSecondConnection(TNyConnection& connection) const;

    // Adds rows with plain SQL; returns the generated key where there is one.
    int AddChild(const QString& name);
    int AddTeacher(const QString& name);
    void AddArea(int idArea, const QString& description);
    void AddPhase(int idPhase, const QString& description);
    int AddQuestion(int idArea, int idPhase, int order, const QString& text);
    int AddCompilation(int idChild, int idTeacher, const QString& description);
    int Count(const QString& table, const QString& where = QString());
    // Every row of the statement as text, its fields joined by '|'.
    QStringList Rows(const QString& sql);

    // Until StopRefusing, the engine refuses with message each row of table
    // that event ("INSERT", "UPDATE") would write and condition (on NEW, in
    // the SQL both engines read; empty: every row) holds for, as a full disk
    // or a rule of the database would. One refusal at a time.
    void RefuseRows(const char* event, const QString& table, const QString& condition = QString(),
                    const QString& message = QStringLiteral("refused"));
    void StopRefusing();

private:
    TestProvider provider_;
    QTemporaryDir dir_;
    QString databasePath_;
    QString serverConnection_;
    QString serverDatabaseName_;
    QString refusingTable_;
};

// A test that runs once on the file and once on the test server (skipped,
// saying why, when BALTERO_TEST_PG is not set). The fixture's TestDatabase
// takes GetParam().
class ProviderTest : public ::testing::TestWithParam<TestProvider> {
protected:
    void SetUp() override
    {
        if (GetParam() == TestProvider::Server && TestDatabase::ServerConnection().isEmpty())
            GTEST_SKIP() << "no test server: BALTERO_TEST_PG is not set (scripts/test.sh starts one)";
    }
};

std::string ProviderName(const ::testing::TestParamInfo<TestProvider>& info);

#define INSTANTIATE_FOR_EACH_PROVIDER(Fixture)                                                                    \
    INSTANTIATE_TEST_SUITE_P(, Fixture, ::testing::Values(TestProvider::File, TestProvider::Server), ProviderName)

// A stored answer or start phase of a compilation, written with plain SQL.
void StoreAnswer(TestDatabase& db, int idCompiledTable, int idQuestion, int idAnswer);
void StoreStartPhase(TestDatabase& db, int idCompiledTable, int idArea, int idPhase);
