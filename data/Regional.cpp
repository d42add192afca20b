#include "Regional.h"

#include <QRegularExpression>

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
            text.replace(QRegularExpression(QStringLiteral("y+")), QStringLiteral("yyyy"));
        return text;
    }();
    return format;
}

QString RegionalLongTimeFormat()
{
    static const QString format = [] {
        QString text = RegionalLocale().timeFormat(QLocale::LongFormat);
        // A stored time carries no zone; drop the zone field and the blank before it.
        text.remove(QRegularExpression(QStringLiteral("\\s*t+")));
        return text.trimmed();
    }();
    return format;
}
