#pragma once

// When two records are one entry twice. A record is named by its item line: the name and the
// thread ("ITEM: TIP MM M3"). Two records whose item lines hold the same bytes after "ITEM:",
// blanks at the end not counted, are the same entry; the file must not hold it twice. The reader
// (its duplicate problem) and the editor's preview (its note before "Erstellen") both decide it
// here.

#include <QByteArray>
#include <QByteArrayView>
#include <QHash>

namespace merivox {

// The part of an item line that names its entry; empty for a line that is not an item line.
QByteArrayView itemKey(QByteArrayView itemLine);

// The entries of a file with the line on which each first stands.
class ItemKeys final
{
public:
    // The record whose item line this is starts on line (1-based). A later record of the same
    // entry does not replace the first one.
    void add(QByteArrayView itemLine, int line);
    // The line of the earlier record of the same entry, 0 when there is none.
    int earlierLine(QByteArrayView itemLine) const;
    qsizetype size() const { return m_lines.size(); }

private:
    QHash<QByteArray, int> m_lines;
};

} // namespace merivox
