// Compacting the real encrypted database file, and every way it can fail.
#include "DatabaseFile.h"
#include "Exception.h"
#include "MaintenanceMessages.h"
#include "NyConnection.h"
#include "NyRecordset.h"
#include "TestDatabase.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

namespace {

using Step = TDatabase::TCompactStep;

const QString RenameFailed = QStringLiteral("impossibile rinominare il file.");
const QString CompactFailed = QStringLiteral("OleFunction CompactDatabase exception.");

class Compact : public ::testing::Test {
protected:
    TestDatabase db;

    void SetUp() override
    {
        db.Db().Execute(QStringLiteral("UPDATE Application SET School = 'Scuola dell''infanzia \u00abIl Girasole\u00bb'"));
        const int anna = db.AddChild(QStringLiteral("Anna"));
        const int bruno = db.AddChild(QStringLiteral("Bruno"));
        const int teacher = db.AddTeacher(QStringLiteral("Carla Neri"));
        db.AddArea(1, QStringLiteral("Motricit\u00e0"));
        db.AddArea(2, QStringLiteral("Linguaggio"));
        db.AddPhase(1, QStringLiteral("0\u201312 mesi"));
        db.AddPhase(2, QStringLiteral("1\u20132 anni"));
        QList<int> questions;
        for (int i = 1; i <= 8; ++i)
            questions << db.AddQuestion(1 + i % 2, 1 + i / 5, i, QStringLiteral("Domanda %1 dell'area?").arg(i));
        for (int child : {anna, bruno}) {
            const int compilation = db.AddCompilation(child, teacher, QStringLiteral("Osservazione di ottobre"));
            for (int q = 0; q < questions.size(); ++q)
                db.Db().Execute(QStringLiteral("INSERT INTO CompiledTablesAnswers VALUES(%1, %2, %3)")
                                    .arg(compilation)
                                    .arg(questions[q])
                                    .arg(q % 5 - 1));
            db.Db().Execute(QStringLiteral("INSERT INTO CompiledTablesStartPhase VALUES(%1, 1, 2)").arg(compilation));
        }
    }

    QString Backup() const { return db.Path(QStringLiteral("Baltero.mdbbak")); }

    // Every row of every table (sequence counters included), in key order.
    QStringList Contents(TNyConnection& connection)
    {
        QStringList rows;
        TNyRecordset tables(connection);
        tables.Open(QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table' ORDER BY name"));
        for (; !tables.Eof(); tables.MoveNext()) {
            const QString table = tables.GetFieldAsString(QStringLiteral("name"));
            TNyRecordset rs(connection);
            rs.Open(QStringLiteral("SELECT * FROM \"%1\"").arg(table));
            QStringList tableRows;
            for (; !rs.Eof(); rs.MoveNext()) {
                QStringList fields{table};
                for (int i = 0; i < rs.FieldCount(); ++i)
                    fields << rs.GetFieldAsString(rs.FieldName(i));
                tableRows << fields.join(QLatin1Char('|'));
            }
            // A rewritten file may hand rows out in another order.
            tableRows.sort();
            rows += tableRows;
        }
        return rows;
    }
    QStringList Contents() { return Contents(db.Db().Connection()); }
    QStringList FileContents(const QString& path)
    {
        TNyConnection connection;
        connection.Open(TDatabase::BuildConnectionString(DefaultConnectionTemplate(), path, TDatabase::Password()));
        return Contents(connection);
    }

    QString CompactFailure(const TDatabase::TCompactHook& hook = {})
    {
        try {
            db.Db().CompactAndRepair(hook);
        } catch (const Exception& e) {
            return e.Message();
        }
        return QString();
    }

    // Beside the lock the open database holds.
    QStringList FolderEntries() const
    {
        QStringList entries = QDir(QFileInfo(db.DatabasePath()).path())
                                  .entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name);
        entries.removeOne(QStringLiteral("Baltero.mdb.lock"));
        return entries;
    }

