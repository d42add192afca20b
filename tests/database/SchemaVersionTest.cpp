// The schema version: a database made before versions existed (kept in
// data/version0.mdb) is upgraded once on opening, with a backup beside it; a
// newer one is refused untouched; a failed upgrade changes nothing.
#include "Database.h"
#include "DatabaseFile.h"
#include "Exception.h"
#include "NyConnection.h"
#include "SchemaVersion.h"
#include "TestText.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <functional>

namespace {

QByteArray Contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

// A connection of its own, past TDatabase's version check.
void RawExecute(const QString& path, const QString& sql)
{
    TNyConnection connection;
    connection.Open(TDatabase::BuildConnectionString(DefaultConnectionTemplate(), path, TDatabase::Password()));
    connection.Execute(sql);
}

class SchemaVersionTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir_.isValid()); }
    void TearDown() override { TDatabase::ReleaseInstance(); }

    QString Path(const QString& name) const { return dir_.filePath(name); }
    // A writable copy of the kept version-0 database.
    QString Version0Copy()
    {
        const QString path = Path(QStringLiteral("Baltero.mdb"));
        EXPECT_TRUE(QFile::copy(QStringLiteral(BALTERO_VERSION0_DATABASE), path));
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
        return path;
    }
    QStringList Backups() const
    {
        return QDir(dir_.path()).entryList({QStringLiteral("*.mdbbak")}, QDir::Files);
    }
    QString Value(const QString& sql) { return TDatabase::GetInstance()->Lookup(sql, QStringLiteral("v")); }
    // Every table's and index's columns as the engine describes them.
    QStringList Layout()
    {
        TDatabase* db = TDatabase::GetInstance();
        QStringList layout;
        auto objects = db->OpenRecordset(
            QStringLiteral("SELECT type, name FROM sqlite_master WHERE name NOT LIKE 'sqlite%' ORDER BY type, name"));
        for (; !objects->Eof(); objects->MoveNext()) {
            const QString type = objects->GetFieldAsString(QStringLiteral("type"));
            const QString name = objects->GetFieldAsString(QStringLiteral("name"));
            auto columns = db->OpenRecordset(
                QStringLiteral("PRAGMA %1_info(\"%2\")").arg(type == QLatin1String("index") ? "index" : "table", name));
            for (; !columns->Eof(); columns->MoveNext()) {
                QStringList fields;
                for (int i = 0; i < columns->FieldCount(); ++i)
                    fields << columns->GetFieldAsString(columns->FieldName(i));
                layout << type + QLatin1Char(' ') + name + QLatin1Char(' ') + fields.join(QLatin1Char('|'));
            }
        }
        return layout;
    }

    QTemporaryDir dir_;
};

TEST_F(SchemaVersionTest, Version0FileIsUpgradedOnceKeepingEveryRowAndABackup)
{
    const QString path = Version0Copy();
    const QByteArray before = Contents(path);
    const QString backup = UpgradeBackupPath(path, 0, QDate::currentDate());
    EXPECT_EQ(QFileInfo(backup).fileName(),
              QStringLiteral("Baltero.v0-%1.mdbbak").arg(QDate::currentDate().toString(Qt::ISODate)));

    OpenDatabaseFile(path);
    EXPECT_EQ(SchemaVersionOf(TDatabase::GetInstance()->Connection()), NewestSchemaVersion());
    const struct {
        const char* sql;
        const char* value;
    } kept[] = {
        {"SELECT School AS v FROM Application", "Scuola dell'infanzia Girasole"},
        {"SELECT Name || ' ' || DateOfBirth AS v FROM Children", "Rossi Anna 2022-03-12 00:00:00"},
        {"SELECT Name || ' ' || Info AS v FROM Teachers", "Bianchi Maria Sezione A"},
        {"SELECT DateTime || ' ' || Description AS v FROM CompiledTables", "2024-05-20 09:30:00 Osservazione di maggio"},
        {"SELECT COUNT(*) || ' ' || SUM(IDAnswer) AS v FROM CompiledTablesAnswers", "95 5"},
        {"SELECT GROUP_CONCAT(IDPhase, '') AS v FROM (SELECT IDPhase FROM CompiledTablesStartPhase ORDER BY IDArea)",
         "322222"},
        {"SELECT COUNT(*) || ' ' || COUNT(DISTINCT IDArea) AS v FROM Questions", "95 6"},
        {"SELECT GROUP_CONCAT(Description, ',') AS v FROM (SELECT Description FROM Phases ORDER BY IDPhase)", "0\u201312 mesi,1\u20132 anni,2\u20133 anni,"
                                                                   "3\u20134 anni,4\u20136 anni"},
        {"SELECT COUNT(*) AS v FROM Phases WHERE AgeFromMonths IS NULL AND AgeToMonths IS NULL", "5"},
    };
    for (const auto& row : kept)
        EXPECT_EQ(Value(QString::fromUtf8(row.sql)), QString::fromUtf8(row.value)) << row.sql;

    // The backup is the file as it was, readable by the same people only.
    EXPECT_EQ(Backups(), QStringList{QFileInfo(backup).fileName()});
    EXPECT_TRUE(Contents(backup) == before);
    EXPECT_EQ(QFile::permissions(backup), QFile::permissions(path));

    // Once: opening again finds nothing to do.
    TDatabase::GetInstance()->Close();
    const QByteArray upgraded = Contents(path);
    OpenDatabaseFile(path);
    TDatabase::GetInstance()->Close();
    EXPECT_EQ(Backups().size(), 1);
    EXPECT_TRUE(Contents(path) == upgraded);
}

