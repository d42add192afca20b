// What the readable report of one compilation ("Relazione") says, worked
// out from the questionnaire in memory: the header, each area's result with
// its answers counted, every question with its answer, and the previous
// compilation's points for comparison. The PDF writer only lays it out.
#pragma once

#include "Questions.h"
#include "StoredScores.h"

#include <QString>
#include <optional>
#include <vector>

struct TReportQuestion {
    QString Text;
    QString Answer; // "Sì", "A volte", "No", "Non so", "—" for none
};

struct TReportPhase {
    int IDPhase = 0;
    QString Name;
    // A phase before the area's start phase: its questions count as achieved.
    bool Achieved = false;
    std::vector<TReportQuestion> Questions;
};

struct TReportArea {
    QString Name;
    double Points = 0.0;
    int MostPoints = 0; // one per phase holding questions of the area
    QString StartPhaseName;
    int Yes = 0, Sometimes = 0, No = 0, DontKnow = 0, Unanswered = 0; // from the start phase on
    std::optional<double> PreviousPoints;
    std::vector<TReportPhase> Phases; // those holding questions of the area
};

struct TReadableReport {
    QString School;
    TCompilationHeader Header;
    int AgeMonths = -1;
    std::vector<TReportArea> Areas; // the areas holding questions
    double Total = 0.0;
    int MostTotal = 0;
    // The previous compilation of the child, when there is one.
    std::optional<TDateTime> PreviousDate;
    std::optional<double> PreviousTotal;
};

// The answer as the report writes it.
QString ReportAnswerText(std::uint8_t answer);

// Scores questions (the editor's state or a stored compilation) and builds
// the report; reads the institute's name and the child's previous
// compilation. Raises the data-access exception.
TReadableReport BuildReadableReport(TQuestions& questions, const TCompilationHeader& header);
// The report of a stored compilation; raises Exception for an unknown key.
TReadableReport LoadReadableReport(int idCompiledTable);
