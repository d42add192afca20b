// The start phase a new compilation proposes from the child's age: a phase
// may say for which ages in months it is meant ("da 12 a 23 mesi"), and the
// phase whose range holds the child's age at the observation date is where
// the observation begins.
#pragma once

#include <QDate>
#include <optional>
#include <vector>

// The ages in months a phase is meant for. Either bound may be missing: a
// range with only "from" holds every later age, one with only "to" every
// earlier age; a phase with neither has no range and is never proposed.
struct TPhaseAgeRange {
    int IDPhase = 0;
    std::optional<int> FromMonths;
    std::optional<int> ToMonths;

    bool HasRange() const { return FromMonths.has_value() || ToMonths.has_value(); }
    // Both bounds count as inside.
    bool Holds(int ageInMonths) const;
};

// The whole months from birth to the date: on the day the month comes round
// again (or on the month's last day, when it is shorter than the day of
// birth) one more counts. Nothing for a date before the birth or an invalid
// date.
std::optional<int> AgeInMonths(const QDate& birth, const QDate& at);

// The phase whose range holds the age, nothing when none does. Where ranges
// overlap, the first phase in questionnaire order (the lowest number) wins:
// its questions are then asked rather than counted as achieved.
std::optional<int> PhaseForAge(const std::vector<TPhaseAgeRange>& phases, int ageInMonths);

// One proposal per area, in the order of the areas given. Phases are shared
// by every area, so each area gets the same phase; nothing at all without an
// age.
std::vector<std::optional<int>> ProposeStartPhases(std::size_t areaCount, const std::vector<TPhaseAgeRange>& phases,
                                                   std::optional<int> ageInMonths);
