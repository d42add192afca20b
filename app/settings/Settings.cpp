#include "Settings.h"

#include "Exception.h"
#include "IniFile.h"

#include <QStringList>
#include <optional>

namespace {
const QString TablesSection = QStringLiteral("TABLES");
const QString AutoAdvancingKey = QStringLiteral("AutoAdvancing");
// One key per window or kind of file, named after it.
const QString WindowsSection = QStringLiteral("WINDOWS");
const QString ListOrderSection = QStringLiteral("LISTORDER");
const QString FoldersSection = QStringLiteral("FOLDERS");
const QString BackupSection = QStringLiteral("BACKUP");
const QString LastBackupKey = QStringLiteral("LastBackup");
const QString LastReminderKey = QStringLiteral("LastReminder");

QDate DateFromText(const QString& text)
{
    return QDate::fromString(text.trimmed(), Qt::ISODate);
}

const QString Ascending = QStringLiteral("asc");
const QString Descending = QStringLiteral("desc");

// "x,y,width,height"; a null rectangle for anything else.
QRect GeometryFromText(const QString& text)
{
    const QStringList parts = text.split(QLatin1Char(','));
    if (parts.size() != 4)
        return {};
    int values[4] = {};
    for (int i = 0; i < 4; ++i) {
        if (!ParseIniInteger(parts[i], values[i]))
            return {};
    }
    // A window of no size, or one far beyond any screen, is no place to restore.
    const int limit = 100000;
    if (values[2] <= 0 || values[3] <= 0 || values[2] > limit || values[3] > limit || qAbs(values[0]) > limit
        || qAbs(values[1]) > limit)
        return {};
    return QRect(values[0], values[1], values[2], values[3]);
}

QString GeometryText(const QRect& r)
{
    return QStringLiteral("%1,%2,%3,%4").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
}

// "column,asc" or "column,desc"; nothing for anything else.
std::optional<TListOrder> OrderFromText(const QString& text)
{
    const QStringList parts = text.split(QLatin1Char(','));
    TListOrder order;
    if (parts.size() != 2 || !ParseIniInteger(parts[0], order.Column) || order.Column < 0 || order.Column > 255)
        return std::nullopt;
    const QString direction = parts[1].trimmed().toLower();
    if (direction != Ascending && direction != Descending)
        return std::nullopt;
    order.Descending = direction == Descending;
    return order;
}

QString OrderText(const TListOrder& order)
{
    return QString::number(order.Column) + QLatin1Char(',') + (order.Descending ? Descending : Ascending);
}

} // namespace

TSettings* TSettings::instance_ = nullptr;

TSettings* TSettings::GetInstance()
{
    if (!instance_)
        instance_ = new TSettings();
    return instance_;
}

void TSettings::ReleaseInstance()
{
    delete instance_;
    instance_ = nullptr;
}

void TSettings::SetWindowGeometry(const QString& window, const QRect& geometry)
{
    if (!window.isEmpty() && geometry.isValid())
        geometries_.insert(window, geometry);
}

void TSettings::SetListOrder(const QString& window, const TListOrder& order)
{
    if (!window.isEmpty())
        orders_.insert(window, order);
}

void TSettings::SetLastFolder(const QString& fileKind, const QString& folder)
{
    if (!fileKind.isEmpty() && !folder.isEmpty())
        folders_.insert(fileKind.toLower(), folder);
}

bool TSettings::BackupReminderDue(const QDate& today, int days) const
{
    if (lastBackupReminder_ == today)
        return false;
    return !lastBackup_.isValid() || lastBackup_.daysTo(today) >= days;
}

void TSettings::RecordBackupIn(TIniFile& file, const QDate& day)
{
    const QDate written = DateFromText(file.ReadString(BackupSection, LastBackupKey, QString()));
    if (!written.isValid() || written < day)
        file.WriteString(BackupSection, LastBackupKey, day.toString(Qt::ISODate));
}

void TSettings::LoadFromIni(const TIniFile& file)
{
    autoAdvancing_ = file.ReadInteger(TablesSection, AutoAdvancingKey, 1) != 0;
    geometries_.clear();
    orders_.clear();
    folders_.clear();
    for (const QString& window : file.ReadKeys(WindowsSection)) {
        const QRect geometry = GeometryFromText(file.ReadString(WindowsSection, window, QString()));
        if (geometry.isValid())
            geometries_.insert(window, geometry);
    }
    for (const QString& window : file.ReadKeys(ListOrderSection)) {
        if (const std::optional<TListOrder> order = OrderFromText(file.ReadString(ListOrderSection, window, QString())))
            orders_.insert(window, *order);
    }
    for (const QString& kind : file.ReadKeys(FoldersSection)) {
        const QString folder = file.ReadString(FoldersSection, kind, QString());
        if (!folder.isEmpty())
            folders_.insert(kind.toLower(), folder);
    }
    lastBackup_ = DateFromText(file.ReadString(BackupSection, LastBackupKey, QString()));
    lastBackupReminder_ = DateFromText(file.ReadString(BackupSection, LastReminderKey, QString()));
}

QString TSettings::SaveToIni(TIniFile& file)
{
    try {
        file.WriteInteger(TablesSection, AutoAdvancingKey, autoAdvancing_ ? 1 : 0);
        for (auto it = geometries_.cbegin(); it != geometries_.cend(); ++it)
            file.WriteString(WindowsSection, it.key(), GeometryText(it.value()));
        for (auto it = orders_.cbegin(); it != orders_.cend(); ++it) {
            if (it.value().Column >= 0 || !file.ReadString(ListOrderSection, it.key(), QString()).isEmpty())
                file.WriteString(ListOrderSection, it.key(), it.value().Column >= 0 ? OrderText(it.value()) : QString());
        }
        for (auto it = folders_.cbegin(); it != folders_.cend(); ++it)
            file.WriteString(FoldersSection, it.key(), it.value());
        // baltero-db may have written a later backup meanwhile.
        if (lastBackup_.isValid())
            RecordBackupIn(file, lastBackup_);
        if (lastBackupReminder_.isValid())
            file.WriteString(BackupSection, LastReminderKey, lastBackupReminder_.toString(Qt::ISODate));
    } catch (const Exception& e) {
        // Each key is written whole or not at all; an unwritable file or
        // folder costs the user only this run's changes, which the caller says.
        return e.Message();
    }
    return QString();
}
