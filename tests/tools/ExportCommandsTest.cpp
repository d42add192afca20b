// baltero-db export-pdf and export-csv, run as a shell runs them (no
// display: the PDF is drawn without a screen).
#include "QuestionsTestSupport.h"
#include "ToolProcess.h"
#include "NyConnection.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QFile>
#include <QRegularExpression>
#include <gtest/gtest.h>

namespace {

class ExportCommands : public ::testing::Test {
protected:
    ExportCommands()
    {
        db.AddArea(1, QStringLiteral("Autonomia"));
        db.AddPhase(1, QStringLiteral("Prima"));
        const int question = db.AddQuestion(1, 1, 1, QStringLiteral("Si lava le mani da s\u00e9"));
        key = NewCompilation(db, QStringLiteral("Zo\u00eb"));
        StoreAnswer(db, key, question, AnswerSometimes);
    }
    TestDatabase db;
    int key = 0;
};

TEST_F(ExportCommands, PdfHoldsTheAnswerAndAnUnknownKeyWritesNothing)
{
    const QString pdf = db.Path(QStringLiteral("relazione.pdf"));
    const TToolRun run = RunTool({QStringLiteral("export-pdf"), db.DatabasePath(), QString::number(key), pdf});
    ASSERT_EQ(run.exitCode, 0) << qPrintable(run.err);
    QProcess text;
    text.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    ASSERT_TRUE(text.waitForFinished(60000));
    const QString words = QString::fromUtf8(text.readAllStandardOutput());
    EXPECT_TRUE(words.contains(QStringLiteral("Zo\u00eb")));
    EXPECT_TRUE(words.contains(QRegularExpression(QStringLiteral("Si lava le mani da s\u00e9 +A volte"))));
    EXPECT_TRUE(words.contains(QStringLiteral("0,50 su 1")));

    const QString none = db.Path(QStringLiteral("nessuna.pdf"));
    const TToolRun unknown = RunTool({QStringLiteral("export-pdf"), db.DatabasePath(), QStringLiteral("999"), none});
    EXPECT_EQ(unknown.exitCode, 1);
    EXPECT_FALSE(QFile::exists(none));
}

TEST_F(ExportCommands, CsvWritesTheFourFilesOrSaysWhyNot)
{
    const QString folder = db.Path(QStringLiteral("dati"));
    ASSERT_TRUE(QDir().mkpath(folder));
    const TToolRun run = RunTool({QStringLiteral("export-csv"), db.DatabasePath(), folder});
    ASSERT_EQ(run.exitCode, 0) << qPrintable(run.err);
    EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden).size(), 4);
    QFile answers(QDir(folder).filePath(QStringLiteral("risposte.csv")));
    ASSERT_TRUE(answers.open(QIODevice::ReadOnly));
    EXPECT_TRUE(answers.readAll().endsWith(
        QStringLiteral("%1;Autonomia;Prima;1;Si lava le mani da s\u00e9;A volte\r\n").arg(key).toUtf8()));

    const TToolRun missing = RunTool({QStringLiteral("export-csv"), db.DatabasePath(), db.Path(QStringLiteral("no"))});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_TRUE(missing.err.contains(QStringLiteral("no such folder"))) << qPrintable(missing.err);
}

} // namespace

