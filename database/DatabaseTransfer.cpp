#include "DatabaseTransfer.h"

#include "DateTime.h"
#include "Exception.h"
#include "NyCommand.h"
#include "NyConnection.h"
#include "NyQuery.h"
#include "NyTransaction.h"
#include "SchemaVersion.h"

namespace {

struct TReference {
    const char* table;
    const char* column;
    const char* target;
    const char* key;
};

// The references the schema declares; CompiledTablesStartPhase.IDArea is on
// purpose none (a start phase of an area deleted later is ignored).
const TReference kReferences[] = {
    {"Questions", "IDArea", "Areas", "IDArea"},
    {"Questions", "IDPhase", "Phases", "IDPhase"},
    {"CompiledTables", "IDChild", "Children", "IDChild"},
    {"CompiledTables", "IDTeacher", "Teachers", "IDTeacher"},
    {"CompiledTablesAnswers", "IDCompiledTable", "CompiledTables", "IDCompiledTable"},
    {"CompiledTablesAnswers", "IDQuestion", "Questions", "IDQuestion"},
    {"CompiledTablesStartPhase", "IDCompiledTable", "CompiledTables", "IDCompiledTable"},
};

int CountOf(TNyConnection& connection, const QString& sql)
{
    TNyQuery count(connection, sql);
    return count.Next() ? count.Integer(0) : 0;
}

QString SchoolName(TNyConnection& connection)
{
    TNyQuery school(connection, QStringLiteral("SELECT School FROM Application"));
    return school.Next() ? school.Text(0) : QString();
}

QVariant ValueOf(const TNyQuery& row, int column, QChar kind)
{
    if (row.IsNull(column))
        return QVariant();
    if (kind == QLatin1Char('i'))
        return row.Integer(column);
    if (kind == QLatin1Char('d'))
        return DateTimeToStorageText(row.DateTime(column));
    return row.Text(column);
}

void CopyTable(TNyConnection& source, TNyConnection& target, const TTableLayout& table)
{
    const QString columns = table.columns.join(QStringLiteral(", "));
    QStringList marks;
    for (qsizetype i = 0; i < table.columns.size(); ++i)
        marks << QStringLiteral("?");
    TNyQuery rows(source, QStringLiteral("SELECT %1 FROM %2").arg(columns, table.name));
    TNyCommand insert(target, QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                                  .arg(table.name, columns, marks.join(QStringLiteral(", "))));
    // A thousand rows at a time: a server gets them together instead of a
    // round trip each.
    const size_t width = static_cast<size_t>(table.columns.size());
    std::vector<QVariant> values;
    values.reserve(width * 1000);
    while (rows.Next()) {
        for (int c = 0; c < static_cast<int>(width); ++c)
            values.push_back(ValueOf(rows, c, table.kinds.at(c)));
        if (values.size() >= width * 1000) {
            insert.ExecuteRows(values);
            values.clear();
        }
    }
    insert.ExecuteRows(values);
}

} // namespace

const std::vector<TTableLayout>& ProgramTables()
{
    static const std::vector<TTableLayout> tables = {
        {QStringLiteral("Areas"), {"IDArea", "Description"}, QStringLiteral("it")},
        {QStringLiteral("Phases"), {"IDPhase", "Description", "AgeFromMonths", "AgeToMonths"}, QStringLiteral("itii")},
        {QStringLiteral("Children"), {"IDChild", "Name", "DateOfBirth", "Info"}, QStringLiteral("itdt")},
        {QStringLiteral("Teachers"), {"IDTeacher", "Name", "Info"}, QStringLiteral("itt")},
        {QStringLiteral("Questions"), {"IDQuestion", "QuestionText", "IDArea", "IDPhase", "QuestionOrder"},
         QStringLiteral("itiii")},
        {QStringLiteral("CompiledTables"),
         {"IDCompiledTable", "IDChild", "IDTeacher", "DateTime", "Description", "ChangeCount"},
         QStringLiteral("iiidti")},
        {QStringLiteral("CompiledTablesAnswers"), {"IDCompiledTable", "IDQuestion", "IDAnswer"}, QStringLiteral("iii")},
        {QStringLiteral("CompiledTablesStartPhase"), {"IDCompiledTable", "IDArea", "IDPhase"}, QStringLiteral("iii")},
    };
    return tables;
}

std::map<QString, int> TableRowCounts(TNyConnection& connection)
{
    std::map<QString, int> counts;
    for (const TTableLayout& table : ProgramTables())
        counts[table.name] = CountOf(connection, QStringLiteral("SELECT COUNT(*) FROM %1").arg(table.name));
    return counts;
}

QStringList BrokenReferences(TNyConnection& connection)
{
    QStringList broken;
    for (const TReference& r : kReferences) {
        const int rows = CountOf(connection, QStringLiteral("SELECT COUNT(*) FROM %1 WHERE %2 IS NOT NULL AND NOT EXISTS "
                                                            "(SELECT 1 FROM %3 WHERE %3.%4 = %1.%2)")
                                                 .arg(QLatin1String(r.table), QLatin1String(r.column),
                                                      QLatin1String(r.target), QLatin1String(r.key)));
        if (rows > 0)
            broken << QStringLiteral("%1.%2: righe che rimandano a un record inesistente di %3: %4")
                          .arg(QLatin1String(r.table), QLatin1String(r.column), QLatin1String(r.target))
                          .arg(rows);
    }
    return broken;
}

std::map<QString, int> CopyDatabaseContents(TNyConnection& source, TNyConnection& target)
{
    const int sourceVersion = SchemaVersionOf(source);
    const int targetVersion = SchemaVersionOf(target);
    if (sourceVersion != NewestSchemaVersion() || targetVersion != NewestSchemaVersion())
        throw Exception(QStringLiteral("le due basi di dati devono avere la versione dei dati %1 di questo programma "
                                       "(l'origine ha la %2, la destinazione la %3): aprire prima l'origine con il "
                                       "programma.")
                            .arg(NewestSchemaVersion())
                            .arg(sourceVersion)
                            .arg(targetVersion));
    for (const auto& [table, rows] : TableRowCounts(target)) {
        if (rows > 0)
            throw Exception(QStringLiteral("la destinazione non \u00e8 vuota (%1 contiene %2 righe): nulla \u00e8 "
                                           "stato copiato.")
                                .arg(table)
                                .arg(rows));
    }
    TNyTransaction transaction(target);
    TNyCommand(target, QStringLiteral("UPDATE Application SET School = ?")).Execute({SchoolName(source)});
    // Keys are written as they were; the next new row's key still follows the
    // highest one, on the file by the engine, on a server by the schema.
    for (const TTableLayout& table : ProgramTables())
        CopyTable(source, target, table);
    const std::map<QString, int> copied = TableRowCounts(target);
    if (copied != TableRowCounts(source))
        throw Exception(QStringLiteral("la copia non contiene tutte le righe dell'origine: nulla \u00e8 stato copiato."));
    transaction.Commit();
    return copied;
}
