#pragma once

// One line of a record cut into its pieces at runs of blanks: the keyword first, then its fields.
// Made from the line's text, each piece keeps its place in the line, so that a size can be taken
// with the blanks that the record writes around it, and a thread as the rest of the line. Made
// from a line that the reader has split already, the pieces are its fields, without blanks.

#include "ProbeRecord.h"

#include <QList>
#include <QString>

#include <utility>

namespace merivox {

class RecordTokens final
{
public:
    explicit RecordTokens(const QString &line);
    explicit RecordTokens(const RecordLine &line);

    qsizetype size() const { return m_pieces.size(); }
    QString keyword() const { return at(0); }
    // A computed number or a fixed text: the piece itself; empty past the last piece.
    QString at(qsizetype i) const { return m_pieces.value(i); }
    // The piece read as a number (either separator); NaN where it is none.
    double value(qsizetype i) const;
    // A size written as typed: the piece with the blanks around it that are not the single
    // blanks separating it from its neighbours. The piece itself for a line split by the reader.
    QString typed(qsizetype i) const;
    // The rest of the line after piece i and its single blank: a thread.
    QString restAfter(qsizetype i) const;
    // The line's text; empty for a line split by the reader.
    const QString &line() const { return m_line; }

private:
    QString m_line;
    QList<QString> m_pieces;
    QList<std::pair<qsizetype, qsizetype>> m_places; // of each piece in m_line: start, end
    QList<double> m_values;                          // a line split by the reader: its numbers
};

} // namespace merivox
