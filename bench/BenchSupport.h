// What the timing programs share: a timer of repeated steps and a database
// holding a 1000-question questionnaire (10 areas, 10 phases, 10 questions a
// cell) with one child, one educator and one compilation (key 1).
#pragma once

#include "Database.h"
#include "NyTransaction.h"

#include <QElapsedTimer>
#include <QString>
#include <algorithm>
#include <functional>
#include <vector>

struct Timing {
    double median = 0.0;  // milliseconds
    double slowest = 0.0; // milliseconds
};

inline Timing Measure(int runs, const std::function<void()>& step)
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        step();
        times.push_back(timer.nsecsElapsed() / 1e6);
    }
    std::sort(times.begin(), times.end());
    return {times[times.size() / 2], times.back()};
}

inline void FillLargeQuestionnaire(TDatabase& db)
{
    TNyTransaction transaction(db.Connection());
    db.Execute(QStringLiteral("INSERT INTO Children(Name) VALUES('Bambino')"));
    db.Execute(QStringLiteral("INSERT INTO Teachers(Name) VALUES('Educatrice')"));
    for (int a = 1; a <= 10; ++a)
        db.Execute(QStringLiteral("INSERT INTO Areas(IDArea, Description) VALUES(%1, 'Area %1')").arg(a));
    for (int p = 1; p <= 10; ++p)
        db.Execute(QStringLiteral("INSERT INTO Phases(IDPhase, Description) VALUES(%1, 'Fase %1')").arg(p));
    for (int a = 1; a <= 10; ++a)
        for (int p = 1; p <= 10; ++p)
            for (int q = 1; q <= 10; ++q)
                db.Execute(QStringLiteral("INSERT INTO Questions(QuestionText, IDArea, IDPhase, QuestionOrder) "
                                          "VALUES('Domanda %1.%2.%3 con un testo lungo quanto una vera domanda', "
                                          "%1, %2, %3)")
                               .arg(a)
                               .arg(p)
                               .arg(q));
    db.Execute(QStringLiteral("INSERT INTO CompiledTables(IDChild, IDTeacher, DateTime, Description) "
                              "VALUES(1, 1, '2026-12-01 00:00:00', 'Prova')"));
    transaction.Commit();
}
