#pragma once

class QString;
class QTextStream;

namespace merivox {

// merivox-view --history FILE: prints what the history beside the file offers for putting back,
// newest first, one numbered line each (RemovedRecords::listLine), or a line saying that there is
// nothing. Returns 0, or 2 when the file or its history cannot be read (the reason goes to err).
int listHistory(const QString &path, QTextStream &out, QTextStream &err);

// merivox-view --restore N FILE: puts entry N of that list back into the file, at its old place
// while the file before it is unchanged, else at the file's end, and says on out where. A record
// whose name and thread already stand in the file is not put in a second time: that is refused
// with the reason and the way to go on. Returns 0 when put back; 1 when there is no such entry,
// its record is there already, or the file changed meanwhile or is in use; 2 when the file or its
// history cannot be read or written.
int restoreFromHistory(const QString &path, int number, QTextStream &out, QTextStream &err);

} // namespace merivox