TEST_F(SchemaVersionTest, UpgradedLayoutIsTheOneANewDatabaseGets)
{
    const QString created = Path(QStringLiteral("Nuovo.mdb"));
    CreateDatabaseFile(created);
    OpenDatabaseFile(created);
    EXPECT_EQ(SchemaVersionOf(TDatabase::GetInstance()->Connection()), NewestSchemaVersion());
    const QStringList expected = Layout();
    ASSERT_TRUE(expected.join(QLatin1Char('\n')).contains(QStringLiteral("AgeToMonths")));

    OpenDatabaseFile(Version0Copy());
    EXPECT_EQ(Layout(), expected);
}

TEST_F(SchemaVersionTest, CompactionKeepsTheVersion)
{
    const QString path = Path(QStringLiteral("Baltero.mdb"));
    CreateDatabaseFile(path);
    OpenDatabaseFile(path);
    TDatabase::GetInstance()->CompactAndRepair();
    EXPECT_EQ(SchemaVersionOf(TDatabase::GetInstance()->Connection()), NewestSchemaVersion());
}

TEST_F(SchemaVersionTest, NewerDatabaseIsRefusedAndLeftUntouched)
{
    const QString path = Path(QStringLiteral("Baltero.mdb"));
    CreateDatabaseFile(path);
    const int newer = NewestSchemaVersion() + 1;
    RawExecute(path, QStringLiteral("PRAGMA user_version = %1").arg(newer));
    const QByteArray before = Contents(path);
    for (const TDatabase::TOpenFor purpose : {TDatabase::TOpenFor::Writing, TDatabase::TOpenFor::Reading}) {
        SCOPED_TRACE(purpose == TDatabase::TOpenFor::Writing ? "writing" : "reading");
        EXPECT_EQ(MessageOf([&] { OpenDatabaseFile(path, purpose); }), DatabaseTooNewText(newer, newer - 1));
        EXPECT_FALSE(TDatabase::GetInstance()->Connected());
        EXPECT_TRUE(Contents(path) == before);
        EXPECT_EQ(QDir(dir_.path()).entryList(QDir::Files), QStringList{QStringLiteral("Baltero.mdb")});
    }
}

TEST_F(SchemaVersionTest, ReadingOpenLeavesAnOlderDatabaseAsItIs)
{
    const QString path = Version0Copy();
    const QByteArray before = Contents(path);
    OpenDatabaseFile(path, TDatabase::TOpenFor::Reading);
    EXPECT_EQ(SchemaVersionOf(TDatabase::GetInstance()->Connection()), 0);
    TDatabase::GetInstance()->Close();
    EXPECT_TRUE(Contents(path) == before);
    EXPECT_TRUE(Backups().isEmpty());
}

TEST_F(SchemaVersionTest, FailedUpgradeLosesNothing)
{
    const struct {
        const char* name;
        int newest;
        // Makes the upgrade of the file at path fail.
        std::function<void(const QString& path)> upgrade;
    } cases[] = {
        {"the program's step meets a column already there", NewestSchemaVersion(),
         [](const QString& path) { OpenDatabaseFile(path); }},
        {"a later step fails after an earlier one ran", 2,
         [](const QString& path) {
             TNyConnection connection;
             connection.Open(TDatabase::BuildConnectionString(DefaultConnectionTemplate(), path, TDatabase::Password()));
             BringSchemaUpToDate(connection, path, true,
                                 {QStringLiteral("CREATE TABLE Extra (Value INTEGER)"),
                                  QStringLiteral("ALTER TABLE Missing ADD COLUMN Value INTEGER")});
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = Version0Copy();
        RawExecute(path, QStringLiteral("ALTER TABLE Phases ADD COLUMN AgeFromMonths INTEGER"));
        const QByteArray before = Contents(path);
        const QString message = MessageOf([&] { c.upgrade(path); });
        EXPECT_TRUE(message.startsWith(DatabaseUpgradeFailedText(0, c.newest))) << message.toStdString();
        EXPECT_FALSE(TDatabase::GetInstance()->Connected());
        EXPECT_TRUE(Contents(path) == before) << "the database file changed";
        EXPECT_TRUE(Backups().isEmpty());
        QFile::remove(path);
    }
}

} // namespace
