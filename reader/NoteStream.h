#pragma once

// The check's sink (LineChecker::Sink): hands on the notes in line order as soon as no earlier one
// can follow, and keeps nothing of the file but, per distinct name and thread, where it stands.
// Only the notes from the open record's item line on wait: that line may still learn that its
// record is cut off, or named twice. Beyond kHeld of them they wait in a temporary file.

#include "LargePages.h"
#include "LineChecker.h"
#include "ReadFile.h"

#include <QTemporaryFile>

#include <functional>
#include <limits>
#include <vector>

namespace merivox {

class NoteStream final : public LineChecker::Sink
{
public:
    // file: the file being checked, read again for the names and threads and for a CR LF ahead.
    NoteStream(InputFile &file, const std::function<void(const Problem &)> &each);

    void note(Problem note) override;
    void settled(int line) override;
    quint32 remember(quint64 offset, quint32 length, quint32 index) override;
    QByteArrayView remembered(quint32 number, quint32 &index, QByteArray &scratch) override;
    bool crLfFrom(quint64 offset) override;
    void expectRecords(quint64 records) override { m_keys.reserve(records); }

private:
    // Where a distinct name and thread stand in the file, and its line index. The file is at
    // most 4 GB.
    struct Key
    {
        quint32 offset = 0;
        quint32 length = 0;
        quint32 line = 0;
    };

    // length bytes of the file from offset, read before.
    QByteArrayView bytesAt(quint64 offset, quint32 length, QByteArray &scratch);
    // Problems of a line before its hints, else in the order they came.
    void sortHeld();
    // Moves the notes after the open record's item line to the temporary file.
    void spill(int itemLine);
    // Hands on the notes of the temporary file, and empties it.
    void unspill();

    static constexpr int kNone = std::numeric_limits<int>::max();
    static constexpr size_t kHeld = 4096;
    InputFile &m_file;
    const std::function<void(const Problem &)> &m_each;
    std::vector<Problem> m_held;
    int m_first = kNone; // the first line that a held note is on
    QTemporaryFile m_spill;
    int m_spillFirst = kNone; // the first line of a spilled note
    // Made at once for the records the file's length suggests (expectRecords): grown, and for a
    // moment held twice, only for a file of more records than that.
    std::vector<Key, LargePageAllocator<Key>> m_keys;
};

} // namespace merivox
