// Portable and installed mode: where the program's files are, and the first
// start of an installed program in the user's (temporary) XDG folders.
#include "AppPaths.h"
#include "Database.h"
#include "DatabaseFile.h"
#include "Messages.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>
#include <csignal>
#include <unistd.h>

namespace {

// A prefix laid out as an installation: bin/ with the program, share/baltero/
// with what comes with it, and the user's folders beside them.
class InstalledLayout : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir_.isValid());
        for (const char* folder : {"prefix/bin", "prefix/share/baltero", "runtime"})
            ASSERT_TRUE(QDir().mkpath(Path(folder)));
        QFile::setPermissions(Path("runtime"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        ASSERT_TRUE(QFile::copy(QStringLiteral(BALTERO_EXAMPLE_QUESTIONNAIRE),
                                Path("prefix/share/baltero/questionario-esempio.txt")));
        savedData_ = qgetenv("XDG_DATA_HOME");
        savedConfig_ = qgetenv("XDG_CONFIG_HOME");
        qputenv("XDG_DATA_HOME", Path("data").toLocal8Bit());
        qputenv("XDG_CONFIG_HOME", Path("config").toLocal8Bit());
        SetProgramFilePath(Path("prefix/bin/Baltero"));
    }
    void TearDown() override
    {
        SetProgramFilePath(QString());
        qputenv("XDG_DATA_HOME", savedData_);
        qputenv("XDG_CONFIG_HOME", savedConfig_);
        TDatabase::ReleaseInstance();
    }
    QString Path(const char* name) const { return dir_.filePath(QString::fromLatin1(name)); }

    QTemporaryDir dir_;
    QByteArray savedData_;
    QByteArray savedConfig_;
};

TEST_F(InstalledLayout, SettingsFileBesideTheProgramDecidesTheMode)
{
    struct Case {
        bool settingsBeside;
        const char* settings;
        const char* database;
        const char* backup;
    };
    const Case cases[] = {
        {false, "config/baltero/Baltero.ini", "data/baltero/Baltero.mdb", "data/baltero/Baltero.mdbbak"},
        {true, "prefix/bin/Baltero.ini", "prefix/bin/Baltero.mdb", "prefix/bin/Baltero.mdbbak"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.settingsBeside ? "portable" : "installed");
        if (c.settingsBeside)
            CreateSettingsFile(Path("prefix/bin/Baltero.ini"));
        EXPECT_EQ(PortableMode(), c.settingsBeside);
        EXPECT_EQ(SettingsFilePath(), Path(c.settings));
        EXPECT_EQ(DatabaseFilePath(), Path(c.database));
        EXPECT_EQ(BackupFilePath(), Path(c.backup));
        EXPECT_EQ(ExampleQuestionnaireFilePath(), Path("prefix/share/baltero/questionario-esempio.txt"));
    }
}

TEST_F(InstalledLayout, UserGuideFoundInShareWhenInstalledOnlyBesideWhenPortable)
{
    QFile guide(Path("prefix/share/baltero/Baltero - Manuale utente.pdf"));
    ASSERT_TRUE(guide.open(QIODevice::WriteOnly));
    guide.close();
    EXPECT_EQ(UserGuideFilePath(), guide.fileName());
    CreateSettingsFile(Path("prefix/bin/Baltero.ini"));
    EXPECT_EQ(UserGuideFilePath(), Path("prefix/bin/Baltero - Manuale utente.pdf"));
}

// The installed program run as the desktop starts it, on the offscreen
// platform, its message boxes logged and answered.
class InstalledProgramRun : public InstalledLayout {
protected:
    void SetUp() override
    {
        InstalledLayout::SetUp();
        if (::link(BALTERO_PROGRAM, Path("prefix/bin/Baltero").toLocal8Bit().constData()) != 0)
            ASSERT_TRUE(QFile::copy(QStringLiteral(BALTERO_PROGRAM), Path("prefix/bin/Baltero")));
    }