// copy makes a new file holding everything; a second copy into it is refused
// and leaves it as it was.
TEST_F(ExportCommands, CopyMakesAFileHoldingEverythingAndRefusesAFullOne)
{
    const QString copy = db.Path(QStringLiteral("copia.mdb"));
    const TToolRun run = RunTool({QStringLiteral("copy"), db.DatabasePath(), copy});
    ASSERT_EQ(run.exitCode, 0) << qPrintable(run.err);
    EXPECT_TRUE(run.out.contains(QRegularExpression(QStringLiteral("CompiledTablesAnswers +1\\n"))));
    EXPECT_EQ(RunTool({QStringLiteral("check"), copy}).exitCode, 0);
    const QString pdf = db.Path(QStringLiteral("copia.pdf"));
    ASSERT_EQ(RunTool({QStringLiteral("export-pdf"), copy, QString::number(key), pdf}).exitCode, 0);

    const QByteArray before = [&] {
        QFile file(copy);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }();
    const TToolRun again = RunTool({QStringLiteral("copy"), db.DatabasePath(), copy});
    EXPECT_EQ(again.exitCode, 1);
    EXPECT_TRUE(again.err.contains(QStringLiteral("non \u00e8 vuota"))) << qPrintable(again.err);
    QFile file(copy);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), before);
}

// A school moved onto the server with the tool: the tables created, the file
// copied in, checked, the same report drawn from the server, compaction handed to
// the server, and the file-only backup refused.
TEST_F(ExportCommands, ServerCreatedFilledCheckedAndCompacted)
{
    const QString server = qEnvironmentVariable("BALTERO_TEST_PG");
    if (server.isEmpty())
        GTEST_SKIP() << "no test server: BALTERO_TEST_PG is not set (scripts/test.sh starts one)";
    const QString name = QStringLiteral("baltero_tool_%1").arg(QCoreApplication::applicationPid());
    TNyConnection admin;
    admin.Open(server);
    admin.Execute(QStringLiteral("DROP DATABASE IF EXISTS ") + name);
    admin.Execute(QStringLiteral("CREATE DATABASE ") + name);
    const QString target = server + QStringLiteral(";Database=") + name;

    TToolRun run = RunTool({QStringLiteral("create"), target});
    ASSERT_EQ(run.exitCode, 0) << qPrintable(run.err);
    run = RunTool({QStringLiteral("copy"), db.DatabasePath(), target});
    ASSERT_EQ(run.exitCode, 0) << qPrintable(run.err);
    run = RunTool({QStringLiteral("check"), target});
    EXPECT_EQ(run.exitCode, 0) << qPrintable(run.err);
    EXPECT_TRUE(run.out.contains(QRegularExpression(QStringLiteral("CompiledTablesAnswers +1\\nok\\n|ok\\n$"))));
    // The same report, scores included, whichever store it is drawn from.
    const QString fromFile = db.Path(QStringLiteral("file.html"));
    const QString fromServer = db.Path(QStringLiteral("server.html"));
    ASSERT_EQ(RunTool({QStringLiteral("export-report"), db.DatabasePath(), QString::number(key), fromFile}).exitCode, 0);
    run = RunTool({QStringLiteral("export-report"), target, QString::number(key), fromServer});
    ASSERT_EQ(run.exitCode, 0) << qPrintable(run.err);
    QFile fileReport(fromFile), serverReport(fromServer);
    ASSERT_TRUE(fileReport.open(QIODevice::ReadOnly) && serverReport.open(QIODevice::ReadOnly));
    const QByteArray report = fileReport.readAll();
    EXPECT_TRUE(report.contains("0,50"));
    EXPECT_EQ(serverReport.readAll(), report);
    const QString pdf = db.Path(QStringLiteral("server.pdf"));
    run = RunTool({QStringLiteral("export-pdf"), target, QString::number(key), pdf});
    EXPECT_EQ(run.exitCode, 0) << qPrintable(run.err);
    EXPECT_TRUE(QFileInfo(pdf).size() > 1000);
    run = RunTool({QStringLiteral("compact"), target});
    EXPECT_EQ(run.exitCode, 0) << qPrintable(run.err);
    EXPECT_TRUE(run.out.contains(QStringLiteral("sul server"))) << qPrintable(run.out);
    run = RunTool({QStringLiteral("backup"), target, db.Path(QString())});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.contains(QStringLiteral("administrator"))) << qPrintable(run.err);
    admin.Execute(QStringLiteral("DROP DATABASE ") + name);
}
