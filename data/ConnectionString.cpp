#include "ConnectionString.h"

#include <QStringList>
#include <QtGlobal>

namespace {

QString Unquote(const QString& value)
{
    const QString trimmed = value.trimmed();
    if (trimmed.size() >= 2 && trimmed.startsWith(QLatin1Char('"')) && trimmed.endsWith(QLatin1Char('"'))) {
        QString inner = trimmed.mid(1, trimmed.size() - 2);
        inner.replace(QLatin1String("\"\""), QLatin1String("\""));
        return inner;
    }
    return trimmed;
}

// Splits at ';' outside double quotes, so a quoted path may contain one.
QStringList SplitPairs(const QString& text)
{
    QStringList pairs;
    QString current;
    bool quoted = false;
    for (const QChar c : text) {
        if (c == QLatin1Char('"'))
            quoted = !quoted;
        if (c == QLatin1Char(';') && !quoted) {
            pairs << current;
            current.clear();
        } else {
            current += c;
        }
    }
    pairs << current;
    return pairs;
}

} // namespace

TConnectionSettings ParseConnectionString(const QString& text)
{
    TConnectionSettings settings;
    for (const QString& pair : SplitPairs(text)) {
        const int eq = pair.indexOf(QLatin1Char('='));
        if (eq < 0)
            continue;
        const QString key = pair.left(eq).trimmed().toLower();
        const QString value = Unquote(pair.mid(eq + 1));
        if (key == QLatin1String("provider")) {
            settings.provider = value;
        } else if (key == QLatin1String("data source")) {
            settings.dataSource = value;
            settings.hasDataSource = !value.isEmpty();
        } else if (key == QLatin1String("password")) {
            settings.password = value;
        } else if (key == QLatin1String("mode")) {
            settings.create = value.compare(QLatin1String("Create"), Qt::CaseInsensitive) == 0;
        } else if (key == QLatin1String("host")) {
            settings.host = value;
        } else if (key == QLatin1String("port")) {
            settings.port = value;
        } else if (key == QLatin1String("database")) {
            settings.database = value;
        } else if (key == QLatin1String("user")) {
            settings.user = value;
        } else if (key == QLatin1String("sslmode")) {
            settings.sslMode = value;
        }
    }
    return settings;
}

QString QuoteConnectionValue(const QString& value)
{
    QString quoted = value;
    quoted.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

namespace {

// A Unix socket folder, localhost, 127.0.0.1, ::1, or no host at all.
bool ServerOnThisMachine(const TConnectionSettings& settings)
{
    // Without a host libpq takes PGHOST, and without that its Unix socket.
    QString host = settings.host.trimmed();
    if (host.isEmpty())
        host = qEnvironmentVariable("PGHOST").trimmed();
    return host.isEmpty() || host.startsWith(QLatin1Char('/'))
        || host.compare(QLatin1String("localhost"), Qt::CaseInsensitive) == 0 || host == QLatin1String("127.0.0.1")
        || host == QLatin1String("::1");
}

} // namespace

QString ServerSslMode(const TConnectionSettings& settings)
{
    if (!settings.sslMode.isEmpty())
        return settings.sslMode;
    return ServerOnThisMachine(settings) ? QStringLiteral("prefer") : QStringLiteral("require");
}

QString ServerGssEncMode(const TConnectionSettings& settings)
{
    if (!ServerOnThisMachine(settings) || !qEnvironmentVariable("PGGSSENCMODE").isEmpty())
        return QString();
    return QStringLiteral("disable");
}
