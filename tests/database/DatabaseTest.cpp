// The single database object against real files: the connection string built
// from the settings template, opening and closing, Lookup, and files that are
// not the program's database.
#include "Database.h"
#include "DatabaseFile.h"
#include "Exception.h"
#include "IniFile.h"
#include "SqlText.h"
#include "TestDatabase.h"
#include "TestText.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <ostream>

namespace {

QByteArray Contents(const QString& path)
{
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << qPrintable(path);
    return file.readAll();
}

void Write(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_EQ(file.write(bytes), bytes.size());
}

// The database object of a test that builds its own files: released
// whatever the outcome, so the next test starts from a new instance.
struct Released {
    ~Released() { TDatabase::ReleaseInstance(); }
    TDatabase& operator*() const { return *TDatabase::GetInstance(); }
    TDatabase* operator->() const { return TDatabase::GetInstance(); }
};

QString ChildNames(TDatabase& db)
{
    auto rs = db.OpenRecordset(QStringLiteral("SELECT Name FROM Children ORDER BY Name"));
    QStringList names;
    for (; !rs->Eof(); rs->MoveNext())
        names << rs->GetFieldAsString(QStringLiteral("Name"));
    return names.join(QLatin1Char(','));
}

TEST(DatabaseObjectTest, OneInstanceUntilReleased)
{
    Released db;
    TDatabase* first = TDatabase::GetInstance();
    EXPECT_EQ(TDatabase::GetInstance(), first);
    EXPECT_FALSE(first->Connected());
    EXPECT_TRUE(first->FileName().isEmpty());
    EXPECT_TRUE(first->ConnectionTemplate().isEmpty());
    first->SetConnectionTemplate(QStringLiteral("x"));
    TDatabase::ReleaseInstance();
    EXPECT_TRUE(TDatabase::GetInstance()->ConnectionTemplate().isEmpty());
}

TEST(DatabaseObjectTest, PlaceholdersAreReplacedExactlyAndQuoted)
{
    const QString password = QStringLiteral("plumtrek");
    EXPECT_EQ(TDatabase::Password(), password);
    EXPECT_EQ(TDatabase::BuildConnectionString(QStringLiteral("A=%DATASOURCE%;B=%DATASOURCE%;P=%PASSWORD%"),
                                               QStringLiteral("/d/x.mdb"), password),
              QStringLiteral("A=\"/d/x.mdb\";B=\"/d/x.mdb\";P=\"plumtrek\""));
    EXPECT_EQ(TDatabase::BuildConnectionString(QStringLiteral("A=%datasource%;P=%Password%"), QStringLiteral("/d/x.mdb"),
                                               password),
              QStringLiteral("A=%datasource%;P=%Password%"));
    // A replaced path is never searched for placeholders again, and its
    // quotes are doubled.
    EXPECT_EQ(TDatabase::BuildConnectionString(DefaultConnectionTemplate(), QStringLiteral("/d/%PASSWORD%/x\".mdb"), password),
              QStringLiteral("Provider=SQLCipher;Data Source=\"/d/%PASSWORD%/x\"\".mdb\";Password=\"plumtrek\""));
    // A template that quotes the placeholder itself gets no second pair.
    EXPECT_EQ(TDatabase::BuildConnectionString(QStringLiteral("Data Source=\"%DATASOURCE%\";Password=%PASSWORD%"),
                                               QStringLiteral("/d/a;b\"c.mdb"), password),
              QStringLiteral("Data Source=\"/d/a;b\"\"c.mdb\";Password=\"plumtrek\""));
    EXPECT_EQ(TDatabase::BuildConnectionString(QString(), QStringLiteral("/d/x.mdb"), password), QString());
}

TEST(DatabaseObjectTest, PathHoldingThePasswordPlaceholderOpensThatPath)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString named = dir.filePath(QStringLiteral("x%PASSWORD%y"));
    const QString rewritten = dir.filePath(QStringLiteral("xplumtreky"));
    ASSERT_TRUE(QDir().mkpath(named));
    ASSERT_TRUE(QDir().mkpath(rewritten));
    CreateDatabaseFile(named + QStringLiteral("/Baltero.mdb"));
    CreateDatabaseFile(rewritten + QStringLiteral("/Baltero.mdb"));

