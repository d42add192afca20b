#include "LegacyQuestionFile.h"

#include "Exception.h"
#include "TextCodec.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

#include <algorithm>

namespace {

// The largest questionnaire the format can hold is a few hundred kilobytes;
// a file this big is something else chosen by mistake.
constexpr qint64 MaxFileSize = 16 * 1024 * 1024;

QStringView Strip(QStringView line)
{
    qsizetype begin = 0;
    qsizetype end = line.size();
    while (begin < end && line.at(begin).unicode() <= 32)
        ++begin;
    while (end > begin && line.at(end - 1).unicode() <= 32)
        --end;
    return line.sliced(begin, end - begin);
}

// The file's bytes, or limit + 1 of them when it holds more; on a failure
// file.error() says so. The buffer is made to the expected size: one grown
// as it fills takes up to twice the memory.
QByteArray ReadUpTo(QFile& file, qint64 expectedSize, qint64 limit)
{
    QByteArray bytes(std::min(expectedSize, limit) + 1, Qt::Uninitialized);
    qsizetype total = 0;
    for (;;) {
        const qint64 read = file.read(bytes.data() + total, bytes.size() - total);
        if (read <= 0)
            break;
        total += read;
        if (total < bytes.size())
            continue;
        if (total > limit)
            break;
        // The file is longer than it was said to be (a file of /proc, or
        // one still being written).
        bytes.resize(std::min<qint64>(2 * total, limit + 1));
    }
    bytes.truncate(total);
    return bytes;
}

QString NotText()
{
    return QStringLiteral("il file non contiene testo: non \u00e8 un file di domande.");
}

QString InvalidUtf8()
{
    return QStringLiteral("il file si dichiara UTF-8 ma contiene caratteri non validi.");
}

// Calls take(begin, end) for every line of the units [0, size), which end at
// CR LF, CR or LF; the last line end opens no line.
template <typename UnitAt, typename Take>
void ForEachLineRange(qsizetype size, UnitAt unitAt, Take take)
{
    qsizetype start = 0;
    for (qsizetype i = 0; i < size; ++i) {
        const char16_t c = unitAt(i);
        if (c != u'\r' && c != u'\n')
            continue;
        take(start, i);
        if (c == u'\r' && i + 1 < size && unitAt(i + 1) == u'\n')
            ++i;
        start = i + 1;
    }
    if (start < size)
        take(start, size);
}

// The file's bytes after the byte-order mark, and how they are written.
struct TEncodedText {
    enum class TForm { Windows1252, Utf8, Utf16LE, Utf16BE };
    TForm form;
    QByteArrayView body;

    bool Utf16() const { return form == TForm::Utf16LE || form == TForm::Utf16BE; }
    char16_t Unit(qsizetype i) const
    {
        if (!Utf16())
            return static_cast<uchar>(body[i]);
        const auto first = static_cast<uchar>(body[2 * i]);
        const auto second = static_cast<uchar>(body[2 * i + 1]);
        return form == TForm::Utf16LE ? char16_t(first | second << 8) : char16_t(first << 8 | second);
    }
    qsizetype UnitCount() const { return Utf16() ? body.size() / 2 : body.size(); }
    QByteArrayView Units(qsizetype begin, qsizetype end) const
    {
        const int width = Utf16() ? 2 : 1;
        return body.sliced(begin * width, (end - begin) * width);
    }

