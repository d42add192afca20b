// The regional settings the program formats numbers and dates with.
#pragma once

#include <QLocale>
#include <QString>

// The system locale, or Italian (Italy) when the system has none (C/POSIX).
const QLocale& RegionalLocale();

// The locale's short date format with the year always written in four digits.
QString RegionalShortDateFormat();
// The locale's long time format without a time-zone name.
QString RegionalLongTimeFormat();
