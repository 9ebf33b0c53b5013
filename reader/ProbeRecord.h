#pragma once

// What the reader makes of the probe file: every line with its kind, records of lines that start
// at an item line, and the problems found, each with its line number and a German text. What a
// record is (RecordKind) and its probing element (TipShape) are the kinds table's words.

#include "TipKinds.h"

#include <QList>
#include <QString>

namespace merivox {

// The kinds of line the probe file knows, by their keyword. Unknown is anything else.
enum class LineKind : quint8 {
    Item,         // ITEM:<name>MM <thread>
    BeginTip,     // begintip
    EndTip,       // endtip
    RibCount,     // ribcount n
    Solid,        // solid n
    Color,        // Color r g b
    Cylinder,     // cylinder x1 y1 z1 x2 y2 z2 d
    Cone,         // cone x1 y1 z1 d1 x2 y2 z2 d2
    Sphere,       // sphere x y z d
    CutSphere,    // cutsphere x y z i j k d 2 -10000
    HotSpot,      // hotspot x y z i j k size1 size2 shape
    LowerConnect, // connect x y z i j k [thread]
    Face,         // face n, then n corners x y z
    CubeConnect,  // Connect x y z i j k thread
    Unknown,
};

// The keyword that starts a line of this kind ("ITEM:" for the item line, empty for Unknown).
QString lineKeyword(LineKind kind);

// Which decimal separator the numbers of a record use.
enum class Decimal : quint8 { None, Point, Comma, Mixed };

// A problem of the file, or a hint: something a text editor typically does to the file that
// the reader copes with (LF line ends, a name saved as UTF-8, decimal point and comma mixed).
struct Problem
{
    int line = 0; // 1-based line number in the file
    QString text; // German
    bool hint = false;
    // Of the record that starts after another line's text on the same line ("endtipITEM:…").
    bool midLine = false;
    friend bool operator==(const Problem &, const Problem &) = default;
};

// One line of a record, read into its fields. For the item line the fields are the name and the
// thread; for the other lines the texts after the keyword, split at runs of blanks (the thread of
// a connection is the rest of the line). values holds each field read as a number, NaN where a
// field is not one.
struct RecordLine
{
    int number = 0; // 1-based line number in the file
    LineKind kind = LineKind::Unknown;
    QList<QString> fields;
    QList<double> values;

    double value(qsizetype i) const { return i < values.size() ? values.at(i) : qQNaN(); }
};

} // namespace merivox
