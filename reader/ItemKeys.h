#pragma once

// When two records are one entry twice. A record is named by its item line: the name and the
// thread ("ITEM: TIP MM M3"). Two records whose item lines hold the same bytes after "ITEM:",
// blanks at the end not counted, are the same entry; the file must not hold it twice. The reader
// (its duplicate problem) and the editor's preview (its note before "Erstellen") both decide it
// here.

#include <QByteArray>
#include <QByteArrayView>

#include <vector>

namespace merivox {

// The part of an item line that names its entry; empty for a line that is not an item line.
QByteArrayView itemKey(QByteArrayView itemLine);

// The entries of a file with the line on which each first stands. A file of 50 MB holds about
// 180,000 of them, kept while the editor is open: their keys stand one after another in one
// block, found through a table of 4-byte slots (about 40 bytes an entry with a name and thread
// of 18 bytes, 7 MB for such a file; a hash of separate strings took about twice that).
class ItemKeys final
{
public:
    // The record whose item line this is starts on line (1-based). A later record of the same
    // entry does not replace the first one.
    void add(QByteArrayView itemLine, int line);
    // The line of the earlier record of the same entry, 0 when there is none.
    int earlierLine(QByteArrayView itemLine) const;
    qsizetype size() const { return qsizetype(m_entries.size()); }
    // Gives back what the growing took beyond the entries held (for a set that is complete).
    void squeeze();

private:
    struct Entry
    {
        quint32 offset = 0; // of its key in m_keys
        quint32 length = 0;
        int line = 0;
    };
    // The slot that holds key, or the empty slot where it would go.
    size_t slotOf(QByteArrayView key) const;
    void grow();

    QByteArray m_keys;
    std::vector<Entry> m_entries;
    std::vector<quint32> m_slots; // 0: empty, else the entry's index + 1; never more than half full
};

} // namespace merivox
