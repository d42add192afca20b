#include "DateTime.h"

#include "Regional.h"

#include <QRegularExpression>
#include <cmath>

namespace {

const QDate kEpoch(1899, 12, 30);
constexpr qint64 kSecondsPerDay = 86400;

} // namespace

TDateTime DateTimeFromQDate(const QDate& value)
{
    if (!value.isValid())
        return 0.0;
    return static_cast<double>(kEpoch.daysTo(value));
}

TDateTime DateTimeFromQDateTime(const QDateTime& value)
{
    if (!value.isValid())
        return 0.0;
    const double days = DateTimeFromQDate(value.date());
    const double fraction = value.time().msecsSinceStartOfDay() / (1000.0 * kSecondsPerDay);
    return days < 0 ? days - fraction : days + fraction;
}

QDateTime QDateTimeFromDateTime(TDateTime value)
{
    if (!std::isfinite(value))
        value = 0.0;
    const double days = std::trunc(value);
    qint64 dayCount = static_cast<qint64>(days);
    // Whole seconds only, so 0.99999999 does not read as 23:59:59.
    qint64 timeSeconds = std::llround(std::fabs(value - days) * kSecondsPerDay);
    if (timeSeconds >= kSecondsPerDay) {
        // The time of day counts forward from midnight on either side of the epoch.
        timeSeconds -= kSecondsPerDay;
        ++dayCount;
    }
    return QDateTime(kEpoch.addDays(dayCount), QTime(0, 0).addSecs(static_cast<int>(timeSeconds)));
}

QString DateTimeToStorageText(TDateTime value)
{
    return QDateTimeFromDateTime(value).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
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
    return DateTimeFromQDateTime(QDateTime(date, time));
}

QString FormatShortDate(TDateTime value)
{
    return RegionalLocale().toString(QDateTimeFromDateTime(value).date(), RegionalShortDateFormat());
}

QString FormatLongDate(TDateTime value)
{
    return RegionalLocale().toString(QDateTimeFromDateTime(value).date(), QLocale::LongFormat);
}

QString FormatDateTimeShort(TDateTime value)
{
    const QDateTime dateTime = QDateTimeFromDateTime(value);
    QString text = RegionalLocale().toString(dateTime.date(), RegionalShortDateFormat());
    if (dateTime.time() != QTime(0, 0))
        text += QLatin1Char(' ') + RegionalLocale().toString(dateTime.time(), RegionalLongTimeFormat());
    return text;
}
