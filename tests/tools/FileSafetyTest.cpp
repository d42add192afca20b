// baltero-db and the program's database object as separate real processes:
// one program at a time on a database file, a compaction killed at each step
// of its swap, and files written on a full disk.
#include "Database.h"
#include "DatabaseFile.h"
#include "NyConnection.h"
#include "NyRecordset.h"
#include "TestDatabase.h"
#include "TestText.h"
#include "ToolProcess.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <gtest/gtest.h>

namespace {

const QString InUse = QStringLiteral("gi\u00e0 aperto da un altro programma");

QByteArray Contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

void Write(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_EQ(file.write(bytes), bytes.size());
}

// The children a database file holds, read straight from it with no
// recovery of any kind.
QStringList ChildrenIn(const QString& path)
{
    TNyConnection connection;
    connection.Open(TDatabase::BuildConnectionString(DefaultConnectionTemplate(), path, TDatabase::Password()));
    TNyRecordset rs(connection);
    rs.Open(QStringLiteral("SELECT Name FROM Children ORDER BY Name"));
    QStringList names;
    for (; !rs.Eof(); rs.MoveNext())
        names << rs.GetFieldAsString(QStringLiteral("Name"));
    return names;
}

QStringList Entries(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name);
}

} // namespace

// The program (this process, through the same database object) has the file
// open; the administrator runs baltero-db on it.
TEST(DatabaseLock, WritingCommandsWaitForTheProgramReadingOnesGoOn)
{
    TestDatabase t;
    const int child = t.AddChild(QStringLiteral("Anna"));
    t.AddCompilation(child, t.AddTeacher(QStringLiteral("Carla")), QStringLiteral("Ottobre"));
    const QString questions = t.Path(QStringLiteral("domande.ini"));
    Write(questions, "*Linguaggio\r\n#Fase\r\nDice il suo nome?\r\n");
    const QByteArray before = Contents(t.DatabasePath());

    for (const QStringList& writing : {QStringList{QStringLiteral("compact"), t.DatabasePath()},
                                       QStringList{QStringLiteral("import-questions"), t.DatabasePath(), questions}}) {
        SCOPED_TRACE(writing.first().toStdString());
        const TToolRun run = RunTool(writing);
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_TRUE(run.err.contains(InUse)) << run.err.toStdString();
        EXPECT_EQ(Contents(t.DatabasePath()), before);
    }
    EXPECT_FALSE(QFileInfo::exists(t.Path(QStringLiteral("Baltero.mdbbak"))));

    TToolRun run = RunTool({QStringLiteral("check"), t.DatabasePath()});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    const QString report = t.Path(QStringLiteral("rapporto.html"));
    run = RunTool({QStringLiteral("export-report"), t.DatabasePath(), QStringLiteral("1"), report});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(Contents(report).contains("Anna"));

    // The program's own compaction is not kept out by its own lock, and the
    // lock holds on afterwards.
    t.Db().CompactAndRepair();
    EXPECT_EQ(RunTool({QStringLiteral("compact"), t.DatabasePath()}).exitCode, 1);

    // Closed, the file is free for the tool, and the lock file is gone.
    t.Db().Close();
    run = RunTool({QStringLiteral("import-questions"), t.DatabasePath(), questions});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    run = RunTool({QStringLiteral("compact"), t.DatabasePath()});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(Entries(QFileInfo(t.DatabasePath()).path()),
              (QStringList{QStringLiteral("Baltero.mdb"), QStringLiteral("Baltero.mdbbak"), QStringLiteral("domande.ini"),
                           QStringLiteral("rapporto.html")}));
}

TEST(DatabaseLock, EveryPathToTheFileMeetsTheSameLock)
{
    TestDatabase t;
    ASSERT_TRUE(QFile::link(t.DatabasePath(), t.Path(QStringLiteral("Collegamento.mdb"))));
    const TToolRun run = RunTool({QStringLiteral("compact"), t.Path(QStringLiteral("Collegamento.mdb"))});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.contains(InUse)) << run.err.toStdString();
}

// baltero-db compact killed just before each link and rename of its swap:
// link 1 gives the file its backup name, rename 1 puts the copy in its
// place, rename 2 replaces the old backup.
struct TKillPoint {
    const char* syscall;
    bool compacted; // whether the compacted copy stands under the name afterwards
};

class InterruptedCompaction : public ::testing::TestWithParam<TKillPoint> {};

