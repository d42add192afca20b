// The administrator's tool, run as the built program: the files it creates
// are the ones the program opens.
#include "Database.h"
#include "DatabaseFile.h"
#include "Exception.h"
#include "IniFile.h"
#include "NyConnection.h"
#include "SchemaVersion.h"
#include "TestText.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <ostream>
#include <unistd.h>

namespace {

struct ToolRun {
    int exitCode = -1;
    QString out;
    QString err;
};

ToolRun RunProgram(const QString& program, const QStringList& arguments, const QByteArray& input = QByteArray())
{
    QProcess process;
    process.start(program, arguments);
    ToolRun run;
    if (!process.waitForStarted()) {
        ADD_FAILURE() << "cannot start " << qPrintable(program);
        return run;
    }
    process.write(input);
    process.closeWriteChannel();
    EXPECT_TRUE(process.waitForFinished(60000)) << qPrintable(program);
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit) << qPrintable(program);
    run.exitCode = process.exitCode();
    run.out = QString::fromLocal8Bit(process.readAllStandardOutput());
    run.err = QString::fromLocal8Bit(process.readAllStandardError());
    return run;
}

ToolRun Tool(const QStringList& arguments)
{
    return RunProgram(QStringLiteral(BALTERO_DB_PATH), arguments);
}

QByteArray Contents(const QString& path)
{
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << qPrintable(path);
    return file.readAll();
}

class BalteroDbTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString Path(const char* name) const { return dir.filePath(QString::fromLatin1(name)); }
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }
    void TearDown() override { TDatabase::ReleaseInstance(); }
};

TEST_F(BalteroDbTest, CreateMakesAPrivateEncryptedDatabaseWithTheNineTables)
{
    const QString path = Path("Baltero.mdb");
    const ToolRun run = Tool({QStringLiteral("create"), path});
    ASSERT_EQ(run.exitCode, 0) << qPrintable(run.err);
    // Mode 0600: the owner reads and writes, nobody else.
    EXPECT_EQ(QFileInfo(path).permissions(),
              QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadUser | QFileDevice::WriteUser);
    // Nothing is left beside it.
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::NoDotAndDotDot), QStringList({QStringLiteral("Baltero.mdb")}));

    TDatabase* db = TDatabase::GetInstance();
    db->SetConnectionTemplate(DefaultConnectionTemplate());
    db->Open(path);
    auto rs = db->OpenRecordset(QStringLiteral("SELECT name FROM sqlite_master WHERE type='table' AND name NOT LIKE 'sqlite%' ORDER BY name"));
    QStringList tables;
    for (; !rs->Eof(); rs->MoveNext())
        tables << rs->GetFieldAsString(QStringLiteral("name"));
    EXPECT_EQ(tables, QStringList({QStringLiteral("Application"), QStringLiteral("Areas"), QStringLiteral("Children"),
                                   QStringLiteral("CompiledTables"), QStringLiteral("CompiledTablesAnswers"),
                                   QStringLiteral("CompiledTablesStartPhase"), QStringLiteral("Phases"),
                                   QStringLiteral("Questions"), QStringLiteral("Teachers")}));
    db->Close();

    db->SetConnectionTemplate(QStringLiteral("Provider=SQLCipher;Data Source=%DATASOURCE%"));
    EXPECT_THROW(db->Open(path), Exception);
    db->SetConnectionTemplate(QStringLiteral("Provider=SQLCipher;Data Source=%DATASOURCE%;Password=Plumtrek"));
    EXPECT_THROW(db->Open(path), Exception);
}

TEST_F(BalteroDbTest, SqlcipherShellOpensTheDatabaseOnlyWithThePassword)
{
    const QString shell = QStandardPaths::findExecutable(QStringLiteral("sqlcipher"));
    if (shell.isEmpty())
        GTEST_SKIP() << "the sqlcipher shell is not installed";
    const QString path = Path("Baltero.mdb");
    ASSERT_EQ(Tool({QStringLiteral("create"), path}).exitCode, 0);

    const ToolRun withKey = RunProgram(shell, {path}, "PRAGMA key='plumtrek';\n.tables\n");
    for (const char* table : {"Application", "Areas", "Children", "CompiledTables", "CompiledTablesAnswers",
                              "CompiledTablesStartPhase", "Phases", "Questions", "Teachers"})
        EXPECT_TRUE(withKey.out.split(QRegularExpression(QStringLiteral("\\s+"))).contains(QString::fromLatin1(table)))
            << table << "\n" << qPrintable(withKey.out) << qPrintable(withKey.err);

    const ToolRun withoutKey = RunProgram(shell, {path}, ".tables\n");
    EXPECT_FALSE(withoutKey.out.contains(QStringLiteral("Children")));
    EXPECT_TRUE(withoutKey.err.contains(QStringLiteral("not a database"))) << qPrintable(withoutKey.err);
}

