#pragma once

// The dimensions of a component, read back from its record's lines: the editor's dimensions
// that the kind's dimension drawing labels (L1 ... L4, D1, D2, Kugeldurchmesser, Länge, Breite),
// the second thread, the colours and the probing element. A size that the record writes as typed
// keeps its text; a length that the record holds as a negated position is its negation, made on
// the text, so that it keeps the record's own digits and decimal separator.

#include "ProbeRecord.h"
#include "TipInputs.h"

#include <QList>
#include <QString>

#include <optional>

namespace merivox {

enum class ComponentKind : quint8 { Ball, Cylinder, HalfSphere, Disc, Cube, Extension, Other };

struct RecoveredDimension
{
    QString label; // the editor's caption: "L1", "D2", "Kugeldurchmesser", "Länge", "Breite", ...
    QString text;  // as the record holds it
    double value = 0.0;
};

struct ComponentDimensions
{
    ComponentKind kind = ComponentKind::Other;
    // In the editor's order: L1, L2, L3, L4, D1, D2, Kugeldurchmesser, Länge, Breite; only those
    // that the kind uses and that the record holds.
    QList<RecoveredDimension> dimensions;
    QString thread2;              // the extension's lower thread
    bool withoutRoundEnd = false; // a cylinder tip without its rounded end
    std::optional<Rgb> shaftColour;
    std::optional<Rgb> ballColour; // the probing element's colour

    // The probing element (ball, pin, half sphere, disc, cube): its size across and the depth
    // of its hot spot or centre below the mounting face. Size 0 when there is none.
    double elementSize = 0.0;
    double elementDepth = 0.0;

    Decimal decimal = Decimal::None; // the separator that the record's numbers use

    const RecoveredDimension *find(QStringView label) const;
};

ComponentDimensions recoverDimensions(const QList<RecordLine> &lines);

// The decimal separator that the numbers of these lines use.
Decimal decimalOf(const QList<RecordLine> &lines);

// The name of a kind for people: "Tastkugel", "Würfel", ...
QString componentKindText(ComponentKind kind);

} // namespace merivox
