#include "Exception.h"
#include "IniFile.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <tuple>

namespace {

class IniFileTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir_.isValid()); }

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

    // Writes the bytes to the ini file and returns a reader on it.
    TIniFile With(const QByteArray& bytes)
    {
        Put(Path(), bytes);
        return TIniFile(Path());
    }

    QTemporaryDir dir_;
};

// Reading ----------------------------------------------------------------------------

TEST_F(IniFileTest, NamesMatchWithoutRegardToCaseAndBlanks)
{
    TIniFile ini = With("[  Tables\t]\n  autoADVANCING  =7\n[database]\nConnectionString=abc\n");
    EXPECT_EQ(ini.ReadString("TABLES", "AutoAdvancing", "x"), "7");
    EXPECT_EQ(ini.ReadString("tables", "autoadvancing", "x"), "7");
    EXPECT_EQ(ini.ReadString("DATABASE", "CONNECTIONSTRING", "x"), "abc");
    // A key belongs only to its own section.
    EXPECT_EQ(ini.ReadString("DATABASE", "AutoAdvancing", "x"), "x");
    EXPECT_EQ(ini.ReadString("TABLES", "ConnectionString", "x"), "x");
}

TEST_F(IniFileTest, MissingFileSectionOrKeyGivesTheDefault)
{
    TIniFile missing(Path("nothing.ini"));
    EXPECT_EQ(missing.ReadString("A", "B", "def"), "def");
    EXPECT_EQ(missing.ReadInteger("A", "B", 42), 42);
    EXPECT_FALSE(QFile::exists(Path("nothing.ini"))) << "reading must not create the file";

    TIniFile ini = With("[A]\nB=1\n");
    EXPECT_EQ(ini.ReadString("C", "B", "def"), "def");
    EXPECT_EQ(ini.ReadString("A", "C", "def"), "def");
    // An empty value is a value, not a missing key.
    TIniFile empty = With("[A]\nB=\n");
    EXPECT_EQ(empty.ReadString("A", "B", "def"), "");
}

TEST_F(IniFileTest, ValuesAreTrimmedAndUnquoted)
{
    TIniFile ini = With("[S]\n"
                        "Plain= \t hello world \t \n"
                        "Double=  \" spaced \"  \n"
                        "Single='x'\n"
                        "Mixed=\"x'\n"
                        "Inner=a \"b\" c\n"
                        "OneQuote=\"\n"
                        "EqualsInValue=a=b\n");
    EXPECT_EQ(ini.ReadString("S", "Plain", ""), "hello world");
    EXPECT_EQ(ini.ReadString("S", "Double", ""), " spaced ");
    EXPECT_EQ(ini.ReadString("S", "Single", ""), "x");
    EXPECT_EQ(ini.ReadString("S", "Mixed", ""), "\"x'");
    EXPECT_EQ(ini.ReadString("S", "Inner", ""), "a \"b\" c");
    EXPECT_EQ(ini.ReadString("S", "OneQuote", ""), "\"");
    EXPECT_EQ(ini.ReadString("S", "EqualsInValue", ""), "a=b");
}

TEST_F(IniFileTest, LongValuesAreCutAt2047Characters)
{
    const QByteArray exact(2047, 'a');
    const QByteArray oneMore = QByteArray(2047, 'c') + "d";
    const QByteArray longer = QByteArray(2047, 'b') + "TAIL";
    // 2046 characters and then one that takes two UTF-16 units.
    const QByteArray emoji = QByteArray(2046, 'e') + "\xF0\x9F\x98\x80";
    TIniFile ini = With("[S]\nExact=" + exact + "\nOneMore=" + oneMore + "\nLonger=  " + longer + "  \nEmoji=" + emoji + "\n");
    EXPECT_EQ(ini.ReadString("S", "Exact", "").toLatin1(), exact);
    EXPECT_EQ(ini.ReadString("S", "OneMore", "").toLatin1(), QByteArray(2047, 'c'));
    EXPECT_EQ(ini.ReadString("S", "Longer", "").toLatin1(), QByteArray(2047, 'b'));
    // Half a character would be a broken string; the whole character goes.
    EXPECT_EQ(ini.ReadString("S", "Emoji", "").toUtf8(), QByteArray(2046, 'e'));
}

