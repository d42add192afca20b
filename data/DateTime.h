// The one conversion between the program's date-time values and text.
//
// In memory a date-time is a TDateTime: days since 30 December 1899 with the
// time of day as the fraction (0.0 is that date at midnight). For dates before
// 1899-12-30 the fraction still counts forward from midnight: -1.25 is
// 29 December 1899 at 06:00.
#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>
#include <optional>

using TDateTime = double;

// Take the date and the time of day as shown, whatever the time zone.
TDateTime DateTimeFromQDateTime(const QDateTime& value);
TDateTime DateTimeFromQDate(const QDate& value);
// A local time with the value's date and time of day (to whole seconds). A
// time that a daylight-saving change skips does not exist locally; it comes
// back in UTC, still with the same date() and time(). Values that are not a
// date from year 1 to 9999 (infinite, NaN, huge) read as 0.0.
QDateTime QDateTimeFromDateTime(TDateTime value);

// The text form stored in DATETIME columns: "YYYY-MM-DD HH:MM:SS".
QString DateTimeToStorageText(TDateTime value);
// Accepts "YYYY-MM-DD", "YYYY-MM-DD HH:MM[:SS]" and the same with "T".
std::optional<TDateTime> DateTimeFromStorageText(const QString& text);

// The regional short date (always a four-digit year), followed by a blank and
// the long time only when the time of day is not midnight.
QString FormatDateTimeShort(TDateTime value);
QString FormatShortDate(TDateTime value);
QString FormatLongDate(TDateTime value);

// A date as the user types it into a date field: day, month and year in the
// order of the regional short date, apart by "/", "-" or "." ("12/03/2023",
// "12-3-23"), or digits only with two-digit day and month ("12032023",
// "120323"). A two-digit year is the one from 89 years before today's year to
// 10 years after it. Nothing when the text is no day of the calendar
// ("31/02/2023") or not a date at all.
std::optional<QDate> DateFromTypedText(const QString& text, const QDate& today = QDate::currentDate());
