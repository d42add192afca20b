#include "Questions.h"

#include "Database.h"
#include "NyCommand.h"
#include "NyQuery.h"
#include "NyTransaction.h"

#include <algorithm>
#include <optional>
#include <utility>

namespace {

// The questionnaire as last read, with the mark of the data it was read
// from: opening the editor again shows it without reading a thousand
// questions again, as long as nothing has been written since.
struct TKeptQuestionnaire {
    TDataMark mark;
    std::vector<TArea> areas;
    std::vector<TPhase> phases;
    std::vector<TQuestion> questions;
};

std::optional<TKeptQuestionnaire>& KeptQuestionnaire()
{
    static std::optional<TKeptQuestionnaire> kept;
    return kept;
}

std::optional<TDataMark> CurrentDataMark(TNyConnection& connection)
{
    return connection.IsOpen() ? connection.Engine()->DataMark() : std::nullopt;
}

} // namespace

void TQuestions::Load()
{
    IDCompiledTable = -1;
    UnansweredCount = -1;
    CurrentQuestion = 0;
    CurrentArea = 0;
    QuestionList.clear();
    Areas.clear();
    Phases.clear();

    TNyConnection& connection = TDatabase::GetInstance()->Connection();
    // Stale questions shown to a teacher would be scored and saved as the
    // compilation's: the kept copy serves only when the engine can tell for
    // certain that nothing has been written since it was read (never on a
    // server, where others change the questionnaire unseen).
    const std::optional<TDataMark> before = CurrentDataMark(connection);
    std::optional<TKeptQuestionnaire>& kept = KeptQuestionnaire();
    if (before && kept && kept->mark == *before) {
        Areas = kept->areas;
        Phases = kept->phases;
        QuestionList = kept->questions;
        return;
    }
    kept.reset();

    // Read front to back, column by column.
    {
        TNyQuery query(connection, QStringLiteral("SELECT IDArea, Description FROM Areas ORDER BY IDArea"));
        while (query.Next()) {
            TArea area;
            area.IDArea = query.Integer(0);
            area.Description = query.Text(1);
            area.StartPhase = 1;
            Areas.push_back(area);
        }
    }
    {
        TNyQuery query(connection, QStringLiteral("SELECT IDPhase, Description FROM Phases ORDER BY IDPhase"));
        while (query.Next()) {
            TPhase phase;
            phase.IDPhase = query.Integer(0);
            phase.Description = query.Text(1);
            phase.AreaPoints.assign(Areas.size(), 0.0);
            Phases.push_back(std::move(phase));
        }
    }
    {
        TNyQuery query(connection, QStringLiteral("SELECT IDQuestion, QuestionText, IDArea, IDPhase, QuestionOrder "
                                                  "FROM Questions ORDER BY IDArea, IDPhase, QuestionOrder"));
        while (query.Next()) {
            TQuestion question;
            question.IDQuestion = query.Integer(0);
            question.QuestionText = query.Text(1);
            question.IDArea = query.Integer(2);
            question.IDPhase = query.Integer(3);
            question.QuestionOrder = query.Integer(4);
            question.Answer = AnswerNone;
            // A question outside the loaded grid could be neither shown nor
            // scored; the database's keys keep this from happening.
            if (AreaIndex(question.IDArea) >= 0 && PhaseIndex(question.IDPhase) >= 0)
                QuestionList.push_back(std::move(question));
        }
    }
    // Kept only when no other connection committed while the three tables
    // were read: then they are one state of the questionnaire.
    if (before && CurrentDataMark(connection) == before)
        kept = TKeptQuestionnaire{*before, Areas, Phases, QuestionList};
}

void TQuestions::LoadAnswers(int idCompiledTable)
{
    IDCompiledTable = idCompiledTable;
    // The list is in questionnaire order, the answers come in key order:
    // the questions sorted by key once, each answer finds its question
    // further along them, not by a walk of the list.
    std::vector<std::pair<int, std::size_t>> byKey;
    byKey.reserve(QuestionList.size());
    for (std::size_t i = 0; i < QuestionList.size(); ++i)
        byKey.emplace_back(QuestionList[i].IDQuestion, i);
    std::sort(byKey.begin(), byKey.end());
    auto next = byKey.cbegin();
    int previous = 0;
    TNyQuery query(TDatabase::GetInstance()->Connection(),
                   QStringLiteral("SELECT IDQuestion, IDAnswer FROM CompiledTablesAnswers WHERE IDCompiledTable=? "
                                  "ORDER BY IDQuestion"),
                   {idCompiledTable});
    while (query.Next()) {
        const int idQuestion = query.Integer(0);
        // An empty value would read as 0, which is "Sì": a row without an
        // answer must not credit the child with one. A code the program never
        // writes shows as "---" and so must also score as no answer, not
        // count like a "No".
        const bool missing = query.IsEmpty(1);
        const std::uint8_t answer = StoredAnswer(missing, missing ? -1 : query.Integer(1));
        // Keys out of order (stored as text by another program) search
        // from the start again.
        if (idQuestion < previous)
            next = byKey.cbegin();
        previous = idQuestion;
        next = std::lower_bound(next, byKey.cend(), std::pair<int, std::size_t>(idQuestion, 0));
        if (next != byKey.cend() && next->first == idQuestion)
            QuestionList[next->second].Answer = answer;
    }
}

