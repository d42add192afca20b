// What the crash worker writes and the crash tests check. Every write of the
// worker leaves a state that says by itself which run wrote it: the answers
// and start phases of a compilation follow from the number in its
// description, so a compilation saved half by one run and half by another
// cannot pass for a whole one.
#pragma once

#include <QRegularExpression>
#include <QString>

namespace CrashPlan {

// The questionnaire of the crash databases: 2 areas of 5 phases with 5
// questions in each cell.
constexpr int AreaCount = 2;
constexpr int PhaseCount = 5;
constexpr int QuestionsPerCell = 5;

// The question files the import alternates between, beside the database.
inline QString QuestionFileA() { return QStringLiteral("domande-a.txt"); }
inline QString QuestionFileB() { return QStringLiteral("domande-b.txt"); }

// The password the password change alternates with the built-in one, the
// folder beside the database the backups go to and the copy restored from
// there (a copy of the database as it was at the start).
inline QString SchoolPassword() { return QStringLiteral("crash-password-1"); }
inline QString CopiesFolder() { return QStringLiteral("copie"); }
inline QString RestoredCopy() { return QStringLiteral("ripristino.mdb"); }

// Saving: run k of the editor writes "Salvataggio k" with these answers and
// start phases.
inline QString SavedDescription(int run) { return QStringLiteral("Salvataggio %1").arg(run); }
inline int AnswerOf(int run, int idQuestion) { return (run + idQuestion) % 4; }
inline int StartPhaseOf(int run) { return 1 + run % PhaseCount; }

// Duplicating: the compilation copied over and over, written as run
// OriginRun, and the description every copy gets.
constexpr int OriginRun = 2;
inline QString OriginDescription() { return QStringLiteral("Origine"); }
inline QString CopyDescription() { return QStringLiteral("Copia di Origine"); }

// The run whose pattern a compilation with this description must hold; -1
// for a description no run writes.
inline int RunOf(const QString& description)
{
    if (description == OriginDescription() || description == CopyDescription())
        return OriginRun;
    static const QRegularExpression saved(QStringLiteral("^Salvataggio (\\d+)$"));
    const QRegularExpressionMatch match = saved.match(description);
    return match.hasMatch() ? match.captured(1).toInt() : -1;
}

// The worker writes this line to its standard error right before and right
// after each run of its action, in one write each.
inline const char* BeginMark() { return "crash-worker: begin\n"; }
inline const char* EndMark() { return "crash-worker: end\n"; }

} // namespace CrashPlan
