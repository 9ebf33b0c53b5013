#pragma once

// The whole-file model's sink of the checker (LineChecker::Sink): keeps what ProbeFile holds of a
// file as the checker reads it: every kMarkStep-th line's start, each record packed into its
// Kept, and the notes asked for (NotesKept), counting all of them.

#include "LineChecker.h"
#include "ProbeFile.h"
#include "ReadFile.h"

#include <limits>
#include <utility>
#include <vector>

namespace merivox {

// What a record is, in 16 bits: its kind (2 bits), tip shape (3), decimal separator (2) and faces
// (8).
static_assert(int(RecordKind::Unknown) < 4 && int(TipShape::Other) < 8 && int(Decimal::Mixed) < 4);

inline quint16 packWhat(const ProbeFile::Record &record)
{
    return quint16(int(record.kind) | int(record.shape) << 2 | int(record.decimal) << 5 | int(record.faces) << 7);
}

inline void unpackWhat(quint16 what, ProbeFile::Record &record)
{
    record.kind = RecordKind(what & 3);
    record.shape = TipShape(what >> 2 & 7);
    record.decimal = Decimal(what >> 5 & 3);
    record.faces = quint8(what >> 7);
}

// Keeps the lines, the records and the notes asked for in the file.
class ProbeFile::Keeper final : public LineChecker::Sink
{
public:
    // input: the file being read, when its bytes are not in memory.
    Keeper(ProbeFile &file, Keep keep, InputFile *input = nullptr)
        : m_file(file), m_input(input), m_keep(std::max<qsizetype>(keep.keep, 1)), m_from(keep.fromLine)
    {}
    void line(quint32 index, quint64 offset) override
    {
        if (index % kMarkStep == 0) {
            m_file.m_marks.push_back(quint32(offset));
        }
    }
    void record(const Record &record, quint64 start) override;
    bool keeps(int line) const override { return line >= m_from && line < m_ceiling; }
    void note(Problem note) override;
    // A key is named by its record: the open one is the next to come. The longest are noted.
    quint32 remember(quint64, quint32 length, quint32) override;
    QByteArrayView remembered(quint32 number, quint32 &index, QByteArray &) override;
    bool crLfFrom(quint64 offset) override;
    // The checker has read the whole file: the notes kept, and the counts, go to the file.
    void done(const LineChecker &checker);

private:
    // Keeps the first m_keep notes by line, whole lines only; later lines are no longer kept.
    void trim();

    static constexpr int kNoCeiling = std::numeric_limits<int>::max();
    ProbeFile &m_file;
    InputFile *const m_input;
    const qsizetype m_keep;
    const int m_from;
    int m_ceiling = kNoCeiling; // notes from this line on are counted, not kept
    QList<Problem> m_notes;
    // The longest keys so far, as (length, record), longest first.
    std::vector<std::pair<quint32, quint32>> m_longest;
};

} // namespace merivox
