// baltero-db's password, backup and restore commands, run as a shell or a
// nightly job would run them (no terminal: nobody to ask).
#include "Database.h"
#include "DatabaseFile.h"
#include "TestDatabase.h"
#include "ToolProcess.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

QString WriteFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    return path;
}

TEST(PasswordBackupCommands, SetPasswordBackupAndRestoreFromAShell)
{
    TestDatabase db;
    db.AddChild(QStringLiteral("Anna"));
    QTemporaryDir copies;
    const QString path = db.DatabasePath();
    const QString passwordFile = WriteFile(db.Path(QStringLiteral("pw.txt")), "girasole-2026!\n");
    const QString wrongFile = WriteFile(db.Path(QStringLiteral("wrong.txt")), "sbagliata-2026\n");

    // The backup goes on while this program holds the database.
    TToolRun run = RunTool({QStringLiteral("backup"), path, copies.path()});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(QDir(copies.path()).entryList(QDir::Files).size(), 1);
    db.Db().Close();

    // Never a password on the command line.
    run = RunTool({QStringLiteral("set-password"), path, QStringLiteral("girasole-2026!")});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.contains(QStringLiteral("Usage:")));
    run = RunTool({QStringLiteral("set-password"), path, QStringLiteral("--new-password-file"), passwordFile});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();

    struct Case {
        QStringList extra;
        int exitCode;
        QString said;
    };
    const Case cases[] = {
        {{}, 1, QStringLiteral("--password-file")},
        {{QStringLiteral("--password-file"), wrongFile}, 1, QStringLiteral("la password non \u00e8 corretta.")},
        {{QStringLiteral("--password-file"), passwordFile}, 0, QString()},
    };
    for (const Case& c : cases) {
        run = RunTool(QStringList{QStringLiteral("check"), path} + c.extra);
        EXPECT_EQ(run.exitCode, c.exitCode) << run.err.toStdString();
        EXPECT_TRUE(run.err.contains(c.said)) << run.err.toStdString();
    }

    // The copy made before the password still restores, under the password.
    db.Db().SetPassword(QStringLiteral("girasole-2026!"));
    db.Db().Open(path);
    db.AddChild(QStringLiteral("Bruno"));
    db.Db().Close();
    const QString copy = QDir(copies.path()).filePath(QDir(copies.path()).entryList(QDir::Files).first());
    run = RunTool({QStringLiteral("restore"), path, copy, QStringLiteral("--password-file"), passwordFile});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(run.out.contains(QStringLiteral("1 children, 0 compilations"))) << run.out.toStdString();
    db.Db().Open(path);
    EXPECT_EQ(db.Count(QStringLiteral("Children")), 1);
    db.Db().Close();

    // A damaged copy is refused and the database stays as it was.
    QFile damaged(copy);
    ASSERT_TRUE(damaged.open(QIODevice::ReadWrite));
    damaged.seek(damaged.size() / 2);
    damaged.write(QByteArray(4096, '\x11'));
    damaged.close();
    const QStringList before = QDir(db.Path(QString())).entryList(QDir::Files);
    run = RunTool({QStringLiteral("restore"), path, copy, QStringLiteral("--password-file"), passwordFile});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.contains(QStringLiteral("il ripristino non \u00e8 stato eseguito"))) << run.err.toStdString();
    EXPECT_EQ(QDir(db.Path(QString())).entryList(QDir::Files), before);

    run = RunTool({QStringLiteral("set-password"), path, QStringLiteral("--remove"), QStringLiteral("--password-file"),
                   passwordFile});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(RunTool({QStringLiteral("check"), path}).exitCode, 0);
}

} // namespace
