#include "DuplicateIndex.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace merivox {

namespace {

// What a record takes in a file, about: a stylus some 250 bytes, an extension or a cube more.
constexpr quint64 kBytesPerRecord = 256;

} // namespace

// Eight bytes at a time, each mixed in by a multiplication, the whole folded to 32 bits. A key of
// eight bytes or more ends on its last eight, which may overlap the word before; a shorter one is
// put together in a register (a partial word copied through memory would make the processor wait
// for it).
quint32 DuplicateIndex::hashOf(QByteArrayView key)
{
    constexpr quint64 kMix = 0xff51afd7ed558ccdull;
    const auto mix = [](quint64 hash, quint64 word) {
        hash = (hash ^ word) * kMix;
        return hash ^ (hash >> 29);
    };
    const auto load = [](const char *p) {
        quint64 word;
        std::memcpy(&word, p, 8);
        return word;
    };
    const qsizetype size = key.size();
    const char *const p = key.data();
    quint64 hash = 0x9e3779b97f4a7c15ull ^ quint64(size);
    if (size >= 8) {
        for (qsizetype at = 0; at + 8 < size; at += 8) {
            hash = mix(hash, load(p + at));
        }
        hash = mix(hash, load(p + size - 8));
    } else {
        quint64 word = 0;
        for (qsizetype i = 0; i < size; ++i) {
            word |= quint64(quint8(p[i])) << (8 * i);
        }
        hash = mix(hash, word);
    }
    hash *= kMix;
    return quint32(hash ^ (hash >> 32));
}

// Made at once instead of grown to it in steps that each move every slot. Made whole at once, it
// is made no larger than 8 MiB this way: a file of few records but long lines does not take more.
quint64 DuplicateIndex::expectBytes(quint64 size)
{
    constexpr quint64 kMost = 3 << 18; // records that fill a table of 2^20 slots
    const quint64 records = std::min(size / kBytesPerRecord, kMost);
    size_t wanted = 1024;
    while (3 * wanted < 4 * records) {
        wanted *= 2;
    }
    if (wanted > m_slots.size()) {
        rehash(wanted);
    }
    return records;
}

// A lookup walks the table without leaving it until a hash matches; a match is confirmed by the
// keeper's bytes of the earlier key.
int DuplicateIndex::findOrAdd(quint32 hash, QByteArrayView key, quint64 keyOffset, quint32 index)
{
    if (4 * (m_count + 1) > 3 * m_slots.size()) {
        rehash(std::max<size_t>(1024, 2 * m_slots.size()));
    }
    const size_t mask = m_slots.size() - 1;
    size_t at = size_t(hash) & mask;
    for (; m_slots[at].number != 0; at = (at + 1) & mask) {
        if (m_slots[at].hash != hash) {
            continue;
        }
        quint32 line = 0;
        if (m_keys.remembered(m_slots[at].number, line, m_scratch) == key) {
            return int(line) + 1;
        }
    }
    m_slots[at] = {hash, m_keys.remember(keyOffset, quint32(key.size()), index)};
    ++m_count;
    return 0;
}

void DuplicateIndex::rehash(size_t size)
{
    std::vector<Slot, LargePageAllocator<Slot>> table(size);
    const size_t mask = size - 1;
    for (const Slot &slot : m_slots) {
        if (slot.number == 0) {
            continue;
        }
        size_t at = size_t(slot.hash) & mask;
        while (table[at].number != 0) {
            at = (at + 1) & mask;
        }
        table[at] = slot;
    }
    m_slots = std::move(table);
}

} // namespace merivox