TEST_F(BalteroDbTest, CreateNeverOverwrites)
{
    const QString path = Path("Baltero.mdb");
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("precious data");
    }
    const ToolRun run = Tool({QStringLiteral("create"), path});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err, QStringLiteral("baltero-db: %1: the file already exists.\n").arg(path));
    EXPECT_EQ(Contents(path), QByteArray("precious data"));

    const ToolRun settings = Tool({QStringLiteral("create-settings"), path});
    EXPECT_EQ(settings.exitCode, 1);
    EXPECT_EQ(Contents(path), QByteArray("precious data"));
}

TEST_F(BalteroDbTest, CreateInAMissingFolderFailsAndLeavesNothing)
{
    const QString path = Path("missing/Baltero.mdb");
    const ToolRun run = Tool({QStringLiteral("create"), path});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.startsWith(QStringLiteral("baltero-db: "))) << qPrintable(run.err);
    EXPECT_FALSE(QFileInfo::exists(Path("missing")));
}

TEST_F(BalteroDbTest, CreateSettingsWritesTheDeliveredFile)
{
    const QString path = Path("Baltero.ini");
    const ToolRun run = Tool({QStringLiteral("create-settings"), path});
    ASSERT_EQ(run.exitCode, 0) << qPrintable(run.err);
    EXPECT_EQ(Contents(path), QByteArray("[DATABASE]\nConnectionString=Provider=SQLCipher;Data Source=%DATASOURCE%;"
                                         "Password=%PASSWORD%\n\n[TABLES]\nAutoAdvancing=1\n"));
    const TIniFile settings(path);
    EXPECT_EQ(settings.ReadInteger(QStringLiteral("tables"), QStringLiteral("autoadvancing"), 0), 1);

    // The two delivered files work together as the program uses them.
    ASSERT_EQ(Tool({QStringLiteral("create"), Path("Baltero.mdb")}).exitCode, 0);
    TDatabase* db = TDatabase::GetInstance();
    db->ReadConnectionString(settings);
    EXPECT_TRUE(db->Open(Path("Baltero.mdb")));
    EXPECT_EQ(db->Execute(QStringLiteral("UPDATE Application SET School='Scuola'")), 1);
}

TEST_F(BalteroDbTest, CreateMakesTheNewestVersionAndNoCommandTouchesANewerOne)
{
    const QString path = Path("Baltero.mdb");
    ASSERT_EQ(Tool({QStringLiteral("create"), path}).exitCode, 0);
    const int newer = NewestSchemaVersion() + 1;
    {
        TNyConnection connection;
        connection.Open(TDatabase::BuildConnectionString(DefaultConnectionTemplate(), path, TDatabase::Password()));
        EXPECT_EQ(SchemaVersionOf(connection), NewestSchemaVersion());
        connection.Execute(QStringLiteral("PRAGMA user_version = %1").arg(newer));
    }
    const QByteArray before = Contents(path);
    const QStringList commands[] = {
        {QStringLiteral("check"), path},
        {QStringLiteral("compact"), path},
        {QStringLiteral("import-questions"), path, Path("domande.txt")},
        {QStringLiteral("export-report"), path, QStringLiteral("1"), Path("report.html")},
    };
    for (const QStringList& command : commands) {
        SCOPED_TRACE(command.first().toStdString());
        const ToolRun run = Tool(command);
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_EQ(run.err, QStringLiteral("baltero-db: %1\n").arg(DatabaseTooNewText(newer, newer - 1)));
        EXPECT_TRUE(Contents(path) == before);
    }
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("Baltero.mdb")});
}