TEST_P(InterruptedCompaction, TheDatabaseStaysWholeUnderItsName)
{
    if (QStandardPaths::findExecutable(QStringLiteral("strace")).isEmpty())
        GTEST_SKIP() << "strace is not installed";
    TestDatabase t;
    const QString path = t.DatabasePath();
    const QString folder = QFileInfo(path).path();
    QStringList children;
    for (int i = 0; i < 50; ++i)
        children << QStringLiteral("Bambino %1").arg(i, 2, 10, QLatin1Char('0'));
    for (const QString& name : children)
        t.AddChild(name);
    // An old backup, told apart by the child it still holds.
    t.Db().CompactAndRepair();
    t.Db().Execute(QStringLiteral("DELETE FROM Children WHERE Name = 'Bambino 00'"));
    children.removeFirst();
    t.Db().Close();
    const QByteArray original = Contents(path);

    const TKillPoint kill = GetParam();
    const TToolRun killed = RunTool({QStringLiteral("compact"), path},
                                    {QStringLiteral("strace"), QStringLiteral("-qq"), QStringLiteral("-o"),
                                     QStringLiteral("/dev/null"), QStringLiteral("-e"),
                                     QStringLiteral("trace=link,rename"), QStringLiteral("-e"),
                                     QStringLiteral("inject=%1:signal=KILL").arg(QLatin1String(kill.syscall))});
    ASSERT_TRUE(killed.finished);
    ASSERT_TRUE(killed.crashed) << "the tool was not killed: " << killed.err.toStdString();

    // Right after the kill, before anything is put right.
    EXPECT_EQ(ChildrenIn(path), children);
    EXPECT_EQ(Contents(path) == original, !kill.compacted);

    // The next open, the tool's check, finishes or undoes the swap.
    TToolRun run = RunTool({QStringLiteral("check"), path});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(Entries(folder), (QStringList{QStringLiteral("Baltero.mdb"), QStringLiteral("Baltero.mdbbak")}));
    EXPECT_EQ(ChildrenIn(path), children);
    // Undone, the old backup stays; finished, the file it replaced is it.
    EXPECT_EQ(ChildrenIn(t.Path(QStringLiteral("Baltero.mdbbak"))).size(), children.size() + (kill.compacted ? 0 : 1));
    // The killed tool's lock was taken over, and the file is writable again.
    t.Db().Open(path);
    t.AddChild(QStringLiteral("Dopo"));
    t.Db().Close();
    run = RunTool({QStringLiteral("compact"), path});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(ChildrenIn(path).size(), children.size() + 1);
}

INSTANTIATE_TEST_SUITE_P(KillPoints, InterruptedCompaction,
                         ::testing::Values(TKillPoint{"link:when=1", false}, TKillPoint{"rename:when=1", false},
                                           TKillPoint{"rename:when=2", true}));

TEST(InterruptedCompaction, FileLeftUnderTheBackupNameByAnEarlierVersionIsGivenBack)
{
    QString path;
    {
        TestDatabase t;
        path = t.DatabasePath();
        t.AddChild(QStringLiteral("Anna"));
        t.Db().Close();
        // That version moved the file to the backup's name, then the copy
        // to the file's name; killed in between, no file had the name.
        ASSERT_TRUE(QFile::copy(path, path + QStringLiteral(".compacting")));
        ASSERT_TRUE(QFile::rename(path, t.Path(QStringLiteral("Baltero.mdbbak"))));

        t.Db().Open(path);
        EXPECT_EQ(t.Count(QStringLiteral("Children")), 1);
        t.Db().Close();
        EXPECT_EQ(Entries(QFileInfo(path).path()), QStringList{QStringLiteral("Baltero.mdb")});
    }
}

// A file size limit of 0 stands for a full disk: nothing more can be written.
TEST(FullDisk, ToolExitsWithAnErrorAndKeepsTheOldFile)
{
    TestDatabase t;
    const int child = t.AddChild(QStringLiteral("Anna"));
    t.AddCompilation(child, t.AddTeacher(QStringLiteral("Carla")), QStringLiteral("Ottobre"));
    const QString report = t.Path(QStringLiteral("rapporto.html"));
    Write(report, "<html>rapporto di ieri</html>");
    const QString settings = t.Path(QStringLiteral("Baltero.ini"));
    const QStringList fullDisk{QStringLiteral("sh"), QStringLiteral("-c"),
                               QStringLiteral("ulimit -f 0; trap '' XFSZ; exec \"$@\""), QStringLiteral("sh")};

    TToolRun run = RunTool({QStringLiteral("export-report"), t.DatabasePath(), QStringLiteral("1"), report}, fullDisk);
    EXPECT_EQ(run.exitCode, 1) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains(QStringLiteral("rapporto.html"))) << run.err.toStdString();
    EXPECT_EQ(Contents(report), QByteArray("<html>rapporto di ieri</html>"));

    run = RunTool({QStringLiteral("create-settings"), settings}, fullDisk);
    EXPECT_EQ(run.exitCode, 1) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains(QStringLiteral("Baltero.ini"))) << run.err.toStdString();
    EXPECT_FALSE(QFileInfo::exists(settings));

    // Nothing half-written is left beside them; with room again both work.
    EXPECT_EQ(Entries(QFileInfo(report).path()),
              (QStringList{QStringLiteral("Baltero.mdb"), QStringLiteral("Baltero.mdb.lock"),
                           QStringLiteral("rapporto.html")}));
    EXPECT_EQ(RunTool({QStringLiteral("create-settings"), settings}).exitCode, 0);
    EXPECT_EQ(RunTool({QStringLiteral("export-report"), t.DatabasePath(), QStringLiteral("1"), report}).exitCode, 0);
    EXPECT_TRUE(Contents(report).contains("Anna"));
}