TEST_F(IniFileTest, CommentsAndStrayLinesAreIgnoredAndFirstOccurrenceWins)
{
    TIniFile ini = With("; [S]\n"
                        "[S]\n"
                        ";Key=commented\n"
                        "  ; Key=commented too\n"
                        "not a key line\n"
                        "Key=first\n"
                        "KEY=second\n"
                        "[Other]\n"
                        "Other=1\n"
                        "[s]\n"
                        "Key=later section\n"
                        "Late=only in the later section\n");
    EXPECT_EQ(ini.ReadString("S", "Key", ""), "first");
    EXPECT_EQ(ini.ReadString("S", "Late", "def"), "def");
    EXPECT_EQ(ini.ReadString("S", ";Key", "def"), "def");
}

TEST_F(IniFileTest, CrLfLinesAndByteOrderMarkAreRead)
{
    TIniFile ini = With("\xEF\xBB\xBF[S]\r\nKey=value\r\nLast=end");
    EXPECT_EQ(ini.ReadString("S", "Key", ""), "value");
    EXPECT_EQ(ini.ReadString("S", "Last", ""), "end");
}

TEST_F(IniFileTest, TextIsDecodedAsUtf8OrElseWindows1252)
{
    // Not valid UTF-8: 0xE0 is à, 0x80 the euro sign, 0x93/0x94 curly quotes,
    // 0x81 is unassigned and kept as the control of the same number.
    TIniFile legacy = With("[S]\nKey=Citt\xE0 \x80 \x93x\x94 \x81\n");
    EXPECT_EQ(legacy.ReadString("S", "Key", ""), QString::fromUtf8("Città € “x” \u0081"));

    TIniFile utf8 = With("[S]\nKey=Città €\n");
    EXPECT_EQ(utf8.ReadString("S", "Key", ""), QString::fromUtf8("Città €"));

    // A truncated UTF-8 sequence at the very end makes the file Windows-1252.
    TIniFile truncated = With("[S]\nKey=a\xC3");
    EXPECT_EQ(truncated.ReadString("S", "Key", ""), QString::fromUtf8("aÃ"));
}

TEST_F(IniFileTest, GarbageFileReadsAsDefaultsAndKeepsItsBytesOnWrite)
{
    QByteArray garbage;
    for (int i = 0; i < 1024; ++i)
        garbage.append(char((i * 37 + 11) & 0xFF));
    garbage.replace('[', '(');
    TIniFile ini = With(garbage);
    EXPECT_EQ(ini.ReadString("S", "Key", "def"), "def");
    EXPECT_EQ(ini.ReadInteger("S", "Key", 5), 5);

    ini.WriteInteger("S", "Key", 3);
    const QByteArray after = Get(Path());
    ASSERT_TRUE(after.startsWith(garbage));
    EXPECT_EQ(ini.ReadInteger("S", "Key", 5), 3);
}

// Integers ---------------------------------------------------------------------------

TEST(ParseIniIntegerTest, AcceptsDecimalAndHexadecimal)
{
    const struct {
        const char* text;
        int expected;
    } valid[] = {
        {"0", 0}, {"7", 7}, {"+7", 7}, {"-7", -7}, {"007", 7}, {"  12 ", 12},
        {"2147483647", 2147483647}, {"-2147483648", -2147483647 - 1},
        {"0x1F", 31}, {"0X1f", 31}, {"$ff", 255}, {"$FF", 255}, {"-0x10", -16}, {"+$10", 16},
        {"0x7FFFFFFF", 2147483647}, {"0xFFFFFFFF", -1}, {"$80000000", -2147483647 - 1},
        {"0x000000001", 1}, {"-0x80000000", -2147483647 - 1},
    };
    for (const auto& c : valid) {
        int value = 12345;
        EXPECT_TRUE(ParseIniInteger(QString::fromLatin1(c.text), value)) << c.text;
        EXPECT_EQ(value, c.expected) << c.text;
    }
}

