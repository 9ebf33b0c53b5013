#pragma once

// Reads a whole probe file into records and checks it. Nothing here ever writes the file.
//
// The bytes stay as they were read, in memory or, when asked for, on disk (read again piece by
// piece, each piece checked against what was read first); a record is kept as its run of lines and
// what it is, and of the lines only where every 32nd starts, and of a record where its first line
// starts after that mark. Names, threads, a record's lines and their fields are read from the
// bytes when asked for, so a file costs 10 bytes per record and 4 bytes per 32 lines beside its
// bytes, and a file left on disk little more than that.
//
// A file left on disk reads it again into a window that the next reading replaces: such a file is
// not for two threads at once.

#include "BytesOnDisk.h"
#include "ProbeRecord.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <atomic>
#include <utility>
#include <functional>
#include <optional>
#include <vector>

namespace merivox {

// What a reading keeps. Of the problems and hints, those from line fromLine on, at most about keep
// of them (whole lines only); all of them are counted. A file with a million broken lines is then
// still read in little memory, and a caller that wants every problem reads again from
// ProbeFile::nextLine().
struct NotesKept
{
    qsizetype keep = 1000;
    int fromLine = 1;
    // Whether the lines that are plainly intact are read the quick way. Off, every line takes
    // the full rules: the same result, slower; the tests compare the two.
    bool quickLines = true;
    // Whether ProbeFile::read leaves the file's bytes on disk and reads what is asked for from
    // there again, instead of keeping them in memory: a large file then costs memory only for its
    // records. The file is open only while it is read.
    bool bytesOnDisk = false;
};

// How a reading in the background tells how far it got, and learns that it is to stop. Both are
// used from the reading thread.
struct ReadProgress
{
    std::function<void(int percent)> report; // called as the percentage grows
    const std::atomic<bool> *cancel = nullptr;
};

class ProbeFile final
{
public:
    struct Record
    {
        quint32 firstLine = 0; // index into the file's lines (line number - 1)
        quint32 lineCount = 0;
        RecordKind kind = RecordKind::Unknown;
        TipShape shape = TipShape::None;
        Decimal decimal = Decimal::None;
        quint8 faces = 0; // face lines of a solid, at most 255
    };

    using Keep = NotesKept;
    // What a file's bytes were when read: their size and a hash of each block of them.
    using Fingerprint = BytesOnDisk::Fingerprint;

    // Reads the file at path. Nothing when it cannot be read; error then says why (German).
    // With progress, a reading that is cancelled gives nothing and an empty error.
    static std::optional<ProbeFile> read(const QString &path, QString *error = nullptr, Keep keep = {},
                                         const ReadProgress *progress = nullptr);
    // Reads the bytes of a probe file: the file's code page, lines ended by CR LF or LF.
    static ProbeFile fromBytes(QByteArray bytes, Keep keep = {}, const ReadProgress *progress = nullptr);
    // What a check found in all.
    struct Totals
    {
        qsizetype records = 0;
        qsizetype problems = 0;
        qsizetype hints = 0;
    };
    // Checks the file at path by the same rules without keeping it: reads it piece by piece and
    // hands every problem and hint to each as soon as no earlier one can follow, in line order
    // (a line's problems before its hints). Memory grows with the records' names, not with the
    // file. Nothing when the file cannot be read; error then says why (German).
    static std::optional<Totals> check(const QString &path, const std::function<void(const Problem &)> &each,
                                       QString *error = nullptr);
    // Reads lines held in memory, as a builder makes them (without line ends).
    static ProbeFile fromLines(const QStringList &lines);

    // The file's bytes, exactly as they were read. Of a file left on disk they are read again: a
    // null array when the file no longer holds them.
    QByteArray bytes() const;
    // How many bytes were read, and whether the last of them is a line end.
    qsizetype size() const;
    bool endsInLineEnd() const;
    // The size and block hashes of the bytes read; two readings with the same read the same.
    Fingerprint fingerprint() const;
    // How many times bytes left on disk could not be read again (the file changed, or could not
    // be opened): what was asked for then came empty. Always 0 for bytes in memory.
    quint64 failures() const { return m_disk ? m_disk->failures() : 0; }
    qsizetype lineCount() const { return m_lineCount; }
    qsizetype recordCount() const { return qsizetype(m_records.size()); }
    // The record, unpacked from what is kept of it.
    Record record(qsizetype i) const;
    // The kept problems and hints, each by line.
    const QList<Problem> &problems() const { return m_problems; }
    const QList<Problem> &hints() const { return m_hints; }
    // Both together, by line: as the viewer and the check list them.
    QList<Problem> notes() const;
    // All that were found, kept or not.
    qsizetype problemCount() const { return m_problemCount; }
    qsizetype hintCount() const { return m_hintCount; }
    // The first line whose problems or hints were not kept, 0 when all from Keep::fromLine were.
    int nextLine() const { return m_nextLine; }
    // The records of the longest distinct names with their threads (by bytes after "ITEM:"), at
    // most kLongestKeys of them, longest first, of equally long ones the first met; found while
    // reading, so that a view can size its names without reading every one of them again. Records
    // whose item line is at fault are not among them.
    static constexpr qsizetype kLongestKeys = 32;
    const std::vector<quint32> &longestKeys() const { return m_longestKeys; }

