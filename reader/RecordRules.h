#pragma once

// What a record's lines must be, and what is said when they are not: the full rules for one line
// (its keyword, the count of its fields, its numbers, another line run into it), for an item line
// (its name and thread), for a whole record (which parts make it whole), and every problem and
// hint text the reading gives (German). The checker (LineChecker) reads most lines the quick way
// (syntax::readIntact) and hands only the others to these rules; what the rules find it notes on
// the line, in the order found.
//
// A text is made only where it is wanted (the note is kept): else it is "-", as a reading that
// keeps the notes of some lines only passes over the others quickly. Whether it is wanted is asked
// only when there is a text to make: an intact line costs no asking.

#include "LineSyntax.h"
#include "ProbeRecord.h"

#include <QByteArrayView>
#include <QString>

#include <functional>
#include <utility>

namespace merivox {

// A hot spot's shape word as the record's tip shape, as the kinds table spells the words; else Other.
TipShape shapeOf(QByteArrayView word);

class RecordRules final
{
public:
    // What an open record has shown so far: which of its parts, and the decimal separators of its
    // numbers.
    struct Parts
    {
        bool begin = false, end = false, solid = false, other = false, connect = false, cutSphere = false;
        int facesExpected = 0;
        int faces = 0;
        TipShape hotSpot = TipShape::None;
        bool point = false, comma = false, mixedNoted = false;

        // Takes in a line of the kind, with a solid's count of faces and a hot spot's shape read
        // from it. True when the line ends the record (endtip).
        bool add(LineKind kind, int facesOfSolid, TipShape shape)
        {
            switch (kind) {
            case LineKind::BeginTip:
                begin = true;
                break;
            case LineKind::EndTip:
                end = true;
                return true;
            case LineKind::Solid:
                solid = true;
                facesExpected = facesOfSolid;
                break;
            case LineKind::Face:
                faces++;
                other = true;
                break;
            case LineKind::LowerConnect:
            case LineKind::CubeConnect:
                connect = true;
                other = true;
                break;
            case LineKind::HotSpot:
                hotSpot = shape;
                other = true;
                break;
            case LineKind::CutSphere:
                cutSphere = true;
                other = true;
                break;
            case LineKind::Item:
            case LineKind::Unknown:
                break;
            default:
                other = true;
                break;
            }
            return false;
        }
    };

    // What the full rules find in a line.
    struct Verdict
    {
        LineKind kind = LineKind::Unknown;
        QString problem; // empty when the line is intact
        // The open record's numbers use both decimal separators from this line on; empty else.
        QString hint;
        // The line's first size (a diameter, a hot spot's extent) that is below 0; empty else.
        QString negativeSize;
        // Where the next record's item line starts inside this line, after a whole line whose line
        // end got lost ("endtipITEM:…"); 0 when it does not.
        qsizetype item = 0;
    };
    // wanted(index): whether the notes of line index (0-based) are kept. It is asked only when
    // there is a text to make, at that moment.
    explicit RecordRules(std::function<bool(quint32 index)> wanted) : m_wanted(std::move(wanted)) {}

    // Reads line index by the full rules. open: the open record's parts, whose decimal separators
    // the line's numbers add to; null when no record is open. quickItem: a line that starts with
    // "ITEM:" is taken as an item line without its fields.
    Verdict readLine(QByteArrayView line, quint32 index, Parts *open, bool quickItem);
    // The fields of the line last read (of its text before an item line inside it, when it holds
    // one): a solid's count of faces, a hot spot's shape.
    const syntax::Fields &fields() const { return m_fields; }

    // What the rules find in an item line (from "ITEM:" on): a problem, else perhaps a hint (a
    // name or thread saved as UTF-8). Only an item line without a problem is looked up for a
    // duplicate.
    struct ItemVerdict
    {
        QString problem;
        QString hint;
    };
    ItemVerdict readItem(QByteArrayView item, quint32 index);

    // What a record is by its parts, and what it lacks to be whole.
    struct Whole
    {
        RecordKind kind = RecordKind::Unknown;
        TipShape shape = TipShape::None;
        Decimal decimal = Decimal::None;
        quint8 faces = 0;
        QString missing; // empty when the record is whole
    };
    static Whole judge(const Parts &parts);

    // The problems of a record, on its item line (from "ITEM:" on).
    static QString cutOff(QByteArrayView item, const QString &missing);
    static QString namedTwice(QByteArrayView item, int earlierLine);
    // A line that no record holds; after: the first line (1-based) of the record whose end it
    // follows, 0 when no record stands before it.
    static QString outsideRecord(QByteArrayView line, int after);
    // The hint on the first line that ends in LF alone; mixed: some other line ends in CR LF.
    static QString lfAlone(bool mixed);
    // The problem of a last line without its line end.
    static QString noLastLineEnd();
    // What the size that is number ordinal (0-based, after the keyword) of a line of the kind is
    // called in the hint on a negative one ("der Durchmesser").
    static QString sizeName(LineKind kind, int ordinal);

private:
    // The text that make makes, when the notes of the line being read are kept.
    template <typename Make> QString say(const Make &make) const
    {
        return m_wanted(m_index) ? QString(make()) : QStringLiteral("-");
    }
    QString runTogether(QByteArrayView field) const;
    QString negativeSize(LineKind kind, QByteArrayView line) const;
    bool completeBefore(QByteArrayView text, LineKind &kind, Verdict &verdict, Parts *open);
    QString checkFields(LineKind kind, QByteArrayView line, Verdict &verdict, Parts *open);
    QString checkLayout(LineKind kind, const syntax::FieldRule &rule, Verdict &verdict, Parts *open);
    QString checkNumbers(int first, int last, LineKind kind, Verdict &verdict, Parts *open);

    const std::function<bool(quint32)> m_wanted;
    quint32 m_index = 0; // the line being read
    syntax::Fields m_fields;
    syntax::Fields m_words; // the words of an item line's thread
};

} // namespace merivox
