// The password at start-up and the Strumenti menu's password, backup and
// restore commands, in the real main window over real files.
#include "DatabaseFile.h"
#include "Dialogs.h"
#include "MaintenanceMessages.h"
#include "Messages.h"
#include "Settings.h"
#include "Startup.h"
#include "StartupFolder.h"
#include "TestDatabase.h"
#include "UnitMain.h"
#include "ui_UnitMain.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <optional>

namespace {

const QString SchoolPassword = QStringLiteral("girasole-2026!");

class PasswordAtStartup : public StartupFolder {};

TEST_F(PasswordAtStartup, ThreeTriesThenTheStartFailsCleanly)
{
    const QString database = Path(QStringLiteral("Baltero.mdb"));
    const QString settings = Path(QStringLiteral("Baltero.ini"));
    CreateDatabaseFile(database);
    CreateSettingsFile(settings);
    OpenDatabaseFile(database);
    TDatabase::GetInstance()->ChangePassword(SchoolPassword);
    TDatabase::ReleaseInstance();

    struct Case {
        std::vector<std::optional<QString>> typed;
        bool opens;
        QString failure;
    };
    const std::optional<QString> wrong = QStringLiteral("sbagliata-123");
    const Case cases[] = {
        {{wrong, wrong, wrong, SchoolPassword}, false, WrongPasswordText()},
        {{wrong, SchoolPassword}, true, QString()},
        {{std::nullopt}, false, PasswordNotGivenText()},
    };
    for (const Case& c : cases) {
        DialogScript::Begin();
        for (const auto& text : c.typed)
            DialogScript::PushText(text);
        EXPECT_EQ(OpenDatabaseOrReport(nullptr, settings, database), c.opens);
        EXPECT_EQ(TDatabase::GetInstance()->Connected(), c.opens);
        const QStringList errors = DialogScript::Texts(QStringLiteral("error"));
        ASSERT_EQ(errors.size(), c.opens ? 0 : 1);
        if (!c.opens)
            EXPECT_TRUE(errors[0].startsWith(Message11002() + c.failure)) << errors[0].toStdString();
        EXPECT_LE(DialogScript::Texts(QStringLiteral("password")).size(), 3);
        TDatabase::ReleaseInstance();
    }
}

class StrumentiMenu : public ::testing::Test {
protected:
    void SetUp() override
    {
        CreateSettingsFile(SettingsPath());
        SetProgramFilePath(files_.Path(QStringLiteral("Baltero")));
        files_.AddChild(QStringLiteral("Anna"));
        DialogScript::Begin();
        window_ = std::make_unique<TFormMain>(SettingsPath(), files_.DatabasePath());
    }
    void TearDown() override
    {
        window_.reset();
        DialogScript::End();
        SetProgramFilePath(QString());
        TSettings::ReleaseInstance();
    }
    QString SettingsPath() const { return files_.Path(QStringLiteral("Baltero.ini")); }
    Ui::TFormMain& Menu() { return window_->Controls(); }

    TestDatabase files_;
    QTemporaryDir stick_;
    std::unique_ptr<TFormMain> window_;
};

TEST_F(StrumentiMenu, ProtectBackUpAndRestoreAsANewUserWould)
{
    EXPECT_TRUE(Menu().MainMenuStrumentiProtectWithPassword->isVisible());
    EXPECT_FALSE(Menu().MainMenuStrumentiChangePassword->isVisible());
    // Too short, then two that differ, then the same one twice.
    for (const char* text : {"corta", "corta", "abbastanza-lunga", "diversa-davvero"})
        DialogScript::PushText(QString::fromLatin1(text));
    DialogScript::PushText(SchoolPassword);
    DialogScript::PushText(SchoolPassword);
    Menu().MainMenuStrumentiProtectWithPassword->trigger();
    EXPECT_EQ(DialogScript::Texts(QStringLiteral("newpassword")), QStringList{NewPasswordWarningText()});
    EXPECT_EQ(DialogScript::Texts(QStringLiteral("warning")),
              QStringList({NewPasswordProblem(QStringLiteral("corta"), QStringLiteral("corta")),
                           NewPasswordProblem(QStringLiteral("abbastanza-lunga"), QStringLiteral("diversa"))}));
    EXPECT_EQ(DialogScript::Texts(QStringLiteral("information")), QStringList{PasswordSetText()});
    EXPECT_TRUE(files_.Db().HasOwnPassword());
    EXPECT_FALSE(Menu().MainMenuStrumentiProtectWithPassword->isVisible());
    EXPECT_TRUE(Menu().MainMenuStrumentiChangePassword->isVisible());

    DialogScript::ClearShown();
    DialogScript::PushText(stick_.path());
    Menu().MainMenuStrumentiBackup->trigger();
    const QStringList copies = QDir(stick_.path()).entryList(QDir::Files);
    ASSERT_EQ(copies.size(), 1);
    EXPECT_EQ(DialogScript::Texts(QStringLiteral("information")),
              QStringList{BackupDoneText(QDir::toNativeSeparators(QDir(stick_.path()).filePath(copies[0])))});
    EXPECT_EQ(TSettings::GetInstance()->LastBackup(), QDate::currentDate());
    EXPECT_EQ(TSettings::GetInstance()->LastFolder(QStringLiteral("backup")), stick_.path());

    // Restored: the child added after the backup is gone again.
    files_.AddChild(QStringLiteral("Bruno"));
    DialogScript::ClearShown();
    DialogScript::PushText(QDir(stick_.path()).filePath(copies[0]));
    DialogScript::PushAnswer(TBoxAnswer::Yes);
    Menu().MainMenuStrumentiRestore->trigger();
    ASSERT_EQ(DialogScript::Texts(QStringLiteral("question")).size(), 1);
    EXPECT_TRUE(DialogScript::Texts(QStringLiteral("question"))[0].contains(QStringLiteral("1 bambini e 0 compilazioni")));
    EXPECT_TRUE(DialogScript::Texts(QStringLiteral("warning")).isEmpty()) << DialogScript::Texts(QStringLiteral("warning")).join(' ').toStdString();
    EXPECT_EQ(files_.Count(QStringLiteral("Children")), 1);
    EXPECT_TRUE(files_.Db().HasOwnPassword());
}

TEST_F(StrumentiMenu, ExitOffersABackupAtMostOnceADay)
{
    TSettings::GetInstance()->SetLastBackup(QDate::currentDate().addDays(-40));
    DialogScript::PushAnswer(TBoxAnswer::No);
    window_->close();
    EXPECT_EQ(DialogScript::Texts(QStringLiteral("question")), QStringList{BackupReminderText(40)});
    window_.reset();

    // The next start the same day reads the settings file and does not ask.
    DialogScript::ClearShown();
    window_ = std::make_unique<TFormMain>(SettingsPath(), files_.DatabasePath());
    window_->close();
    EXPECT_TRUE(DialogScript::Texts(QStringLiteral("question")).isEmpty());
}

} // namespace
