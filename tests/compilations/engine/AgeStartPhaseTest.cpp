// The start phase proposed from the child's age: whole months from birth to
// the observation, and the phase whose range holds them, edges included.
#include "AgeStartPhase.h"

#include <gtest/gtest.h>

namespace {

TEST(AgeInMonths, CountsWholeMonthsEvenAtTheEndOfShortMonths)
{
    const struct {
        const char *birth, *at;
        std::optional<int> months;
    } cases[] = {
        {"2022-03-12", "2022-03-12", 0},
        {"2022-03-12", "2022-04-11", 0},
        {"2022-03-12", "2022-04-12", 1},
        {"2022-03-12", "2024-03-11", 23},
        {"2022-03-12", "2024-03-12", 24},
        // Born on the 31st: a month older on the last day of a shorter month.
        {"2023-01-31", "2023-02-27", 0},
        {"2023-01-31", "2023-02-28", 1},
        {"2023-01-31", "2023-03-30", 1},
        {"2023-01-31", "2023-03-31", 2},
        {"2020-02-29", "2021-02-28", 12},
        {"2022-03-12", "2022-03-11", std::nullopt},
        {"", "2022-03-11", std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.birth) + " to " + c.at);
        EXPECT_EQ(AgeInMonths(QDate::fromString(QString::fromLatin1(c.birth), Qt::ISODate),
                              QDate::fromString(QString::fromLatin1(c.at), Qt::ISODate)),
                  c.months);
    }
}

TEST(PhaseForAge, RangeEdgesBelongToThePhase)
{
    // Phase 4 overlaps phase 3 from 30 to 35; phase 6 has no range; phase 7
    // is open above.
    const std::vector<TPhaseAgeRange> phases = {
        {1, 0, 11}, {2, 12, 23}, {3, 24, 35}, {4, 30, 47}, {6, std::nullopt, std::nullopt}, {7, 60, std::nullopt},
    };
    const struct {
        int age;
        std::optional<int> phase;
    } cases[] = {
        {0, 1}, {11, 1}, {12, 2}, {23, 2}, {24, 3}, {29, 3},
        {30, 3}, {35, 3}, // the overlap goes to the earlier phase
        {36, 4}, {47, 4}, {48, std::nullopt}, {59, std::nullopt}, {60, 7}, {600, 7},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.age);
        EXPECT_EQ(PhaseForAge(phases, c.age), c.phase);
    }
    // Listed out of order, the earlier phase still wins the overlap.
    EXPECT_EQ(PhaseForAge({{4, 30, 47}, {3, 24, 35}}, 32), 3);
    // Only an upper bound: every age up to it.
    EXPECT_EQ(PhaseForAge({{2, std::nullopt, 5}}, 0), 2);
}

TEST(ProposeStartPhases, OnePerAreaAndNothingWithoutRangesOrAge)
{
    const std::vector<TPhaseAgeRange> ranged = {{1, 0, 11}, {2, 12, 23}};
    using Proposal = std::vector<std::optional<int>>;
    EXPECT_EQ(ProposeStartPhases(3, ranged, 12), (Proposal{2, 2, 2}));
    EXPECT_EQ(ProposeStartPhases(2, ranged, 24), (Proposal{std::nullopt, std::nullopt}));
    EXPECT_EQ(ProposeStartPhases(2, ranged, std::nullopt), (Proposal{std::nullopt, std::nullopt}));
    EXPECT_EQ(ProposeStartPhases(2, {{1, std::nullopt, std::nullopt}, {2, std::nullopt, std::nullopt}}, 12),
              (Proposal{std::nullopt, std::nullopt}));
}

} // namespace