    // The state every failure must end in: the database as it was, under its
    // name, open through the database object and taking changes; nothing
    // else in the folder that could pass for it.
    void ExpectOriginalOpenAndUsable(const QStringList& before, const QStringList& otherEntries = {})
    {
        EXPECT_TRUE(db.Db().Connected());
        EXPECT_EQ(db.Db().FileName(), db.DatabasePath());
        ASSERT_TRUE(db.Db().Connection().IsOpen());
        EXPECT_EQ(Contents(), before);
        EXPECT_EQ(FolderEntries(), QStringList{QStringLiteral("Baltero.mdb")} + otherEntries);
        // Foreign keys still guard the data...
        EXPECT_THROW(db.AddQuestion(99, 99, 1, QStringLiteral("Senza area")), Exception);
        // ...and the file takes changes that are still there when reopened.
        // A name of its own for each call: a test may check several failures.
        const QString name = QStringLiteral("Dopo il guasto %1").arg(++checks_);
        db.AddChild(name);
        db.Db().Close();
        db.Db().Open(db.DatabasePath());
        EXPECT_EQ(db.Count(QStringLiteral("Children"), QStringLiteral("Name = '%1'").arg(name)), 1);
    }

    int checks_ = 0;
};

void Damage(const QString& path, qint64 offset, qint64 length)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite) || !file.seek(offset) || file.write(QByteArray(length, '\x5a')) != length)
        throw std::runtime_error("cannot damage the file");
}

} // namespace

TEST_F(Compact, KeepsEveryRecordAndShrinksTheFile)
{
    // Pages freed by deleted rows are what compaction gives back.
    for (int i = 0; i < 200; ++i)
        db.AddChild(QStringLiteral("Temporaneo %1 ").arg(i) + QString(500, QLatin1Char('x')));
    db.Db().Execute(QStringLiteral("DELETE FROM Children WHERE Name LIKE 'Temporaneo%'"));
    const QStringList before = Contents();
    const qint64 sizeBefore = QFileInfo(db.DatabasePath()).size();

    db.Db().CompactAndRepair();

    EXPECT_TRUE(db.Db().Connected());
    EXPECT_EQ(db.Db().FileName(), db.DatabasePath());
    EXPECT_EQ(Contents(), before);
    EXPECT_LT(QFileInfo(db.DatabasePath()).size(), sizeBefore / 4);
    // The previous file is the backup, still encrypted and whole.
    EXPECT_EQ(FolderEntries(), (QStringList{QStringLiteral("Baltero.mdb"), QStringLiteral("Baltero.mdbbak")}));
    EXPECT_EQ(QFileInfo(Backup()).size(), sizeBefore);
    EXPECT_EQ(FileContents(Backup()), before);
    // Generated keys go on from where they were, not from the rows left.
    EXPECT_EQ(db.AddChild(QStringLiteral("Nuovo")), 203);
}

TEST_F(Compact, CompactedFileIsEncryptedWithThePassword)
{
    db.Db().CompactAndRepair();
    QFile file(db.DatabasePath());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_FALSE(file.read(16).startsWith("SQLite format 3"));
    EXPECT_EQ(file.permissions() & (QFileDevice::ReadOther | QFileDevice::WriteOther), QFileDevice::Permissions());
    TNyConnection wrongKey;
    EXPECT_THROW(wrongKey.Open(TDatabase::BuildConnectionString(DefaultConnectionTemplate(), db.DatabasePath(),
                                                                 QStringLiteral("plumtree"))),
                 Exception);
}

TEST_F(Compact, LeftoverBackupIsReplaced)
{
    QFile stale(Backup());
    ASSERT_TRUE(stale.open(QIODevice::WriteOnly));
    stale.write("backup di una volta");
    stale.close();
    const QStringList before = Contents();

    db.Db().CompactAndRepair();
    EXPECT_EQ(FileContents(Backup()), before);

    // And again: each compaction keeps only the file it replaced.
    db.AddChild(QStringLiteral("Tra due compattazioni"));
    const QStringList between = Contents();
    db.Db().CompactAndRepair();
    EXPECT_EQ(FileContents(Backup()), between);
    EXPECT_EQ(Contents(), between);
}

TEST_F(Compact, RenameRefusedLeavesTheDatabaseInPlace)
{
    const QStringList before = Contents();
    // A folder under the backup's name can be neither deleted nor replaced.
    ASSERT_TRUE(QDir().mkpath(Backup() + QStringLiteral("/occupato")));
    EXPECT_EQ(CompactFailure(), RenameFailed);
    ExpectOriginalOpenAndUsable(before, {QStringLiteral("Baltero.mdbbak")});
}

