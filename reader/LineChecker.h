#pragma once

// One pass over the lines of a probe file, fed one by one: gives each its kind, groups them into
// records and notes every problem. At most one problem is noted per line; a record that is cut
// off is noted at its item line. What the lines and records become, and where the notes go, is
// the sink's business: the whole-file model keeps them (ProbeFile::Keeper), the check prints the
// notes as they come (NoteStream). Apart from its one open record, the checker keeps per distinct
// name and thread only a slot of what the duplicate rule needs (DuplicateIndex).
//
// Nearly every line is an intact part of the open record: such a line is read in one pass on the
// masks of its bytes (syntax::readIntact), and only the others take the full rules (RecordRules).
// The quick way is inline here, for the loops that find the lines (ProbeFile::fromBytes,
// feedPieces) to take it without a call.

#include "DuplicateIndex.h"
#include "LineSyntax.h"
#include "ProbeFile.h"
#include "RecordRules.h"

#include <QByteArray>
#include <QByteArrayView>

namespace merivox {

class LineChecker final
{
public:
    using Record = ProbeFile::Record;

    // Where the lines, the records and the notes go. It also keeps the names and threads of the
    // duplicate rule (DuplicateIndex::Keys).
    class Sink : public DuplicateIndex::Keys
    {
    public:
        // Line index starts at offset; asked only of a sink that wants the lines.
        virtual void line(quint32, quint64) {}
        bool wantsLines() const { return m_wantsLines; }
        // Each record once it is complete, in order, with where its first line starts.
        virtual void record(const Record &, quint64) {}
        // Whether the notes of the line (1-based) are wanted; else they are only counted.
        virtual bool keeps(int) const { return true; }
        virtual void note(Problem note) = 0;
        // No note comes any more for lines before this one (1-based).
        virtual void settled(int) {}
        // Whether a line from offset on ends in CR LF.
        virtual bool crLfFrom(quint64 offset) = 0;
        // About this many records are coming: room for what the sink keeps of each can be made.
        virtual void expectRecords(quint64) {}

    protected:
        bool m_wantsLines = true;
    };

    explicit LineChecker(Sink &sink, bool quickLines = true)
        : m_sink(sink), m_quickLines(quickLines), m_rules([this](quint32 index) { return keeps(index); }),
          m_duplicates(sink)
    {}
    // Its rules ask it whether a text is wanted: it stays where it was made.
    LineChecker(const LineChecker &) = delete;
    LineChecker &operator=(const LineChecker &) = delete;

    // One line from offset on, with its CR but without its LF; newline says whether an LF ended it.
    // readable: the end of the memory that the line lies in, which may be read past the line.
    // masks: those of the line's bytes when they were made with finding its end, else null.
    void feed(quint64 offset, QByteArrayView line, bool newline, const char *readable,
              const syntax::ByteMasks *masks = nullptr)
    {
        bool firstLfAlone = false;
        if (!line.isEmpty() && line.back() == '\r') {
            line.chop(1);
            m_ends.crLf = m_ends.crLf || newline;
        } else if (newline && !m_ends.lfNoted) {
            m_ends.lfNoted = true;
            firstLfAlone = true;
        }
        m_ends.lastNewline = newline;
        // A CR is in none of the masks' classes: those of the line with it hold for it without.
        if (!(m_open.open && m_quickLines && readIntact(offset, line, readable, masks))) {
            readByRules(offset, line);
        }
        if (firstLfAlone) {
            // The notes of a line come in the order they are found; this one after the line's own.
            noteLfAlone(offset + quint64(line.size()) + 1); // an LF alone ended this line
        }
        settle();
    }

    // The end of the file.
    void finish();

    // A file of size bytes is to be read: the duplicate table, and the sink's room for the records,
    // are made once at about the size they will grow to.
    void expectBytes(quint64 size) { m_sink.expectRecords(m_duplicates.expectBytes(size)); }

