#include "ProbeFileKeeper.h"

#include "ItemKeys.h"
#include "ReadInPieces.h"

#include <algorithm>

namespace merivox {

void ProbeFile::Keeper::record(const Record &record, quint64 start)
{
    Kept kept;
    kept.firstLine[0] = quint16(record.firstLine);
    kept.firstLine[1] = quint16(record.firstLine >> 16);
    kept.lineCount = quint16(std::min<quint32>(record.lineCount, kLong));
    if (record.lineCount >= kLong) {
        m_file.m_long.emplace_back(quint32(m_file.m_records.size()), record.lineCount);
    }
    // Mostly a few hundred bytes after its line's mark; else its line is looked for.
    kept.start = quint16(std::min<quint64>(start - m_file.m_marks[record.firstLine / kMarkStep], kFar));
    kept.what = packWhat(record);
    m_file.m_records.push_back(kept);
}

void ProbeFile::Keeper::note(Problem note)
{
    m_notes.append(std::move(note));
    if (m_notes.size() >= 2 * m_keep) {
        trim();
    }
}

quint32 ProbeFile::Keeper::remember(quint64, quint32 length, quint32)
{
    const auto record = quint32(m_file.m_records.size());
    // Mostly no longer than the shortest kept: one comparison.
    if (qsizetype(m_longest.size()) < kLongestKeys || length > m_longest.back().first) {
        const auto at = std::upper_bound(m_longest.begin(), m_longest.end(), length,
                                         [](quint32 l, const auto &kept) { return l > kept.first; });
        m_longest.insert(at, {length, record});
        if (qsizetype(m_longest.size()) > kLongestKeys) {
            m_longest.pop_back();
        }
    }
    return record + 1;
}

QByteArrayView ProbeFile::Keeper::remembered(quint32 number, quint32 &index, QByteArray &)
{
    index = m_file.firstLineOf(qsizetype(number) - 1);
    return itemKey(m_file.itemLine(qsizetype(number) - 1));
}

bool ProbeFile::Keeper::crLfFrom(quint64 offset)
{
    if (m_input) {
        return crLfFromFile(*m_input, offset);
    }
    return QByteArrayView(m_file.m_bytes).sliced(qsizetype(offset)).indexOf(QByteArrayView("\r\n")) >= 0;
}

void ProbeFile::Keeper::done(const LineChecker &checker)
{
    trim();
    for (Problem &note : m_notes) {
        (note.hint ? m_file.m_hints : m_file.m_problems).append(std::move(note));
    }
    m_file.m_lineCount = checker.lineCount();
    m_file.m_problemCount = checker.problemCount();
    m_file.m_hintCount = checker.hintCount();
    m_file.m_nextLine = m_ceiling == kNoCeiling ? 0 : m_ceiling;
    m_file.m_longestKeys.clear();
    for (const auto &kept : m_longest) {
        m_file.m_longestKeys.push_back(kept.second);
    }
    if (m_input) {
        // Read without knowing their number beforehand: no room to grow is kept.
        m_file.m_records.shrink_to_fit();
        m_file.m_marks.shrink_to_fit();
    }
}

void ProbeFile::Keeper::trim()
{
    std::stable_sort(m_notes.begin(), m_notes.end(),
                     [](const Problem &a, const Problem &b) { return a.line < b.line; });
    if (m_notes.size() > m_keep) {
        m_ceiling = m_notes.at(m_keep).line;
        const auto cut = std::lower_bound(m_notes.begin(), m_notes.end(), m_ceiling,
                                          [](const Problem &p, int line) { return p.line < line; });
        m_notes.erase(cut, m_notes.end());
    }
}

} // namespace merivox