TEST_F(Compact, RenameFailureInjected)
{
    const QStringList before = Contents();
    QString seen;
    EXPECT_EQ(CompactFailure([&](Step step, const QString& path) {
                  if (step != Step::Rename)
                      return;
                  seen = path;
                  throw Exception(QStringLiteral("Permission denied"));
              }),
              RenameFailed);
    EXPECT_EQ(seen, db.DatabasePath());
    ExpectOriginalOpenAndUsable(before);
}

TEST_F(Compact, ExportFailureInjected)
{
    const QStringList before = Contents();
    EXPECT_EQ(CompactFailure([](Step step, const QString&) {
                  if (step == Step::Export)
                      throw Exception(QStringLiteral("database or disk is full"));
              }),
              CompactFailed);
    // The half-made copy is no longer attached to the connection.
    EXPECT_EQ(db.Db().OpenRecordset(QStringLiteral("PRAGMA database_list"))->RecordCount(), 1);
    ExpectOriginalOpenAndUsable(before);
}

TEST_F(Compact, ExportThatCannotWriteItsCopy)
{
    const QStringList before = Contents();
    QString copyPath;
    db.Db().CompactAndRepair([&](Step step, const QString& path) {
        if (step == Step::Export)
            copyPath = path;
    });
    ASSERT_FALSE(copyPath.isEmpty());
    const QStringList afterFirst = Contents();
    EXPECT_EQ(afterFirst, before);

    // Something the program cannot remove stands where the copy goes.
    ASSERT_TRUE(QDir().mkpath(copyPath + QStringLiteral("/occupato")));
    EXPECT_EQ(CompactFailure(), CompactFailed);
    ExpectOriginalOpenAndUsable(before, {QFileInfo(copyPath).fileName(), QStringLiteral("Baltero.mdbbak")});
}

TEST_F(Compact, DamagedCopyIsNeverSwappedIn)
{
    const QStringList before = Contents();
    EXPECT_EQ(CompactFailure([](Step step, const QString& path) {
                  if (step == Step::Verify)
                      Damage(path, 1024, 2048);
              }),
              CompactFailed);
    ExpectOriginalOpenAndUsable(before);
}