TEST(ParseIniIntegerTest, RejectsAnythingElse)
{
    const char* invalid[] = {
        "", " ", "+", "-", "abc", "12abc", "1 2", "1.5", "1e3", "0x", "$", "0xG1", "--1", "+-1",
        "2147483648", "-2147483649", "99999999999999999999", "0x100000000", "$123456789", "0b101", "x10",
    };
    for (const char* text : invalid) {
        int value = 12345;
        EXPECT_FALSE(ParseIniInteger(QString::fromLatin1(text), value)) << text;
        EXPECT_EQ(value, 12345) << "a rejected text must leave the value alone: " << text;
    }
    int value = 0;
    EXPECT_FALSE(ParseIniInteger(QString::fromUtf8("١٢"), value)) << "only ASCII digits count";
}

TEST_F(IniFileTest, ReadIntegerFallsBackToTheDefaultOnBadText)
{
    TIniFile ini = With("[S]\nGood= 0x10 \nQuoted=\"5\"\nEmpty=\nWord=yes\nTrailing=3x\nHuge=4294967296\n");
    EXPECT_EQ(ini.ReadInteger("S", "Good", -1), 16);
    EXPECT_EQ(ini.ReadInteger("S", "Quoted", -1), 5);
    EXPECT_EQ(ini.ReadInteger("S", "Empty", -1), -1);
    EXPECT_EQ(ini.ReadInteger("S", "Word", -1), -1);
    EXPECT_EQ(ini.ReadInteger("S", "Trailing", -1), -1);
    EXPECT_EQ(ini.ReadInteger("S", "Huge", -1), -1);
}

// Writing ----------------------------------------------------------------------------

TEST_F(IniFileTest, ChangingOneKeyLeavesEveryOtherByteAlone)
{
    const QByteArray before = "; Baltero\r\n"
                              "\r\n"
                              "[DATABASE]\r\n"
                              "ConnectionString=Provider=SQLCipher;Data Source=%DATASOURCE%\r\n"
                              "\r\n"
                              "[Tables]\r\n"
                              "  autoAdvancing = 1  \r\n"
                              "; trailing comment\r\n"
                              "Other=\xE8\r\n" // Windows-1252 è: the file is not UTF-8
                              "\r\n"
                              "[Last]\r\n"
                              "X=1"; // no final line break
    TIniFile ini = With(before);
    ini.WriteInteger("TABLES", "AutoAdvancing", 0);
    QByteArray expected = before;
    expected.replace("  autoAdvancing = 1  \r\n", "  autoAdvancing=0\r\n");
    EXPECT_EQ(Get(Path()), expected);

    // The last line, without its line break, keeps lacking one.
    ini.WriteString("last", "x", "22");
    expected.replace("X=1", "X=22");
    EXPECT_EQ(Get(Path()), expected);
}

TEST_F(IniFileTest, WritingTheSameValueLeavesTheFileAsItIs)
{
    const QByteArray before = "[S]\nKey=5\n";
    TIniFile ini = With(before);
    const QDateTime past = QDateTime::currentDateTimeUtc().addDays(-10);
    {
        QFile file(Path());
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        ASSERT_TRUE(file.setFileTime(past, QFileDevice::FileModificationTime));
    }
    ini.WriteInteger("S", "Key", 5);
    EXPECT_EQ(Get(Path()), before);
    EXPECT_LT(QFileInfo(Path()).lastModified(), past.addSecs(60)) << "an unchanged file is not rewritten";
}

TEST_F(IniFileTest, MissingKeyGoesAfterTheLastNonBlankLineOfItsSection)
{
    TIniFile ini = With("[A]\r\nOne=1\r\n; note\r\n\r\n\r\n[B]\r\nTwo=2\r\n");
    ini.WriteString("a", "New", "v");
    EXPECT_EQ(Get(Path()), QByteArray("[A]\r\nOne=1\r\n; note\r\nNew=v\r\n\r\n\r\n[B]\r\nTwo=2\r\n"));

    // Only the first of two sections with the same name takes the key.
    TIniFile twice = With("[A]\nOne=1\n[A]\nTwo=2\n");
    twice.WriteString("A", "Two", "x");
    EXPECT_EQ(Get(Path()), QByteArray("[A]\nOne=1\nTwo=x\n[A]\nTwo=2\n"));
}

