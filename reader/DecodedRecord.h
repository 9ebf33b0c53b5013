#pragma once

// A record read back into its kind and the editor's dimensions, the one reading of a record's
// lines: for the drawing's labels and the data sheet (the dimensions that the kind's dimension
// drawing labels: L1 ... L4, D1, D2, Kugeldurchmesser, Länge, Breite, the second thread, the
// colours and the probing element), and for a template (which rebuilds the record from them and
// checks that it comes out the same). A size that the record writes as typed keeps its text; a
// length that the record holds as a negated position is its negation, made on the text, so that
// it keeps the record's own digits and decimal separator.

#include "ProbeRecord.h"
#include "RecordTokens.h"
#include "TipInputs.h"

#include <QList>
#include <QString>

#include <array>
#include <optional>

namespace merivox {

// One dimension as the record holds it; an empty text where the record does not give it.
struct DecodedDimension
{
    QString text;  // as the record holds it (a position's negation for a length)
    QString typed; // a size with the blanks that the record writes around it; else the text
    double value = qQNaN();
};

// A dimension with the editor's caption, as the drawing's labels and the data sheet list them.
struct LabelledDimension
{
    QString label; // "L1", "D2", "Kugeldurchmesser", "Länge", "Breite", ...
    QString text;
    double value = 0.0;
};

struct DecodedRecord
{
    std::optional<TipKind> kind; // none for a record that no kind writes
    // By DimensionField: those of the kind (L1, L2, D1, D2 of a stylus of no kind).
    std::array<DecodedDimension, std::size(kDimensionFields)> dimensions;
    QString thread2;              // the extension's lower thread
    bool withoutRoundEnd = false; // a cylinder tip without its rounded end
    bool shaft = false;           // a stylus whose shaft has a cylinder or a cone
    std::optional<Rgb> shaftColour;
    std::optional<Rgb> ballColour; // the probing element's colour
    // Where the first two Color lines stand among the record's lines; -1 where there is none.
    qsizetype colourLines[2] = {-1, -1};

    // The probing element (ball, pin, half sphere, disc, cube): its size across and the depth
    // of its hot spot or centre below the mounting face. Size 0 when there is none.
    double elementSize = 0.0;
    double elementDepth = 0.0;

    // The separator that the record's numbers use, and how many numbers have a point or a comma.
    Decimal decimal = Decimal::None;
    int points = 0;
    int commas = 0;

    const DecodedDimension &operator[](DimensionField field) const { return dimensions[size_t(field)]; }
    // Those the record gives, in the editor's order: L1, L2, L3, L4, D1, D2, Kugeldurchmesser,
    // Länge, Breite.
    QList<LabelledDimension> labelled() const;
};

// How the lines are read: as the kind their lines show, or as a given kind (a template's editor);
// a lone shaft cylinder read the other way round (the neck where it would be the upper cylinder,
// and the reverse), for a template that does not come out the same.
struct DecodeOptions
{
    std::optional<TipKind> as;
    bool otherLoneCylinder = false;
};

// The record's lines, its item line first.
DecodedRecord decodeRecord(const QList<RecordTokens> &lines, const DecodeOptions &options = {});
DecodedRecord decodeRecord(const QList<RecordLine> &lines);

// The editor's caption of a dimension field: "L1", "Kugeldurchmesser", "Länge", ...
QString dimensionCaption(DimensionField field);

// The name of a kind for people: "Tastkugel", "Würfel", ...; "Teil" for a record of no kind.
QString kindName(std::optional<TipKind> kind);

} // namespace merivox