    // Starts the program and waits until it has its database open (its lock
    // stands beside the file) or has ended; then ends it as a desktop's
    // log-out would. Returns the boxes it showed.
    QStringList Run(QProcess& process)
    {
        QFile::remove(Path("boxes.log"));
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), Path("runtime"));
        environment.insert(QStringLiteral("BALTERO_TEST_DIALOG_LOG"), Path("boxes.log"));
        environment.insert(QStringLiteral("BALTERO_TEST_DIALOG_ANSWER_MS"), QStringLiteral("300"));
        environment.insert(QStringLiteral("ASAN_OPTIONS"), QStringLiteral("detect_leaks=0"));
        process.setProcessEnvironment(environment);
        process.start(Path("prefix/bin/Baltero"), {QStringLiteral("/nosplash")});
        EXPECT_TRUE(process.waitForStarted(10000));
        const QString lock = Path("data/baltero/Baltero.mdb.lock");
        QElapsedTimer waited;
        waited.start();
        while (!QFile::exists(lock) && process.state() == QProcess::Running && waited.elapsed() < 60000)
            process.waitForFinished(100);
        if (process.state() == QProcess::Running) {
            ::kill(static_cast<pid_t>(process.processId()), SIGTERM);
            EXPECT_TRUE(process.waitForFinished(20000));
        }
        QFile log(Path("boxes.log"));
        if (!log.open(QIODevice::ReadOnly | QIODevice::Text))
            return {};
        return QString::fromUtf8(log.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }
};

TEST_F(InstalledProgramRun, FirstStartCreatesTheFilesLaterStartsFollowTheUsualRules)
{
    QProcess first;
    const QStringList firstBoxes = Run(first);
    ASSERT_EQ(firstBoxes.size(), 2) << firstBoxes.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(firstBoxes[0], QStringLiteral("information\t")
                                 + FirstStartText(Path("data/baltero/Baltero.mdb"), Path("data/baltero/Baltero.mdbbak"),
                                                  Path("config/baltero/Baltero.ini"), true)
                                       .replace(QStringLiteral("\r\n"), QStringLiteral("|")));
    EXPECT_TRUE(QFile::exists(Path("config/baltero/Baltero.ini")));
    EXPECT_FALSE(QFile::exists(Path("prefix/bin/Baltero.ini"))) << "nothing is written beside an installed program";
    OpenDatabaseFile(Path("data/baltero/Baltero.mdb"), TDatabase::TOpenFor::Reading);
    EXPECT_GE(TDatabase::GetInstance()->Lookup(QStringLiteral("SELECT COUNT(*) AS N FROM Questions"), QStringLiteral("N")).toInt(), 80);
    TDatabase::ReleaseInstance();

    // Removed on purpose: the database is not made again behind the user's back.
    ASSERT_TRUE(QFile::remove(Path("data/baltero/Baltero.mdb")));
    QProcess second;
    const QStringList secondBoxes = Run(second);
    ASSERT_FALSE(secondBoxes.isEmpty());
    EXPECT_EQ(secondBoxes[0], QStringLiteral("error\t") + QString(Message11002()).replace(QStringLiteral("\r\n"), QStringLiteral("|"))
                                  + QStringLiteral("File not found."));
    EXPECT_NE(second.exitCode(), 0);
    EXPECT_FALSE(QFile::exists(Path("data/baltero/Baltero.mdb")));
}

TEST_F(InstalledProgramRun, FolderThatCannotBeMadeEndsTheStartWithItsReason)
{
    // Where the data folder should be there is a file.
    QFile blocker(Path("data"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    QProcess process;
    const QStringList boxes = Run(process);
    ASSERT_FALSE(boxes.isEmpty());
    EXPECT_TRUE(boxes[0].startsWith(QStringLiteral("error\t") + QString(UserFilesNotCreatedText()).replace(QStringLiteral("\r\n"), QStringLiteral("|"))))
        << boxes[0].toStdString();
    EXPECT_NE(process.exitCode(), 0);
    EXPECT_FALSE(QFile::exists(Path("config/baltero/Baltero.ini")));
}

} // namespace
