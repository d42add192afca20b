#include "IniFile.h"

#include "TextCodec.h"

#include "Exception.h"
#include "SafeFile.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace {

// The longest value a reader gets back, as with a 2048-character buffer.
constexpr qsizetype MaxValueLength = 2047;

// A settings file is a few lines; anything bigger is not one of ours and is
// not worth holding in memory.
constexpr qint64 MaxFileSize = 64 * 1024 * 1024;

const QByteArray Utf8Bom("\xEF\xBB\xBF", 3);

bool IsValidUtf8(QByteArrayView bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString ignored = decoder.decode(bytes);
    return !decoder.hasError();
}

bool IsBlank(QChar ch)
{
    return ch == u' ' || ch == u'\t';
}

QString TrimBlanks(QStringView text)
{
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && IsBlank(text[first]))
        ++first;
    while (last > first && IsBlank(text[last - 1]))
        --last;
    return text.mid(first, last - first).toString();
}

bool IsQuote(QChar ch)
{
    return ch == u'"' || ch == u'\'';
}

bool SameName(const QString& a, const QString& b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

enum class LineKind { Other, Section, Key };

struct Line {
    qsizetype start = 0;      // first byte of the line
    qsizetype contentEnd = 0; // first byte of the line break (or end of file)
    qsizetype end = 0;        // first byte after the line break
    LineKind kind = LineKind::Other;
    QString name;             // section or key name, trimmed
    qsizetype keyEnd = 0;     // byte after the key's last character, as spelled in the file
    QString value;            // raw value text (key lines)
    bool blank = true;
};

// The file as bytes plus the lines found in it. Structure characters are all
// ASCII, so both encodings the file may be in can be split at byte level.
class TIniText {
public:
    TIniText() = default;

    explicit TIniText(QByteArray bytes)
        : bytes_(std::move(bytes))
    {
        utf8_ = IsValidUtf8(bytes_);
        const qsizetype bodyStart = bytes_.startsWith(Utf8Bom) ? Utf8Bom.size() : 0;
        qsizetype pos = bodyStart;
        const qsizetype size = bytes_.size();
        while (pos < size) {
            Line line;
            line.start = pos;
            qsizetype i = pos;
            while (i < size && bytes_[i] != '\n' && bytes_[i] != '\r')
                ++i;
            line.contentEnd = i;
            if (i < size) {
                const qsizetype breakLength = (bytes_[i] == '\r' && i + 1 < size && bytes_[i + 1] == '\n') ? 2 : 1;
                if (eol_.isEmpty())
                    eol_ = bytes_.mid(i, breakLength);
                i += breakLength;
            }
            line.end = i;
            Classify(line);
            lines_.push_back(std::move(line));
            pos = i;
        }
        if (eol_.isEmpty())
            eol_ = QByteArrayLiteral("\n");
    }

    const QByteArray& Bytes() const { return bytes_; }
    const std::vector<Line>& Lines() const { return lines_; }
    const QByteArray& Eol() const { return eol_; }

    // Index of the first header of the section, or -1.
    qsizetype FindSection(const QString& section) const
    {
        for (qsizetype i = 0; i < qsizetype(lines_.size()); ++i) {
            if (lines_[i].kind == LineKind::Section && SameName(lines_[i].name, section))
                return i;
        }
        return -1;
    }

    // One past the last line belonging to the section that starts at header.
    qsizetype SectionEnd(qsizetype header) const
    {
        qsizetype i = header + 1;
        while (i < qsizetype(lines_.size()) && lines_[i].kind != LineKind::Section)
            ++i;
        return i;
    }

    // Index of the first line of the key inside the section, or -1.
    qsizetype FindKey(qsizetype header, const QString& key) const
    {
        const qsizetype end = SectionEnd(header);
        for (qsizetype i = header + 1; i < end; ++i) {
            if (lines_[i].kind == LineKind::Key && SameName(lines_[i].name, key))
                return i;
        }
        return -1;
    }

    QString Decode(QByteArrayView bytes) const
    {
        if (!utf8_)
            return DecodeWindows1252(bytes);
        // Each line is decoded on its own: a U+FEFF that starts a line is
        // part of it, not a byte-order mark to drop (the file's own mark is
        // skipped before the lines are split).
        QStringDecoder decoder(QStringDecoder::Utf8,
                               QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
        return decoder.decode(bytes);
    }

    std::optional<QByteArray> Encode(const QString& text) const
    {
        if (utf8_)
            return text.toUtf8();
        return EncodeWindows1252(text);
    }

private:
    void Classify(Line& line) const
    {
        const QString text = Decode(QByteArrayView(bytes_).sliced(line.start, line.contentEnd - line.start));
        const QString trimmed = TrimBlanks(text);
        line.blank = trimmed.isEmpty();
        if (line.blank || trimmed.startsWith(u';'))
            return;
        if (trimmed.startsWith(u'[')) {
            const qsizetype close = trimmed.indexOf(u']');
            if (close > 0) {
                line.kind = LineKind::Section;
                line.name = TrimBlanks(QStringView(trimmed).sliced(1, close - 1));
            }
            return;
        }
        const qsizetype equals = text.indexOf(u'=');
        if (equals < 0)
            return;
        const QString name = TrimBlanks(QStringView(text).first(equals));
        if (name.isEmpty())
            return;
        line.kind = LineKind::Key;
        line.name = name;
        line.value = QStringView(text).sliced(equals + 1).toString();
        // The key's spelling ends where its trailing blanks before '=' begin;
        // blanks and '=' are ASCII, so the byte offset follows from the text.
        const qsizetype equalsByte = bytes_.indexOf('=', line.start);
        qsizetype keyEnd = equalsByte;
        while (keyEnd > line.start && (bytes_[keyEnd - 1] == ' ' || bytes_[keyEnd - 1] == '\t'))
            --keyEnd;
        line.keyEnd = keyEnd;
    }

    QByteArray bytes_;
    std::vector<Line> lines_;
    QByteArray eol_;
    bool utf8_ = true;
};

QString FileErrorText(const QString& fileName, const QString& reason)
{
    return QStringLiteral("Impossibile scrivere il file \"%1\": %2").arg(fileName, reason);
}

// Nothing when the file does not exist; raises when it exists but cannot be read.
std::optional<QByteArray> LoadBytes(const QString& fileName)
{
    QFile file(fileName);
    const QFileInfo info(fileName);
    if (!info.exists())
        return std::nullopt;
    if (info.isDir())
        throw EFileError(QStringLiteral("Impossibile leggere il file \"%1\": è una cartella").arg(fileName));
    if (info.size() > MaxFileSize)
        throw EFileError(QStringLiteral("Impossibile leggere il file \"%1\": è troppo grande per essere un file di impostazioni").arg(fileName));
    if (!file.open(QIODevice::ReadOnly))
        throw EFileError(QStringLiteral("Impossibile leggere il file \"%1\": %2").arg(fileName, file.errorString()));
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw EFileError(QStringLiteral("Impossibile leggere il file \"%1\": %2").arg(fileName, file.errorString()));
    return bytes;
}

// How a value is written so that reading it gives back exactly the same
// text: a value that a reader would trim or unquote is wrapped in quotes.
QString ValueAsWritten(const QString& value)
{
    if (value.isEmpty())
        return value;
    const bool trimmable = IsBlank(value.front()) || IsBlank(value.back());
    const bool quoted = value.size() >= 2 && IsQuote(value.front()) && value.front() == value.back();
    if (trimmable || quoted)
        return u'"' + value + u'"';
    return value;
}

bool HasLineBreak(const QString& text)
{
    return text.contains(u'\n') || text.contains(u'\r');
}

// Half of a surrogate pair on its own is no character: the file's encoding
// would write it as something else, and the key would never read back.
bool HasLoneSurrogate(const QString& text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            ++i;
        else if (text[i].isSurrogate())
            return true;
    }
    return false;
}

} // namespace

