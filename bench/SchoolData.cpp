#include "SchoolData.h"

#include <QString>

int CellOf(int q)
{
    return q * kAreas * kPhases / kQuestions;
}

void WriteQuestionnaire(TSchoolWriter& writer, const char* textPattern)
{
    writer.Table("Areas", {"IDArea", "Description"});
    for (int a = 1; a <= kAreas; ++a)
        writer.Row({a, QStringLiteral("Area %1").arg(a).toUtf8()});
    writer.Table("Phases", {"IDPhase", "Description"});
    for (int p = 1; p <= kPhases; ++p)
        writer.Row({p, QStringLiteral("Fase %1").arg(p).toUtf8()});
    writer.Table("Questions", {"IDQuestion", "QuestionText", "IDArea", "IDPhase", "QuestionOrder"});
    const QString pattern = QString::fromUtf8(textPattern);
    int order = 0;
    for (int q = 0; q < kQuestions; ++q) {
        const int cell = CellOf(q);
        order = (q > 0 && CellOf(q - 1) == cell) ? order + 1 : 1;
        writer.Row({q + 1, pattern.arg(q + 1).toUtf8(), cell / kPhases + 1, cell % kPhases + 1, order});
    }
}

void WriteSchool(TSchoolWriter& writer, int compilations)
{
    WriteQuestionnaire(writer, "Domanda %1: sa fare una cosa descritta con un testo lungo quanto una vera domanda");
    writer.Table("Children", {"IDChild", "Name", "DateOfBirth", "Info"});
    for (int c = 1; c <= kChildren; ++c)
        writer.Row({c, QStringLiteral("Bambino %1").arg(c, 3, 10, QLatin1Char('0')).toUtf8(),
                    QByteArray("2021-03-01 00:00:00"), QByteArray("")});
    writer.Table("Teachers", {"IDTeacher", "Name", "Info"});
    for (int t = 1; t <= kTeachers; ++t)
        writer.Row({t, QStringLiteral("Educatrice %1").arg(t, 2, 10, QLatin1Char('0')).toUtf8(), QByteArray("")});
    writer.Table("CompiledTables", {"IDCompiledTable", "IDChild", "IDTeacher", "DateTime", "Description"});
    for (int k = 1; k <= compilations; ++k) {
        const QByteArray date = QStringLiteral("20%1-%2-%3 00:00:00")
                                    .arg(24 + k % 3)
                                    .arg(1 + k % 12, 2, 10, QLatin1Char('0'))
                                    .arg(1 + k % 28, 2, 10, QLatin1Char('0'))
                                    .toUtf8();
        writer.Row({k, (k - 1) % kChildren + 1, (k - 1) % kTeachers + 1, date,
                    QStringLiteral("Osservazione %1").arg(k).toUtf8()});
    }
    writer.Table("CompiledTablesAnswers", {"IDCompiledTable", "IDQuestion", "IDAnswer"});
    for (int k = 1; k <= compilations; ++k)
        for (int q = 1; q <= kQuestions; ++q)
            writer.Row({k, q, (k * 7 + q) % 5 - 1});
    writer.Table("CompiledTablesStartPhase", {"IDCompiledTable", "IDArea", "IDPhase"});
    for (int k = 1; k <= compilations; ++k)
        for (int a = 1; a <= kAreas; ++a)
            writer.Row({k, a, 1 + (k + a) % 3});
    writer.Finish();
}
