#include "ReadableReport.h"

#include "Database.h"

QString ReportAnswerText(std::uint8_t answer)
{
    return answer == AnswerNone ? QStringLiteral("\u2014") : TQuestions::AnswerText(answer);
}

TReadableReport BuildReadableReport(TQuestions& questions, const TCompilationHeader& header)
{
    TReadableReport report;
    report.School = TDatabase::GetInstance()->Lookup(QStringLiteral("SELECT School FROM Application"),
                                                     QStringLiteral("School"));
    report.Header = header;
    report.AgeMonths = AgeInMonths(header.DateOfBirth, header.Date);
    const TScore score = questions.Score();
    const std::optional<TCompilationResult> previous =
        PreviousCompilation(header.IDChild, header.Date, header.IDCompiledTable);
    if (previous) {
        report.PreviousDate = previous->Header.Date;
        report.PreviousTotal = previous->Score.Total;
    }

    for (int a = 0; a < questions.AreaCount(); ++a) {
        if (!score.Areas[a].HasQuestions)
            continue;
        const TArea& source = questions.Areas[a];
        TReportArea area;
        area.Name = source.Description;
        area.Points = score.Areas[a].Points;
        area.Unanswered = score.Areas[a].Unanswered;
        const int startIndex = questions.PhaseIndex(source.StartPhase);
        area.StartPhaseName = startIndex >= 0 ? questions.Phases[startIndex].Description
                                              : QString::number(source.StartPhase);
        if (previous && a < static_cast<int>(previous->Score.Areas.size()))
            area.PreviousPoints = previous->Score.Areas[a].Points;
        // The list runs by area, phase and order: a new phase opens a section.
        for (const TQuestion& question : questions.QuestionList) {
            if (question.IDArea != source.IDArea)
                continue;
            const bool achieved = question.IDPhase < source.StartPhase;
            if (area.Phases.empty() || area.Phases.back().IDPhase != question.IDPhase) {
                TReportPhase phase;
                phase.IDPhase = question.IDPhase;
                phase.Name = questions.Phases[questions.PhaseIndex(question.IDPhase)].Description;
                phase.Achieved = achieved;
                area.Phases.push_back(std::move(phase));
                ++area.MostPoints;
            }
            area.Phases.back().Questions.push_back({question.QuestionText, ReportAnswerText(question.Answer)});
            if (achieved)
                continue;
            switch (question.Answer) {
            case AnswerYes:
                ++area.Yes;
                break;
            case AnswerSometimes:
                ++area.Sometimes;
                break;
            case AnswerNo:
                ++area.No;
                break;
            case AnswerDontKnow:
                ++area.DontKnow;
                break;
            default:
                break;
            }
        }
        report.MostTotal += area.MostPoints;
        report.Areas.push_back(std::move(area));
    }
    report.Total = score.Total;
    return report;
}

TReadableReport LoadReadableReport(int idCompiledTable)
{
    const TCompilationHeader header = LoadCompilationHeader(idCompiledTable);
    TQuestions questions;
    questions.Load();
    questions.LoadAnswers(idCompiledTable);
    questions.LoadStartPhases(idCompiledTable);
    return BuildReadableReport(questions, header);
}
