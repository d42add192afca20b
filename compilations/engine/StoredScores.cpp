#include "StoredScores.h"

#include "Database.h"
#include "Exception.h"
#include "NumberFormat.h"
#include "NyQuery.h"

#include <QDate>
#include <algorithm>
#include <cmath>
#include <unordered_map>

namespace {

QString WhereClause(const QString& condition)
{
    return condition.isEmpty() ? QString() : QStringLiteral(" WHERE ") + condition;
}

const QString kHeaderSelect = QStringLiteral(
    "SELECT CompiledTables.IDCompiledTable, CompiledTables.IDChild, CompiledTables.IDTeacher, "
    "CompiledTables.DateTime, Children.Name, Children.DateOfBirth, Teachers.Name, CompiledTables.Description "
    "FROM CompiledTables INNER JOIN Children ON Children.IDChild = CompiledTables.IDChild "
    "INNER JOIN Teachers ON Teachers.IDTeacher = CompiledTables.IDTeacher");

TCompilationHeader ReadHeader(const TNyQuery& query)
{
    TCompilationHeader header;
    header.IDCompiledTable = query.Integer(0);
    header.IDChild = query.Integer(1);
    header.IDTeacher = query.Integer(2);
    header.Date = query.DateTime(3);
    header.ChildName = query.Text(4);
    header.DateOfBirth = query.DateTime(5);
    header.TeacherName = query.Text(6);
    header.Description = query.Text(7);
    return header;
}

std::vector<TCompilationResult> ScoredCompilations(const QString& condition)
{
    std::vector<TCompilationResult> results;
    std::unordered_map<int, std::size_t> byKey;
    for (TCompilationHeader& header : LoadCompilationHeaders(condition)) {
        TCompilationResult result;
        result.Header = std::move(header);
        result.AgeMonths = AgeInMonths(result.Header.DateOfBirth, result.Header.Date);
        byKey.emplace(result.Header.IDCompiledTable, results.size());
        results.push_back(std::move(result));
    }
    if (results.empty())
        return results;
    TQuestions questionnaire;
    questionnaire.Load();
    ForEachStoredCompilation(questionnaire, condition, [&](int id, const std::vector<bool>&) {
        const auto found = byKey.find(id);
        if (found != byKey.end())
            results[found->second].Score = questionnaire.Score();
    });
    std::sort(results.begin(), results.end(), [](const TCompilationResult& a, const TCompilationResult& b) {
        if (a.Header.Date != b.Header.Date)
            return a.Header.Date < b.Header.Date;
        return a.Header.IDCompiledTable < b.Header.IDCompiledTable;
    });
    return results;
}

} // namespace

std::vector<TCompilationHeader> LoadCompilationHeaders(const QString& condition)
{
    std::vector<TCompilationHeader> headers;
    TNyQuery query(TDatabase::GetInstance()->Connection(), kHeaderSelect + WhereClause(condition));
    while (query.Next())
        headers.push_back(ReadHeader(query));
    return headers;
}

TCompilationHeader LoadCompilationHeader(int idCompiledTable)
{
    TNyQuery query(TDatabase::GetInstance()->Connection(),
                   kHeaderSelect + QStringLiteral(" WHERE CompiledTables.IDCompiledTable=")
                       + QString::number(idCompiledTable));
    if (!query.Next())
        throw Exception(QStringLiteral("No compilation has the key %1.").arg(idCompiledTable));
    return ReadHeader(query);
}

void ForEachStoredCompilation(TQuestions& questionnaire, const QString& condition,
                              const std::function<void(int idCompiledTable, const std::vector<bool>& stored)>& visit)
{
    TNyConnection& connection = TDatabase::GetInstance()->Connection();
    const QString chosen = QStringLiteral(" WHERE IDCompiledTable IN (SELECT IDCompiledTable FROM CompiledTables")
                           + WhereClause(condition) + QStringLiteral(")");
    TNyQuery compilations(connection, QStringLiteral("SELECT IDCompiledTable FROM CompiledTables")
                                          + WhereClause(condition) + QStringLiteral(" ORDER BY IDCompiledTable"));
    TNyQuery startPhases(connection, QStringLiteral("SELECT IDCompiledTable, IDArea, IDPhase FROM "
                                                    "CompiledTablesStartPhase")
                                         + chosen + QStringLiteral(" ORDER BY IDCompiledTable, IDArea"));
    TNyQuery answers(connection, QStringLiteral("SELECT IDCompiledTable, IDQuestion, IDAnswer FROM CompiledTablesAnswers")
                                     + chosen + QStringLiteral(" ORDER BY IDCompiledTable, IDQuestion"));

    std::unordered_map<int, std::size_t> questionIndex;
    questionIndex.reserve(questionnaire.QuestionList.size());
    for (std::size_t i = 0; i < questionnaire.QuestionList.size(); ++i)
        questionIndex.emplace(questionnaire.QuestionList[i].IDQuestion, i);

    std::vector<bool> stored(questionnaire.QuestionList.size(), false);
    bool phaseRow = startPhases.Next();
    bool answerRow = answers.Next();
    while (compilations.Next()) {
        const int id = compilations.Integer(0);
        for (TArea& area : questionnaire.Areas)
            area.StartPhase = 1;
        for (TQuestion& question : questionnaire.QuestionList)
            question.Answer = AnswerNone;
        std::fill(stored.begin(), stored.end(), false);
        // Rows of keys that are not in the list (none, the lists share the
        // condition) are passed over.
        while (phaseRow && startPhases.Integer(0) < id)
            phaseRow = startPhases.Next();
        for (; phaseRow && startPhases.Integer(0) == id; phaseRow = startPhases.Next()) {
            const int index = questionnaire.AreaIndex(startPhases.Integer(1));
            if (index >= 0)
                questionnaire.Areas[index].StartPhase = startPhases.Integer(2);
        }
        while (answerRow && answers.Integer(0) < id)
            answerRow = answers.Next();
        for (; answerRow && answers.Integer(0) == id; answerRow = answers.Next()) {
            const auto found = questionIndex.find(answers.Integer(1));
            if (found == questionIndex.end())
                continue;
            const bool missing = answers.IsEmpty(2);
            questionnaire.QuestionList[found->second].Answer =
                TQuestions::StoredAnswer(missing, missing ? -1 : answers.Integer(2));
            stored[found->second] = true;
        }
        questionnaire.IDCompiledTable = id;
        visit(id, stored);
    }
}

