#include "TestDatabase.h"

#include "DatabaseFile.h"
#include "NyRecordset.h"
#include "ServerSchema.h"
#include "SqlText.h"

#include <QCoreApplication>
#include <QDateTime>
#include <atomic>

#include <gtest/gtest.h>
#include <stdexcept>

namespace {

// Replaces the Database key of a server connection string.
QString WithDatabase(const QString& connection, const QString& database)
{
    QStringList pairs;
    for (const QString& pair : connection.split(QLatin1Char(';'))) {
        if (!pair.trimmed().toLower().startsWith(QLatin1String("database=")))
            pairs << pair;
    }
    pairs << QStringLiteral("Database=") + database;
    return pairs.join(QLatin1Char(';'));
}

void RunOnServer(const QString& sql)
{
    TNyConnection admin;
    admin.Open(TestDatabase::ServerConnection());
    admin.Execute(sql);
}

} // namespace

QString TestDatabase::ServerConnection()
{
    return qEnvironmentVariable("BALTERO_TEST_PG");
}

std::string ProviderName(const ::testing::TestParamInfo<TestProvider>& info)
{
    return info.param == TestProvider::File ? "File" : "Server";
}

TestDatabase::TestDatabase(TestProvider provider)
    : provider_(provider)
{
    if (!dir_.isValid())
        throw std::runtime_error("cannot create a temporary folder");
    databasePath_ = dir_.filePath(QStringLiteral("Baltero.mdb"));
    TDatabase* db = TDatabase::GetInstance();
    if (provider_ == TestProvider::Server) {
        // Skipped by the fixture when there is no server.
        if (ServerConnection().isEmpty())
            return;
        static std::atomic<int> counter{0};
        serverDatabaseName_ = QStringLiteral("baltero_test_%1_%2_%3")
                                  .arg(QCoreApplication::applicationPid())
                                  .arg(QDateTime::currentMSecsSinceEpoch())
                                  .arg(++counter);
        RunOnServer(QStringLiteral("CREATE DATABASE ") + serverDatabaseName_);
        serverConnection_ = WithDatabase(ServerConnection(), serverDatabaseName_);
        {
            TNyConnection creator;
            creator.Open(serverConnection_);
            CreateServerSchema(creator);
        }
        db->SetConnectionTemplate(serverConnection_);
        db->Open(databasePath_);
        return;
    }
    CreateDatabaseFile(databasePath_);
    db->SetConnectionTemplate(DefaultConnectionTemplate());
    db->Open(databasePath_);
}

TestDatabase::~TestDatabase()
{
    TDatabase::ReleaseInstance();
    if (!serverDatabaseName_.isEmpty()) {
        try {
            RunOnServer(QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(serverDatabaseName_));
        } catch (const std::exception& e) {
            ADD_FAILURE() << "the test database was not dropped: " << e.what();
        }
    }
}

void TestDatabase::OpenSecondConnection(TNyConnection& connection) const
{
    connection.Open(OnServer() ? serverConnection_
                               : TDatabase::BuildConnectionString(DefaultConnectionTemplate(), databasePath_,
                                                                  TDatabase::Password()));
}

static int LastKey(TDatabase& db, const QString& table, const QString& key)
{
    return db.Lookup(QStringLiteral("SELECT MAX(%1) AS K FROM %2").arg(key, table), QStringLiteral("K")).toInt();
}

int TestDatabase::AddChild(const QString& name)
{
    Db().Execute(QStringLiteral("INSERT INTO Children(Name, DateOfBirth, Info) VALUES('%1', '2020-03-04 00:00:00', '')")
                     .arg(SQLQuote(name)));
    return LastKey(Db(), QStringLiteral("Children"), QStringLiteral("IDChild"));
}

int TestDatabase::AddTeacher(const QString& name)
{
    Db().Execute(QStringLiteral("INSERT INTO Teachers(Name, Info) VALUES('%1', '')").arg(SQLQuote(name)));
    return LastKey(Db(), QStringLiteral("Teachers"), QStringLiteral("IDTeacher"));
}

void TestDatabase::AddArea(int idArea, const QString& description)
{
    Db().Execute(QStringLiteral("INSERT INTO Areas(IDArea, Description) VALUES(%1, '%2')")
                     .arg(idArea)
                     .arg(SQLQuote(description)));
}

