#include "CommandLine.h"
#include "Database.h"
#include "DatabaseFile.h"
#include "NyConnection.h"
#include "Dialogs.h"
#include "Messages.h"
#include "SingleInstance.h"
#include "Settings.h"
#include "Startup.h"
#include "StartupFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QElapsedTimer>
#include <QProcess>
#include <QThread>
#include <QPushButton>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <csignal>
#include <unistd.h>

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

using DatabaseAtStartupTest = StartupFolder;

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

// Permission bits do not stop root: while a check runs, a test run as root
// acts as the unprivileged user "nobody", for whom they hold.
class ActingAsUnprivileged {
public:
    ActingAsUnprivileged()
    {
        if (::geteuid() != 0)
            return;
        active_ = ::setegid(65534) == 0 && ::seteuid(65534) == 0;
        if (!active_)
            (void)::setegid(0);
    }
    ~ActingAsUnprivileged()
    {
        if (active_) {
            (void)::seteuid(0);
            (void)::setegid(0);
        }
    }
    // False only for root unable to drop its rights: nothing is read-only then.
    bool Possible() const { return active_ || ::geteuid() != 0; }

private:
    bool active_ = false;
};

struct ReadOnlyCase {
    const char* name;
    QFile::Permissions file;
    QFile::Permissions folder;
};

TEST_F(DatabaseAtStartupTest, ReadOnlyFileOrFolderIsSaidOnceAndTheProgramGoesOn)
{
    const QFile::Permissions readOnly = QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther;
    const QFile::Permissions writable = readOnly | QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther;
    const QFile::Permissions traversable = QFile::ExeOwner | QFile::ExeGroup | QFile::ExeOther;
    const ReadOnlyCase cases[] = {
        {"read-only file", readOnly, writable | traversable},
        {"read-only folder (no journal can be made)", writable, readOnly | traversable},
        {"both", readOnly, readOnly | traversable},
    };
    int number = 0;
    for (const ReadOnlyCase& c : cases) {
        SCOPED_TRACE(c.name);
        const QString folder = dir_.filePath(QStringLiteral("caso") + QString::number(++number));
        ASSERT_TRUE(QDir().mkpath(folder));
        const QString database = QDir(folder).filePath(QStringLiteral("Baltero.mdb"));
        const QString settings = QDir(folder).filePath(QStringLiteral("Baltero.ini"));
        CreateDatabaseFile(database);
        CreateSettingsFile(settings);
        ASSERT_TRUE(QFile::setPermissions(dir_.path(), QFile::permissions(dir_.path()) | traversable | QFile::ReadOther));
        ASSERT_TRUE(QFile::setPermissions(settings, readOnly));
        ASSERT_TRUE(QFile::setPermissions(database, c.file));
        ASSERT_TRUE(QFile::setPermissions(folder, c.folder));
        DialogScript::ClearShown();
        {
            ActingAsUnprivileged unprivileged;
            if (!unprivileged.Possible())
                GTEST_SKIP() << "running as root without the right to act as another user";
            EXPECT_TRUE(OpenDatabaseOrReport(nullptr, settings, database));
            EXPECT_TRUE(TDatabase::GetInstance()->Connected());
            TDatabase::ReleaseInstance();
            TSettings::ReleaseInstance();
        }
        EXPECT_EQ(DialogScript::Texts(QStringLiteral("warning")), QStringList{DatabaseReadOnlyText(database)});
        EXPECT_TRUE(DialogScript::Texts(QStringLiteral("error")).isEmpty());
        QFile::setPermissions(folder, writable | traversable);
    }
}

