// Reading Baltero 1.x question files: encodings, line ends and the finer
// line rules (the worked example and the capacities are checked through the
// import, against the rows they produce).
#include "Exception.h"
#include "LegacyQuestionFile.h"
#include "TextCodec.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

using Questionnaire = TLegacyQuestionnaire;

Questionnaire Parse(const QStringList& lines)
{
    return ParseLegacyQuestionLines(lines);
}

// "area|phase|text" for every question, 1-based like the database rows.
QStringList Placed(const Questionnaire& q)
{
    QStringList rows;
    for (const auto& question : q.questions)
        rows << QStringLiteral("%1|%2|%3").arg(question.areaIndex + 1).arg(question.phaseIndex + 1).arg(question.text);
    return rows;
}

} // namespace

TEST(LegacyQuestionParse, LinesAreStrippedOfBlanksAndControlsOnly)
{
    const Questionnaire q = Parse({
        QStringLiteral("  \t*Area\x01 "),
        QStringLiteral("* spaced"), // the blank after "*" belongs to the name
        QStringLiteral("\x1f#Fase\t"),
        QStringLiteral("   "),
        QString(),
        QStringLiteral("\tDomanda con spazi interni  \r"),
        QStringLiteral("\u00a0non-breaking\u00a0"), // not a code 0-32 character
    });
    ASSERT_EQ(q.areas.size(), 2u);
    EXPECT_EQ(q.areas[0].description, QStringLiteral("Area"));
    EXPECT_EQ(q.areas[1].description, QStringLiteral(" spaced"));
    EXPECT_EQ(q.phaseNames[0], QStringLiteral("Fase"));
    EXPECT_EQ(Placed(q), (QStringList{
                             QStringLiteral("2|1|Domanda con spazi interni"),
                             QStringLiteral("2|1|\u00a0non-breaking\u00a0"),
                         }));
}

TEST(LegacyQuestionParse, LinesOutsideAnAreaAndPhaseAreDropped)
{
    const Questionnaire q = Parse({
        QStringLiteral("Titolo del questionario"),
        QStringLiteral("#Fase prima di ogni area"),
        QStringLiteral("*Prima area"),
        QStringLiteral("Domanda senza fase"),
        QStringLiteral("*Seconda area"),
        QStringLiteral("#Fase"),
        QStringLiteral("Domanda"),
    });
    ASSERT_EQ(q.areas.size(), 2u);
    EXPECT_EQ(q.areas[0].phaseCount, 0);
    EXPECT_EQ(q.phaseNames[0], QStringLiteral("Fase"));
    EXPECT_EQ(Placed(q), QStringList{QStringLiteral("2|1|Domanda")});
}

TEST(LegacyQuestionParse, LoneMarkersFollowTheirOwnRules)
{
    const Questionnaire q = Parse({
        QStringLiteral("*Uno"),
        QStringLiteral("#Nome dato"),
        QStringLiteral("*"), // not an area: a question of area 1, phase 1
        QStringLiteral("*Due"),
        QStringLiteral("#"), // opens phase 1 without renaming it
        QStringLiteral("#"),
        QStringLiteral("Domanda"),
    });
    ASSERT_EQ(q.areas.size(), 2u);
    EXPECT_EQ(q.areas[1].phaseCount, 2);
    EXPECT_EQ(q.phaseNames[0], QStringLiteral("Nome dato"));
    EXPECT_TRUE(q.phaseNames[1].isEmpty());
    EXPECT_EQ(Placed(q), (QStringList{QStringLiteral("1|1|*"), QStringLiteral("2|2|Domanda")}));
}

