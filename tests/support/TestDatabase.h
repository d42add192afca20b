// Real encrypted database files in a temporary folder for the tests.
#pragma once

#include "Database.h"

#include <QString>
#include <QStringList>
#include <QTemporaryDir>

// A temporary folder holding a new database created from the schema, opened
// through TDatabase::GetInstance() for the length of the fixture; the instance
// is released and the folder removed afterwards.
class TestDatabase {
public:
    TestDatabase();
    ~TestDatabase();

    QString Path(const QString& fileName) const { return dir_.filePath(fileName); }
    const QString& DatabasePath() const { return databasePath_; }
    TDatabase& Db() { return *TDatabase::GetInstance(); }

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

private:
    QTemporaryDir dir_;
    QString databasePath_;
};

// A stored answer or start phase of a compilation, written with plain SQL.
void StoreAnswer(TestDatabase& db, int idCompiledTable, int idQuestion, int idAnswer);
void StoreStartPhase(TestDatabase& db, int idCompiledTable, int idArea, int idPhase);
