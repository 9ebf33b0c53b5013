#pragma once

// Whether a record that the program is about to write reads back as it was meant: the same name,
// thread and numbers, and no problem. The editor's preview shows what does not as notes, before
// anything is written; the record itself is never changed for the reader's sake.

#include <QLocale>
#include <QStringList>

namespace merivox {

// The German notes on the record's lines (as the builder made them) read back by the reader:
// every problem, a name or thread that comes back different and why, and every number that the
// reader takes for another value than the editor did with its locale. Empty when all agree.
QStringList readBackNotes(const QStringList &lines, const QString &name, const QString &thread,
                          const QLocale &locale);

} // namespace merivox