    // The text of units that hold no line end, or of the whole body. The
    // text's first character is dropped when it is a byte-order mark, as
    // editors write one more often than a file needs.
    QString Decode(QByteArrayView bytes, bool atStart) const
    {
        QString text;
        switch (form) {
        case TForm::Windows1252:
            return DecodeWindows1252(bytes);
        case TForm::Utf8: {
            QStringDecoder decoder(QStringDecoder::Utf8,
                                   QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
            text = decoder.decode(bytes);
            if (decoder.hasError())
                throw Exception(InvalidUtf8());
            break;
        }
        case TForm::Utf16LE:
        case TForm::Utf16BE:
            text = DecodeUtf16(bytes);
            break;
        }
        if (atStart && text.startsWith(QChar(0xFEFF)))
            text.remove(0, 1);
        return text;
    }

    // Only whole pairs of bytes, each surrogate in its pair and no NUL: a
    // file that breaks any of these was not written as UTF-16 text.
    QString DecodeUtf16(QByteArrayView bytes) const
    {
        const TEncodedText part{form, bytes};
        const qsizetype size = part.UnitCount();
        QString text(size, Qt::Uninitialized);
        for (qsizetype i = 0; i < size; ++i) {
            const char16_t unit = part.Unit(i);
            if (unit == 0)
                throw Exception(NotText());
            if (QChar::isHighSurrogate(unit)) {
                if (i + 1 >= size || !QChar::isLowSurrogate(part.Unit(i + 1)))
                    throw Exception(NotText());
                text[i] = QChar(unit);
                ++i;
                text[i] = QChar(part.Unit(i));
                continue;
            }
            if (QChar::isLowSurrogate(unit))
                throw Exception(NotText());
            text[i] = QChar(unit);
        }
        return text;
    }
};

// Which encoding the bytes are in: Windows-1252 unless they start with a
// byte-order mark (UTF-8 or UTF-16) or are valid UTF-8 with at least one
// multi-byte sequence.
TEncodedText Examine(const QByteArray& bytes)
{
    using TForm = TEncodedText::TForm;
    const QByteArrayView all(bytes);
    if (bytes.startsWith("\xEF\xBB\xBF"))
        return {TForm::Utf8, all.sliced(3)};
    if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF")) {
        const TEncodedText text{bytes.startsWith("\xFF\xFE") ? TForm::Utf16LE : TForm::Utf16BE, all.sliced(2)};
        // An odd byte at the end is half a character.
        if (text.body.size() % 2 != 0)
            throw Exception(NotText());
        return text;
    }
    // No text file holds NUL bytes; a program, a picture or a document in a
    // word processor's format does.
    if (bytes.contains('\0'))
        throw Exception(NotText());
    if (!std::any_of(bytes.begin(), bytes.end(), [](char c) { return (c & 0x80) != 0; }))
        return {TForm::Windows1252, all};
    // A multi-byte sequence never holds a line-end byte, so the bytes are
    // valid UTF-8 exactly when each line is; one line at a time keeps
    // the memory small.
    const TEncodedText utf8{TForm::Utf8, all};
    bool valid = true;
    ForEachLineRange(utf8.UnitCount(), [&](qsizetype i) { return utf8.Unit(i); },
                     [&](qsizetype begin, qsizetype end) {
                         if (!valid)
                             return;
                         QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
                         // The decoding happens when the result becomes text.
                         const QString line = decoder.decode(utf8.Units(begin, end));
                         valid = !decoder.hasError();
                     });
    return valid ? utf8 : TEncodedText{TForm::Windows1252, all};
}

// Line by line, so that only what the questionnaire keeps stays in memory.
class TLineParser {
public:
    void Add(QStringView rawLine)
    {
        const QStringView line = Strip(rawLine);
        if (line.isEmpty())
            return;
        const int areaTotal = static_cast<int>(result_.areas.size());
        if (line.startsWith(QLatin1Char('*')) && line.size() >= 2) {
            // Past the capacity the line is dropped without closing the
            // current phase: what follows still belongs to the last area.
            if (areaTotal < TLegacyQuestionnaire::MaxAreas) {
                result_.areas.push_back({line.sliced(1).toString(), 0});
                currentPhase_ = -1;
            }
        } else if (line.startsWith(QLatin1Char('#')) && areaTotal > 0) {
            if (currentPhase_ < TLegacyQuestionnaire::MaxPhases - 1) {
                ++currentPhase_;
                if (line.size() > 1)
                    result_.phaseNames[currentPhase_] = line.sliced(1).toString();
                ++result_.areas.back().phaseCount;
            }
        } else if (areaTotal > 0 && currentPhase_ != -1) {
            if (result_.questions.size() < TLegacyQuestionnaire::MaxQuestions)
                result_.questions.push_back({line.toString(), areaTotal - 1, currentPhase_});
        }
    }
    TLegacyQuestionnaire Take() { return std::move(result_); }

private:
    TLegacyQuestionnaire result_;
    int currentPhase_ = -1;
};

} // namespace

int TLegacyQuestionnaire::PhaseTotal() const
{
    int total = 0;
    for (const Area& area : areas)
        total = std::max(total, area.phaseCount);
    return total;
}

TLegacyQuestionnaire ParseLegacyQuestionLines(const QStringList& lines)
{
    TLineParser parser;
    for (const QString& line : lines)
        parser.Add(line);
    return parser.Take();
}

QString DecodeLegacyQuestionText(const QByteArray& bytes)
{
    const TEncodedText text = Examine(bytes);
    return text.Decode(text.body, true);
}

QStringList SplitLegacyQuestionLines(const QString& text)
{
    QStringList lines;
    ForEachLineRange(text.size(), [&](qsizetype i) { return text.at(i).unicode(); },
                     [&](qsizetype begin, qsizetype end) { lines << text.mid(begin, end - begin); });
    return lines;
}

TLegacyQuestionnaire ReadLegacyQuestionFile(const QString& path)
{
    const QFileInfo info(path);
    if (!info.exists())
        throw Exception(QStringLiteral("%1: il file non esiste.").arg(path));
    if (!info.isFile())
        throw Exception(QStringLiteral("%1: non \u00e8 un file.").arg(path));
    if (info.size() > MaxFileSize)
        throw Exception(QStringLiteral("%1: il file \u00e8 troppo grande per essere un file di domande.").arg(path));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw Exception(QStringLiteral("%1: impossibile leggere il file: %2").arg(path, file.errorString()));
    // Read by size, not to the end: a device that never ends must not
    // fill the memory.
    const QByteArray bytes = ReadUpTo(file, info.size(), MaxFileSize);
    if (file.error() != QFileDevice::NoError)
        throw Exception(QStringLiteral("%1: impossibile leggere il file: %2").arg(path, file.errorString()));
    if (bytes.size() > MaxFileSize)
        throw Exception(QStringLiteral("%1: il file \u00e8 troppo grande per essere un file di domande.").arg(path));
    try {
        const TEncodedText text = Examine(bytes);
        TLineParser parser;
        ForEachLineRange(text.UnitCount(), [&](qsizetype i) { return text.Unit(i); },
                         [&](qsizetype begin, qsizetype end) {
                             parser.Add(text.Decode(text.Units(begin, end), begin == 0));
                         });
        return parser.Take();
    } catch (const Exception& e) {
        throw Exception(QStringLiteral("%1: %2").arg(path, e.Message()));
    }
}
