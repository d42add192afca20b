// A database in a folder of any name: the program and baltero-db open,
// change, compact and check exactly that file, never one the name spells out
// in the connection string's own syntax.
#include "Database.h"
#include "DatabaseFile.h"
#include "TestText.h"
#include "ToolProcess.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

int Children(TDatabase& db)
{
    return db.Lookup(QStringLiteral("SELECT COUNT(*) AS N FROM Children"), QStringLiteral("N")).toInt();
}

class FolderNames : public ::testing::TestWithParam<const char*> {
protected:
    void TearDown() override { TDatabase::ReleaseInstance(); }
};

TEST_P(FolderNames, OpenSaveCompactCheck)
{
    QTemporaryDir root;
    ASSERT_TRUE(root.isValid());
    const QString folderName = QString::fromUtf8(GetParam());
    const QString folder = root.filePath(folderName);
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString path = QDir(folder).filePath(QStringLiteral("Baltero.mdb"));
    CreateDatabaseFile(path);

    TDatabase& db = *TDatabase::GetInstance();
    db.SetConnectionTemplate(DefaultConnectionTemplate());
    db.Open(path);
    db.Execute(QStringLiteral("INSERT INTO Children(Name) VALUES('Anna')"));
    db.CompactAndRepair();
    db.Execute(QStringLiteral("INSERT INTO Children(Name) VALUES('Bruno')"));
    db.Close();

    db.Open(path);
    EXPECT_EQ(Children(db), 2);
    db.Close();
    // The backup holds what the file held before compaction.
    db.Open(QDir(folder).filePath(QStringLiteral("Baltero.mdbbak")));
    EXPECT_EQ(Children(db), 1);
    db.Close();

    TToolRun run = RunTool({QStringLiteral("compact"), path});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    run = RunTool({QStringLiteral("check"), path});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    db.Open(path);
    EXPECT_EQ(Children(db), 2);
    db.Close();
    // No other file was made anywhere near.
    EXPECT_EQ(QDir(root.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
              QStringList{folderName});
    EXPECT_EQ(QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
              (QStringList{QStringLiteral("Baltero.mdb"), QStringLiteral("Baltero.mdbbak")}));
}

INSTANTIATE_TEST_SUITE_P(Names, FolderNames,
                         ::testing::Values("Scuola; sede 2", "sede \"nuova", "a\"b\"c\"", "%PASSWORD%",
                                           "x%DATASOURCE%y", "a;Mode=Create;x=", " spazi ", "Data Source=x"));

} // namespace
