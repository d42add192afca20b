#include "StoredCompilationReport.h"

#include "Database.h"
#include "Exception.h"
#include "Questions.h"

void ExportStoredCompilationReport(int idCompiledTable, const QString& fileName)
{
    TDatabase* database = TDatabase::GetInstance();
    const QString key = QString::number(idCompiledTable);
    auto header = database->OpenRecordset(
        QStringLiteral("SELECT CompiledTables.DateTime, CompiledTables.Description, Children.Name, "
                       "Children.DateOfBirth, Teachers.Name FROM Teachers INNER JOIN (Children INNER JOIN "
                       "CompiledTables ON Children.IDChild = CompiledTables.IDChild) ON Teachers.IDTeacher = "
                       "CompiledTables.IDTeacher WHERE CompiledTables.IDCompiledTable=")
        + key);
    if (header->Eof())
        throw Exception(QStringLiteral("No compilation has the key %1.").arg(key));

    TQuestions questions;
    questions.Load();
    questions.LoadAnswers(idCompiledTable);
    questions.LoadStartPhases(idCompiledTable);

    QString errorText;
    if (!questions.ExportReport(fileName, header->GetFieldAsDateTime(QStringLiteral("DateTime")),
                                header->GetFieldAsString(QStringLiteral("Children.Name")),
                                header->GetFieldAsDateTime(QStringLiteral("DateOfBirth")),
                                header->GetFieldAsString(QStringLiteral("Teachers.Name")),
                                header->GetFieldAsString(QStringLiteral("Description")), errorText))
        throw Exception(errorText);
}
