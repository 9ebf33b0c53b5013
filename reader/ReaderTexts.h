#pragma once

// Small helpers for the German texts that the reader, the viewer and its check mode print.

#include <QString>

namespace merivox {

// A count with its noun in the right number: "1 Eintrag", "0 Einträge", "2 Einträge".
QString counted(qsizetype count, const QString &one, const QString &many);

// The text with every control character shown as "\x1b": nothing read from a file reaches a
// terminal or a window as a control code. Tabs stay, they are blanks of the file.
QString visible(const QString &text);

// The notice that a change of the file in place was cut short (its recovery note noteName stands
// beside it): a reader does not finish it, the next copy that appends or changes does.
QString unfinishedChangeText(const QString &noteName);

} // namespace merivox
