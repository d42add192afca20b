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

QString Strip(const QString& line)
{
    qsizetype begin = 0;
    qsizetype end = line.size();
    while (begin < end && line.at(begin).unicode() <= 32)
        ++begin;
    while (end > begin && line.at(end - 1).unicode() <= 32)
        --end;
    return line.mid(begin, end - begin);
}

bool DecodeStrict(QStringDecoder::Encoding encoding, QByteArrayView bytes, QString& text)
{
    QStringDecoder decoder(encoding, QStringDecoder::Flag::Stateless);
    text = decoder.decode(bytes);
    return !decoder.hasError();
}

QString NotText()
{
    return QStringLiteral("il file non contiene testo: non \u00e8 un file di domande.");
}

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
    TLegacyQuestionnaire result;
    int currentPhase = -1;
    for (const QString& rawLine : lines) {
        const QString line = Strip(rawLine);
        if (line.isEmpty())
            continue;
        const int areaTotal = static_cast<int>(result.areas.size());
        if (line.startsWith(QLatin1Char('*')) && line.size() >= 2) {
            // Past the capacity the line is dropped without closing the
            // current phase: what follows still belongs to the last area.
            if (areaTotal < TLegacyQuestionnaire::MaxAreas) {
                result.areas.push_back({line.mid(1), 0});
                currentPhase = -1;
            }
        } else if (line.startsWith(QLatin1Char('#')) && areaTotal > 0) {
            if (currentPhase < TLegacyQuestionnaire::MaxPhases - 1) {
                ++currentPhase;
                if (line.size() > 1)
                    result.phaseNames[currentPhase] = line.mid(1);
                ++result.areas.back().phaseCount;
            }
        } else if (areaTotal > 0 && currentPhase != -1) {
            if (result.questions.size() < TLegacyQuestionnaire::MaxQuestions)
                result.questions.push_back({line, areaTotal - 1, currentPhase});
        }
    }
    return result;
}

QString DecodeLegacyQuestionText(const QByteArray& bytes)
{
    QString text;
    if (bytes.startsWith("\xEF\xBB\xBF")) {
        if (!DecodeStrict(QStringDecoder::Utf8, QByteArrayView(bytes).sliced(3), text))
            throw Exception(QStringLiteral("il file si dichiara UTF-8 ma contiene caratteri non validi."));
        return text;
    }
    if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF")) {
        const auto encoding = bytes.startsWith("\xFF\xFE") ? QStringDecoder::Utf16LE : QStringDecoder::Utf16BE;
        if (!DecodeStrict(encoding, QByteArrayView(bytes).sliced(2), text) || text.contains(QChar(0)))
            throw Exception(NotText());
        return text;
    }
    // No text file holds NUL bytes; a program, a picture or a document in a
    // word processor's format does.
    if (bytes.contains('\0'))
        throw Exception(NotText());
    const bool multiByte = std::any_of(bytes.begin(), bytes.end(), [](char c) { return (c & 0x80) != 0; });
    if (multiByte && DecodeStrict(QStringDecoder::Utf8, bytes, text))
        return text;
    return DecodeWindows1252(bytes);
}

QStringList SplitLegacyQuestionLines(const QString& text)
{
    QStringList lines;
    qsizetype start = 0;
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size; ++i) {
        const QChar c = text.at(i);
        if (c != QLatin1Char('\r') && c != QLatin1Char('\n'))
            continue;
        lines << text.mid(start, i - start);
        if (c == QLatin1Char('\r') && i + 1 < size && text.at(i + 1) == QLatin1Char('\n'))
            ++i;
        start = i + 1;
    }
    if (start < size)
        lines << text.mid(start);
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
    const QByteArray bytes = file.read(MaxFileSize + 1);
    if (file.error() != QFileDevice::NoError)
        throw Exception(QStringLiteral("%1: impossibile leggere il file: %2").arg(path, file.errorString()));
    if (bytes.size() > MaxFileSize)
        throw Exception(QStringLiteral("%1: il file \u00e8 troppo grande per essere un file di domande.").arg(path));
    try {
        return ParseLegacyQuestionLines(SplitLegacyQuestionLines(DecodeLegacyQuestionText(bytes)));
    } catch (const Exception& e) {
        throw Exception(QStringLiteral("%1: %2").arg(path, e.Message()));
    }
}