TChildProgress LoadChildProgress(int idChild)
{
    TChildProgress progress;
    progress.IDChild = idChild;
    {
        TNyQuery child(TDatabase::GetInstance()->Connection(),
                       QStringLiteral("SELECT Name, DateOfBirth FROM Children WHERE IDChild=") + QString::number(idChild));
        if (!child.Next())
            throw Exception(QStringLiteral("No child has the key %1.").arg(idChild));
        progress.ChildName = child.Text(0);
        progress.DateOfBirth = child.DateTime(1);
    }
    {
        TNyQuery areas(TDatabase::GetInstance()->Connection(),
                       QStringLiteral("SELECT Description, EXISTS (SELECT 1 FROM Questions WHERE Questions.IDArea = "
                                      "Areas.IDArea) FROM Areas ORDER BY IDArea"));
        while (areas.Next()) {
            progress.AreaNames << areas.Text(0);
            progress.AreaHasQuestions.push_back(areas.Integer(1) != 0);
        }
    }
    progress.Compilations =
        ScoredCompilations(QStringLiteral("CompiledTables.IDChild=") + QString::number(idChild));
    return progress;
}

std::optional<TCompilationResult> PreviousCompilation(int idChild, TDateTime date, int idCompiledTable)
{
    const QString stamp = DateTimeToStorageText(date);
    // Dates are stored as text in one format, so text order is date order.
    const QString condition =
        QStringLiteral("CompiledTables.IDCompiledTable = (SELECT IDCompiledTable FROM CompiledTables WHERE IDChild=%1 "
                       "AND IDCompiledTable<>%2 AND (DateTime<'%3' OR (DateTime='%3' AND (%2<0 OR IDCompiledTable<%2))) "
                       "ORDER BY DateTime DESC, IDCompiledTable DESC LIMIT 1)")
            .arg(idChild)
            .arg(idCompiledTable)
            .arg(stamp);
    std::vector<TCompilationResult> found = ScoredCompilations(condition);
    if (found.empty())
        return std::nullopt;
    return std::move(found.front());
}

int AgeInMonths(TDateTime dateOfBirth, TDateTime date)
{
    if (dateOfBirth == 0.0)
        return -1;
    const QDate birth = QDateTimeFromDateTime(dateOfBirth).date();
    const QDate at = QDateTimeFromDateTime(date).date();
    if (!birth.isValid() || !at.isValid() || at < birth)
        return -1;
    int months = (at.year() - birth.year()) * 12 + (at.month() - birth.month());
    // The month is complete on the day of the birth date, or on the month's
    // last day when it is shorter (born on the 31st).
    if (at.day() < std::min(birth.day(), at.daysInMonth()))
        --months;
    return months;
}

QString AgeText(int months)
{
    if (months < 0)
        return QString();
    return QStringLiteral("%1 a %2 m").arg(months / 12).arg(months % 12);
}

int DifferenceDirection(double difference)
{
    // As shown with two decimals: a change that rounds away is no change.
    const QString shown = FormatPoints(std::fabs(difference));
    const bool zero = std::all_of(shown.begin(), shown.end(), [](QChar c) { return !c.isDigit() || c == u'0'; });
    if (zero)
        return 0;
    return difference > 0 ? 1 : -1;
}

QString DifferenceText(double difference)
{
    switch (DifferenceDirection(difference)) {
    case 1:
        return QStringLiteral("\u25B2 +") + FormatPoints(difference);
    case -1:
        return QStringLiteral("\u25BC \u2212") + FormatPoints(-difference);
    default:
        return QStringLiteral("=");
    }
}
