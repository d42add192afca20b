// The scores of stored compilations, many at a time and without an editor:
// one pass over their answers and start phases fills the questionnaire with
// each compilation in turn and scores it with the engine's one scoring, so
// the numbers are the editor's. The progress window, the readable report's
// comparison with the previous compilation and the school's data export
// read their scores from here.
#pragma once

#include "DateTime.h"
#include "Questions.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <vector>

// What the list of compilations shows of one, with its child's birth date.
struct TCompilationHeader {
    int IDCompiledTable = -1;
    int IDChild = 0;
    int IDTeacher = 0;
    TDateTime Date = 0.0;
    QString ChildName;
    TDateTime DateOfBirth = 0.0; // 0 when the child has none
    QString TeacherName;
    QString Description;
};

// One scored compilation.
struct TCompilationResult {
    TCompilationHeader Header;
    int AgeMonths = -1; // at the observation; -1 when it cannot be told
    TScore Score;
};

// Raises Exception for a key no compilation has.
TCompilationHeader LoadCompilationHeader(int idCompiledTable);
// The headers of the compilations matching condition (an SQL condition on
// CompiledTables; empty for all), in no particular order.
std::vector<TCompilationHeader> LoadCompilationHeaders(const QString& condition);

// For every compilation matching condition (an SQL condition on
// CompiledTables; empty for all), in key order, puts its stored answers and
// start phases into questionnaire (loaded with Load(); what a compilation has
// no row for reads as unanswered or as start phase 1, as in the editor) and
// calls visit with its key and, per question of QuestionList, whether a row
// is stored for it. Raises the data-access exception.
void ForEachStoredCompilation(TQuestions& questionnaire, const QString& condition,
                              const std::function<void(int idCompiledTable, const std::vector<bool>& stored)>& visit);

// The child's compilations in date order (then key order), scored.
struct TChildProgress {
    int IDChild = 0;
    QString ChildName;
    TDateTime DateOfBirth = 0.0;
    QStringList AreaNames; // same index as TScore::Areas
    std::vector<bool> AreaHasQuestions;
    std::vector<TCompilationResult> Compilations;
};
TChildProgress LoadChildProgress(int idChild);

// The child's last compilation before the one at date with key
// idCompiledTable (-1 for one not yet stored): an earlier date, or the same
// date and a smaller key. Nothing when there is none.
std::optional<TCompilationResult> PreviousCompilation(int idChild, TDateTime date, int idCompiledTable);

// Whole months from the date of birth to the date; -1 without a date of
// birth (0) or for a date before it.
int AgeInMonths(TDateTime dateOfBirth, TDateTime date);
// "3 a 4 m" (years and months); empty for -1.
QString AgeText(int months);
// The change from the previous compilation as it reads in the progress
// table: "▲ +0,50", "▼ −0,25", "=" when it rounds to no change; the sign
// is shown by the arrow and the sign, so colour is not needed.
QString DifferenceText(double difference);
// +1, -1 or 0 as DifferenceText shows it.
int DifferenceDirection(double difference);