TEST_F(DatabaseAtStartupTest, DamagedPagesAdviseCompactAndRepair)
{
    const QString database = Path(QStringLiteral("Baltero.mdb"));
    CreateDatabaseFile(database);
    CreateSettingsFile(Path(QStringLiteral("Baltero.ini")));
    {
        // Enough rows for the children's table to spread over many pages.
        OpenDatabaseFile(database);
        const QString info(600, QLatin1Char('x'));
        for (int i = 0; i < 200; ++i)
            TDatabase::GetInstance()->Execute(
                QStringLiteral("INSERT INTO Children(Name, DateOfBirth, Info) VALUES('Bambino %1', '2020-01-01', '%2')")
                    .arg(QString::number(i), info));
        TDatabase::ReleaseInstance();
    }
    QFile file(database);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    ASSERT_GT(file.size(), 40 * 4096);
    // Garbage over the middle of a few pages past the first.
    for (int page : {5, 12, 20}) {
        ASSERT_TRUE(file.seek(page * 4096 + 1000));
        ASSERT_EQ(file.write(QByteArray(300, '\xA5')), 300);
    }
    file.close();

    EXPECT_TRUE(OpenDatabaseOrReport(nullptr, Path(QStringLiteral("Baltero.ini")), database));
    const QStringList warnings = DialogScript::Texts(QStringLiteral("warning"));
    ASSERT_EQ(warnings.size(), 1);
    EXPECT_TRUE(warnings[0].startsWith(DatabaseDamagedText(QString()))) << warnings[0].toStdString();
    EXPECT_TRUE(warnings[0].contains(QStringLiteral("Compatta e ripristina database")));
    EXPECT_GT(warnings[0].size(), DatabaseDamagedText(QString()).size()) << "the engine's finding follows";
}

// The program itself, run in its own folders on the offscreen platform. Its
// message boxes are logged and answered after a while through the test
// variables of the message-box seam.
class ProgramRunTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir_.isValid());
        for (const char* name : {"runtime", "con-database", "senza-database"})
            ASSERT_TRUE(QDir(dir_.path()).mkdir(QString::fromLatin1(name)));
        QFile::setPermissions(dir_.filePath(QStringLiteral("runtime")), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        for (const char* name : {"con-database", "senza-database"}) {
            const QString folder = dir_.filePath(QString::fromLatin1(name));
            // The program finds its files beside itself: each folder has its own copy.
            const QString program = QDir(folder).filePath(QStringLiteral("Baltero"));
            if (::link(BALTERO_PROGRAM, program.toLocal8Bit().constData()) != 0) {
                ASSERT_TRUE(QFile::copy(QStringLiteral(BALTERO_PROGRAM), program));
            }
            CreateSettingsFile(QDir(folder).filePath(QStringLiteral("Baltero.ini")));
        }
        CreateDatabaseFile(dir_.filePath(QStringLiteral("con-database/Baltero.mdb")));
    }

    void Start(QProcess& process, const char* folder, int answerMs)
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), dir_.filePath(QStringLiteral("runtime")));
        environment.insert(QStringLiteral("BALTERO_TEST_DIALOG_LOG"), LogPath());
        environment.insert(QStringLiteral("BALTERO_TEST_DIALOG_ANSWER_MS"), QString::number(answerMs));
        // What the program leaks at its end is no concern of these runs.
        environment.insert(QStringLiteral("ASAN_OPTIONS"), QStringLiteral("detect_leaks=0"));
        process.setProcessEnvironment(environment);
        process.start(dir_.filePath(QString::fromLatin1(folder) + QStringLiteral("/Baltero")), {QStringLiteral("/nosplash")});
        ASSERT_TRUE(process.waitForStarted(10000));
    }

    QString LogPath() const { return dir_.filePath(QStringLiteral("boxes.log")); }
    QStringList Log() const
    {
        QFile file(LogPath());
        if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
            return {};
        return QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }

    QTemporaryDir dir_;
};

