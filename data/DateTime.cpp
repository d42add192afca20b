#include "DateTime.h"

#include "Regional.h"

#include <QRegularExpression>
#include <cmath>

namespace {

const QDate kEpoch(1899, 12, 30);
constexpr qint64 kSecondsPerDay = 86400;
// 0001-01-01 and 9999-12-31: the years that four digits can write. Beyond
// them a value is no date the program could have stored.
constexpr double kFirstDay = -693593.0;
constexpr double kLastDay = 2958465.0;

// The wall-clock date and time of a value. Built in UTC, where every time of
// every day exists: a local time that a daylight-saving change skips (midnight
// of some spring days in some countries) would be invalid and read as no date.
QDateTime WallClock(TDateTime value)
{
    if (!std::isfinite(value) || value < kFirstDay || value >= kLastDay + 1.0)
        value = 0.0;
    const double days = std::trunc(value);
    qint64 dayCount = static_cast<qint64>(days);
    // Whole seconds only, so 0.99999999 does not read as 23:59:59.
    qint64 timeSeconds = std::llround(std::fabs(value - days) * kSecondsPerDay);
    if (timeSeconds >= kSecondsPerDay) {
        // The time of day counts forward from midnight on either side of the epoch.
        timeSeconds -= kSecondsPerDay;
        ++dayCount;
        if (dayCount > static_cast<qint64>(kLastDay)) {
            dayCount = static_cast<qint64>(kLastDay);
            timeSeconds = kSecondsPerDay - 1;
        }
    }
    return QDateTime(kEpoch.addDays(dayCount), QTime(0, 0).addSecs(static_cast<int>(timeSeconds)), Qt::UTC);
}

} // namespace

TDateTime DateTimeFromQDate(const QDate& value)
{
    if (!value.isValid())
        return 0.0;
    return static_cast<double>(kEpoch.daysTo(value));
}

TDateTime DateTimeFromQDateTime(const QDateTime& value)
{
    // A local time in a daylight-saving gap is "invalid" yet still carries
    // the date and time it was given.
    if (!value.date().isValid() || !value.time().isValid())
        return 0.0;
    const double days = DateTimeFromQDate(value.date());
    const double fraction = value.time().msecsSinceStartOfDay() / (1000.0 * kSecondsPerDay);
    return days < 0 ? days - fraction : days + fraction;
}

QDateTime QDateTimeFromDateTime(TDateTime value)
{
    const QDateTime wallClock = WallClock(value);
    const QDateTime local(wallClock.date(), wallClock.time());
    return local.isValid() ? local : wallClock;
}

QString DateTimeToStorageText(TDateTime value)
{
    return WallClock(value).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

std::optional<TDateTime> DateTimeFromStorageText(const QString& text)
{
    static const QRegularExpression pattern(QStringLiteral(
        "^\\s*(\\d{4})-(\\d{2})-(\\d{2})(?:[ T](\\d{2}):(\\d{2})(?::(\\d{2})(?:\\.\\d+)?)?)?\\s*$"));
    const QRegularExpressionMatch m = pattern.match(text);
    if (!m.hasMatch())
        return std::nullopt;
    const QDate date(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt());
    if (!date.isValid())
        return std::nullopt;
    QTime time(0, 0);
    if (m.hasCaptured(4)) {
        time = QTime(m.captured(4).toInt(), m.captured(5).toInt(), m.hasCaptured(6) ? m.captured(6).toInt() : 0);
        if (!time.isValid())
            return std::nullopt;
    }
    return DateTimeFromQDateTime(QDateTime(date, time, Qt::UTC));
}

QString FormatShortDate(TDateTime value)
{
    return RegionalLocale().toString(WallClock(value).date(), RegionalShortDateFormat());
}

QString FormatLongDate(TDateTime value)
{
    return RegionalLocale().toString(WallClock(value).date(), QLocale::LongFormat);
}

QString FormatDateTimeShort(TDateTime value)
{
    const QDateTime dateTime = WallClock(value);
    QString text = RegionalLocale().toString(dateTime.date(), RegionalShortDateFormat());
    if (dateTime.time() != QTime(0, 0))
        text += QLatin1Char(' ') + RegionalLocale().toString(dateTime.time(), RegionalLongTimeFormat());
    return text;
}

namespace {

// Where day, month and year stand in the regional short date: "dMy" for
// Italian.
QString RegionalDateOrder()
{
    QString order;
    for (const QChar c : RegionalShortDateFormat()) {
        if ((c == QLatin1Char('d') || c == QLatin1Char('M') || c == QLatin1Char('y')) && !order.contains(c))
            order += c;
    }
    return order.size() == 3 ? order : QStringLiteral("dMy");
}

int FullYear(const QString& digits, const QDate& today)
{
    const int year = digits.toInt();
    if (digits.size() != 2)
        return year;
    // The century that puts the year closest before today, allowing ten
    // years ahead.
    const int latest = today.year() + 10;
    int full = latest - ((latest % 100) - year + 100) % 100;
    return full;
}

} // namespace

std::optional<QDate> DateFromTypedText(const QString& text, const QDate& today)
{
    static const QRegularExpression apart(
        QStringLiteral("^\\s*(\\d{1,4})\\s*[/.-]\\s*(\\d{1,4})\\s*[/.-]\\s*(\\d{1,4})\\s*$"));
    static const QRegularExpression together(QStringLiteral("^\\s*(\\d{2})(\\d{2})(\\d{2}|\\d{4})\\s*$"));
    const QString order = RegionalDateOrder();
    QString parts[3];
    if (const QRegularExpressionMatch m = apart.match(text); m.hasMatch()) {
        for (int i = 0; i < 3; ++i)
            parts[i] = m.captured(i + 1);
    } else if (const QRegularExpressionMatch m = together.match(text); m.hasMatch() && order.endsWith(QLatin1Char('y'))) {
        for (int i = 0; i < 3; ++i)
            parts[i] = m.captured(i + 1);
    } else {
        return std::nullopt;
    }
    int day = 0;
    int month = 0;
    int year = 0;
    for (int i = 0; i < 3; ++i) {
        const QString& part = parts[i];
        switch (order.at(i).unicode()) {
        case 'd':
            if (part.size() > 2)
                return std::nullopt;
            day = part.toInt();
            break;
        case 'M':
            if (part.size() > 2)
                return std::nullopt;
            month = part.toInt();
            break;
        default:
            // Two or four digits: "3" or "023" is a year half typed.
            if (part.size() != 2 && part.size() != 4)
                return std::nullopt;
            year = FullYear(part, today);
            break;
        }
    }
    const QDate date(year, month, day);
    if (!date.isValid() || year < 1)
        return std::nullopt;
    return date;
}
