#include "NoteStream.h"

#include "ReadInPieces.h"

#include <QDataStream>

#include <algorithm>

namespace merivox {

NoteStream::NoteStream(InputFile &file, const std::function<void(const Problem &)> &each) : m_file(file), m_each(each)
{
    m_wantsLines = false;
}

void NoteStream::note(Problem note)
{
    m_first = std::min(m_first, note.line);
    m_held.push_back(std::move(note));
}

void NoteStream::settled(int line)
{
    if (m_first < line || m_spillFirst < line) {
        sortHeld();
        auto done = m_held.begin();
        // Spilled notes are of lines after the held ones that came before them, and before
        // the held ones that came after.
        for (; done != m_held.end() && done->line < std::min(line, m_spillFirst); ++done) {
            m_each(*done);
        }
        if (m_spillFirst < line) {
            unspill();
        }
        for (; done != m_held.end() && done->line < line; ++done) {
            m_each(*done);
        }
        m_held.erase(m_held.begin(), done);
        m_first = m_held.empty() ? kNone : m_held.front().line;
    }
    if (m_held.size() > kHeld) {
        spill(line);
    }
}

quint32 NoteStream::remember(quint64 offset, quint32 length, quint32 index)
{
    m_keys.push_back({quint32(offset), length, index});
    return quint32(m_keys.size());
}

QByteArrayView NoteStream::remembered(quint32 number, quint32 &index, QByteArray &scratch)
{
    const Key &key = m_keys[number - 1];
    index = key.line;
    return bytesAt(key.offset, key.length, scratch);
}

bool NoteStream::crLfFrom(quint64 offset)
{
    return crLfFromFile(m_file, offset);
}

QByteArrayView NoteStream::bytesAt(quint64 offset, quint32 length, QByteArray &scratch)
{
    const std::uint64_t back = m_file.position();
    m_file.seek(offset);
    scratch.resize(length);
    qsizetype have = 0;
    std::size_t got = 1;
    while (have < length && got > 0 && m_file.read({scratch.data() + have, size_t(length - have)}, got).ok()) {
        have += qsizetype(got);
    }
    m_file.seek(back);
    return QByteArrayView(scratch).first(have);
}

void NoteStream::sortHeld()
{
    std::stable_sort(m_held.begin(), m_held.end(), [](const Problem &a, const Problem &b) {
        return a.line != b.line ? a.line < b.line : a.hint < b.hint;
    });
}

// A record open over many damaged lines: the notes of its later lines go to a temporary file until
// the record ends, so that memory holds at most kHeld of them. Only its item line's notes stay,
// which its end may still add to. Each line's notes are whole in one batch, and the batches come
// in line order.
void NoteStream::spill(int itemLine)
{
    sortHeld();
    const auto later = std::upper_bound(m_held.begin(), m_held.end(), itemLine,
                                        [](int line, const Problem &p) { return line < p.line; });
    if (later == m_held.end()) {
        return;
    }
    if (!m_spill.isOpen() && !m_spill.open()) {
        return; // no room for a temporary file: the notes stay in memory
    }
    QDataStream out(&m_spill);
    for (auto p = later; p != m_held.end(); ++p) {
        out << p->line << p->hint << p->midLine << p->text;
    }
    m_spillFirst = std::min(m_spillFirst, later->line);
    m_held.erase(later, m_held.end());
    m_first = m_held.empty() ? kNone : m_held.front().line;
}

void NoteStream::unspill()
{
    m_spill.seek(0);
    QDataStream in(&m_spill);
    Problem p;
    while (!in.atEnd()) {
        in >> p.line >> p.hint >> p.midLine >> p.text;
        m_each(p);
    }
    m_spill.resize(0);
    m_spill.seek(0);
    m_spillFirst = kNone;
}

} // namespace merivox
