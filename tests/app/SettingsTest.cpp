#include "IniFile.h"
#include "Settings.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class SettingsTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir_.isValid()); }
    void TearDown() override { TSettings::ReleaseInstance(); }

    QString Path(const QString& name = QStringLiteral("Baltero.ini")) const { return dir_.filePath(name); }

    static void Put(const QString& path, const QByteArray& bytes)
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_EQ(file.write(bytes), bytes.size());
    }

    static QByteArray Get(const QString& path)
    {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return QByteArray("<missing>");
        return file.readAll();
    }

    // Loads a fresh settings object from a file holding the given text.
    TSettings* LoadFrom(const QByteArray& bytes)
    {
        Put(Path(), bytes);
        TSettings::ReleaseInstance();
        TSettings* settings = TSettings::GetInstance();
        settings->LoadFromIni(TIniFile(Path()));
        return settings;
    }

    QTemporaryDir dir_;
};

TEST_F(SettingsTest, OneInstanceUntilReleased)
{
    TSettings* first = TSettings::GetInstance();
    EXPECT_EQ(TSettings::GetInstance(), first);
    EXPECT_TRUE(first->AutoAdvancing());
    first->SetAutoAdvancing(false);
    EXPECT_FALSE(TSettings::GetInstance()->AutoAdvancing());

    TSettings::ReleaseInstance();
    TSettings::ReleaseInstance(); // releasing twice is harmless
    EXPECT_TRUE(TSettings::GetInstance()->AutoAdvancing()) << "a new instance starts from the default";
}

TEST_F(SettingsTest, StoredValuesLoadAsOnOrOff)
{
    EXPECT_FALSE(LoadFrom("[TABLES]\nAutoAdvancing=0\n")->AutoAdvancing());
    EXPECT_FALSE(LoadFrom("[tables]\r\nautoadvancing = 0x0 \r\n")->AutoAdvancing());
    EXPECT_TRUE(LoadFrom("[TABLES]\nAutoAdvancing=1\n")->AutoAdvancing());
    EXPECT_TRUE(LoadFrom("[TABLES]\nAutoAdvancing=2\n")->AutoAdvancing());
    EXPECT_TRUE(LoadFrom("[TABLES]\nAutoAdvancing=-1\n")->AutoAdvancing());
    EXPECT_TRUE(LoadFrom("[TABLES]\nAutoAdvancing=no\n")->AutoAdvancing());
    EXPECT_TRUE(LoadFrom("[TABLES]\nAutoAdvancing=\n")->AutoAdvancing());
    // The key in another section does not count.
    EXPECT_TRUE(LoadFrom("[DATABASE]\nAutoAdvancing=0\n")->AutoAdvancing());
}

TEST_F(SettingsTest, MissingFileLoadsAsOn)
{
    TSettings* settings = TSettings::GetInstance();
    settings->SetAutoAdvancing(false);
    settings->LoadFromIni(TIniFile(Path("missing.ini")));
    EXPECT_TRUE(settings->AutoAdvancing());
    EXPECT_FALSE(QFile::exists(Path("missing.ini")));
}

TEST_F(SettingsTest, NonZeroValuesAreSavedBackAsOne)
{
    for (const char* stored : {"2", "-1"}) {
        const QByteArray before = QByteArray("[TABLES]\nAutoAdvancing=") + stored + "\n";
        TSettings* settings = LoadFrom(before);
        TIniFile ini(Path());
        settings->SaveToIni(ini);
        EXPECT_EQ(Get(Path()), QByteArray("[TABLES]\nAutoAdvancing=1\n")) << stored;
    }
}

TEST_F(SettingsTest, SaveChangesOnlyItsOwnKey)
{
    const QByteArray before = "; impostazioni\r\n"
                              "[DATABASE]\r\n"
                              "ConnectionString=Provider=SQLCipher;Data Source=%DATASOURCE%;Password=%PASSWORD%\r\n"
                              "\r\n"
                              "[TABLES]\r\n"
                              "AutoAdvancing=1\r\n"
                              "Other=\xE0\r\n"
                              "\r\n"
                              "[Extra]\r\n"
                              "Key=value";
    TSettings* settings = LoadFrom(before);
    ASSERT_TRUE(settings->AutoAdvancing());
    settings->SetAutoAdvancing(false);
    TIniFile ini(Path());
    settings->SaveToIni(ini);

    QByteArray expected = before;
    expected.replace("AutoAdvancing=1\r\n", "AutoAdvancing=0\r\n");
    EXPECT_EQ(Get(Path()), expected);

    TSettings::ReleaseInstance();
    TSettings::GetInstance()->LoadFromIni(TIniFile(Path()));
    EXPECT_FALSE(TSettings::GetInstance()->AutoAdvancing());
}

TEST_F(SettingsTest, SaveCreatesOnlyTheTablesSection)
{
    TSettings* settings = TSettings::GetInstance();
    TIniFile created(Path("new.ini"));
    settings->SaveToIni(created);
    EXPECT_EQ(Get(Path("new.ini")), QByteArray("[TABLES]\nAutoAdvancing=1\n"));

    Put(Path(), "[DATABASE]\nConnectionString=x\n");
    settings->SetAutoAdvancing(false);
    TIniFile existing(Path());
    settings->SaveToIni(existing);
    EXPECT_EQ(Get(Path()), QByteArray("[DATABASE]\nConnectionString=x\n[TABLES]\nAutoAdvancing=0\n"));
}

TEST_F(SettingsTest, UnwritableFileIsSilentlySkipped)
{
    const QByteArray blocker = "a regular file where a folder should be\n";
    Put(Path("blocker"), blocker);
    TSettings* settings = TSettings::GetInstance();
    settings->SetAutoAdvancing(false);
    TIniFile ini(Path("blocker/Baltero.ini"));
    EXPECT_NO_THROW(settings->SaveToIni(ini));
    EXPECT_EQ(Get(Path("blocker")), blocker);
    EXPECT_FALSE(settings->AutoAdvancing()) << "a failed save keeps the value in memory";
}

} // namespace
