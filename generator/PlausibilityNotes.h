#pragma once

// Notes on inputs that pass every check but describe a component that can hardly be meant: a ball
// no thicker than the stem that carries it, lengths out of order along the probe axis, a stem that
// widens towards the tip, a solid without size. They only inform: nothing here stops a record from
// being written, and the texts are German, for the operator.

#include "TipInputs.h"

#include <QList>
#include <QLocale>
#include <QString>

namespace merivox {

enum class NoteKind {
    SizeNotPositive,       // a diameter, edge or thickness of zero or below where a solid needs one
    LengthNegative,        // a length measured from the mounting face that points above it
    LengthsOutOfOrder,     // L1 <= L2 <= L3 (< L4 for the cylinder), lengths of 0 skipped
    StemWidens,            // D2 larger than D1
    HeadNotLargerThanStem, // ball, half sphere or disc not larger than D2
    DiscAboveStem,         // the disc's upper face (L3 - Breite) above the end of the stem
    SecondThreadMissing,   // an extension without the thread at its lower end
    ThreadHasBlank,        // a typed thread with a blank in it ("M 3"): no thread of the list has one
};

struct PlausibilityNote
{
    NoteKind kind;
    QString text;
};

// The notes on checked inputs (of the kind in.tip_type), in a fixed order. Numbers in the texts
// are the operator's own texts; computed ones use the locale.
QList<PlausibilityNote> plausibilityNotes(const TipInputs &in, const QLocale &locale);

} // namespace merivox