    Released db;
    db->SetConnectionTemplate(DefaultConnectionTemplate());
    db->Open(rewritten + QStringLiteral("/Baltero.mdb"));
    db->Execute(QStringLiteral("INSERT INTO Children(Name) VALUES('In the rewritten folder')"));
    db->Close();

    db->Open(named + QStringLiteral("/Baltero.mdb"));
    EXPECT_EQ(db->FileName(), named + QStringLiteral("/Baltero.mdb"));
    EXPECT_EQ(ChildNames(*db), QString());
}

TEST(DatabaseObjectTest, SettingsFileGivesTheTemplate)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString database = dir.filePath(QStringLiteral("Baltero.mdb"));
    CreateDatabaseFile(database);
    CreateSettingsFile(dir.filePath(QStringLiteral("Baltero.ini")));
    Write(dir.filePath(QStringLiteral("Other.ini")), "[DATABASE]\r\nConnection=x\r\n[TABLES]\r\nAutoAdvancing=1\r\n");

    Released db;
    db->ReadConnectionString(TIniFile(dir.filePath(QStringLiteral("Baltero.ini"))));
    EXPECT_EQ(db->ConnectionTemplate(), DefaultConnectionTemplate());
    db->Open(database);
    EXPECT_TRUE(db->Connected());
    db->Close();

    // Without the key the file is found and the connection refuses.
    db->ReadConnectionString(TIniFile(dir.filePath(QStringLiteral("Other.ini"))));
    EXPECT_TRUE(db->ConnectionTemplate().isEmpty());
    EXPECT_EQ(MessageOf([&] { db->Open(database); }),
              QStringLiteral("NYADO exception: TNyConnection::Open: No provider is named in the connection string."));
    EXPECT_FALSE(db->Connected());
    EXPECT_TRUE(db->FileName().isEmpty());
    db->ReadConnectionString(TIniFile(dir.filePath(QStringLiteral("Missing.ini"))));
    EXPECT_TRUE(db->ConnectionTemplate().isEmpty());
}

class DatabaseTest : public ::testing::Test {
protected:
    TestDatabase t;
};

TEST_F(DatabaseTest, MissingFileIsReportedBeforeTheConnectionIsTouched)
{
    t.AddChild(QStringLiteral("Anna"));
    EXPECT_EQ(MessageOf([&] { t.Db().Open(t.Path(QStringLiteral("Missing.mdb"))); }), QStringLiteral("File not found."));
    EXPECT_TRUE(t.Db().Connected());
    EXPECT_EQ(t.Db().FileName(), t.DatabasePath());
    EXPECT_EQ(ChildNames(t.Db()), QStringLiteral("Anna"));
    EXPECT_FALSE(QFile::exists(t.Path(QStringLiteral("Missing.mdb"))));
}

TEST_F(DatabaseTest, CloseEmptiesFileNameAndOpenSwitchesFiles)
{
    t.AddChild(QStringLiteral("Anna"));
    EXPECT_TRUE(t.Db().Close());
    EXPECT_FALSE(t.Db().Connected());
    EXPECT_TRUE(t.Db().FileName().isEmpty());
    EXPECT_TRUE(t.Db().Close());
    EXPECT_THROW(t.Db().Execute(QStringLiteral("DELETE * FROM Children")), Exception);

    const QString other = t.Path(QStringLiteral("Other.mdb"));
    CreateDatabaseFile(other);
    EXPECT_TRUE(t.Db().Open(t.DatabasePath()));
    EXPECT_TRUE(t.Db().Open(other)); // closes the first
    EXPECT_EQ(t.Db().FileName(), other);
    EXPECT_EQ(ChildNames(t.Db()), QString());
}

