#pragma once

// Reads a whole probe file into records and checks it. Nothing here ever writes the file.
//
// The bytes stay as they were read; each line is kept as its place in them and its kind, and
// a record as its run of lines. Names, threads and the fields of a record's lines are read
// from the bytes when asked for, so a large file costs little more memory than its own size.

#include "ProbeRecord.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace merivox {

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

    // Reads the file at path. Nothing when it cannot be read; error then says why (German).
    static std::optional<ProbeFile> read(const QString &path, QString *error = nullptr);
    // Reads the bytes of a probe file: the file's code page, lines ended by CR LF or LF.
    static ProbeFile fromBytes(QByteArray bytes);
    // Reads lines held in memory, as a builder makes them (without line ends).
    static ProbeFile fromLines(const QStringList &lines);

    qsizetype lineCount() const { return qsizetype(m_lines.size()); }
    qsizetype recordCount() const { return qsizetype(m_records.size()); }
    const Record &record(qsizetype i) const { return m_records[size_t(i)]; }
    const QList<Problem> &problems() const { return m_problems; }

    QString name(qsizetype record) const;
    QString thread(qsizetype record) const;
    // The record's lines as they stand in the file, joined by "\n".
    QString text(qsizetype record) const;
    // The record's lines read into fields and numbers.
    QList<RecordLine> lines(qsizetype record) const;
    // The record that holds the line (1-based), or else the last one before it; -1 for none.
    qsizetype recordAtLine(int line) const;
    // The one record whose lines include the line (1-based). Nothing for a line outside every
    // record, or one that also holds the start of a second record; reason then says why (German).
    std::optional<qsizetype> recordOfLine(int line, QString *reason = nullptr) const;

    // The text of one line of the file (1-based), without its line end.
    QString lineText(int line) const;

private:
    struct Line
    {
        quint32 offset = 0;
        quint32 length = 0;
        LineKind kind = LineKind::Unknown;
    };
    class Checker;

    QByteArrayView bytesOf(quint32 index) const;

    QByteArray m_bytes;
    std::vector<Line> m_lines;
    std::vector<Record> m_records;
    QList<Problem> m_problems;
};

// The record's kind for people: "Tastkugel", "Würfel", "Verlängerung" and the like.
QString kindText(const ProbeFile::Record &record);

} // namespace merivox
