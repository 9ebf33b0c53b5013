#pragma once

// Windows-1252, the file's code page away from Windows, as one table of its 256 bytes: quicker
// and smaller than a general converter made for every line. The five bytes that the code page
// leaves without a character (0x81, 0x8D, 0x8F, 0x90, 0x9D) stand for the control characters of
// the same number, both ways, so that every byte reads back to itself.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

#include <optional>

namespace merivox::windows1252 {

// The character of one byte.
char16_t toUnicode(unsigned char byte);
// The text of the bytes: every byte has a character.
QString decode(QByteArrayView bytes);
// The bytes of the text; nothing when a character has no byte in the code page.
std::optional<QByteArray> encode(QStringView text);

} // namespace merivox::windows1252