// A first copy runs, a second is refused and its message answered, the first
// is ended by SIGTERM; then a copy whose database is missing must show
// message 11002 until it is answered, and end with a failure status.
TEST_F(ProgramRunTest, MissingDatabaseMessageShowsEveryTimeAfterARefusedAndAKilledCopy)
{
    const QString lockPath = dir_.filePath(QStringLiteral("runtime/Baltero.lock"));
    const int answerMs = 1500;
    for (int run = 1; run <= 3; ++run) {
        SCOPED_TRACE(run);
        QFile::remove(LogPath());
        QProcess first;
        Start(first, "con-database", 60000);
        QElapsedTimer waited;
        waited.start();
        while (!QFile::exists(lockPath) && waited.elapsed() < 20000)
            QThread::msleep(50);
        ASSERT_TRUE(QFile::exists(lockPath));
        QThread::msleep(500);

        QProcess second;
        Start(second, "con-database", 200);
        ASSERT_TRUE(second.waitForFinished(30000));
        ASSERT_TRUE(first.state() == QProcess::Running) << "the first copy showed a box: " << Log().join(QLatin1Char('\n')).toStdString();
        ::kill(static_cast<pid_t>(first.processId()), SIGTERM);
        ASSERT_TRUE(first.waitForFinished(10000));

        QProcess third;
        Start(third, "senza-database", answerMs);
        ASSERT_TRUE(third.waitForFinished(30000));
        EXPECT_EQ(third.exitStatus(), QProcess::NormalExit);
        EXPECT_NE(third.exitCode(), 0) << "a program that could not start says so in its status";

        const QStringList log = Log();
        ASSERT_EQ(log.size(), 4) << log.join(QLatin1Char('\n')).toStdString();
        EXPECT_EQ(log[0], QStringLiteral("warning\t") + AlreadyRunningText());
        EXPECT_TRUE(log[1].startsWith(QStringLiteral("closed\tanswered")));
        EXPECT_EQ(log[2], QStringLiteral("error\t") + QString(Message11002()).replace(QStringLiteral("\r\n"), QStringLiteral("|"))
                              + QStringLiteral("File not found."));
        const QStringList closed = log[3].split(QLatin1Char('\t'));
        ASSERT_EQ(closed.size(), 3);
        EXPECT_EQ(closed[1], QStringLiteral("answered")) << "the box went away before the user could answer it";
        EXPECT_GE(closed[2].toInt(), answerMs);
    }
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

// The school's server named in the settings without a password: the user
// logs in (a wrong password is told and asked again), and the password
// reaches neither the settings file nor the connection the settings give.
TEST_F(DatabaseAtStartupTest, ServerWithoutPasswordAsksForTheLogin)
{
    const QString server = qEnvironmentVariable("BALTERO_TEST_PG");
    if (server.isEmpty())
        GTEST_SKIP() << "no test server: BALTERO_TEST_PG is not set (scripts/test.sh starts one)";
    const TConnectionSettings given = ParseConnectionString(server);
    const QString name = QStringLiteral("baltero_login_%1").arg(QCoreApplication::applicationPid());
    TNyConnection admin;
    admin.Open(server);
    admin.Execute(QStringLiteral("DROP DATABASE IF EXISTS ") + name);
    admin.Execute(QStringLiteral("CREATE DATABASE ") + name);
    CreateServerDatabase(server + QStringLiteral(";Database=") + name);
    QString withoutLogin;
    for (const QString& pair : server.split(QLatin1Char(';'))) {
        const QString key = pair.section(QLatin1Char('='), 0, 0).trimmed().toLower();
        if (key != QLatin1String("password") && key != QLatin1String("user") && key != QLatin1String("database"))
            withoutLogin += pair + QLatin1Char(';');
    }
    withoutLogin += QStringLiteral("Database=") + name;
    const QString settings = Path(QStringLiteral("Baltero.ini"));
    {
        QFile file(settings);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QStringLiteral("[DATABASE]\nConnectionString=%1\n").arg(withoutLogin).toUtf8());
    }
    for (const QString& text : {given.user, QStringLiteral("sbagliata"), given.user, given.password})
        DialogScript::PushText(text);
    ASSERT_TRUE(OpenDatabaseOrReport(nullptr, settings, Path(QStringLiteral("Baltero.mdb"))))
        << DialogScript::Texts(QStringLiteral("error")).join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(DialogScript::Texts(QStringLiteral("login")).size(), 2);
    EXPECT_EQ(DialogScript::Texts(QStringLiteral("warning")).size(), 1);
    EXPECT_TRUE(TDatabase::GetInstance()->Connection().IsServer());
    ShutDownDatabaseAndSettings(settings);
    QFile file(settings);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_FALSE(file.readAll().contains(given.password.toUtf8()));
    admin.Execute(QStringLiteral("DROP DATABASE ") + name);
}
