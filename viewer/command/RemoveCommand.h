#pragma once

class QString;
class QTextStream;

namespace merivox {

// merivox-view --remove LINE FILE: takes out of the file the record whose lines include LINE
// (1-based), and only its bytes. A line outside every record, or one that holds the end of one
// record and the start of the next, is refused with the reason. Says on out which record went;
// the reason of a refusal or failure goes to err. Returns 0 when the record was removed; 1 when
// there is no such record, or the file changed meanwhile or is in use; 2 when the file cannot be
// read or written.
int removeRecordAtLine(const QString &path, int line, QTextStream &out, QTextStream &err);

} // namespace merivox