void TestDatabase::AddPhase(int idPhase, const QString& description)
{
    Db().Execute(QStringLiteral("INSERT INTO Phases(IDPhase, Description) VALUES(%1, '%2')")
                     .arg(idPhase)
                     .arg(SQLQuote(description)));
}

int TestDatabase::AddQuestion(int idArea, int idPhase, int order, const QString& text)
{
    Db().Execute(QStringLiteral("INSERT INTO Questions(QuestionText, IDArea, IDPhase, QuestionOrder) VALUES('%1', %2, %3, %4)")
                     .arg(SQLQuote(text))
                     .arg(idArea)
                     .arg(idPhase)
                     .arg(order));
    return LastKey(Db(), QStringLiteral("Questions"), QStringLiteral("IDQuestion"));
}

int TestDatabase::AddCompilation(int idChild, int idTeacher, const QString& description)
{
    Db().Execute(QStringLiteral("INSERT INTO CompiledTables(IDChild, IDTeacher, DateTime, Description) "
                                "VALUES(%1, %2, '2026-10-01 00:00:00', '%3')")
                     .arg(idChild)
                     .arg(idTeacher)
                     .arg(SQLQuote(description)));
    return LastKey(Db(), QStringLiteral("CompiledTables"), QStringLiteral("IDCompiledTable"));
}

int TestDatabase::Count(const QString& table, const QString& where)
{
    QString sql = QStringLiteral("SELECT COUNT(*) AS RecordCount FROM ") + table;
    if (!where.isEmpty())
        sql += QStringLiteral(" WHERE ") + where;
    auto rs = Db().OpenRecordset(sql);
    return rs->GetFieldAsInteger(QStringLiteral("RecordCount"));
}

QStringList TestDatabase::Rows(const QString& sql)
{
    QStringList rows;
    auto rs = Db().OpenRecordset(sql);
    for (; !rs->Eof(); rs->MoveNext()) {
        QStringList fields;
        for (int i = 0; i < rs->FieldCount(); ++i)
            fields << rs->GetFieldAsString(rs->FieldName(i));
        rows << fields.join(QLatin1Char('|'));
    }
    return rows;
}

void TestDatabase::RefuseRows(const char* event, const QString& table, const QString& condition,
                              const QString& message)
{
    const QString when = condition.isEmpty() ? QString() : QStringLiteral(" WHEN (%1)").arg(condition);
    if (OnServer()) {
        Db().Execute(QStringLiteral("CREATE OR REPLACE FUNCTION test_refusal() RETURNS trigger LANGUAGE plpgsql "
                                    "AS $body$BEGIN RAISE EXCEPTION '%1'; END$body$")
                         .arg(SQLQuote(message)));
        Db().Execute(QStringLiteral("CREATE TRIGGER test_refusal BEFORE %1 ON %2 FOR EACH ROW%3 "
                                    "EXECUTE FUNCTION test_refusal()")
                         .arg(QLatin1String(event), table, when));
    } else {
        Db().Execute(QStringLiteral("CREATE TEMP TRIGGER test_refusal BEFORE %1 ON %2%3 "
                                    "BEGIN SELECT RAISE(ABORT, '%4'); END")
                         .arg(QLatin1String(event), table, when, SQLQuote(message)));
    }
    refusingTable_ = table;
}

void TestDatabase::StopRefusing()
{
    Db().Execute(OnServer() ? QStringLiteral("DROP TRIGGER test_refusal ON ") + refusingTable_
                            : QStringLiteral("DROP TRIGGER temp.test_refusal"));
    refusingTable_.clear();
}

void StoreAnswer(TestDatabase& db, int idCompiledTable, int idQuestion, int idAnswer)
{
    db.Db().Execute(QStringLiteral("INSERT INTO CompiledTablesAnswers(IDCompiledTable, IDQuestion, IDAnswer) "
                                   "VALUES(%1, %2, %3)")
                        .arg(idCompiledTable)
                        .arg(idQuestion)
                        .arg(idAnswer));
}

void StoreStartPhase(TestDatabase& db, int idCompiledTable, int idArea, int idPhase)
{
    db.Db().Execute(QStringLiteral("INSERT INTO CompiledTablesStartPhase(IDCompiledTable, IDArea, IDPhase) "
                                   "VALUES(%1, %2, %3)")
                        .arg(idCompiledTable)
                        .arg(idArea)
                        .arg(idPhase));
}