TIniFile::TIniFile(const QString& fileName)
    : fileName_(fileName)
{
}

QString TIniFile::ReadString(const QString& section, const QString& key, const QString& defaultValue) const
{
    std::optional<QByteArray> bytes;
    try {
        bytes = LoadBytes(fileName_);
    } catch (const EFileError&) {
        // An unreadable file reads like a missing one: every key has its default.
        return defaultValue;
    }
    if (!bytes)
        return defaultValue;

    const TIniText text(std::move(*bytes));
    const qsizetype header = text.FindSection(TrimBlanks(section));
    if (header < 0)
        return defaultValue;
    const qsizetype index = text.FindKey(header, TrimBlanks(key));
    if (index < 0)
        return defaultValue;

    QString value = TrimBlanks(text.Lines()[index].value);
    if (value.size() >= 2 && IsQuote(value.front()) && value.front() == value.back())
        value = value.sliced(1, value.size() - 2);
    if (value.size() > MaxValueLength) {
        qsizetype cut = MaxValueLength;
        // Never leave half of a surrogate pair behind.
        if (value[cut - 1].isHighSurrogate())
            --cut;
        value.truncate(cut);
    }
    return value;
}

QStringList TIniFile::ReadKeys(const QString& section) const
{
    std::optional<QByteArray> bytes;
    try {
        bytes = LoadBytes(fileName_);
    } catch (const EFileError&) {
        return {};
    }
    if (!bytes)
        return {};
    const TIniText text(std::move(*bytes));
    const qsizetype header = text.FindSection(TrimBlanks(section));
    if (header < 0)
        return {};
    QStringList keys;
    const qsizetype end = text.SectionEnd(header);
    for (qsizetype i = header + 1; i < end; ++i) {
        const Line& line = text.Lines()[i];
        // A key read twice gives its first value: it is listed once.
        if (line.kind == LineKind::Key
            && std::none_of(keys.cbegin(), keys.cend(), [&](const QString& k) { return SameName(k, line.name); }))
            keys << line.name;
    }
    return keys;
}