TEST(LegacyQuestionText, LineEndsOfEveryKind)
{
    EXPECT_EQ(SplitLegacyQuestionLines(QStringLiteral("a\r\nb\rc\nd")),
              (QStringList{QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c"), QStringLiteral("d")}));
    // CR LF is one line end, LF CR two; the last line end opens no line.
    EXPECT_EQ(SplitLegacyQuestionLines(QStringLiteral("a\n\rb\r\n")),
              (QStringList{QStringLiteral("a"), QString(), QStringLiteral("b")}));
    EXPECT_TRUE(SplitLegacyQuestionLines(QString()).isEmpty());
}

TEST(LegacyQuestionText, Windows1252CoversTheWholeHighRange)
{
    EXPECT_EQ(DecodeWindows1252(QByteArray("Motricit\xe0 \x80 \x92 \x96 \x9c \xff")),
              QStringLiteral("Motricit\u00e0 \u20ac \u2019 \u2013 \u0153 \u00ff"));
    // Bytes the code page leaves unassigned come through, not as U+FFFD.
    EXPECT_EQ(DecodeWindows1252(QByteArray("\x81\x8d\x8f\x90\x9d")), QStringLiteral("\u0081\u008d\u008f\u0090\u009d"));
    EXPECT_EQ(DecodeWindows1252(QByteArray()), QString());
}

TEST(LegacyQuestionText, EncodingIsRecognised)
{
    const QString accented = QStringLiteral("Perch\u00e9 cos\u00ec \u20ac");
    // Single bytes that are not valid UTF-8: the earlier version's code page.
    EXPECT_EQ(DecodeLegacyQuestionText(QByteArray("Perch\xe9 cos\xec \x80")), accented);
    // Valid UTF-8 with multi-byte sequences, with and without a byte-order mark.
    EXPECT_EQ(DecodeLegacyQuestionText(accented.toUtf8()), accented);
    EXPECT_EQ(DecodeLegacyQuestionText(QByteArray("\xef\xbb\xbf") + accented.toUtf8()), accented);
    EXPECT_EQ(DecodeLegacyQuestionText(QByteArray("\xef\xbb\xbf*Area")), QStringLiteral("*Area"));
    // Saved as "Unicode" by Notepad.
    QByteArray utf16("\xff\xfe");
    for (QChar c : accented)
        utf16.append(static_cast<char>(c.unicode() & 0xff)).append(static_cast<char>(c.unicode() >> 8));
    EXPECT_EQ(DecodeLegacyQuestionText(utf16), accented);
}

TEST(LegacyQuestionText, BytesThatAreNotTextAreRefused)
{
    EXPECT_THROW(DecodeLegacyQuestionText(QByteArray("*Area\0#Fase", 11)), Exception);
    EXPECT_THROW(DecodeLegacyQuestionText(QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16)), Exception);
    // A byte-order mark promises UTF-8 the rest does not keep.
    EXPECT_THROW(DecodeLegacyQuestionText(QByteArray("\xef\xbb\xbfPerch\xe9")), Exception);
}

TEST(LegacyQuestionFileRead, WholeFileFromDisk)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("domande.ini"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("*Motricit\xe0\r\n#Fase\r\nSale l'unica scala?\r\n");
    file.close();
    const Questionnaire q = ReadLegacyQuestionFile(path);
    ASSERT_EQ(q.areas.size(), 1u);
    EXPECT_EQ(q.areas[0].description, QStringLiteral("Motricit\u00e0"));
    EXPECT_EQ(Placed(q), QStringList{QStringLiteral("1|1|Sale l'unica scala?")});
}

TEST(LegacyQuestionFileRead, UnreadableFilesAreReportedWithTheirPath)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString missing = dir.filePath(QStringLiteral("manca.ini"));
    try {
        ReadLegacyQuestionFile(missing);
        FAIL() << "a missing file was read";
    } catch (const Exception& e) {
        EXPECT_TRUE(e.Message().startsWith(missing)) << e.Message().toStdString();
    }
    EXPECT_THROW(ReadLegacyQuestionFile(dir.path()), Exception);
    QFile binary(dir.filePath(QStringLiteral("foto.ini")));
    ASSERT_TRUE(binary.open(QIODevice::WriteOnly));
    binary.write(QByteArray("\xff\xd8\xff\xe0\0\x10JFIF\0", 11));
    binary.close();
    EXPECT_THROW(ReadLegacyQuestionFile(binary.fileName()), Exception);
}
