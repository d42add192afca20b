#include "ExampleQuestionnaire.h"

#include "Database.h"
#include "NyCommand.h"

void SetExamplePhaseAgeRanges(TDatabase& database)
{
    // Whole months, both ends included: "1-2 anni" runs from the first
    // birthday to the day before the second.
    const struct {
        int phase;
        const char16_t* description;
        int from, to;
    } ranges[] = {
        {1, u"0\u201312 mesi", 0, 11},
        {2, u"1\u20132 anni", 12, 23},
        {3, u"2\u20133 anni", 24, 35},
        {4, u"3\u20134 anni", 36, 47},
        {5, u"4\u20136 anni", 48, 71},
    };
    TNyCommand update(database.Connection(), QStringLiteral("UPDATE Phases SET AgeFromMonths = ?, AgeToMonths = ? "
                                                            "WHERE IDPhase = ? AND Description = ?"));
    for (const auto& range : ranges)
        update.Execute({range.from, range.to, range.phase, QString::fromUtf16(range.description)});
}
