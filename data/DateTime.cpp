#include "DateTime.h"

#include "Regional.h"

#include <QRegularExpression>
#include <array>
#include <cmath>
#include <utility>
#include <vector>

namespace {

const QDate kEpoch(1899, 12, 30);
constexpr qint64 kSecondsPerDay = 86400;
// 0001-01-01 and 9999-12-31: the years that four digits can write. Beyond
// them a value is no date the program could have stored.
constexpr double kFirstDay = -693593.0;
constexpr double kLastDay = 2958465.0;

struct TWallClock {
    QDate date;
    QTime time;
};

// The wall-clock date and time of a value, with no time zone: every time of
// every day exists (a local time that a daylight-saving change skips, midnight
// of some spring days in some countries, would be invalid and read as no date).
TWallClock WallClockParts(TDateTime value)
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
    return {kEpoch.addDays(dayCount), QTime(0, 0).addSecs(static_cast<int>(timeSeconds))};
}

// The same in UTC.
QDateTime WallClock(TDateTime value)
{
    const TWallClock parts = WallClockParts(value);
    return QDateTime(parts.date, parts.time, Qt::UTC);
}

TDateTime FromDateAndTime(const QDate& date, const QTime& time)
{
    const double days = static_cast<double>(kEpoch.daysTo(date));
    const double fraction = time.msecsSinceStartOfDay() / (1000.0 * kSecondsPerDay);
    return days < 0 ? days - fraction : days + fraction;
}

// Digits at text[from, from + count) as a number, -1 when one is no digit.
int Digits(const QString& text, int from, int count)
{
    int number = 0;
    for (int i = from; i < from + count; ++i) {
        const char16_t c = text.at(i).unicode();
        if (c < u'0' || c > u'9')
            return -1;
        number = number * 10 + (c - u'0');
    }
    return number;
}

// The two forms the program writes, "YYYY-MM-DD HH:MM:SS" and "YYYY-MM-DD",
// read without the general pattern: every date of every list goes through
// here. Nothing when the text is not exactly one of them.
std::optional<std::pair<QDate, QTime>> StoredForm(const QString& text)
{
    if (text.size() != 10 && text.size() != 19)
        return std::nullopt;
    if (text.at(4) != QLatin1Char('-') || text.at(7) != QLatin1Char('-'))
        return std::nullopt;
    const int year = Digits(text, 0, 4);
    const int month = Digits(text, 5, 2);
    const int day = Digits(text, 8, 2);
    if (year < 0 || month < 0 || day < 0)
        return std::nullopt;
    if (text.size() == 10)
        return std::make_pair(QDate(year, month, day), QTime(0, 0));
    if (text.at(10) != QLatin1Char(' ') || text.at(13) != QLatin1Char(':') || text.at(16) != QLatin1Char(':'))
        return std::nullopt;
    const int hour = Digits(text, 11, 2);
    const int minute = Digits(text, 14, 2);
    const int second = Digits(text, 17, 2);
    if (hour < 0 || minute < 0 || second < 0)
        return std::nullopt;
    return std::make_pair(QDate(year, month, day), QTime(hour, minute, second));
}

// The regional short date and long time written field by field: every date
// of every list goes through here, and the locale would read its format
// string again for each. Formats with other fields (names of days or months,
// a 12-hour clock) and locales with digits of their own are left to the locale.
class TDigitFieldWriter {
public:
    // letters: the fields this format may hold, each written as digits.
    TDigitFieldWriter(const QString& format, QLatin1String letters)
        : format_(format)
    {
        usable_ = RegionalLocale().zeroDigit() == QLatin1String("0");
        int length = 0;
        for (int i = 0; i < format.size() && usable_;) {
            const QChar c = format.at(i);
            int run = 1;
            while (i + run < format.size() && format.at(i + run) == c)
                ++run;
            const qsizetype slot = c.isLetter() ? letters.indexOf(c) : -1;
            if (slot >= 0) {
                const bool known = c == QLatin1Char('y') ? run == 4 : run <= 2;
                usable_ = known;
                fields_.push_back({int(slot), c == QLatin1Char('y') ? 4 : run, QString()});
                length += 4;
            } else if (c.isLetter() || c == QLatin1Char('\'')) {
                usable_ = false;
            } else {
                fields_.push_back({-1, 0, QString(run, c)});
                length += run;
            }
            i += run;
        }
        usable_ = usable_ && length <= kLongest;
    }

    QString Write(const QDate& date) const
    {
        int year = 0;
        int month = 0;
        int day = 0;
        date.getDate(&year, &month, &day);
        if (!usable_ || !date.isValid() || year < 1 || year > 9999)
            return RegionalLocale().toString(date, format_);
        return Written({day, month, year});
    }

    QString Write(const QTime& time) const
    {
        if (!usable_ || !time.isValid())
            return RegionalLocale().toString(time, format_);
        return Written({time.hour(), time.minute(), time.second()});
    }

private:
    static constexpr int kLongest = 64;
    struct TField {
        int slot; // which value, in the order of the letters; -1 for literal text
        int width;
        QString literal;
    };
    QString format_;
    std::vector<TField> fields_;
    bool usable_ = true;

    // The fields are worked out once and the digits written in place, the
    // text made once: a list of thousands of rows formats thousands of dates.
    QString Written(const std::array<int, 3>& values) const
    {
        char16_t text[kLongest];
        int length = 0;
        for (const TField& field : fields_) {
            if (field.slot < 0) {
                for (QChar c : field.literal)
                    text[length++] = c.unicode();
                continue;
            }
            // At most four digits, with leading zeros up to the width.
            int value = values[field.slot];
            char16_t digits[4];
            int count = 0;
            do {
                digits[count++] = char16_t(u'0' + value % 10);
                value /= 10;
            } while (value > 0 && count < 4);
            for (int i = count; i < field.width; ++i)
                text[length++] = u'0';
            while (count > 0)
                text[length++] = digits[--count];
        }
        return QString(reinterpret_cast<const QChar*>(text), length);
    }
};

QString ShortDateText(const QDate& date)
{
    static const TDigitFieldWriter writer(RegionalShortDateFormat(), QLatin1String("dMy"));
    return writer.Write(date);
}

QString LongTimeText(const QTime& time)
{
    static const TDigitFieldWriter writer(RegionalLongTimeFormat(), QLatin1String("Hms"));
    return writer.Write(time);
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
    return FromDateAndTime(value.date(), value.time());
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
    if (const auto stored = StoredForm(text)) {
        if (!stored->first.isValid() || !stored->second.isValid())
            return std::nullopt;
        return FromDateAndTime(stored->first, stored->second);
    }
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
    return FromDateAndTime(date, time);
}

QString FormatShortDate(TDateTime value)
{
    return ShortDateText(WallClockParts(value).date);
}

QString FormatLongDate(TDateTime value)
{
    return RegionalLocale().toString(WallClockParts(value).date, QLocale::LongFormat);
}

QString FormatDateTimeShort(TDateTime value)
{
    const TWallClock dateTime = WallClockParts(value);
    QString text = ShortDateText(dateTime.date);
    if (dateTime.time != QTime(0, 0))
        text += QLatin1Char(' ') + LongTimeText(dateTime.time);
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