TEST_F(IniFileTest, MissingKeyInALastSectionWithoutFinalLineBreak)
{
    TIniFile headerOnly = With("[A]\r\nOne=1\r\n[B]");
    headerOnly.WriteString("B", "Key", "v");
    EXPECT_EQ(Get(Path()), QByteArray("[A]\r\nOne=1\r\n[B]\r\nKey=v"));

    TIniFile withKey = With("[B]\nOld=1");
    withKey.WriteString("B", "Key", "v");
    EXPECT_EQ(Get(Path()), QByteArray("[B]\nOld=1\nKey=v"));
}

TEST_F(IniFileTest, MissingSectionIsAppendedWithTheFileLineBreaks)
{
    TIniFile crlf = With("[A]\r\nOne=1");
    crlf.WriteInteger("TABLES", "AutoAdvancing", 1);
    EXPECT_EQ(Get(Path()), QByteArray("[A]\r\nOne=1\r\n[TABLES]\r\nAutoAdvancing=1\r\n"));

    TIniFile lf = With("[A]\nOne=1\n\n");
    lf.WriteInteger("TABLES", "AutoAdvancing", 1);
    EXPECT_EQ(Get(Path()), QByteArray("[A]\nOne=1\n\n[TABLES]\nAutoAdvancing=1\n"));

    TIniFile empty = With("");
    empty.WriteString("S", "K", "v");
    EXPECT_EQ(Get(Path()), QByteArray("[S]\nK=v\n"));
}

TEST_F(IniFileTest, MissingFileIsCreated)
{
    TIniFile ini(Path("new.ini"));
    ini.WriteInteger("TABLES", "AutoAdvancing", 0);
    ini.WriteString("Other", "Name", "x");
    EXPECT_EQ(Get(Path("new.ini")), QByteArray("[TABLES]\nAutoAdvancing=0\n[Other]\nName=x\n"));
    EXPECT_EQ(ini.ReadInteger("tables", "autoadvancing", 1), 0);
}

TEST_F(IniFileTest, WrittenTextKeepsTheFileEncoding)
{
    TIniFile legacy = With("[S]\nOld=\xE0\n");
    legacy.WriteString("S", "New", QString::fromUtf8("perché €"));
    EXPECT_EQ(Get(Path()), QByteArray("[S]\nOld=\xE0\nNew=perch\xE9 \x80\n"));
    EXPECT_EQ(legacy.ReadString("S", "New", ""), QString::fromUtf8("perché €"));

    TIniFile utf8 = With("[S]\nOld=à\n");
    utf8.WriteString("S", "New", QString::fromUtf8("perché €"));
    EXPECT_EQ(Get(Path()), QByteArray("[S]\nOld=à\nNew=perché €\n"));
}

TEST_F(IniFileTest, ValuesComeBackExactlyAsWritten)
{
    TIniFile ini(Path());
    const QString values[] = {
        QStringLiteral("  padded  "), QStringLiteral("\"quoted\""), QStringLiteral("'single'"),
        QStringLiteral("\t"), QStringLiteral("a=b;c"), QString(), QString(2047, u'z'),
    };
    for (const QString& value : values) {
        ini.WriteString("S", "Key", value);
        EXPECT_EQ(ini.ReadString("S", "Key", "def"), value) << value.toStdString();
    }
}

// Failures ---------------------------------------------------------------------------

