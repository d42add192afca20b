// The school's own password, backups into another folder and restoring one,
// on real encrypted files.
#include "DatabaseFile.h"
#include "Exception.h"
#include "NyConnection.h"
#include "TestDatabase.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

const QString SchoolPassword = QStringLiteral("girasole-2026!");
const QDateTime Moment(QDate(2026, 12, 8), QTime(10, 30));

enum class TOpens { Yes, KeyRefused, Fails };

TOpens OpensWith(const QString& path, const QString& password)
{
    TNyConnection connection;
    try {
        connection.Open(TDatabase::BuildConnectionString(DefaultConnectionTemplate(), path, password));
        return TOpens::Yes;
    } catch (const EKeyRefused&) {
        return TOpens::KeyRefused;
    } catch (const Exception&) {
        return TOpens::Fails;
    }
}

QStringList Entries(const QString& folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

class PasswordBackup : public ::testing::Test {
protected:
    TestDatabase db;
    QTemporaryDir elsewhere;

    void SetUp() override
    {
        const int child = db.AddChild(QStringLiteral("Anna"));
        db.AddChild(QStringLiteral("Bruno"));
        const int teacher = db.AddTeacher(QStringLiteral("Carla"));
        db.AddCompilation(child, teacher, QStringLiteral("Ottobre"));
    }
};

TEST_F(PasswordBackup, ChangedPasswordIsTheOnlyOneThatOpensAndNoOldCopyStaysBeside)
{
    db.Db().CompactAndRepair(); // leaves Baltero.mdbbak under the built-in password
    db.Db().ChangePassword(SchoolPassword);
    EXPECT_EQ(OpensWith(db.DatabasePath(), TDatabase::Password()), TOpens::KeyRefused);
    EXPECT_EQ(OpensWith(db.DatabasePath(), SchoolPassword), TOpens::Yes);
    EXPECT_TRUE(db.Db().HasOwnPassword());
    EXPECT_EQ(db.Count(QStringLiteral("Children")), 2) << "still open, on the same data";
    EXPECT_EQ(Entries(db.Path(QString())), QStringList({QStringLiteral("Baltero.mdb"), QStringLiteral("Baltero.mdb.lock")}));

    // Reopened the way the program opens it.
    db.Db().Close();
    db.Db().SetPassword(QString());
    EXPECT_THROW(db.Db().Open(db.DatabasePath()), EKeyRefused);
    db.Db().SetPassword(SchoolPassword);
    db.Db().Open(db.DatabasePath());

    db.Db().ChangePassword(QString());
    EXPECT_EQ(OpensWith(db.DatabasePath(), TDatabase::Password()), TOpens::Yes);
    EXPECT_FALSE(db.Db().HasOwnPassword());
}

TEST_F(PasswordBackup, FailedPasswordChangeLeavesTheFileAsItWas)
{
    QFile file(db.DatabasePath());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray before = file.readAll();
    file.close();
    for (const auto step : {TDatabase::TCompactStep::Verify, TDatabase::TCompactStep::Rename,
                            TDatabase::TCompactStep::Reopen}) {
        EXPECT_THROW(db.Db().ChangePassword(SchoolPassword,
                                            [step](TDatabase::TCompactStep at, const QString&) {
                                                if (at == step)
                                                    throw Exception(QStringLiteral("injected"));
                                            }),
                     Exception);
        EXPECT_EQ(OpensWith(db.DatabasePath(), TDatabase::Password()), TOpens::Yes);
        EXPECT_EQ(db.Count(QStringLiteral("Children")), 2) << "open again with the old password";
    }
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), before);
}

