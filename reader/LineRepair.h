#pragma once

// What mends a line that the reader finds at fault outside the records' own content: lines that
// belong to no record (a garbage line, the rest of a cut-off record) are taken out as the whole
// run they stand in; a line that holds the end of one record and the item line of the next
// ("endtipITEM:…") is split in two by a line end before "ITEM:". An intact record is never
// touched: a line that belongs to one record alone has no repair.

#include "ProbeFile.h"

#include <QByteArray>

#include <optional>

namespace merivox {

class LineRepair final
{
public:
    enum class Kind {
        RemoveLines, // take out the bytes [begin, end): whole lines with their line ends
        SplitLine,   // put insert at begin (== end)
    };

    Kind kind = Kind::RemoveLines;
    int firstLine = 0; // the lines concerned (1-based); a split concerns one line
    int lastLine = 0;
    qint64 begin = 0;
    qint64 end = 0;
    QByteArray insert; // the line end a split puts in

    // The repair of the problem at line (1-based), as the file was read. Nothing when the line
    // has none; reason then says why (German).
    static std::optional<LineRepair> of(const ProbeFile &file, int line, QString *reason = nullptr);

    // The operator's words for what the repair does ("Zeilen 40 bis 41 entfernen", "Zeile 12 teilen").
    QString actionText() const;
    // The question before it is done, naming the lines.
    QString question() const;
    // What was done, for the command line.
    QString doneText() const;
};

} // namespace merivox
