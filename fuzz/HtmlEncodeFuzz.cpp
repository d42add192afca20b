// The report's text escaping: the result holds no markup and no character
// from 127 up, and decoding its references gives the text back (a lone
// surrogate comes back as the replacement character). Saving the encoded
// line writes a file that holds it.
#include "FuzzSupport.h"

#include "AHTML.h"
#include "Exception.h"

#include <QFile>

namespace {

QString Decode(const QString& html)
{
    QString text;
    for (qsizetype i = 0; i < html.size();) {
        if (html[i] != QLatin1Char('&')) {
            text += html[i++];
            continue;
        }
        const qsizetype end = html.indexOf(QLatin1Char(';'), i);
        FUZZ_CHECK(end > i);
        const QString name = html.mid(i + 1, end - i - 1);
        if (name == QLatin1String("quot"))
            text += QLatin1Char('"');
        else if (name == QLatin1String("amp"))
            text += QLatin1Char('&');
        else if (name == QLatin1String("lt"))
            text += QLatin1Char('<');
        else if (name == QLatin1String("gt"))
            text += QLatin1Char('>');
        else if (name == QLatin1String("nbsp"))
            text += QLatin1Char(' ');
        else {
            FUZZ_CHECK(name.startsWith(QLatin1Char('#')));
            bool ok = false;
            const uint codePoint = name.mid(1).toUInt(&ok);
            FUZZ_CHECK(ok && codePoint >= 127 && codePoint <= 0x10FFFF);
            if (QChar::requiresSurrogates(codePoint)) {
                text += QChar(QChar::highSurrogate(codePoint));
                text += QChar(QChar::lowSurrogate(codePoint));
            } else {
                text += QChar(char16_t(codePoint));
            }
        }
        i = end + 1;
    }
    return text;
}

QString WithoutLoneSurrogates(const QString& text)
{
    QString result;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            result += c;
            result += text[++i];
        } else if (c.isSurrogate()) {
            result += QChar(QChar::ReplacementCharacter);
        } else {
            result += c;
        }
    }
    return result;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzedDataProvider provider(data, size);
    const QString text = ConsumeRemainingText(provider);

    const QString encoded = TAHTML::Encode(text);
    for (const QChar c : encoded) {
        FUZZ_CHECK(c.unicode() < 127);
        FUZZ_CHECK(c != QLatin1Char('<') && c != QLatin1Char('>') && c != QLatin1Char('"'));
    }
    FUZZ_CHECK(!encoded.contains(QLatin1String("  ")));
    FUZZ_CHECK(Decode(encoded) == WithoutLoneSurrogates(text));

    // Only now and then: the safe writer flushes every file to the disk.
    if (text.size() < 64 && size % 16 == 0) {
        TAHTML html;
        html.AddText(text);
        const QString fileName = FuzzFolder() + QStringLiteral("/report.htm");
        html.SaveToFile(fileName);
        QFile file(fileName);
        FUZZ_CHECK(file.open(QIODevice::ReadOnly));
        FUZZ_CHECK(file.readAll() == encoded.toLatin1() + "\r\n");
    }
    return 0;
}
