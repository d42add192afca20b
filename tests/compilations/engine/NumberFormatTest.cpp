#include "NumberFormat.h"
#include "TestText.h"

#include <gtest/gtest.h>

#include <limits>
#include <ostream>

// The tests run under the C locale, where the program formats as Italian:
// the decimal separator is a comma.

TEST(FormatPoints, TwoDecimalsAtLeastOneIntegerDigitNoGrouping)
{
    EXPECT_EQ(FormatPoints(0), QStringLiteral("0,00"));
    EXPECT_EQ(FormatPoints(1), QStringLiteral("1,00"));
    EXPECT_EQ(FormatPoints(0.5), QStringLiteral("0,50"));
    EXPECT_EQ(FormatPoints(12.345), QStringLiteral("12,35"));
    EXPECT_EQ(FormatPoints(1234.5), QStringLiteral("1234,50"));
    EXPECT_EQ(FormatPoints(1234567.891), QStringLiteral("1234567,89"));
    EXPECT_EQ(FormatPoints(1e20), QStringLiteral("100000000000000000000,00"));
}

TEST(FormatPoints, HalvesGoAwayFromZeroOnTheDecimalValue)
{
    EXPECT_EQ(FormatPoints(0.625), QStringLiteral("0,63"));
    EXPECT_EQ(FormatPoints(0.125), QStringLiteral("0,13"));
    // Both are stored just below the half.
    EXPECT_EQ(FormatPoints(2.675), QStringLiteral("2,68"));
    EXPECT_EQ(FormatPoints(1.005), QStringLiteral("1,01"));
    EXPECT_EQ(FormatPoints(0.005), QStringLiteral("0,01"));
    EXPECT_EQ(FormatPoints(0.0049), QStringLiteral("0,00"));
    EXPECT_EQ(FormatPoints(0.624), QStringLiteral("0,62"));
    // A sum of cell values that lands a hair under the half it stands for
    // (0.6749999999999999 as a double).
    EXPECT_EQ(FormatPoints(0.6 + 0.075), QStringLiteral("0,68"));
    EXPECT_EQ(FormatPoints(0.1 + 0.2), QStringLiteral("0,30"));
}

TEST(FormatPoints, CarriesIntoTheIntegerDigits)
{
    EXPECT_EQ(FormatPoints(0.995), QStringLiteral("1,00"));
    EXPECT_EQ(FormatPoints(9.999), QStringLiteral("10,00"));
    EXPECT_EQ(FormatPoints(999.995), QStringLiteral("1000,00"));
    EXPECT_EQ(FormatPoints(-99.995), QStringLiteral("-100,00"));
}

TEST(FormatPoints, NegativeValuesAndNegativeZero)
{
    EXPECT_EQ(FormatPoints(-0.625), QStringLiteral("-0,63"));
    EXPECT_EQ(FormatPoints(-12.5), QStringLiteral("-12,50"));
    EXPECT_EQ(FormatPoints(-0.005), QStringLiteral("-0,01"));
    EXPECT_EQ(FormatPoints(-0.004), QStringLiteral("0,00"));
    EXPECT_EQ(FormatPoints(-0.0), QStringLiteral("0,00"));
    EXPECT_EQ(FormatPoints(-1e-300), QStringLiteral("0,00"));
}

TEST(FormatPoints, ValuesNoScoreCanBePrintAsZero)
{
    EXPECT_EQ(FormatPoints(std::numeric_limits<double>::quiet_NaN()), QStringLiteral("0,00"));
    EXPECT_EQ(FormatPoints(std::numeric_limits<double>::infinity()), QStringLiteral("0,00"));
    EXPECT_EQ(FormatPoints(-std::numeric_limits<double>::infinity()), QStringLiteral("0,00"));
    EXPECT_EQ(FormatPoints(std::numeric_limits<double>::denorm_min()), QStringLiteral("0,00"));
    // The largest double prints all of its 309 integer digits, read to the
    // fifteen significant digits a double holds.
    const QString largest = FormatPoints(std::numeric_limits<double>::max());
    EXPECT_EQ(largest.size(), 309 + 3);
    EXPECT_TRUE(largest.startsWith(QStringLiteral("179769313486232000")));
    EXPECT_TRUE(largest.endsWith(QStringLiteral("0,00")));
}
