// Text at the file boundaries that still speak the single-byte code page of
// the program's earlier versions (Windows-1252).
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <optional>

// Every byte becomes one character. The five bytes Windows-1252 leaves
// unassigned (0x81, 0x8D, 0x8F, 0x90, 0x9D) become the C1 control of the same
// number, so no byte is lost or turned into a replacement character.
QString DecodeWindows1252(QByteArrayView bytes);

// The byte of a character in Windows-1252, or -1 when the code page has none
// (C1 controls included: their byte values stand for other characters there).
int Windows1252Byte(char32_t codePoint);

// Nothing when the text holds a character Windows-1252 cannot represent.
std::optional<QByteArray> EncodeWindows1252(const QString& text);
