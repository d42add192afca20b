#include "TextCodec.h"

#include <array>

namespace {

// 0x80-0x9F is where Windows-1252 differs from Latin-1; 0 marks the five
// bytes it leaves unassigned.
constexpr std::array<char16_t, 32> kHighRange = {
    0x20AC, 0, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0, 0x017D, 0,
    0, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0, 0x017E, 0x0178,
};

} // namespace

QString DecodeWindows1252(QByteArrayView bytes)
{
    QString text(bytes.size(), Qt::Uninitialized);
    QChar* out = text.data();
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        if (b >= 0x80 && b <= 0x9F && kHighRange[b - 0x80] != 0)
            *out++ = QChar(kHighRange[b - 0x80]);
        else
            *out++ = QChar(b);
    }
    return text;
}

int Windows1252Byte(char32_t codePoint)
{
    if (codePoint < 0x80 || (codePoint >= 0xA0 && codePoint <= 0xFF))
        return static_cast<int>(codePoint);
    for (std::size_t i = 0; i < kHighRange.size(); ++i) {
        if (kHighRange[i] != 0 && kHighRange[i] == codePoint)
            return static_cast<int>(0x80 + i);
    }
    return -1;
}

std::optional<QByteArray> EncodeWindows1252(const QString& text)
{
    QByteArray bytes;
    bytes.reserve(text.size());
    for (const QChar ch : text) {
        // A surrogate half is no character of the code page either.
        const int byte = ch.isSurrogate() ? -1 : Windows1252Byte(ch.unicode());
        if (byte < 0)
            return std::nullopt;
        bytes.append(static_cast<char>(byte));
    }
    return bytes;
}
