#pragma once

// The names and threads a reading has met, for the duplicate rule (ItemKeys.h says when two
// records are one entry twice). Only distinct keys are kept, and of each only a slot of 8 bytes:
// a 32-bit hash and the number that the keeper of the keys gave it. The keeper keeps the keys
// themselves, or where they stand, and confirms an equal hash byte by byte.
//
// The slots form an open-addressing table filled to at most three quarters, made at once for the
// records that the file's length suggests (a record per 256 bytes, at most 2^20 slots, 8 MiB) and
// grown from there only for a file of more records, in large pages where the system offers them
// (LargePages.h). The table is far larger than the processor's caches: a record's slot is fetched
// at its item line (prefetch) and looked at when the record ends, by when it has arrived.

#include "LargePages.h"

#include <QByteArray>
#include <QByteArrayView>

#include <vector>

namespace merivox {

class DuplicateIndex final
{
public:
    // Keeps the keys that the index holds the hashes of.
    class Keys
    {
    public:
        virtual ~Keys() = default;
        // The open record, its item line on line index (0-based), holds a name and thread not seen
        // before, length bytes from offset on: the keeper's number for them, not 0.
        virtual quint32 remember(quint64 offset, quint32 length, quint32 index) = 0;
        // The name and thread of that number as they stand in the file, and their line index.
        virtual QByteArrayView remembered(quint32 number, quint32 &index, QByteArray &scratch) = 0;
    };

    explicit DuplicateIndex(Keys &keys) : m_keys(keys) {}

    // A key's hash: a first sieve, as keys of equal hash are compared byte by byte.
    static quint32 hashOf(QByteArrayView key);

    // A file of size bytes is to be read: the table is made once at about the size it will grow
    // to. The records the file is taken to hold, for the keeper to make room for.
    quint64 expectBytes(quint64 size);

    // Fetches the slot of the hash from memory, ahead of its lookup.
    void prefetch(quint32 hash) const
    {
        if (!m_slots.empty()) {
            __builtin_prefetch(&m_slots[size_t(hash) & (m_slots.size() - 1)]);
        }
    }

    // The line (1-based) of the first record that has the key, else 0, and the key, whose item line
    // is on line index and whose bytes start at keyOffset, is remembered as the first of its kind.
    int findOrAdd(quint32 hash, QByteArrayView key, quint64 keyOffset, quint32 index);

private:
    // A distinct name and thread: its hash and the keeper's number for it (0: a free slot).
    struct Slot
    {
        quint32 hash = 0;
        quint32 number = 0;
    };
    void rehash(size_t size);

    Keys &m_keys;
    std::vector<Slot, LargePageAllocator<Slot>> m_slots;
    size_t m_count = 0;
    QByteArray m_scratch;
};

} // namespace merivox
