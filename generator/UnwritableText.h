#pragma once

// Says what keeps a text out of the file: the first character that the file's code page lacks,
// or a control character, named so that the operator can find it.

#include <QString>

namespace merivox {

// The first character of text that cannot be written to the file, as the operator reads it:
// "„α“", or for a control character "das Steuerzeichen Tabulator (U+0009)"; empty when every
// character can be written.
QString unwritableCharacter(const QString &text);

} // namespace merivox