TEST_F(BalteroDbTest, HelpAndWrongUse)
{
    const ToolRun help = Tool({QStringLiteral("--help")});
    EXPECT_EQ(help.exitCode, 0);
    for (const char* command : {"create [DBFILE | CONNECTION]", "copy SOURCE TARGET", "create-settings [INIFILE]", "--help"})
        EXPECT_TRUE(help.out.contains(QString::fromLatin1(command))) << command << "\n" << qPrintable(help.out);

    const ToolRun unknown = Tool({QStringLiteral("frobnicate"), Path("x")});
    EXPECT_EQ(unknown.exitCode, 1);
    EXPECT_TRUE(unknown.err.startsWith(QStringLiteral("baltero-db: unknown command 'frobnicate'"))) << qPrintable(unknown.err);
    EXPECT_TRUE(unknown.out.isEmpty());

    const ToolRun none = Tool({});
    EXPECT_EQ(none.exitCode, 1);
    EXPECT_TRUE(none.err.contains(QStringLiteral("create [DBFILE | CONNECTION]")));

    // The database may be left out, the question file may not.
    const ToolRun missingArgument = Tool({QStringLiteral("import-questions")});
    EXPECT_EQ(missingArgument.exitCode, 1);
    EXPECT_TRUE(missingArgument.err.startsWith(QStringLiteral("Usage: baltero-db import-questions [DBFILE] QUESTIONFILE")))
        << qPrintable(missingArgument.err);

    const ToolRun extraArgument = Tool({QStringLiteral("create-settings"), Path("a.ini"), Path("b.ini")});
    EXPECT_EQ(extraArgument.exitCode, 1);
    EXPECT_FALSE(QFileInfo::exists(Path("a.ini")));
}

// The tool in a bin/ folder of its own, with the example questionnaire in
// share/baltero/ as installed, run without naming its files: the portable
// program's beside it when a Baltero.ini stands there, else the user's.
TEST_F(BalteroDbTest, FileLeftOutIsTheProgramsOwnAndIsNamed)
{
    struct Case {
        bool portable;
        const char* database;
        const char* settings;
    };
    const Case cases[] = {
        {false, "data/baltero/Baltero.mdb", "config/baltero/Baltero.ini"},
        {true, "bin/Baltero.mdb", "bin/Baltero.ini"},
    };
    ASSERT_TRUE(QDir().mkpath(Path("bin")));
    ASSERT_TRUE(QDir().mkpath(Path("share/baltero")));
    const QString tool = Path("bin/baltero-db");
    // A hard link: the tool finds its folder through its own file, which a
    // symbolic link would lead back to the build folder.
    ASSERT_TRUE(::link(BALTERO_DB_PATH, tool.toLocal8Bit().constData()) == 0
                || QFile::copy(QStringLiteral(BALTERO_DB_PATH), tool));
    ASSERT_TRUE(QFile::copy(QFileInfo(QStringLiteral(BALTERO_DB_PATH)).dir().filePath(QStringLiteral("questionario-esempio.txt")),
                            Path("share/baltero/questionario-esempio.txt")));
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_DATA_HOME"), Path("data"));
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), Path("config"));
    const auto run = [&](const QStringList& arguments) {
        QProcess process;
        process.setProcessEnvironment(environment);
        process.start(tool, arguments);
        EXPECT_TRUE(process.waitForFinished(60000));
        ToolRun result;
        result.exitCode = process.exitCode();
        result.out = QString::fromLocal8Bit(process.readAllStandardOutput());
        result.err = QString::fromLocal8Bit(process.readAllStandardError());
        return result;
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.portable ? "portable" : "installed");
        if (c.portable) {
            // The settings file beside the program is what makes it portable.
            const ToolRun settings = run({QStringLiteral("create-settings"), Path(c.settings)});
            ASSERT_EQ(settings.exitCode, 0) << qPrintable(settings.err);
        } else {
            const ToolRun settings = run({QStringLiteral("create-settings")});
            ASSERT_EQ(settings.exitCode, 0) << qPrintable(settings.err);
            EXPECT_EQ(settings.out, QStringLiteral("baltero-db: using %1\n").arg(Path(c.settings)));
            EXPECT_TRUE(QFileInfo::exists(Path(c.settings)));
        }
        const ToolRun create = run({QStringLiteral("create"), QStringLiteral("--with-example-questionnaire")});
        ASSERT_EQ(create.exitCode, 0) << qPrintable(create.err);
        EXPECT_EQ(create.out, QStringLiteral("baltero-db: using %1\n").arg(Path(c.database)));
        const ToolRun check = run({QStringLiteral("check")});
        EXPECT_EQ(check.exitCode, 0) << qPrintable(check.err);
        EXPECT_EQ(check.out, QStringLiteral("baltero-db: using %1\nok\n").arg(Path(c.database)));

        TDatabase* db = TDatabase::GetInstance();
        db->SetConnectionTemplate(DefaultConnectionTemplate());
        db->Open(Path(c.database));
        EXPECT_GE(db->Lookup(QStringLiteral("SELECT COUNT(*) AS N FROM Questions"), QStringLiteral("N")).toInt(), 80);
        db->Close();
    }
    // A file named is used as it is, without a word about it.
    const ToolRun named = run({QStringLiteral("check"), Path("data/baltero/Baltero.mdb")});
    EXPECT_EQ(named.exitCode, 0) << qPrintable(named.err);
    EXPECT_EQ(named.out, QStringLiteral("ok\n"));
}

} // namespace