// A copy that reads back sound page by page but lost a row, or holds a
// reference to nothing, never replaces the database either.
TEST_F(Compact, CopyMissingARowOrBreakingAReferenceIsNeverSwappedIn)
{
    const struct {
        const char* what;
        const char* change;
    } cases[] = {
        {"a missing answer", "DELETE FROM CompiledTablesAnswers WHERE rowid = (SELECT MIN(rowid) FROM "
                             "CompiledTablesAnswers)"},
        {"a missing school name", "DELETE FROM Application"},
        // As many rows as before: only the foreign key check can tell.
        {"an answer to no question", "UPDATE CompiledTablesAnswers SET IDQuestion = 999 WHERE rowid = (SELECT "
                                     "MIN(rowid) FROM CompiledTablesAnswers)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const QStringList before = Contents();
        EXPECT_EQ(CompactFailure([&](Step step, const QString& path) {
                      if (step != Step::Verify)
                          return;
                      TNyConnection copy;
                      copy.Open(TDatabase::BuildConnectionString(DefaultConnectionTemplate(), path,
                                                                  TDatabase::Password()));
                      copy.Execute(QStringLiteral("PRAGMA foreign_keys = OFF"));
                      ASSERT_EQ(copy.Execute(QString::fromLatin1(c.change)), 1);
                  }),
                  CompactFailed);
        ExpectOriginalOpenAndUsable(before);
    }
}

TEST_F(Compact, CopyThatDoesNotReopenGivesThePreviousFileBack)
{
    const QStringList before = Contents();
    const QString message = CompactFailure([](Step step, const QString& path) {
        if (step == Step::Reopen)
            Damage(path, 0, 4096);
    });
    EXPECT_TRUE(message.startsWith(QStringLiteral("NYADO exception: TNyConnection::Open"))) << message.toStdString();
    ExpectOriginalOpenAndUsable(before);
}

TEST_F(Compact, ReopenFailureInjected)
{
    const QStringList before = Contents();
    EXPECT_EQ(CompactFailure([](Step step, const QString&) {
                  if (step == Step::Reopen)
                      throw Exception(QStringLiteral("NYADO exception: TNyConnection::Open: unable to open database file"));
              }),
              QStringLiteral("NYADO exception: TNyConnection::Open: unable to open database file"));
    ExpectOriginalOpenAndUsable(before);
    // The failure left nothing in the way of the next compaction.
    db.Db().CompactAndRepair();
    EXPECT_TRUE(QFileInfo::exists(Backup()));
}

TEST_F(Compact, ClosedDatabaseIsRefusedWithoutTouchingFiles)
{
    db.Db().Close();
    EXPECT_FALSE(CompactFailure().isEmpty());
    EXPECT_FALSE(db.Db().Connected());
    EXPECT_EQ(FolderEntries(), QStringList{QStringLiteral("Baltero.mdb")});
}

TEST_F(Compact, LinkNamesTheCompactedFileInItsOwnFolder)
{
    const QString target = db.Path(QStringLiteral("dati/Scuola.mdb"));
    const QString link = db.Path(QStringLiteral("Collegamento.mdb"));
    ASSERT_TRUE(QDir().mkpath(db.Path(QStringLiteral("dati"))));
    db.Db().Close();
    ASSERT_TRUE(QFile::rename(db.DatabasePath(), target));
    ASSERT_TRUE(QFile::link(target, link));
    db.Db().Open(link);
    const QStringList before = Contents();

    db.Db().CompactAndRepair();
    EXPECT_EQ(db.Db().FileName(), link);
    EXPECT_EQ(Contents(), before);
    EXPECT_EQ(QFileInfo(link).symLinkTarget(), target);
    EXPECT_EQ(FileContents(target), before);
    EXPECT_EQ(FileContents(db.Path(QStringLiteral("dati/Scuola.mdbbak"))), before);
    EXPECT_EQ(FolderEntries(), (QStringList{QStringLiteral("Collegamento.mdb"), QStringLiteral("dati")}));
}

TEST_F(Compact, ConnectionOnAnotherFileIsNeverTakenForTheDatabase)
{
    // A template naming a fixed file opens that one whatever the path.
    const QString other = db.Path(QStringLiteral("Altro.mdb"));
    CreateDatabaseFile(other);
    db.Db().Close();
    const QByteArray database = [&] {
        QFile file(db.DatabasePath());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }();
    db.Db().SetConnectionTemplate(QStringLiteral("Provider=SQLCipher;Data Source=%1;Password=%PASSWORD%").arg(other));
    db.Db().Open(db.DatabasePath());

    EXPECT_EQ(CompactFailure(), CompactFailed);
    QFile file(db.DatabasePath());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), database);
    EXPECT_FALSE(QFileInfo::exists(Backup()));
}

// On the server the owner's compaction runs. An educator who may only read
// and write the tables, whom the server would merely warn while skipping
// every table, is told to ask the administrator rather than that it is done.
TEST(ServerCompact, OnlyTheOwnerMayVacuum)
{
    if (TestDatabase::ServerConnection().isEmpty())
        GTEST_SKIP() << "no test server: BALTERO_TEST_PG is not set (scripts/test.sh starts one)";
    TestDatabase db(TestProvider::Server);
    EXPECT_NO_THROW(db.Db().CompactAndRepair());

    const QString role = QStringLiteral("educatore_%1").arg(QCoreApplication::applicationPid());
    db.Db().Execute(QStringLiteral("CREATE ROLE %1 LOGIN PASSWORD 'scuola'").arg(role));
    db.Db().Execute(QStringLiteral("GRANT SELECT, INSERT, UPDATE, DELETE ON ALL TABLES IN SCHEMA public TO ") + role);
    db.Db().Close();
    db.Db().SetConnectionTemplate(db.ServerDatabase() + QStringLiteral(";User=%1;Password=scuola").arg(role));
    ASSERT_TRUE(db.Db().Open(QString()));
    try {
        db.Db().CompactAndRepair();
        ADD_FAILURE() << "an educator's compaction was reported as done";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), ServerCompactNotOwnerText());
    }
    db.Db().Close();
    TNyConnection owner;
    owner.Open(db.ServerDatabase());
    owner.Execute(QStringLiteral("REVOKE ALL ON ALL TABLES IN SCHEMA public FROM ") + role);
    owner.Execute(QStringLiteral("DROP ROLE ") + role);
}
