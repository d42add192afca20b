// Reading Baltero 1.x question files: encodings, line ends and the finer
// line rules (the worked example and the capacities are checked through the
// import, against the rows they produce).
#include "Exception.h"
#include "LegacyQuestionFile.h"
#include "TextCodec.h"
#include "TestText.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <atomic>

#if defined(__SANITIZE_ADDRESS__)
// The allocator's hooks (the compiler ships no header for them).
extern "C" int __sanitizer_install_malloc_and_free_hooks(void (*allocated)(const volatile void*, size_t),
                                                        void (*released)(const volatile void*));
extern "C" size_t __sanitizer_get_allocated_size(const volatile void* pointer);
#endif

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
        rows << QStringLiteral("%1|%2|%3").arg(QString::number(question.areaIndex + 1),
                                               QString::number(question.phaseIndex + 1), question.text);
    return rows;
}

QByteArray Utf16(const QString& text, bool littleEndian)
{
    QByteArray bytes = littleEndian ? QByteArray("\xff\xfe") : QByteArray("\xfe\xff");
    for (QChar c : text) {
        const char low = static_cast<char>(c.unicode() & 0xff);
        const char high = static_cast<char>(c.unicode() >> 8);
        bytes.append(littleEndian ? low : high).append(littleEndian ? high : low);
    }
    return bytes;
}

#if defined(__SANITIZE_ADDRESS__)
// The most memory held at once while counting, from what was held when the
// counting started.
std::atomic<bool> counting{false};
std::atomic<qint64> heldBytes{0};
std::atomic<qint64> peakBytes{0};

void CountAllocation(const volatile void*, size_t size)
{
    if (!counting)
        return;
    const qint64 held = heldBytes += static_cast<qint64>(size);
    qint64 peak = peakBytes;
    while (held > peak && !peakBytes.compare_exchange_weak(peak, held)) {
    }
}

void CountRelease(const volatile void* pointer)
{
    if (counting)
        heldBytes -= static_cast<qint64>(__sanitizer_get_allocated_size(pointer));
}
#endif

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

TEST(LegacyQuestionText, BrokenUtf16IsRefusedLikeAnyFileThatIsNotText)
{
    const QString question = QStringLiteral("*Area\r\n#Fase\r\nDomanda");
    struct Case {
        const char* what;
        QString text;
        bool oddByte;
    };
    const Case cases[] = {
        {"lone high surrogate", question + QChar(0xD83D) + QStringLiteral("?"), false},
        {"high surrogate at the end", question + QChar(0xD83D), false},
        {"lone low surrogate", question + QChar(0xDE00) + QStringLiteral("?"), false},
        {"low surrogate before its high one", question + QChar(0xDE00) + QChar(0xD83D), false},
        {"odd trailing byte", question, true},
    };
    for (const bool littleEndian : {true, false}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.what) + (littleEndian ? " LE" : " BE"));
            QByteArray bytes = Utf16(c.text, littleEndian);
            if (c.oddByte)
                bytes.append('?');
            EXPECT_EQ(MessageOf([&] { DecodeLegacyQuestionText(bytes); }),
                      QStringLiteral("il file non contiene testo: non \u00e8 un file di domande."));
        }
        // A character outside the basic plane is a whole pair.
        const QString smile = question + QStringLiteral(" \U0001F600");
        EXPECT_EQ(DecodeLegacyQuestionText(Utf16(smile, littleEndian)), smile);
    }
}

TEST(LegacyQuestionFileRead, BrokenUtf16FileIsRefusedWithItsPath)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("domande.txt"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(Utf16(QStringLiteral("*Area\r\n#Fase\r\nDomanda") + QChar(0xDC00), true));
    file.close();
    EXPECT_EQ(MessageOf([&] { ReadLegacyQuestionFile(path); }),
              path + QStringLiteral(": il file non contiene testo: non \u00e8 un file di domande."));
}

TEST(LegacyQuestionFileRead, MemoryFollowsWhatIsKeptNotTheLinesRead)
{
#if !defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the allocations are counted through AddressSanitizer";
#else
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("domande.txt"));
    // Millions of short lines past the thousandth question.
    constexpr qint64 size = 4 * 1024 * 1024;
    QByteArray bytes("*Area\n#Fase\n");
    bytes.append(QByteArray("x\n").repeated((size - bytes.size()) / 2));
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_EQ(file.write(bytes), bytes.size());
    }
    bytes.clear();
    bytes.squeeze();

    static const bool installed = __sanitizer_install_malloc_and_free_hooks(CountAllocation, CountRelease) != 0;
    ASSERT_TRUE(installed);
    heldBytes = 0;
    peakBytes = 0;
    counting = true;
    const Questionnaire q = ReadLegacyQuestionFile(path);
    counting = false;
    EXPECT_EQ(q.questions.size(), 1000u);
    // The file's bytes, and little beside them.
    EXPECT_LT(peakBytes.load(), size + size / 4) << "bytes held at once: " << peakBytes.load();
#endif
}
