#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <optional>

namespace merivox {

// The probe file is text in the system's ANSI code page: the system's own on Windows,
// Windows-1252 elsewhere.
std::optional<QByteArray> toAnsi(const QString &text);

// Text of the file read back: every byte of the code page has a character.
QString fromAnsi(QByteArrayView bytes);

// Whether a text typed by the operator can stand in a record line: no line breaks, tabs or
// other control characters, and every character representable in the file's code page.
bool isWritableText(const QString &text);

} // namespace merivox
