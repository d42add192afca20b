// Text at the file boundaries that still speak the single-byte code page of
// the program's earlier versions.
#pragma once

#include <QByteArray>
#include <QString>

// Every byte becomes one character. The five bytes Windows-1252 leaves
// unassigned (0x81, 0x8D, 0x8F, 0x90, 0x9D) become the C1 control of the same
// number, so no byte is lost or turned into a replacement character.
QString DecodeWindows1252(const QByteArray& bytes);