TEST_F(IniFileTest, UnwritableTargetRaisesAndTouchesNothing)
{
    // The folder of the file is a regular file: nothing can be created in it.
    const QByteArray blocker = "I am a file, not a folder\n";
    Put(Path("blocker"), blocker);
    TIniFile inside(Path("blocker/Baltero.ini"));
    EXPECT_THROW(inside.WriteInteger("TABLES", "AutoAdvancing", 0), EFileError);
    EXPECT_EQ(Get(Path("blocker")), blocker);
    EXPECT_EQ(inside.ReadInteger("TABLES", "AutoAdvancing", 7), 7);

    // The file name is taken by a folder.
    ASSERT_TRUE(QDir(dir_.path()).mkdir("folder.ini"));
    ASSERT_TRUE(QDir(dir_.path()).mkdir("folder.ini/keep"));
    TIniFile folder(Path("folder.ini"));
    try {
        folder.WriteString("S", "K", "v");
        ADD_FAILURE() << "writing over a folder must fail";
    } catch (const EFileError& e) {
        EXPECT_TRUE(e.Message().contains(Path("folder.ini"))) << e.Message().toStdString();
    }
    EXPECT_TRUE(QFileInfo(Path("folder.ini/keep")).isDir());
    EXPECT_EQ(folder.ReadString("S", "K", "def"), "def");

    // No temporary file is left beside the failures.
    EXPECT_EQ(QDir(dir_.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
              QStringList({"blocker", "folder.ini"}));
}

TEST_F(IniFileTest, RefusedWritesLeaveTheOldFileIntact)
{
    const QByteArray before = "[S]\r\nKey=\xE0\r\n";
    TIniFile ini = With(before);
    // A line break would plant a new section in the file.
    EXPECT_THROW(ini.WriteString("S", "Key", "x\r\n[DATABASE]\r\nConnectionString=evil"), EFileError);
    EXPECT_THROW(ini.WriteString("S\n[X", "Key", "v"), EFileError);
    EXPECT_THROW(ini.WriteString("S]x", "Key", "v"), EFileError);
    EXPECT_THROW(ini.WriteString("S", "K=ey", "v"), EFileError);
    EXPECT_THROW(ini.WriteString("S", ";Key", "v"), EFileError);
    EXPECT_THROW(ini.WriteString("S", " ", "v"), EFileError);
    EXPECT_THROW(ini.WriteString("", "Key", "v"), EFileError);
    // Would be cut short on the next read.
    EXPECT_THROW(ini.WriteString("S", "Key", QString(2048, u'a')), EFileError);
    // The file is Windows-1252, which has no Greek letters.
    EXPECT_THROW(ini.WriteString("S", "Key", QString::fromUtf8("αβγ")), EFileError);
    EXPECT_EQ(Get(Path()), before);
}

TEST_F(IniFileTest, HalfASurrogatePairIsRefusedInAUtf8File)
{
    const QByteArray before = "[S]\nKey=\xC3\xA8\n";
    TIniFile ini = With(before);
    const QString lone(QChar(0xD800));
    for (const auto& [section, key, value] : {std::tuple{QStringLiteral("S"), QStringLiteral("Key"), lone},
                                              std::tuple{QStringLiteral("S"), lone, QStringLiteral("v")},
                                              std::tuple{lone, QStringLiteral("Key"), QStringLiteral("v")}}) {
        SCOPED_TRACE((section + u'|' + key + u'|' + value).toUtf8().toHex().constData());
        EXPECT_THROW(ini.WriteString(section, key, value), EFileError);
    }
    EXPECT_EQ(Get(Path()), before);
}

TEST_F(IniFileTest, KeyStartingWithAZeroWidthNoBreakSpaceReadsBack)
{
    // U+FEFF at the start of a line is text, not a byte-order mark.
    TIniFile ini = With("[S]\nA=1\n");
    const QString key = QString(QChar(0xFEFF)) + QStringLiteral("Key");
    ini.WriteString("S", key, "v");
    EXPECT_EQ(ini.ReadString("S", key, "<default>"), "v");
    EXPECT_EQ(ini.ReadString("S", "Key", "<default>"), "<default>");
}

TEST_F(IniFileTest, OversizedFileIsRefusedNotRewritten)
{
    {
        QFile file(Path());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_TRUE(file.resize(qint64(65) * 1024 * 1024)); // sparse: costs no disk
    }
    TIniFile ini(Path());
    EXPECT_EQ(ini.ReadInteger("S", "K", 9), 9);
    EXPECT_THROW(ini.WriteInteger("S", "K", 1), EFileError);
    EXPECT_EQ(QFileInfo(Path()).size(), qint64(65) * 1024 * 1024);
}

} // namespace

TEST_F(IniFileTest, RefusalMessageNamesTheKeyAsItIs)
{
    TIniFile ini = With("[S]\r\n");
    try {
        ini.WriteString("S", "Chiave %2", QString(2048, u'a'));
        FAIL() << "the long value was written";
    } catch (const EFileError& e) {
        EXPECT_TRUE(e.Message().contains(QStringLiteral("\"Chiave %2\" supera 2047 caratteri"))) << e.Message().toStdString();
    }
}