TEST_F(PasswordBackup, BackupsAreDatedCheckedKeepThePasswordAndNeverOverwrite)
{
    db.Db().ChangePassword(SchoolPassword);
    const QString first = db.Db().BackupTo(elsewhere.path(), Moment);
    const QString second = db.Db().BackupTo(elsewhere.path(), Moment);
    EXPECT_EQ(QFileInfo(first).fileName(), QStringLiteral("Baltero 2026-12-08 10.30.mdb"));
    EXPECT_EQ(QFileInfo(second).fileName(), QStringLiteral("Baltero 2026-12-08 10.30 (2).mdb"));
    // Listed by name: " (2)" sorts first.
    EXPECT_EQ(Entries(elsewhere.path()), QStringList({QFileInfo(second).fileName(), QFileInfo(first).fileName()}));
    EXPECT_EQ(OpensWith(first, TDatabase::Password()), TOpens::KeyRefused);
    const TDatabase::TCopySummary summary = db.Db().InspectCopy(second, SchoolPassword);
    EXPECT_EQ(summary.Children, 2);
    EXPECT_EQ(summary.Compilations, 1);
    EXPECT_NE(summary.LatestCompilation, 0);

    // A failure leaves nothing in the folder.
    EXPECT_THROW(db.Db().BackupTo(elsewhere.path(), Moment.addDays(1),
                                  [](TDatabase::TCompactStep at, const QString&) {
                                      if (at == TDatabase::TCompactStep::Rename)
                                          throw Exception(QStringLiteral("injected"));
                                  }),
                 Exception);
    EXPECT_EQ(Entries(elsewhere.path()).size(), 2);
    EXPECT_THROW(db.Db().BackupTo(elsewhere.filePath(QStringLiteral("nessuna")), Moment), Exception);
}

TEST_F(PasswordBackup, RestoreReplacesTheDataKeepsThePreviousFileAndTheDatabasePassword)
{
    // A copy made before the school had its own password.
    const QString copy = db.Db().BackupTo(elsewhere.path(), Moment);
    db.AddChild(QStringLiteral("Carlo"));
    db.Db().ChangePassword(SchoolPassword);
    EXPECT_THROW(db.Db().InspectCopy(copy, SchoolPassword), EKeyRefused);

    const QString previous = db.Db().RestoreFrom(copy, TDatabase::Password(), Moment);
    EXPECT_EQ(QFileInfo(previous).fileName(), QStringLiteral("Baltero 2026-12-08 10.30.mdbbak"));
    EXPECT_EQ(db.Count(QStringLiteral("Children")), 2);
    EXPECT_EQ(OpensWith(db.DatabasePath(), SchoolPassword), TOpens::Yes);
    EXPECT_EQ(OpensWith(previous, SchoolPassword), TOpens::Yes);
    // A second restore the same minute keeps both earlier files.
    const QString again = db.Db().RestoreFrom(copy, TDatabase::Password(), Moment);
    EXPECT_NE(again, previous);
    EXPECT_TRUE(QFileInfo::exists(previous));
}

TEST_F(PasswordBackup, DamagedOrForeignCopiesAreRefusedWithNothingChanged)
{
    const QString copy = db.Db().BackupTo(elsewhere.path(), Moment);
    QFile damaged(copy);
    ASSERT_TRUE(damaged.open(QIODevice::ReadWrite));
    damaged.seek(damaged.size() - 2000);
    damaged.write(QByteArray(1000, '\x5a'));
    damaged.close();
    const QString garbage = elsewhere.filePath(QStringLiteral("note.mdb"));
    QFile note(garbage);
    ASSERT_TRUE(note.open(QIODevice::WriteOnly));
    note.write(QByteArray(8192, 'x'));
    note.close();

    const QStringList before = Entries(db.Path(QString()));
    EXPECT_THROW(db.Db().RestoreFrom(copy, TDatabase::Password(), Moment), Exception);
    EXPECT_THROW(db.Db().RestoreFrom(garbage, TDatabase::Password(), Moment), EKeyRefused);
    EXPECT_THROW(db.Db().RestoreFrom(db.DatabasePath(), TDatabase::Password(), Moment), Exception);
    EXPECT_EQ(Entries(db.Path(QString())), before);
    EXPECT_EQ(db.Count(QStringLiteral("Children")), 2);
}

} // namespace
