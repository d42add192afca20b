// baltero-db's maintenance commands, run as a shell would run them.
#include "Database.h"
#include "DatabaseFile.h"
#include "Exception.h"
#include "NyConnection.h"
#include "NyRecordset.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

struct ToolRun {
    int exitCode = -1;
    QString out;
    QString err;
};

ToolRun Tool(const QStringList& arguments)
{
    QProcess process;
    process.start(QStringLiteral(BALTERO_DB_TOOL), arguments);
    ToolRun run;
    if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit)
        return run;
    run.exitCode = process.exitCode();
    run.out = QString::fromLocal8Bit(process.readAllStandardOutput());
    run.err = QString::fromLocal8Bit(process.readAllStandardError());
    return run;
}

class MaintenanceCommands : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString Path(const QString& name) const { return dir.filePath(name); }

    QString Write(const QString& name, const QByteArray& bytes)
    {
        QFile file(Path(name));
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            throw std::runtime_error("cannot write a test file");
        return file.fileName();
    }

    // One value read straight from a database file.
    QString Query(const QString& path, const QString& sql)
    {
        TNyConnection connection;
        connection.Open(TDatabase::BuildConnectionString(DefaultConnectionTemplate(), path, TDatabase::Password()));
        TNyRecordset rs(connection);
        rs.Open(sql);
        return rs.Eof() ? QString() : rs.GetFieldAsString(rs.FieldName(0));
    }
};

} // namespace

TEST_F(MaintenanceCommands, CreateWithTheExampleQuestionnaire)
{
    const QString db = Path(QStringLiteral("Baltero.mdb"));
    const ToolRun run = Tool({QStringLiteral("create"), db, QStringLiteral("--with-example-questionnaire")});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_GE(Query(db, QStringLiteral("SELECT COUNT(*) FROM Questions")).toInt(), 80);
    EXPECT_EQ(Query(db, QStringLiteral("SELECT Description FROM Areas WHERE IDArea = 1")), QStringLiteral("Motricit\u00e0 globale"));
    // Nothing but the database is left behind, and it is never overwritten.
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("Baltero.mdb")});
    const ToolRun again = Tool({QStringLiteral("create"), db, QStringLiteral("--with-example-questionnaire")});
    EXPECT_EQ(again.exitCode, 1);
    EXPECT_GE(Query(db, QStringLiteral("SELECT COUNT(*) FROM Questions")).toInt(), 80);

    const ToolRun unknown = Tool({QStringLiteral("create"), Path(QStringLiteral("x.mdb")), QStringLiteral("--with-examples")});
    EXPECT_EQ(unknown.exitCode, 1);
    EXPECT_TRUE(unknown.err.startsWith(QStringLiteral("Usage: baltero-db create"))) << unknown.err.toStdString();
    EXPECT_FALSE(QFileInfo::exists(Path(QStringLiteral("x.mdb"))));
}

TEST_F(MaintenanceCommands, ImportReportsAsTheMainWindowDoes)
{
    const QString db = Path(QStringLiteral("Baltero.mdb"));
    CreateDatabaseFile(db);
    const QString good = Write(QStringLiteral("domande.ini"), "*Linguaggio\r\n#Fase\r\nDice il suo nome?\r\n");
    ToolRun run = Tool({QStringLiteral("import-questions"), db, good});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(Query(db, QStringLiteral("SELECT QuestionText FROM Questions WHERE IDQuestion = 0")),
              QStringLiteral("Dice il suo nome?"));

    const QString garbage = Write(QStringLiteral("foto.ini"), QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16));
    run = Tool({QStringLiteral("import-questions"), db, garbage});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.startsWith(QStringLiteral("baltero-db: ATTENZIONE: Errore nell'importazione delle domande.\n\n"
                                                  "Eccezione: ")))
        << run.err.toStdString();
    EXPECT_EQ(Query(db, QStringLiteral("SELECT COUNT(*) FROM Questions")), QStringLiteral("1"));
}

TEST_F(MaintenanceCommands, CompactThenCheck)
{
    const QString db = Path(QStringLiteral("Baltero.mdb"));
    CreateDatabaseFile(db);
    ToolRun run = Tool({QStringLiteral("compact"), db});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(run.out, QStringLiteral("Compattazione eseguita con successo.\n"));
    EXPECT_TRUE(QFileInfo::exists(Path(QStringLiteral("Baltero.mdbbak"))));

    run = Tool({QStringLiteral("check"), db});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(run.out, QStringLiteral("ok\n"));

    // A backup folder that cannot be replaced makes the rename fail.
    QFile::remove(Path(QStringLiteral("Baltero.mdbbak")));
    ASSERT_TRUE(QDir().mkpath(Path(QStringLiteral("Baltero.mdbbak/occupato"))));
    run = Tool({QStringLiteral("compact"), db});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err, QStringLiteral("baltero-db: ATTENZIONE: Impossibile compattare il database.\n\n"
                                      "Eccezione: impossibile rinominare il file.\n"));
    EXPECT_EQ(Tool({QStringLiteral("check"), db}).exitCode, 0);
}

TEST_F(MaintenanceCommands, CheckFailsOnAnythingButASoundDatabase)
{
    const QString garbage = Write(QStringLiteral("garbage.mdb"), QByteArray(8192, '\x42'));
    ToolRun run = Tool({QStringLiteral("check"), garbage});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.contains(QStringLiteral("NYADO exception: TNyConnection::Open"))) << run.err.toStdString();

    // A real database under another password.
    const QString other = Path(QStringLiteral("other.mdb"));
    {
        TNyConnection connection;
        connection.Open(QStringLiteral("Provider=SQLCipher;Data Source=%1;Password=altra;Mode=Create").arg(other));
        connection.Execute(QStringLiteral("CREATE TABLE T (X INTEGER)"));
    }
    run = Tool({QStringLiteral("check"), other});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_FALSE(run.err.isEmpty());

    EXPECT_EQ(Tool({QStringLiteral("check"), Path(QStringLiteral("missing.mdb"))}).exitCode, 1);

    // A database whose pages were damaged after it was written.
    const QString damaged = Path(QStringLiteral("damaged.mdb"));
    CreateDatabaseFile(damaged);
    {
        QFile file(damaged);
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        ASSERT_GT(file.size(), 4096);
        ASSERT_TRUE(file.seek(file.size() - 2048));
        file.write(QByteArray(1024, '\x00'));
    }
    run = Tool({QStringLiteral("check"), damaged});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.out, QStringLiteral("ok\n"));
}