void TQuestions::LoadStartPhases(int idCompiledTable)
{
    IDCompiledTable = idCompiledTable;
    TNyQuery query(TDatabase::GetInstance()->Connection(),
                   QStringLiteral("SELECT IDArea, IDPhase FROM CompiledTablesStartPhase WHERE IDCompiledTable=? "
                                  "ORDER BY IDArea"),
                   {idCompiledTable});
    while (query.Next()) {
        const int index = AreaIndex(query.Integer(0));
        if (index >= 0)
            Areas[index].StartPhase = query.Integer(1);
    }
}

QString TQuestions::AnswerText(std::uint8_t code)
{
    switch (code) {
    case AnswerYes:
        return QStringLiteral("S\u00ec");
    case AnswerSometimes:
        return QStringLiteral("A volte");
    case AnswerNo:
        return QStringLiteral("No");
    case AnswerDontKnow:
        return QStringLiteral("Non so");
    default:
        return QStringLiteral("---");
    }
}

double TQuestions::AnswerValue(std::uint8_t code)
{
    switch (code) {
    case AnswerYes:
        return 1.0;
    case AnswerSometimes:
        return 0.5;
    default:
        return 0.0;
    }
}

std::uint8_t TQuestions::StoredAnswer(bool missing, int stored)
{
    if (missing || stored < AnswerYes || stored > AnswerDontKnow)
        return AnswerNone;
    return static_cast<std::uint8_t>(stored);
}

int TQuestions::AreaIndex(int idArea) const
{
    for (size_t i = 0; i < Areas.size(); ++i) {
        if (Areas[i].IDArea == idArea)
            return static_cast<int>(i);
    }
    return -1;
}

int TQuestions::PhaseIndex(int idPhase) const
{
    for (size_t i = 0; i < Phases.size(); ++i) {
        if (Phases[i].IDPhase == idPhase)
            return static_cast<int>(i);
    }
    return -1;
}

bool TQuestions::IsActive(int questionIndex) const
{
    if (questionIndex < 0 || questionIndex >= QuestionCount())
        return false;
    const TQuestion& question = QuestionList[questionIndex];
    const int area = AreaIndex(question.IDArea);
    return area >= 0 && question.IDPhase >= Areas[area].StartPhase;
}

void TQuestions::SetCurrentQuestion(int index)
{
    CurrentQuestion = index;
    if (index >= 0 && index < QuestionCount())
        CurrentArea = AreaIndex(QuestionList[index].IDArea);
}

void TQuestions::SetAnswer(int index, std::uint8_t code)
{
    if (index >= 0 && index < QuestionCount())
        QuestionList[index].Answer = code <= AnswerDontKnow ? code : std::uint8_t{AnswerNone};
}

void TQuestions::SetStartPhase(int idPhase, bool allAreas)
{
    if (allAreas) {
        for (TArea& area : Areas)
            area.StartPhase = idPhase;
    } else if (CurrentArea >= 0 && CurrentArea < AreaCount()) {
        Areas[CurrentArea].StartPhase = idPhase;
    }
}

int TQuestions::GetStartPhase() const
{
    if (CurrentArea < 0 || CurrentArea >= AreaCount())
        return -1;
    return Areas[CurrentArea].StartPhase;
}

int TQuestions::FindActiveQuestion(int start, FindMode mode) const
{
    const int from = mode == FindMode::First ? 0 : start + 1;
    for (int i = std::max(from, 0); i < QuestionCount(); ++i) {
        if (IsActive(i))
            return i;
    }
    return -1;
}

int TQuestions::SelectArea(int areaIndex)
{
    if (areaIndex == 0) {
        CurrentQuestion = FindActiveQuestion(0, FindMode::First);
        return CurrentQuestion;
    }
    for (int k = 0; k < QuestionCount(); ++k) {
        if (AreaIndex(QuestionList[k].IDArea) == areaIndex) {
            CurrentQuestion = FindActiveQuestion(k - 1, FindMode::Next);
            break;
        }
    }
    return CurrentQuestion;
}

