// The user's options, held in memory from start-up to shut-down.
#pragma once

#include <QDate>
#include <QMap>
#include <QRect>
#include <QString>

class TIniFile;

// How a list window orders its rows: by the column last clicked, or (column
// -1) as its query gives them.
struct TListOrder {
    int Column = -1;
    bool Descending = false;
    bool operator==(const TListOrder&) const = default;
};

// A single instance for the whole program: created on first request,
// destroyed by ReleaseInstance (after which a request creates a fresh one).
class TSettings {
public:
    static TSettings* GetInstance();
    static void ReleaseInstance();

    // Whether the compilation editor moves to the next question after an answer.
    bool AutoAdvancing() const { return autoAdvancing_; }
    void SetAutoAdvancing(bool value) { autoAdvancing_ = value; }

    // Where a window (named by its object name) was last left on the
    // screen, its client area; a null rectangle when it never was.
    QRect WindowGeometry(const QString& window) const { return geometries_.value(window); }
    void SetWindowGeometry(const QString& window, const QRect& geometry);
    // The order the user chose for a list window.
    TListOrder ListOrder(const QString& window) const { return orders_.value(window); }
    void SetListOrder(const QString& window, const TListOrder& order);
    // The folder a file dialog for one kind of file (its extension, "html")
    // was last confirmed in; empty when none was.
    QString LastFolder(const QString& fileKind) const { return folders_.value(fileKind.toLower()); }
    void SetLastFolder(const QString& fileKind, const QString& folder);

    // The day the last backup of the database was made, and the day the
    // user was last offered one at exit; null dates when never.
    QDate LastBackup() const { return lastBackup_; }
    void SetLastBackup(const QDate& day) { lastBackup_ = day; }
    QDate LastBackupReminder() const { return lastBackupReminder_; }
    void SetLastBackupReminder(const QDate& day) { lastBackupReminder_ = day; }
    // Whether the user is to be offered a backup today: none for the given
    // number of days (or never), and not offered yet today.
    bool BackupReminderDue(const QDate& today, int days) const;
    // Writes a backup made on day into a settings file that another program
    // (baltero-db) has not loaded, unless the file names a later one.
    // Raises Exception when the file cannot be written.
    static void RecordBackupIn(TIniFile& file, const QDate& day);

    // A missing or unreadable value leaves the option on; window places,
    // orders and folders that cannot be read are left out.
    void LoadFromIni(const TIniFile& file);
    // Never reports a failure: at shut-down there is no one to tell, and the
    // options are simply not kept.
    // Returns why the file could not be written; empty when it was (or
    // when nothing in it had to change).
    QString SaveToIni(TIniFile& file);

    TSettings(const TSettings&) = delete;
    TSettings& operator=(const TSettings&) = delete;

private:
    TSettings() = default;
    ~TSettings() = default;

    bool autoAdvancing_ = true;
    QMap<QString, QRect> geometries_;
    QMap<QString, TListOrder> orders_;
    QMap<QString, QString> folders_;
    QDate lastBackup_;
    QDate lastBackupReminder_;

    static TSettings* instance_;
};
