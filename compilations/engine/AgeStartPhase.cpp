#include "AgeStartPhase.h"

bool TPhaseAgeRange::Holds(int ageInMonths) const
{
    if (!HasRange())
        return false;
    return (!FromMonths || ageInMonths >= *FromMonths) && (!ToMonths || ageInMonths <= *ToMonths);
}

std::optional<int> AgeInMonths(const QDate& birth, const QDate& at)
{
    if (!birth.isValid() || !at.isValid() || at < birth)
        return std::nullopt;
    int months = (at.year() - birth.year()) * 12 + (at.month() - birth.month());
    // addMonths stops at the month's last day, so a child born on the 31st
    // is a month older on the last day of a shorter month.
    if (birth.addMonths(months) > at)
        --months;
    return months;
}

std::optional<int> PhaseForAge(const std::vector<TPhaseAgeRange>& phases, int ageInMonths)
{
    std::optional<int> found;
    for (const TPhaseAgeRange& phase : phases) {
        if (phase.Holds(ageInMonths) && (!found || phase.IDPhase < *found))
            found = phase.IDPhase;
    }
    return found;
}

std::vector<std::optional<int>> ProposeStartPhases(std::size_t areaCount, const std::vector<TPhaseAgeRange>& phases,
                                                   std::optional<int> ageInMonths)
{
    const std::optional<int> phase = ageInMonths ? PhaseForAge(phases, *ageInMonths) : std::nullopt;
    return std::vector<std::optional<int>>(areaCount, phase);
}
