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

QString RegionalShortDateFormat()
{
    QString format = RegionalLocale().dateFormat(QLocale::ShortFormat);
    // Two-digit years make a birth date ambiguous: always show four.
    if (!format.contains(QLatin1String("yyyy")))
        format.replace(QRegularExpression(QStringLiteral("y+")), QStringLiteral("yyyy"));
    return format;
}

QString RegionalLongTimeFormat()
{
    QString format = RegionalLocale().timeFormat(QLocale::LongFormat);
    // A stored time carries no zone; drop the zone field and the blank before it.
    format.remove(QRegularExpression(QStringLiteral("\\s*t+")));
    return format.trimmed();
}
