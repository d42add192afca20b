#include "Startup.h"

#include "AppPaths.h"
#include "Database.h"
#include "DatabaseFile.h"
#include "Dialogs.h"
#include "Exception.h"
#include "IniFile.h"
#include "MaintenanceMessages.h"
#include "Messages.h"
#include "NyConnection.h"
#include "OpenedFileCheck.h"
#include "PasswordDialogs.h"
#include "PasswordTries.h"
#include "Settings.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QTranslator>

namespace {

void MakeFolderOf(const QString& path)
{
    const QString folder = QFileInfo(path).absolutePath();
    if (!QDir().mkpath(folder))
        throw EFileError(QStringLiteral("%1: the folder cannot be created.").arg(folder));
}

// The school's server asked for a password the settings do not hold (nor
// libpq's password file or environment): the user logs in, three tries at
// most. The password stays in memory; the settings file never holds it.
void LogInToServer(QWidget* owner, TDatabase& database)
{
    const QString settingsTemplate = database.ConnectionTemplate();
    const TConnectionSettings settings = ParseConnectionString(settingsTemplate);
    QString user = settings.user.isEmpty() ? qEnvironmentVariable("PGUSER", qEnvironmentVariable("USER"))
                                           : settings.user;
    const QString server = settings.host.isEmpty() ? QStringLiteral("di questo computer") : settings.host;
    for (int attempt = 1;; ++attempt) {
        QString password;
        if (!ServerLoginBox(owner, server, user, password)) {
            database.SetConnectionTemplate(settingsTemplate);
            throw Exception(PasswordNotGivenText());
        }
        database.SetConnectionTemplate(settingsTemplate + QStringLiteral(";User=") + QuoteConnectionValue(user)
                                       + QStringLiteral(";Password=") + QuoteConnectionValue(password));
        try {
            database.Open(QString());
            return;
        } catch (const EKeyRefused&) {
            if (attempt == PasswordTries) {
                database.SetConnectionTemplate(settingsTemplate);
                throw;
            }
            WarningBox(owner, WrongPasswordText());
        }
    }
}

} // namespace

bool PrepareUserFiles(QWidget* owner)
{
    if (PortableMode())
        return true;
    const QString settings = SettingsFilePath();
    const QString database = DatabaseFilePath();
    const bool firstStart = !QFileInfo::exists(settings) && !QFileInfo::exists(database);
    QString questionnaire;
    try {
        if (firstStart) {
            MakeFolderOf(database);
            questionnaire = ExampleQuestionnaireFilePath();
            if (questionnaire.isEmpty())
                CreateDatabaseFile(database);
            else
                CreateDatabaseWithQuestionnaire(database, questionnaire);
        }
        if (!QFileInfo::exists(settings)) {
            MakeFolderOf(settings);
            CreateSettingsFile(settings);
        }
    } catch (const Exception& e) {
        ErrorBox(owner, UserFilesNotCreatedText() + e.Message());
        return false;
    }
    if (firstStart)
        InformationBox(owner, FirstStartText(database, BackupFilePath(), settings, !questionnaire.isEmpty()));
    return true;
}

void OpenDatabaseAtStartup(const QString& settingsPath, const QString& databasePath)
{
    TDatabase* database = TDatabase::GetInstance();
    {
        const TIniFile settings(settingsPath);
        database->ReadConnectionString(settings);
        TSettings::GetInstance()->LoadFromIni(settings);
    }
    database->Open(databasePath);
}

bool OpenDatabaseOrReport(QWidget* owner, const QString& settingsPath, const QString& databasePath)
{
    TDatabase* database = TDatabase::GetInstance();
    // What a cut-short password change left is said before the user is asked
    // for a password: it tells which one opens the file now.
    auto tellRecovery = [owner, database] {
        const QString note = database->TakeRecoveryNote();
        if (!note.isEmpty())
            InformationBox(owner, note);
    };
    try {
        try {
            OpenDatabaseAtStartup(settingsPath, databasePath);
        } catch (const EKeyRefused&) {
            if (database->UsesServer()) {
                LogInToServer(owner, *database);
                return true;
            }
            // The school's own password: the built-in one did not open it.
            WithPassword(
                {TDatabase::Password()},
                [database, &databasePath](const QString& password) {
                    database->SetPassword(password);
                    database->Open(databasePath);
                },
                [owner]() -> std::optional<QString> {
                    QString password;
                    if (!PasswordBox(owner, PasswordPromptText(), password))
                        return std::nullopt;
                    return password;
                },
                tellRecovery);
        }
    } catch (const Exception& e) {
        database->SetPassword(QString());
        // A request to end the program left over from the start would end
        // this box at once: the user must read why the program stops.
        QCoreApplication::removePostedEvents(QCoreApplication::instance(), QEvent::Quit);
        ErrorBox(owner, Message11002() + e.Message());
        return false;
    }
    tellRecovery();
    if (database->UsesServer())
        return true;
    // Said now, once, rather than at the first save the user tries.
    const TOpenedFileCheck check = CheckOpenedFile(TDatabase::GetInstance()->Connection(), databasePath);
    if (!check.CanSave())
        WarningBox(owner, DatabaseReadOnlyText(databasePath));
    if (check.Damaged())
        WarningBox(owner, DatabaseDamagedText(check.Damage.first()));
    return true;
}

QString SaveSettings(const QString& settingsPath)
{
    TIniFile settings(settingsPath);
    return TSettings::GetInstance()->SaveToIni(settings);
}

void ShutDownDatabaseAndSettings(const QString& settingsPath)
{
    // After a start that failed the options were never used, and the file
    // that made it fail may be no settings file at all: it is left alone.
    if (TDatabase::GetInstance()->Connected()) {
        TIniFile settings(settingsPath);
        TSettings::GetInstance()->SaveToIni(settings);
    }
    TSettings::ReleaseInstance();
    TDatabase::ReleaseInstance();
}

bool InstallQtItalianTranslations()
{
    QCoreApplication* application = QCoreApplication::instance();
    if (!application)
        return false;
    // The interface is Italian whatever the system's language, so Qt's texts
    // must be too.
    auto* translator = new QTranslator(application);
    if (!translator->load(QStringLiteral("qtbase_it"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    QCoreApplication::installTranslator(translator);
    return true;
}