int TIniFile::ReadInteger(const QString& section, const QString& key, int defaultValue) const
{
    int value = 0;
    if (ParseIniInteger(ReadString(section, key, QString()), value))
        return value;
    return defaultValue;
}

void TIniFile::WriteString(const QString& section, const QString& key, const QString& value)
{
    const QString sectionName = TrimBlanks(section);
    const QString keyName = TrimBlanks(key);
    // A name or value that would change the shape of the file (a line break,
    // a ']' in a section name, a '=' in a key name) could never be read back
    // and might plant other keys; refuse it before touching the file.
    if (sectionName.isEmpty() || HasLineBreak(sectionName) || sectionName.contains(u']'))
        throw EFileError(FileErrorText(fileName_, QStringLiteral("nome di sezione non valido \"%1\"").arg(section)));
    if (keyName.isEmpty() || HasLineBreak(keyName) || keyName.contains(u'=') || keyName.startsWith(u';')
        || keyName.startsWith(u'['))
        throw EFileError(FileErrorText(fileName_, QStringLiteral("nome di chiave non valido \"%1\"").arg(key)));
    if (HasLineBreak(value))
        throw EFileError(FileErrorText(fileName_, QStringLiteral("il valore della chiave \"%1\" contiene un a capo").arg(key)));
    for (const QString* text : {&sectionName, &keyName, &value}) {
        if (HasLoneSurrogate(*text))
            throw EFileError(FileErrorText(fileName_, QStringLiteral("il testo della chiave \"%1\" contiene un carattere non valido").arg(key)));
    }
    // A longer value would come back cut short.
    if (value.size() > MaxValueLength)
        throw EFileError(FileErrorText(fileName_, QStringLiteral("il valore della chiave \"%1\" supera %2 caratteri").arg(key, QString::number(MaxValueLength))));

    const QString written = ValueAsWritten(value);

    const std::optional<QByteArray> old = LoadBytes(fileName_);
    const TIniText text(old.value_or(QByteArray()));
    const QByteArray& bytes = text.Bytes();

    auto encode = [&](const QString& s) {
        std::optional<QByteArray> encoded = text.Encode(s);
        if (!encoded)
            throw EFileError(FileErrorText(fileName_, QStringLiteral("il testo \"%1\" contiene caratteri che la codifica del file (Windows-1252) non può rappresentare").arg(s)));
        return *encoded;
    };

    QByteArray result;
    const qsizetype header = text.FindSection(sectionName);
    if (header >= 0) {
        const qsizetype index = text.FindKey(header, keyName);
        const auto& lines = text.Lines();
        if (index >= 0) {
            // The key keeps its own spelling; only what follows it changes.
            const Line& line = lines[index];
            result = bytes.first(line.keyEnd) + '=' + encode(written) + bytes.sliced(line.contentEnd);
        } else {
            qsizetype last = header;
            const qsizetype end = text.SectionEnd(header);
            for (qsizetype i = header + 1; i < end; ++i) {
                if (!lines[i].blank)
                    last = i;
            }
            const Line& after = lines[last];
            const QByteArray keyLine = encode(keyName + u'=' + written);
            if (after.end == after.contentEnd) // last line of a file without a final line break
                result = bytes.first(after.end) + text.Eol() + keyLine + bytes.sliced(after.end);
            else
                result = bytes.first(after.end) + keyLine + text.Eol() + bytes.sliced(after.end);
        }
    } else {
        result = bytes;
        if (!result.isEmpty() && !result.endsWith('\n') && !result.endsWith('\r'))
            result += text.Eol();
        result += encode(u'[' + sectionName + u']') + text.Eol();
        result += encode(keyName + u'=' + written) + text.Eol();
    }

    if (old && result == *old)
        return;

    const QString failure = WriteFileSafely(fileName_, result);
    if (!failure.isEmpty())
        throw EFileError(FileErrorText(fileName_, failure));
}