    quint32 lineCount() const { return m_lines; }
    qsizetype recordCount() const { return m_totals.records; }
    qsizetype problemCount() const { return m_totals.problems; }
    qsizetype hintCount() const { return m_totals.hints; }
    const ProbeFile::Totals &totals() const { return m_totals; }

private:
    // Nearly every line of a file is an intact part of the open record: such a line is read in
    // one pass, and the full rules read only the others. False, with nothing changed, for a line
    // that is not plainly intact, or that brings the record its second decimal separator (a hint
    // that names the number).
    bool readIntact(quint64 offset, QByteArrayView line, const char *readable, const syntax::ByteMasks *masks)
    {
        syntax::IntactLine intact;
        if (!(masks ? syntax::readIntact(line, *masks, intact) : syntax::readIntact(line, readable, intact))) {
            return false;
        }
        RecordRules::Parts &parts = m_open.parts;
        const bool point = parts.point || intact.point;
        const bool comma = parts.comma || intact.comma;
        if (point && comma && !parts.mixedNoted) {
            return false;
        }
        const quint32 index = m_lines++;
        if (m_sink.wantsLines()) {
            m_sink.line(index, offset);
        }
        parts.point = point;
        parts.comma = comma;
        m_open.record.lineCount++;
        follow(intact.kind, intact.count, intact.kind == LineKind::HotSpot ? shapeOf(intact.word) : TipShape::Other);
        return true;
    }

    // What the line tells about its record, with a solid's count of faces and a hot spot's shape
    // read from the line.
    void follow(LineKind kind, int faces, TipShape shape)
    {
        if (m_open.parts.add(kind, faces, shape)) {
            finishRecord();
        }
    }
    // The same for a line read by the full rules; intact says whether its fields can be read.
    void follow(LineKind kind, bool intact);

    // Tells the sink which lines are done: all when no record is open, else those before it.
    // The sink hears only of a change: a later line, or a note since it last heard.
    void settle()
    {
        const int line = m_open.open ? int(m_open.record.firstLine) + 1 : int(m_lines) + 1;
        if (line != m_settled.line || m_settled.notedSince) {
            m_settled.line = line;
            m_settled.notedSince = false;
            m_sink.settled(line);
        }
    }

    // The full rules, for every line that the quick way leaves; kept out of the way of the lines
    // that take the quick way, which then need none of its set-up.
    [[gnu::noinline]] void readByRules(quint64 offset, QByteArrayView line);
    [[gnu::noinline]] void noteLfAlone(quint64 next);
    // A record starts at line index, its first line at lineStart, its item line at itemOffset.
    void startRecord(quint32 index, quint64 lineStart, quint64 itemOffset, QByteArrayView item, bool midLine);
    void finishRecord();

    // A note's text is given as a text or as a function that makes it, called only when the
    // note is kept.
    template <typename Text> void problem(quint32 index, const Text &text) { note(index, text, false); }
    template <typename Text> void hint(quint32 index, const Text &text) { note(index, text, true); }
    template <typename Text> void note(quint32 index, const Text &text, bool isHint);
    bool keeps(quint32 index) const { return m_sink.keeps(int(index) + 1); }

    Sink &m_sink;
    const bool m_quickLines;
    RecordRules m_rules;
    DuplicateIndex m_duplicates;
    quint32 m_lines = 0;
    ProbeFile::Totals m_totals;
    // How the lines end.
    struct
    {
        bool crLf = false;       // a line so far ended in CR LF
        bool lfNoted = false;    // the first line that ends in LF alone was found
        bool lastNewline = true; // the last line read ended in LF
    } m_ends;
    // What the sink last heard.
    struct
    {
        int line = 0;            // the line it last heard was settled
        bool notedSince = false; // and whether a note went to it after that
    } m_settled;
    bool m_midLine = false; // the note being made belongs to a record that starts mid-line
    // The open record, or the last one.
    struct
    {
        bool open = false;
        Record record;
        RecordRules::Parts parts;
        bool midLine = false; // it starts mid-line
        quint64 start = 0;    // where its first line starts
        QByteArray item;      // its item line (from "ITEM:" on), for its notes when it ends
        // Its name and thread, to be looked up in the duplicate table when it ends.
        bool pending = false;
        quint32 hash = 0;
        quint64 keyOffset = 0; // where its name starts
    } m_open;
};

} // namespace merivox
