#include "CommandLine.h"
#include "Database.h"
#include "DatabaseFile.h"
#include "Dialogs.h"
#include "Messages.h"
#include "SingleInstance.h"
#include "Settings.h"
#include "Startup.h"

#include <QFile>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

TEST(SplashSwitch, SlashOrHyphenAndTheWordInAnyCase)
{
    EXPECT_TRUE(HasNoSplashSwitch({QStringLiteral("/nosplash")}));
    EXPECT_TRUE(HasNoSplashSwitch({QStringLiteral("-NoSplash")}));
    EXPECT_TRUE(HasNoSplashSwitch({QStringLiteral("/NOSPLASH")}));
    EXPECT_TRUE(HasNoSplashSwitch({QStringLiteral("-nOsPlAsH")}));
    // Any position among other arguments.
    EXPECT_TRUE(HasNoSplashSwitch({QStringLiteral("qualcosa"), QStringLiteral("-x"), QStringLiteral("/nosplash")}));
}

TEST(SplashSwitch, OtherFormsDoNotCount)
{
    EXPECT_FALSE(HasNoSplashSwitch({}));
    EXPECT_FALSE(HasNoSplashSwitch({QStringLiteral("NOSPLASH")}));
    EXPECT_FALSE(HasNoSplashSwitch({QStringLiteral("--nosplash")}));
    EXPECT_FALSE(HasNoSplashSwitch({QStringLiteral("//nosplash")}));
    EXPECT_FALSE(HasNoSplashSwitch({QStringLiteral("/nosplash2")}));
    EXPECT_FALSE(HasNoSplashSwitch({QStringLiteral("/no splash")}));
    EXPECT_FALSE(HasNoSplashSwitch({QStringLiteral("/")}));
    EXPECT_FALSE(HasNoSplashSwitch({QStringLiteral("-")}));
}

// A copy of the program holding the lock in another process.
class Holder {
public:
    explicit Holder(const QString& folder)
    {
        process_.start(QStringLiteral(SINGLE_INSTANCE_HOLDER), {folder});
    }
    ~Holder()
    {
        if (process_.state() != QProcess::NotRunning) {
            process_.kill();
            process_.waitForFinished(5000);
        }
    }
    // What the holder said about its own start.
    QString Outcome()
    {
        if (!process_.waitForStarted(5000))
            return QStringLiteral("<not started>");
        while (!process_.canReadLine()) {
            if (!process_.waitForReadyRead(5000))
                return QStringLiteral("<silent>");
        }
        return QString::fromLocal8Bit(process_.readLine()).trimmed();
    }
    void EndNormally()
    {
        process_.write("\n");
        process_.closeWriteChannel();
        ASSERT_TRUE(process_.waitForFinished(5000));
        ASSERT_EQ(process_.exitStatus(), QProcess::NormalExit);
    }
    void Crash()
    {
        process_.kill();
        ASSERT_TRUE(process_.waitForFinished(5000));
    }

private:
    QProcess process_;
};

class SingleInstanceTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir_.isValid()); }
    QTemporaryDir dir_;
};

TEST_F(SingleInstanceTest, SecondCopyRefusedWhileTheFirstRunsAllowedAfterItEnds)
{
    Holder first(dir_.path());
    ASSERT_EQ(first.Outcome(), QStringLiteral("owned"));

    TSingleInstance second(dir_.path());
    EXPECT_EQ(second.Acquire(), TSingleInstance::TResult::AlreadyRunning);
    // Asking again changes nothing while the first copy runs.
    EXPECT_EQ(second.Acquire(), TSingleInstance::TResult::AlreadyRunning);

    first.EndNormally();
    EXPECT_FALSE(QFile::exists(second.LockFilePath())) << "a normal end leaves no lock behind";
    EXPECT_EQ(second.Acquire(), TSingleInstance::TResult::Owned);
}

TEST_F(SingleInstanceTest, LockOfACrashedCopyIsTakenOver)
{
    Holder crashed(dir_.path());
    ASSERT_EQ(crashed.Outcome(), QStringLiteral("owned"));
    crashed.Crash();
    ASSERT_TRUE(QFile::exists(dir_.filePath(QStringLiteral("Baltero.lock")))) << "the crash must leave its lock";

    TSingleInstance next(dir_.path());
    EXPECT_EQ(next.Acquire(), TSingleInstance::TResult::Owned);

    // And the new owner keeps out a third copy in its turn.
    Holder third(dir_.path());
    EXPECT_EQ(third.Outcome(), QStringLiteral("running"));
}

