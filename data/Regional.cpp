#include "Regional.h"

namespace {

// Each run of "y" in a date format as "yyyy".
QString WithFourDigitYears(const QString& format)
{
    QString text;
    for (qsizetype i = 0; i < format.size(); ++i) {
        if (format[i] != u'y') {
            text += format[i];
            continue;
        }
        while (i + 1 < format.size() && format[i + 1] == u'y')
            ++i;
        text += QLatin1String("yyyy");
    }
    return text;
}

// A time format without its zone fields ("t", "tt"...) and the blanks just
// before each.
QString WithoutZone(const QString& format)
{
    const auto blank = [](QChar c) { return c == u' ' || (c >= u'\t' && c <= u'\r'); };
    QString text;
    for (qsizetype i = 0; i < format.size(); ++i) {
        qsizetype zone = i;
        while (zone < format.size() && blank(format[zone]))
            ++zone;
        if (zone < format.size() && format[zone] == u't') {
            while (zone + 1 < format.size() && format[zone + 1] == u't')
                ++zone;
            i = zone;
            continue;
        }
        text += format[i];
    }
    return text;
}

} // namespace


const QLocale& RegionalLocale()
{
    static const QLocale locale = [] {
        QLocale system = QLocale::system();
        if (system.language() == QLocale::C)
            return QLocale(QLocale::Italian, QLocale::Italy);
        return system;
    }();
    return locale;
}

// The formats are worked out once: the locale does not change while the
// program runs, and every date of every list is written with them.
QString RegionalShortDateFormat()
{
    static const QString format = [] {
        QString text = RegionalLocale().dateFormat(QLocale::ShortFormat);
        // Two-digit years make a birth date ambiguous: always show four.
        if (!text.contains(QLatin1String("yyyy")))
            text = WithFourDigitYears(text);
        return text;
    }();
    return format;
}

QString RegionalLongTimeFormat()
{
    static const QString format = [] {
        QString text = RegionalLocale().timeFormat(QLocale::LongFormat);
        // A stored time carries no zone; drop the zone field and the blank before it.
        text = WithoutZone(text);
        return text.trimmed();
    }();
    return format;
}
