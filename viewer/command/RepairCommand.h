#pragma once

class QString;
class QTextStream;

namespace merivox {

// merivox-view --repair LINE FILE: mends the problem at LINE (1-based) without touching any
// record: takes out the run of lines around LINE that belong to no record, or splits LINE when it
// holds the end of one record and the item line of the next. Says on out what was done; the
// reason of a refusal or failure goes to err. Returns 0 when the file was mended; 1 when the line
// has no repair, or the file changed meanwhile or is in use; 2 when the file cannot be read or
// written.
int repairLine(const QString &path, int line, QTextStream &out, QTextStream &err);

} // namespace merivox