TEST_F(SingleInstanceTest, ReleasedLockLetsTheNextCopyIn)
{
    {
        TSingleInstance first(dir_.path());
        ASSERT_EQ(first.Acquire(), TSingleInstance::TResult::Owned);
        Holder refused(dir_.path());
        EXPECT_EQ(refused.Outcome(), QStringLiteral("running"));
    }
    Holder next(dir_.path());
    EXPECT_EQ(next.Outcome(), QStringLiteral("owned"));
}

TEST_F(SingleInstanceTest, MissingFolderRunsUnguardedRatherThanRefusing)
{
    TSingleInstance instance(dir_.filePath(QStringLiteral("non/esiste")));
    EXPECT_EQ(instance.Acquire(), TSingleInstance::TResult::Unguarded);
}

TEST_F(SingleInstanceTest, LockIsNamedAfterTheTitleInTheRuntimeFolder)
{
    TSingleInstance instance;
    EXPECT_TRUE(instance.LockFilePath().endsWith(QStringLiteral("/Baltero.lock")));
    EXPECT_TRUE(instance.LockFilePath().startsWith(TSingleInstance::DefaultFolder()));
}

class DatabaseAtStartupTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir_.isValid());
        DialogScript::Begin();
    }
    void TearDown() override
    {
        DialogScript::End();
        TDatabase::ReleaseInstance();
        TSettings::ReleaseInstance();
    }
    QString Path(const QString& name) const { return dir_.filePath(name); }
    QTemporaryDir dir_;
};

TEST_F(DatabaseAtStartupTest, MissingDatabaseFileReports11002WithFileNotFound)
{
    CreateSettingsFile(Path(QStringLiteral("Baltero.ini")));
    EXPECT_FALSE(OpenDatabaseOrReport(nullptr, Path(QStringLiteral("Baltero.ini")), Path(QStringLiteral("Baltero.mdb"))));
    EXPECT_EQ(DialogScript::Texts(QStringLiteral("error")),
              QStringList{Message11002() + QStringLiteral("File not found.")});
    EXPECT_FALSE(TDatabase::GetInstance()->Connected());
}

TEST_F(DatabaseAtStartupTest, MissingSettingsFileReportsTheEngineFailure)
{
    CreateDatabaseFile(Path(QStringLiteral("Baltero.mdb")));
    EXPECT_FALSE(OpenDatabaseOrReport(nullptr, Path(QStringLiteral("Baltero.ini")), Path(QStringLiteral("Baltero.mdb"))));
    const QStringList errors = DialogScript::Texts(QStringLiteral("error"));
    ASSERT_EQ(errors.size(), 1);
    EXPECT_TRUE(errors[0].startsWith(Message11002()));
    EXPECT_GT(errors[0].size(), Message11002().size()) << "the exception's text follows the message";
}

TEST_F(DatabaseAtStartupTest, DeliveredFilesOpenWithoutAWord)
{
    CreateDatabaseFile(Path(QStringLiteral("Baltero.mdb")));
    CreateSettingsFile(Path(QStringLiteral("Baltero.ini")));
    EXPECT_TRUE(OpenDatabaseOrReport(nullptr, Path(QStringLiteral("Baltero.ini")), Path(QStringLiteral("Baltero.mdb"))));
    EXPECT_TRUE(DialogScript::ShownDialogs().empty());
    EXPECT_TRUE(TDatabase::GetInstance()->Connected());
}

TEST(QtTranslations, MessageBoxButtonsReadInItalian)
{
    ASSERT_TRUE(InstallQtItalianTranslations());
    QMessageBox box(QMessageBox::Question, QStringLiteral("Baltero"), QStringLiteral("?"),
                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    EXPECT_EQ(box.button(QMessageBox::Yes)->text().remove(QLatin1Char('&')), QStringLiteral("S\u00ec"));
    EXPECT_EQ(box.button(QMessageBox::No)->text().remove(QLatin1Char('&')), QStringLiteral("No"));
    EXPECT_EQ(box.button(QMessageBox::Cancel)->text().remove(QLatin1Char('&')), QStringLiteral("Annulla"));
}

} // namespace
