#pragma once

// The bytes of a file that was read once, read again from it piece by piece when they are wanted,
// so that a large file costs memory only for what is shown of it. Every block of the file is
// hashed while it is first read; a block read again must have the same hash, else the file no
// longer holds what was read, and nothing more is given. The file is open only while a piece is
// read: another program may append to it, cut it back or replace it meanwhile.
//
// Not for two threads at once: reading again fills a window that the next reading may replace.

#include <QByteArray>
#include <QByteArrayView>

#include <cstdint>
#include <filesystem>
#include <vector>

namespace merivox {

class InputFile;

class BytesOnDisk final
{
public:
    // A file is hashed in blocks of this size, and read again a whole block at a time.
    static constexpr qsizetype kBlock = qsizetype(1) << 16;

    // What the bytes were when first read: their size and a hash of each block.
    struct Fingerprint
    {
        qint64 size = -1;
        std::vector<quint64> blocks;
        friend bool operator==(const Fingerprint &, const Fingerprint &) = default;
    };
    static Fingerprint fingerprintOf(QByteArrayView bytes);

    // The file at path, while it is read for the first time through reading.
    BytesOnDisk(std::filesystem::path path, InputFile &reading);
    // Takes the bytes from offset to the end of those read so far: every whole block among them,
    // and the rest once the file has ended.
    void hashFrom(qint64 offset, QByteArrayView bytes, bool end);
    // The bytes before this offset are hashed: a reader may let them go.
    qint64 hashed() const { return m_hashed; }
    // The first reading is over: from now on the file is opened for each piece.
    void finishReading(qint64 size, bool endsInLineEnd);

    qint64 size() const { return m_print.size; }
    bool endsInLineEnd() const { return m_lineEnd; }
    const Fingerprint &fingerprint() const { return m_print; }

    // The bytes from offset on, at least to the end of offset's line (its LF included) or to the
    // end of the file. Empty when the file no longer holds what was read, or cannot be read.
    // Valid until the next call.
    QByteArrayView from(qint64 offset);
    // All of the bytes again; a null array when they are no longer those read.
    QByteArray all();
    // How many times from() gave nothing for bytes that were read: a caller that reads several
    // pieces learns from it whether all of them came.
    quint64 failures() const { return m_failures; }

private:
    bool readBlock(InputFile &file, qint64 block);
    bool readAt(InputFile &file, qint64 offset, qint64 length);

    std::filesystem::path m_path;
    InputFile *m_reading = nullptr; // during the first reading: the file it reads
    Fingerprint m_print;
    qint64 m_hashed = 0; // the blocks before this offset are hashed
    bool m_lineEnd = false;
    bool m_lost = false; // the file no longer holds what was read
    quint64 m_failures = 0;
    QByteArray m_window; // bytes read again, from m_windowStart on
    qint64 m_windowStart = 0;
};

} // namespace merivox
