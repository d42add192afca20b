// Files that are not what the program expects in place of its own database
// and settings file: start-up says so in Italian (message 11002 and the
// reason) or goes on where it can, and shut-down leaves both files exactly as
// they were.
#include "Database.h"
#include "DatabaseFile.h"
#include "DatabaseLock.h"
#include "Dialogs.h"
#include "Messages.h"
#include "NyConnection.h"
#include "SchemaVersion.h"
#include "Settings.h"
#include "Startup.h"
#include "StartupFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <ostream>

namespace {

QByteArray Contents(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray("<unreadable>");
    return file.readAll();
}

void Put(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_EQ(file.write(bytes), bytes.size());
}

QByteArray RandomBytes(int size, quint32 seed)
{
    QRandomGenerator generator(seed);
    QByteArray bytes(size, '\0');
    for (char& byte : bytes)
        byte = static_cast<char>(generator.bounded(256));
    return bytes;
}

// Another running program holding the program's lock on a database file.
class DatabaseHolder {
public:
    explicit DatabaseHolder(const QString& path)
    {
        process_.start(QStringLiteral(SINGLE_INSTANCE_HOLDER), {QStringLiteral("--database"), path});
        if (process_.waitForStarted(5000)) {
            while (!process_.canReadLine() && process_.waitForReadyRead(5000)) {
            }
            owned_ = process_.readLine().trimmed() == "owned";
        }
    }
    ~DatabaseHolder()
    {
        process_.closeWriteChannel();
        if (!process_.waitForFinished(5000))
            process_.kill();
    }
    bool Owned() const { return owned_; }

private:
    QProcess process_;
    bool owned_ = false;
};

enum class Outcome { Refused, Opened };

struct BadFileCase {
    const char* name;
    // Puts the bad file in place; returns whatever must stay alive while the
    // program starts (a process holding a lock).
    std::function<std::shared_ptr<void>(const QString& database, const QString& settings)> make;
    Outcome outcome;
    // A piece of the reason that follows message 11002.
    QString reason;
};

void PrintTo(const BadFileCase& c, std::ostream* out)
{
    *out << c.name;
}

class BadFilesTest : public StartupFolder, public ::testing::WithParamInterface<BadFileCase> {};

std::shared_ptr<void> Nothing()
{
    return nullptr;
}

// Changes the database with a connection of its own, past the program's
// version check.
void ChangeDirectly(const QString& db, const QString& sql)
{
    TNyConnection connection;
    connection.Open(TDatabase::BuildConnectionString(DefaultConnectionTemplate(), db, TDatabase::Password()));
    connection.Execute(sql);
}

const QString NotADatabase = QStringLiteral("not a database");
const QString NoProvider = QStringLiteral("No provider is named in the connection string.");

const BadFileCase Cases[] = {
    {"EmptyDatabase",
     [](const QString& db, const QString& ini) {
         CreateSettingsFile(ini);
         Put(db, QByteArray());
         return Nothing();
     },
     Outcome::Refused, NotADatabase},
    {"RandomBytesDatabase",
     [](const QString& db, const QString& ini) {
         CreateSettingsFile(ini);
         Put(db, RandomBytes(3 * 4096, 7));
         return Nothing();
     },
     Outcome::Refused, NotADatabase},
    {"DatabaseCutInsideItsFirstPage",
     [](const QString& db, const QString& ini) {
         CreateSettingsFile(ini);
         CreateDatabaseFile(db);
         Put(db, Contents(db).first(1000));
         return Nothing();
     },
     Outcome::Refused, NotADatabase},
    {"DatabaseWithADamagedFirstPage",
     [](const QString& db, const QString& ini) {
         CreateSettingsFile(ini);
         CreateDatabaseFile(db);
         QByteArray bytes = Contents(db);
         bytes.replace(200, 300, QByteArray(300, '\xA5'));
         Put(db, bytes);
         return Nothing();
     },
     Outcome::Refused, NotADatabase},
    {"DatabaseUnderAnotherKey",
     [](const QString& db, const QString& ini) {
         Put(ini, "[DATABASE]\r\nConnectionString=Provider=SQLCipher;Data Source=%DATASOURCE%;Password=plumtree\r\n"
                  "[TABLES]\r\nAutoAdvancing=1\r\n");
         CreateDatabaseFile(db);
         return Nothing();
     },
     Outcome::Refused, NotADatabase},
    {"FolderInPlaceOfTheDatabase",
     [](const QString& db, const QString& ini) {
         CreateSettingsFile(ini);
         EXPECT_TRUE(QDir().mkpath(db));
         return Nothing();
     },
     Outcome::Refused, QStringLiteral("File not found.")},
    {"DatabaseOpenInAnotherProgram",
     [](const QString& db, const QString& ini) -> std::shared_ptr<void> {
         CreateSettingsFile(ini);
         CreateDatabaseFile(db);
         auto holder = std::make_shared<DatabaseHolder>(db);
         EXPECT_TRUE(holder->Owned());
         return holder;
     },
     Outcome::Refused, QStringLiteral("\u00e8 gi\u00e0 aperto da un altro programma")},
    {"DatabaseOfANewerVersion",
     [](const QString& db, const QString& ini) {
         CreateSettingsFile(ini);
         CreateDatabaseFile(db);
         ChangeDirectly(db, QStringLiteral("PRAGMA user_version = %1").arg(NewestSchemaVersion() + 1));
         return Nothing();
     },
     Outcome::Refused, QStringLiteral("versione pi\u00f9 recente di Baltero")},
    // The upgrade's step finds its column already there.
    {"OlderDatabaseWhoseUpgradeFails",
     [](const QString& db, const QString& ini) {
         CreateSettingsFile(ini);
         EXPECT_TRUE(QFile::copy(QStringLiteral(BALTERO_VERSION0_DATABASE), db));
         QFile::setPermissions(db, QFile::ReadOwner | QFile::WriteOwner);
         ChangeDirectly(db, QStringLiteral("ALTER TABLE Phases ADD COLUMN AgeFromMonths INTEGER"));
         return Nothing();
     },
     Outcome::Refused, DatabaseUpgradeFailedText(0, NewestSchemaVersion())},
    {"BinarySettingsFile",
     [](const QString& db, const QString& ini) {
         CreateDatabaseFile(db);
         Put(ini, RandomBytes(5000, 11));
         return Nothing();
     },
     Outcome::Refused, NoProvider},
    {"SettingsFileWithoutSections",
     [](const QString& db, const QString& ini) {
         CreateDatabaseFile(db);
         Put(ini, "ConnectionString=Provider=SQLCipher;Data Source=%DATASOURCE%;Password=%PASSWORD%\r\n"
                  "AutoAdvancing=0\r\n");
         return Nothing();
     },
     Outcome::Refused, NoProvider},
    {"SettingsFileWithHugeLines",
     [](const QString& db, const QString& ini) {
         CreateDatabaseFile(db);
         Put(ini, QByteArray(1024 * 1024, 'x') + "\r\n[DATABASE]\r\nConnectionString="
                      + DefaultConnectionTemplate().toUtf8() + "\r\nNote=" + QByteArray(64 * 1024, 'y')
                      + "\r\n[TABLES]\r\nAutoAdvancing=1\r\n");
         return Nothing();
     },
     Outcome::Opened, QString()},
};

TEST_P(BadFilesTest, StartUpSaysWhyAndShutDownLeavesTheFilesAsTheyWere)
{
    const BadFileCase& c = GetParam();
    const QString database = dir_.filePath(QStringLiteral("Baltero.mdb"));
    const QString settings = dir_.filePath(QStringLiteral("Baltero.ini"));
    const std::shared_ptr<void> keptAlive = c.make(database, settings);
    const bool folder = QFileInfo(database).isDir();
    const QByteArray databaseBefore = Contents(database);
    const QByteArray settingsBefore = Contents(settings);

    const bool opened = OpenDatabaseOrReport(nullptr, settings, database);
    const QStringList errors = DialogScript::Texts(QStringLiteral("error"));
    if (c.outcome == Outcome::Refused) {
        EXPECT_FALSE(opened);
        ASSERT_EQ(errors.size(), 1);
        EXPECT_TRUE(errors[0].startsWith(Message11002())) << errors[0].toStdString();
        EXPECT_TRUE(errors[0].contains(c.reason)) << errors[0].toStdString();
    } else {
        EXPECT_TRUE(opened);
        EXPECT_TRUE(DialogScript::ShownDialogs().empty());
    }
    ShutDownDatabaseAndSettings(settings);

    if (folder)
        EXPECT_TRUE(QFileInfo(database).isDir());
    else
        EXPECT_TRUE(Contents(database) == databaseBefore) << "the database file changed";
    EXPECT_TRUE(Contents(settings) == settingsBefore) << "the settings file changed";
}

INSTANTIATE_TEST_SUITE_P(Files, BadFilesTest, ::testing::ValuesIn(Cases),
                         [](const ::testing::TestParamInfo<BadFileCase>& info) { return std::string(info.param.name); });

} // namespace