TEST_F(DatabaseTest, LookupNeverRaises)
{
    const QString school = QStringLiteral("Scuola dell'infanzia \"L'Aquilone\" d''Italia");
    EXPECT_EQ(t.Db().Execute(QStringLiteral("UPDATE Application SET School='") + SQLQuote(school) + QStringLiteral("'")), 1);
    EXPECT_EQ(t.Db().Lookup(QStringLiteral("SELECT School FROM Application"), QStringLiteral("School")), school);

    EXPECT_EQ(t.Db().Lookup(QStringLiteral("SELECT School FROM Application"), QStringLiteral("Name")), QString());
    EXPECT_EQ(t.Db().Lookup(QStringLiteral("SELECT School FROM Nowhere"), QStringLiteral("School")), QString());
    EXPECT_EQ(t.Db().Lookup(QStringLiteral("SELECT NULL AS School"), QStringLiteral("School")), QString());
    EXPECT_TRUE(t.Db().Connection().Errors().isEmpty());

    t.Db().Execute(QStringLiteral("DELETE * FROM Application"));
    EXPECT_EQ(t.Db().Lookup(QStringLiteral("SELECT School FROM Application"), QStringLiteral("School")), QString());
    EXPECT_EQ(t.Db().Execute(QStringLiteral("UPDATE Application SET School='x'")), 0);

    t.Db().Close();
    EXPECT_EQ(t.Db().Lookup(QStringLiteral("SELECT 1 AS One"), QStringLiteral("One")), QString());
}

TEST_F(DatabaseTest, ExecuteAndOpenRecordsetReportFailures)
{
    EXPECT_EQ(MessageOf([&] { t.Db().Execute(QStringLiteral("INSERT INTO Areas(IDArea) VALUES(1), (1)")); }),
              QStringLiteral("NYADO exception: TNyConnection::Execute: UNIQUE constraint failed: Areas.IDArea"));
    EXPECT_EQ(t.Count(QStringLiteral("Areas")), 0);
    EXPECT_EQ(MessageOf([&] { t.Db().OpenRecordset(QStringLiteral("SELECT Nope FROM Areas")); }),
              QStringLiteral("NYADO exception: TNyRecordset::Open: no such column: Nope"));
}

// Files that are not the program's database fail to open with a message and
// are left exactly as they were.
class ForeignFileTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    Released db;

    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        db->SetConnectionTemplate(DefaultConnectionTemplate());
    }
    void ExpectRefused(const QString& path, const QString& message)
    {
        const QByteArray before = Contents(path);
        EXPECT_EQ(MessageOf([&] { db->Open(path); }), message);
        EXPECT_FALSE(db->Connected());
        EXPECT_TRUE(db->FileName().isEmpty());
        EXPECT_TRUE(db->Connection().Errors().isEmpty());
        EXPECT_EQ(Contents(path), before);
        EXPECT_FALSE(QFile::exists(path + QStringLiteral("-journal")));
    }
};

TEST_F(ForeignFileTest, WrongPassword)
{
    const QString path = dir.filePath(QStringLiteral("Baltero.mdb"));
    CreateDatabaseFile(path);
    db->SetConnectionTemplate(QStringLiteral("Provider=SQLCipher;Data Source=%DATASOURCE%;Password=plumtree"));
    ExpectRefused(path, QStringLiteral("NYADO exception: TNyConnection::Open: file is encrypted or is not a database"));
}

TEST_F(ForeignFileTest, RandomBytes)
{
    const QString path = dir.filePath(QStringLiteral("Baltero.mdb"));
    QByteArray bytes(8192, '\0');
    for (char& byte : bytes)
        byte = static_cast<char>(QRandomGenerator::global()->bounded(256));
    Write(path, bytes);
    ExpectRefused(path, QStringLiteral("NYADO exception: TNyConnection::Open: file is encrypted or is not a database"));
}

TEST_F(ForeignFileTest, TextFile)
{
    const QString path = dir.filePath(QStringLiteral("Baltero.mdb"));
    Write(path, "[DATABASE]\r\nConnectionString=oops\r\n");
    ExpectRefused(path, QStringLiteral("NYADO exception: TNyConnection::Open: file is encrypted or is not a database"));
}

TEST_F(ForeignFileTest, EmptyFile)
{
    const QString path = dir.filePath(QStringLiteral("Baltero.mdb"));
    Write(path, QByteArray());
    ExpectRefused(path, QStringLiteral("NYADO exception: TNyConnection::Open: file is not a database"));
}

