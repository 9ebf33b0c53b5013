#include "ItemKeys.h"

#include "LineSyntax.h"

#include <QHashFunctions>

namespace merivox {

QByteArrayView itemKey(QByteArrayView itemLine)
{
    if (!syntax::isItemLine(itemLine)) {
        return {};
    }
    QByteArrayView key = itemLine.sliced(5);
    while (!key.isEmpty() && syntax::isBlank(key.back())) {
        key.chop(1);
    }
    return key;
}

size_t ItemKeys::slotOf(QByteArrayView key) const
{
    const size_t mask = m_slots.size() - 1;
    for (size_t slot = qHash(key) & mask;; slot = (slot + 1) & mask) {
        const quint32 held = m_slots[slot];
        if (held == 0) {
            return slot;
        }
        const Entry &entry = m_entries[held - 1];
        if (QByteArrayView(m_keys.constData() + entry.offset, entry.length) == key) {
            return slot;
        }
    }
}

void ItemKeys::grow()
{
    m_slots.assign(m_slots.empty() ? 64 : m_slots.size() * 2, 0);
    for (size_t i = 0; i < m_entries.size(); ++i) {
        const Entry &entry = m_entries[i];
        m_slots[slotOf(QByteArrayView(m_keys.constData() + entry.offset, entry.length))] = quint32(i + 1);
    }
}

void ItemKeys::add(QByteArrayView itemLine, int line)
{
    if ((m_entries.size() + 1) * 2 > m_slots.size()) {
        grow();
    }
    const QByteArrayView key = itemKey(itemLine);
    const size_t slot = slotOf(key);
    if (m_slots[slot] != 0) {
        return; // the first record of an entry keeps its line
    }
    m_entries.push_back({quint32(m_keys.size()), quint32(key.size()), line});
    m_keys.append(key);
    m_slots[slot] = quint32(m_entries.size());
}

void ItemKeys::squeeze()
{
    m_keys.squeeze();
    m_entries.shrink_to_fit();
}

int ItemKeys::earlierLine(QByteArrayView itemLine) const
{
    if (!itemLine.startsWith("ITEM:") || m_slots.empty()) {
        return 0;
    }
    const quint32 held = m_slots[slotOf(itemKey(itemLine))];
    return held == 0 ? 0 : m_entries[held - 1].line;
}

} // namespace merivox