    // Whether the record's item line stands after another line's text on its first line
    // ("endtipITEM:…"), so that the line belongs to this record and to the one before.
    bool startsMidLine(qsizetype record) const;

    // The record's item line as it stands in the file ("ITEM: TIP MM M3").
    QByteArrayView itemLine(qsizetype record) const;
    QString name(qsizetype record) const;
    QString thread(qsizetype record) const;
    // The bytes that name() and thread() are read from: equal bytes, equal name and thread.
    std::pair<QByteArrayView, QByteArrayView> nameAndThreadBytes(qsizetype record) const;
    // The record's lines as they stand in the file, joined by "\n".
    QString text(qsizetype record) const;
    // The record's lines read into fields and numbers.
    QList<RecordLine> lines(qsizetype record) const;
    // The record that holds the line (1-based), or else the last one before it; -1 for none. Of
    // two records on one line, the one that starts there when midLine, else the earlier one.
    qsizetype recordAtLine(int line, bool midLine = false) const;
    // The one record whose lines include the line (1-based). Nothing for a line outside every
    // record, or one that also holds the start of a second record; reason then says why (German).
    std::optional<qsizetype> recordOfLine(int line, QString *reason = nullptr) const;

    // The text of one line of the file (1-based), without its line end.
    QString lineText(int line) const;
    // Where the line (1-based) starts in the bytes; size() for the line after the last.
    qsizetype startOfLine(int line) const;
    // Where the record's item line starts in the bytes: inside its first line when it starts mid-line.
    qsizetype startOfItem(qsizetype record) const { return itemStart(record); }

private:
    class Keeper; // the checker's sink that keeps the file's lines, records and notes

    // Every kMarkStep-th line's start is kept: a line is found from the mark before it.
    static constexpr quint32 kMarkStep = 32;
    static std::optional<ProbeFile> readLeavingOnDisk(const QString &path, QString *error, Keep keep,
                                                      const ReadProgress *progress);
    // The bytes from offset on, at least to the end of offset's line (with its LF) or of the file;
    // empty past the end, or when the bytes on disk are no longer those read. Of a file left on
    // disk, valid until the next call.
    QByteArrayView from(qsizetype offset) const;
    // Where line index (0-based) starts in the bytes.
    qsizetype lineStart(quint32 index) const;
    // Line index without its line end.
    QByteArrayView bytesOf(quint32 index) const { return lineFrom(lineStart(index)); }
    // The line from offset on, without its line end.
    QByteArrayView lineFrom(qsizetype offset) const;
    // Where the record's first line, and its item line, start in the bytes.
    qsizetype firstLineStart(qsizetype record) const;
    qsizetype itemStart(qsizetype record) const;
    // The first line (index) of the record: the records' search key, read without unpacking all.
    quint32 firstLineOf(qsizetype record) const;
    // Calls each(line index, part) for each of the record's lines, with only the part of a line
    // that belongs to it (a line may hold the end of one record and the start of the next).
    template <typename Each> void eachPart(qsizetype record, const Each &each) const;

    QByteArray m_bytes;
    // Instead of m_bytes, when they are left on disk. A copy reads into a window of its own.
    mutable std::optional<BytesOnDisk> m_disk;
    std::vector<quint32> m_marks; // the start of every kMarkStep-th line
    qsizetype m_lineCount = 0;
    // A record as it is kept: five halves of 32 bits, so that an array of them has no padding.
    struct Kept
    {
        quint16 firstLine[2]; // low half, high half
        quint16 lineCount;    // kLong: the count is in m_long
        quint16 start;        // where its first line starts after its line's mark; kFar: too far
        quint16 what;         // kind, tip shape, decimal separator and faces, packed
    };
    static constexpr quint16 kFar = 0xFFFF;
    static constexpr quint16 kLong = 0xFFFF;
    std::vector<Kept> m_records;
    // The records of kLong lines or more (a damaged one may run on for long), by record.
    std::vector<std::pair<quint32, quint32>> m_long;
    QList<Problem> m_problems;
    QList<Problem> m_hints;
    qsizetype m_problemCount = 0;
    qsizetype m_hintCount = 0;
    int m_nextLine = 0;
    std::vector<quint32> m_longestKeys;
};

// The record's kind for people: "Tastkugel", "Würfel", "Verlängerung" and the like.
QString kindText(const ProbeFile::Record &record);

} // namespace merivox
