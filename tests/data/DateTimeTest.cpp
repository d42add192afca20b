// Date-time values: days since 1899-12-30 with the time as the fraction, their
// stored text and their regional display (Italian in the test environment).
#include "DateTime.h"
#include "Regional.h"
#include "TestText.h"

#include <QByteArray>
#include <ctime>
#include <gtest/gtest.h>
#include <ostream>

#include <limits>

namespace {

QString Stored(TDateTime value)
{
    return DateTimeToStorageText(value);
}

TDateTime Parsed(const char* text)
{
    const auto value = DateTimeFromStorageText(QString::fromLatin1(text));
    EXPECT_TRUE(value.has_value()) << text;
    return value.value_or(-1e9);
}

TEST(DateTimeTest, DaysCountFromTheThirtiethOfDecember1899)
{
    EXPECT_EQ(DateTimeFromQDate(QDate(1899, 12, 30)), 0.0);
    EXPECT_EQ(DateTimeFromQDate(QDate(1900, 1, 1)), 2.0);
    EXPECT_EQ(DateTimeFromQDate(QDate(2020, 3, 4)), 43894.0);
    EXPECT_EQ(DateTimeFromQDate(QDate(1899, 12, 29)), -1.0);
    EXPECT_EQ(DateTimeFromQDateTime(QDateTime(QDate(2020, 3, 4), QTime(18, 0))), 43894.75);
    EXPECT_EQ(DateTimeFromQDate(QDate()), 0.0);
}

TEST(DateTimeTest, StoredTextRoundTrips)
{
    for (const char* text : {"2020-03-04 00:00:00", "2020-03-04 10:30:15", "1899-12-30 00:00:00", "1899-12-29 06:00:00",
                             "1812-07-01 23:59:59", "0001-01-01 00:00:00", "9999-12-31 23:59:59", "2024-02-29 12:00:00"}) {
        EXPECT_EQ(Stored(Parsed(text)), QString::fromLatin1(text));
    }
    // The time of day counts forward from midnight before the epoch too.
    EXPECT_EQ(Parsed("1899-12-29 06:00:00"), -1.25);
    EXPECT_EQ(Stored(-1.25), QStringLiteral("1899-12-29 06:00:00"));
    EXPECT_EQ(Stored(-693593.0), QStringLiteral("0001-01-01 00:00:00"));
}

TEST(DateTimeTest, StoredTextVariantsAndGarbage)
{
    EXPECT_EQ(Parsed("2020-03-04"), 43894.0);
    EXPECT_EQ(Parsed("2020-03-04T12:00"), 43894.5);
    // Fractions of a second are not kept: stored text has whole seconds.
    EXPECT_EQ(Parsed(" 2020-03-04 06:00:00.250 "), 43894.25);
    for (const char* text : {"", "garbage", "2020-13-01", "2020-02-30", "2020-03-04 24:00:00", "04/03/2020", "20-03-04"})
        EXPECT_FALSE(DateTimeFromStorageText(QString::fromLatin1(text)).has_value()) << text;
}

TEST(DateTimeTest, TimeRoundsToWholeSeconds)
{
    EXPECT_EQ(Stored(0.99999999), QStringLiteral("1899-12-31 00:00:00"));
    EXPECT_EQ(Stored(43894.99999999), QStringLiteral("2020-03-05 00:00:00"));
    EXPECT_EQ(Stored(-1.99999999), QStringLiteral("1899-12-30 00:00:00"));
    EXPECT_EQ(Stored(43894.5 + 0.4 / 86400.0), QStringLiteral("2020-03-04 12:00:00"));
    EXPECT_EQ(Stored(43894.5 + 0.6 / 86400.0), QStringLiteral("2020-03-04 12:00:01"));
    const QDateTime dateTime = QDateTimeFromDateTime(0.99999999);
    EXPECT_EQ(dateTime.date(), QDate(1899, 12, 31));
    EXPECT_EQ(dateTime.time(), QTime(0, 0));
}

TEST(DateTimeTest, ValuesThatAreNoDateReadAsTheEpoch)
{
    for (const double value : {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity(),
                               -std::numeric_limits<double>::infinity(), 1e300, -1e300, 2958466.0, -693594.0}) {
        EXPECT_EQ(Stored(value), QStringLiteral("1899-12-30 00:00:00")) << value;
        EXPECT_EQ(FormatShortDate(value), QStringLiteral("30/12/1899")) << value;
    }
}

TEST(DateTimeTest, RegionalFormatsShowFourDigitYearsAndTimeOnlyWhenNotMidnight)
{
    EXPECT_EQ(FormatDateTimeShort(43894.0), QStringLiteral("04/03/2020"));
    EXPECT_EQ(FormatDateTimeShort(43894.4375), QStringLiteral("04/03/2020 10:30:00"));
    EXPECT_EQ(FormatDateTimeShort(43894.0 + 1.0 / 86400.0), QStringLiteral("04/03/2020 00:00:01"));
    EXPECT_EQ(FormatDateTimeShort(0.0), QStringLiteral("30/12/1899"));
    EXPECT_EQ(FormatDateTimeShort(-1.25), QStringLiteral("29/12/1899 06:00:00"));
    EXPECT_EQ(FormatShortDate(43894.75), QStringLiteral("04/03/2020"));
    EXPECT_EQ(FormatShortDate(DateTimeFromQDate(QDate(1905, 1, 2))), QStringLiteral("02/01/1905"));
    EXPECT_EQ(FormatLongDate(43894.0), QStringLiteral("mercoledì 4 marzo 2020"));
}

// Some zones skip midnight when daylight-saving time starts (Brazil did), or
// the hour after 02:00 (Italy does): dates and times stored there must still
// read back unchanged.
class DaylightSavingTest : public ::testing::Test {
protected:
    void SetZone(const char* zone)
    {
        qputenv("TZ", zone);
        tzset();
    }
    void TearDown() override
    {
        if (saved_.isNull())
            qunsetenv("TZ");
        else
            qputenv("TZ", saved_);
        tzset();
    }

private:
    QByteArray saved_ = qgetenv("TZ");
};

TEST_F(DaylightSavingTest, SkippedLocalTimesKeepTheirValue)
{
    SetZone("America/Sao_Paulo");
    const TDateTime birth = DateTimeFromQDate(QDate(2018, 11, 4));
    EXPECT_EQ(Parsed("2018-11-04 00:00:00"), birth);
    EXPECT_EQ(Stored(birth), QStringLiteral("2018-11-04 00:00:00"));
    EXPECT_EQ(FormatDateTimeShort(birth), QStringLiteral("04/11/2018"));
    EXPECT_EQ(QDateTimeFromDateTime(birth).date(), QDate(2018, 11, 4));
    EXPECT_EQ(QDateTimeFromDateTime(birth).time(), QTime(0, 0));

    SetZone("Europe/Rome");
    const TDateTime skipped = Parsed("2020-03-29 02:30:00");
    EXPECT_EQ(skipped, DateTimeFromQDate(QDate(2020, 3, 29)) + 2.5 / 24.0);
    EXPECT_EQ(Stored(skipped), QStringLiteral("2020-03-29 02:30:00"));
    EXPECT_EQ(FormatDateTimeShort(skipped), QStringLiteral("29/03/2020 02:30:00"));
}

struct TypedDateCase {
    const char* typed;
    QDate expected; // invalid: refused
};

TEST(DateTimeTest, DatesTypedByHandAreTheDatesTyped)
{
    const QDate today(2025, 6, 15);
    const TypedDateCase cases[] = {
        {"12/03/2023", QDate(2023, 3, 12)},
        {"12-3-23", QDate(2023, 3, 12)},
        {"12032023", QDate(2023, 3, 12)},
        {"120323", QDate(2023, 3, 12)},
        {"1.3.2019", QDate(2019, 3, 1)},
        {" 05/11/1998 ", QDate(1998, 11, 5)},
        {"5/11/98", QDate(1998, 11, 5)},
        {"1/1/35", QDate(2035, 1, 1)},
        {"1/1/36", QDate(1936, 1, 1)},
        {"29/02/2024", QDate(2024, 2, 29)},
        {"31/02/2023", QDate()},
        {"29/02/2023", QDate()},
        {"00/01/2023", QDate()},
        {"12/13/2023", QDate()},
        {"12/03/202", QDate()},
        {"12/03", QDate()},
        {"1232023", QDate()},
        {"", QDate()},
        {"12/03/2023x", QDate()},
        {"a/b/c", QDate()},
    };
    for (const TypedDateCase& c : cases) {
        SCOPED_TRACE(c.typed);
        const std::optional<QDate> date = DateFromTypedText(QString::fromLatin1(c.typed), today);
        if (c.expected.isValid()) {
            ASSERT_TRUE(date.has_value());
            EXPECT_EQ(*date, c.expected);
        } else {
            EXPECT_FALSE(date.has_value()) << date.value_or(QDate()).toString(Qt::ISODate).toStdString();
        }
    }
}

TEST(DateTimeTest, TheShownShortDateReadsBackAsTheSameDate)
{
    for (const QDate date : {QDate(2023, 3, 12), QDate(1999, 12, 31), QDate(2024, 2, 29)}) {
        const std::optional<QDate> back = DateFromTypedText(FormatShortDate(DateTimeFromQDate(date)));
        ASSERT_TRUE(back.has_value()) << date.toString(Qt::ISODate).toStdString();
        EXPECT_EQ(*back, date);
    }
}

// Lists write dates and read stored text by a quick path of their own; it
// must give what the locale and the general pattern give.
TEST(DateTimeTest, QuickPathsAgreeWithTheLocaleAndThePattern)
{
    for (qint64 day = QDate(1, 1, 1).toJulianDay(); day <= QDate(9999, 12, 31).toJulianDay(); day += 97) {
        const QDate date = QDate::fromJulianDay(day);
        const TDateTime value = DateTimeFromQDate(date);
        ASSERT_EQ(FormatShortDate(value), RegionalLocale().toString(date, RegionalShortDateFormat()))
            << date.toString(Qt::ISODate).toStdString();
        ASSERT_EQ(DateTimeFromStorageText(date.toString(QStringLiteral("yyyy-MM-dd"))), value);
    }
    for (const char* text : {"2024-02-30", "2024-13-01", "2023-02-29 00:00:00", "2024-01-01 24:00:00",
                             "2024-01-01 10:60:00", "0000-01-01", "2024-0a-01", "2024/01/01 10:00:00"})
        EXPECT_EQ(DateTimeFromStorageText(QLatin1String(text)), std::nullopt) << text;
    EXPECT_EQ(DateTimeFromStorageText(QStringLiteral("2024-02-29 18:00:00")),
              DateTimeFromQDate(QDate(2024, 2, 29)) + 0.75);
}

} // namespace