void TIniFile::WriteInteger(const QString& section, const QString& key, int value)
{
    WriteString(section, key, QString::number(value));
}

bool ParseIniInteger(const QString& text, int& value)
{
    const QString s = TrimBlanks(text);
    qsizetype i = 0;
    bool negative = false;
    if (i < s.size() && (s[i] == u'+' || s[i] == u'-')) {
        negative = s[i] == u'-';
        ++i;
    }

    bool hex = false;
    if (i < s.size() && s[i] == u'$') {
        hex = true;
        ++i;
    } else if (i + 1 < s.size() && s[i] == u'0' && (s[i + 1] == u'x' || s[i + 1] == u'X')) {
        hex = true;
        i += 2;
    }
    if (i >= s.size())
        return false;

    if (hex) {
        // Up to eight significant digits, taken as the 32 bits of the value.
        std::uint32_t bits = 0;
        int significant = 0;
        for (; i < s.size(); ++i) {
            const char16_t c = s[i].unicode();
            int digit;
            if (c >= u'0' && c <= u'9')
                digit = c - u'0';
            else if (c >= u'a' && c <= u'f')
                digit = c - u'a' + 10;
            else if (c >= u'A' && c <= u'F')
                digit = c - u'A' + 10;
            else
                return false;
            if (significant > 0 || digit != 0)
                ++significant;
            if (significant > 8)
                return false;
            bits = (bits << 4) | std::uint32_t(digit);
        }
        if (negative)
            bits = 0u - bits;
        value = static_cast<std::int32_t>(bits);
        return true;
    }

    std::int64_t magnitude = 0;
    for (; i < s.size(); ++i) {
        const char16_t c = s[i].unicode();
        if (c < u'0' || c > u'9')
            return false;
        magnitude = magnitude * 10 + (c - u'0');
        if (magnitude > std::int64_t(INT32_MAX) + 1)
            return false;
    }
    const std::int64_t result = negative ? -magnitude : magnitude;
    if (result > INT32_MAX)
        return false;
    value = static_cast<int>(result);
    return true;
}
