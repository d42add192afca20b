#include "TestDatabase.h"

#include "DatabaseFile.h"
#include "NyRecordset.h"
#include "SqlText.h"

#include <gtest/gtest.h>
#include <stdexcept>

TestDatabase::TestDatabase()
{
    if (!dir_.isValid())
        throw std::runtime_error("cannot create a temporary folder");
    databasePath_ = dir_.filePath(QStringLiteral("Baltero.mdb"));
    CreateDatabaseFile(databasePath_);
    TDatabase* db = TDatabase::GetInstance();
    db->SetConnectionTemplate(DefaultConnectionTemplate());
    db->Open(databasePath_);
}

TestDatabase::~TestDatabase()
{
    TDatabase::ReleaseInstance();
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