TScore TQuestions::Score()
{
    TScore score;
    score.Areas.resize(Areas.size());
    for (size_t i = 0; i < Areas.size(); ++i)
        score.Areas[i].StartPhase = Areas[i].StartPhase;
    // A cell without questions holds no value of an earlier scoring.
    for (TPhase& phase : Phases)
        std::fill(phase.AreaPoints.begin(), phase.AreaPoints.end(), 0.0);

    // The list is ordered by area, phase and order: each run of one area and
    // one phase is a cell.
    int areaNumber = -1;
    int areaIndex = -1;
    int phaseNumber = -1;
    int phaseIndex = -1;
    double cellSum = 0.0;
    int cellCount = 0;
    double areaPoints = 0.0;
    int areaUnanswered = 0;

    auto closeCell = [&]() {
        const double value = cellCount > 0 ? cellSum / cellCount : 0.0;
        areaPoints += value;
        if (areaNumber != -1 && areaIndex >= 0 && phaseIndex >= 0
            && areaIndex < static_cast<int>(Phases[phaseIndex].AreaPoints.size()))
            Phases[phaseIndex].AreaPoints[areaIndex] = value;
        cellSum = 0.0;
        cellCount = 0;
    };
    auto closeArea = [&]() {
        if (areaIndex >= 0) {
            TAreaScore& area = score.Areas[areaIndex];
            area.Points = areaPoints;
            area.Unanswered = areaUnanswered;
            area.HasQuestions = true;
        }
        score.Unanswered += areaUnanswered;
        score.Total += areaPoints;
    };

    for (const TQuestion& question : QuestionList) {
        bool closed = false;
        if (question.IDPhase != phaseNumber) {
            closeCell();
            closed = true;
            phaseNumber = question.IDPhase;
            phaseIndex = PhaseIndex(phaseNumber);
        }
        if (question.IDArea != areaNumber) {
            if (areaNumber != -1) {
                if (!closed)
                    closeCell();
                closeArea();
            }
            areaNumber = question.IDArea;
            areaIndex = AreaIndex(areaNumber);
            areaPoints = 0.0;
            areaUnanswered = 0;
        }
        const int startPhase = areaIndex >= 0 ? Areas[areaIndex].StartPhase : 1;
        if (question.IDPhase < startPhase) {
            cellSum += 1.0;
            cellCount += 1;
        } else {
            cellSum += AnswerValue(question.Answer);
            if (question.Answer == AnswerNone)
                areaUnanswered += 1;
            else if (question.Answer != AnswerDontKnow)
                cellCount += 1;
        }
    }
    closeCell();
    if (areaNumber != -1)
        closeArea();

    UnansweredCount = score.Unanswered;
    return score;
}

int TQuestions::SaveStartPhases(int idCompiledTable)
{
    TDatabase* database = TDatabase::GetInstance();
    const QString key = QString::number(idCompiledTable);
    database->Execute(QStringLiteral("DELETE * FROM CompiledTablesStartPhase WHERE IDCompiledTable=") + key);
    TNyCommand insert(database->Connection(),
                      QStringLiteral("INSERT INTO CompiledTablesStartPhase(IDCompiledTable, IDArea, IDPhase) "
                                     "VALUES(?, ?, ?)"));
    std::vector<QVariant> rows;
    rows.reserve(Areas.size() * 3);
    for (const TArea& area : Areas)
        rows.insert(rows.end(), {idCompiledTable, area.IDArea, area.StartPhase});
    insert.ExecuteRows(rows);
    return AreaCount();
}

int TQuestions::SaveAnswers(int idCompiledTable)
{
    TDatabase* database = TDatabase::GetInstance();
    const QString key = QString::number(idCompiledTable);
    database->Execute(QStringLiteral("DELETE * FROM CompiledTablesAnswers WHERE IDCompiledTable=") + key);
    // One statement for all the rows, bound again for each; a server gets
    // the rows a few hundred at a time instead of one round trip each.
    TNyCommand insert(database->Connection(),
                      QStringLiteral("INSERT INTO CompiledTablesAnswers(IDCompiledTable, IDQuestion, IDAnswer) "
                                     "VALUES(?, ?, ?)"));
    std::vector<QVariant> rows;
    rows.reserve(QuestionList.size() * 3);
    for (const TQuestion& question : QuestionList) {
        // No answer (255) is stored as the byte read as signed: -1.
        const int stored = static_cast<std::int8_t>(question.Answer);
        rows.insert(rows.end(), {idCompiledTable, question.IDQuestion, stored});
    }
    insert.ExecuteRows(rows);
    return QuestionCount();
}

void TQuestions::CopyStartPhasesAndAnswers(int source, int copy)
{
    // Copied by the engine, row for row: the copy holds what the source
    // holds, without a thousand answers read into the program and written
    // back one by one.
    TNyConnection& connection = TDatabase::GetInstance()->Connection();
    TNyCommand(connection, QStringLiteral("INSERT INTO CompiledTablesStartPhase(IDCompiledTable, IDArea, IDPhase) "
                                          "SELECT ?, IDArea, IDPhase FROM CompiledTablesStartPhase "
                                          "WHERE IDCompiledTable = ?"))
        .Execute({copy, source});
    TNyCommand(connection, QStringLiteral("INSERT INTO CompiledTablesAnswers(IDCompiledTable, IDQuestion, IDAnswer) "
                                          "SELECT ?, IDQuestion, IDAnswer FROM CompiledTablesAnswers "
                                          "WHERE IDCompiledTable = ?"))
        .Execute({copy, source});
}

void TQuestions::SaveStartPhasesAndAnswers(int idCompiledTable)
{
    TNyTransaction transaction(TDatabase::GetInstance()->Connection());
    SaveStartPhases(idCompiledTable);
    SaveAnswers(idCompiledTable);
    transaction.Commit();
}