TEST_F(ForeignFileTest, UnencryptedDatabase)
{
    const QString path = dir.filePath(QStringLiteral("Other.db"));
    {
        TNyConnection plain;
        plain.Open(QStringLiteral("Provider=SQLCipher;Data Source=%1;Mode=Create").arg(QuoteConnectionValue(path)));
        plain.Execute(QStringLiteral("CREATE TABLE Children(Name TEXT); INSERT INTO Children VALUES('Anna')"));
    }
    ExpectRefused(path, QStringLiteral("NYADO exception: TNyConnection::Open: file is encrypted or is not a database"));
}

TEST_F(ForeignFileTest, FolderInPlaceOfTheFile)
{
    const QString path = dir.filePath(QStringLiteral("Baltero.mdb"));
    ASSERT_TRUE(QDir().mkpath(path));
    EXPECT_EQ(MessageOf([&] { db->Open(path); }), QStringLiteral("File not found."));
    EXPECT_FALSE(db->Connected());
    EXPECT_TRUE(QFileInfo(path).isDir());
}

TEST_F(ForeignFileTest, DamagedPagesAreReportedWhenRead)
{
    const QString path = dir.filePath(QStringLiteral("Baltero.mdb"));
    CreateDatabaseFile(path);
    db->Open(path);
    for (int i = 0; i < 200; ++i)
        db->Execute(QStringLiteral("INSERT INTO Children(Name, Info) VALUES('Child %1', '%2')").arg(i).arg(QString(200, QLatin1Char('x'))));
    db->Close();

    QByteArray bytes = Contents(path);
    ASSERT_GT(bytes.size(), 32 * 1024);
    // Scramble the second half of the file, where the rows are.
    for (qsizetype i = bytes.size() / 2; i < bytes.size(); ++i)
        bytes[i] = static_cast<char>(i * 7);
    Write(path, bytes);

    // Whether the damage shows when the schema is read or when the rows
    // are, it is reported, and the file is left as it was for recovery.
    QString message;
    try {
        db->Open(path);
        message = MessageOf([&] { ChildNames(*db); });
        EXPECT_TRUE(message.startsWith(QStringLiteral("NYADO exception: TNyRecordset::Open: "))) << qPrintable(message);
    } catch (const Exception& e) {
        message = e.Message();
        EXPECT_TRUE(message.startsWith(QStringLiteral("NYADO exception: TNyConnection::Open: "))) << qPrintable(message);
    }
    EXPECT_TRUE(message.contains(QStringLiteral("malformed")) || message.contains(QStringLiteral("not a database")))
        << qPrintable(message);
    db->Close();
    EXPECT_EQ(Contents(path), bytes);
}

TEST(DatabaseFileTest, StoredDataIsNotInPlainText)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("Baltero.mdb"));
    CreateDatabaseFile(path);
    {
        Released db;
        db->SetConnectionTemplate(DefaultConnectionTemplate());
        db->Open(path);
        db->Execute(QStringLiteral("INSERT INTO Children(Name, Info) VALUES('Zebulon Quixotewright', 'Allergia XYZZY-4471')"));
        db->Execute(QStringLiteral("UPDATE Application SET School='Istituto Pqrstuvw'"));
        EXPECT_EQ(ChildNames(*db), QStringLiteral("Zebulon Quixotewright"));
    }
    const QByteArray bytes = Contents(path);
    ASSERT_GT(bytes.size(), 0);
    for (const QString& text : {QStringLiteral("Zebulon"), QStringLiteral("XYZZY-4471"), QStringLiteral("Pqrstuvw"),
                                QStringLiteral("CREATE TABLE"), QStringLiteral("CompiledTables"), QStringLiteral("SQLite format 3")}) {
        EXPECT_FALSE(bytes.contains(text.toUtf8())) << qPrintable(text);
        EXPECT_FALSE(bytes.contains(QByteArray(reinterpret_cast<const char*>(text.utf16()), text.size() * 2))) << qPrintable(text);
    }
}

} // namespace
