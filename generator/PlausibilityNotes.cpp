#include "PlausibilityNotes.h"

#include "NumberText.h"

#include <algorithm>
#include <vector>

namespace merivox {

namespace {

// A dimension with the caption that the editor shows beside it.
struct Named
{
    QString caption;
    const Dimension &dimension;
    QString shown() const { return QStringLiteral("%1 = %2").arg(caption, dimension.text.trimmed()); }
};

// The probing element of a stylus and the field that gives its size.
struct Head
{
    QString noun; // "Die Kugel"
    Named size;
};

Head headOf(TipKind kind, const TipInputs &in)
{
    const Named ball{QStringLiteral("Kugeldurchmesser"), in.ball_diameter};
    switch (kind) {
    case TipKind::Cylinder:
        return {QStringLiteral("Der Stift"), ball};
    case TipKind::HalfSphere:
        return {QStringLiteral("Die Halbkugel"), ball};
    case TipKind::Disc:
        return {QStringLiteral("Die Scheibe"), {QStringLiteral("Länge"), in.length}};
    default:
        break;
    }
    return {QStringLiteral("Die Kugel"), ball};
}

class Notes final
{
public:
    void add(NoteKind kind, const QString &text) { m_notes.append({kind, text}); }
    void notPositive(const Named &size, const QString &consequence)
    {
        if (size.dimension.value <= 0) {
            add(NoteKind::SizeNotPositive,
                QStringLiteral("%1 ist nicht größer als 0: %2.").arg(size.shown(), consequence));
        }
    }
    // A thread is written as typed, blanks and all; the list's threads have none.
    void blanks(const QString &caption, const QString &thread)
    {
        const auto count = std::count_if(thread.cbegin(), thread.cend(), [](QChar c) { return c.isSpace(); });
        if (count > 0) {
            add(NoteKind::ThreadHasBlank,
                QStringLiteral("%1: „%2“ enthält %3 und wird so geschrieben; kein Gewinde der Liste enthält eines.")
                    .arg(caption, thread,
                         count == 1 ? QStringLiteral("ein Leerzeichen") : QStringLiteral("%1 Leerzeichen").arg(count)));
        }
    }
    QList<PlausibilityNote> take() { return std::move(m_notes); }

private:
    QList<PlausibilityNote> m_notes;
};

} // namespace

QList<PlausibilityNote> plausibilityNotes(const TipInputs &in, const QLocale &locale)
{
    const TipKind kind = in.tip_type;
    Notes notes;
    const Named L1{QStringLiteral("L1"), in.L1}, L2{QStringLiteral("L2"), in.L2}, L3{QStringLiteral("L3"), in.L3},
        L4{QStringLiteral("L4"), in.L4}, D1{QStringLiteral("D1"), in.D1}, D2{QStringLiteral("D2"), in.D2},
        length{QStringLiteral("Länge"), in.length}, width{QStringLiteral("Breite"), in.width};
    notes.blanks(QStringLiteral("Gewinde 1"), in.thread);
    if (kind == TipKind::Extension) {
        notes.blanks(QStringLiteral("Gewinde 2"), in.thread2);
    }

    switch (kind) {
    case TipKind::Cube:
        notes.notPositive(L1, QStringLiteral("der Würfel hat keine Größe"));
        return notes.take();
    case TipKind::Extension:
        notes.notPositive(D1, QStringLiteral("die Verlängerung hat keinen Querschnitt"));
        notes.notPositive(length, QStringLiteral("die Verlängerung hat keine Länge"));
        if (in.thread2.trimmed().isEmpty()) {
            notes.add(NoteKind::SecondThreadMissing,
                      QStringLiteral("Gewinde 2 ist leer: unten fehlt das Gewinde für das nächste Teil."));
        }
        return notes.take();
    case TipKind::Ball:
    case TipKind::Cylinder:
    case TipKind::HalfSphere:
    case TipKind::Disc:
        break;
    }

    // A stylus: upper shaft (L1, D1), cone to L2 and D2, neck down to the head.
    const bool disc = kind == TipKind::Disc;
    const Head head = headOf(kind, in);
    const double neckEnd = disc ? in.L3.value - in.width.value : in.L3.value;

    // D1 is the top of the shaft when there is one; 0 there means no upper shaft.
    if (in.D1.value < 0 || (in.D1.value == 0 && (in.L1.value != 0 || in.L2.value != 0))) {
        notes.notPositive(D1, QStringLiteral("der obere Schaft hat keinen Querschnitt"));
    }
    if (in.D2.value < 0 || (in.D2.value == 0 && neckEnd != in.L2.value)) {
        notes.notPositive(D2, QStringLiteral("der Schaft zur Spitze hin hat keinen Querschnitt"));
    }
    notes.notPositive(head.size, head.noun.at(0).toLower() + head.noun.mid(1) + QStringLiteral(" hat keine Größe"));
    if (disc) {
        notes.notPositive(width, QStringLiteral("die Scheibe hat keine Dicke"));
    }

    std::vector<Named> lengths{L1, L2, L3};
    if (kind == TipKind::Cylinder) {
        lengths.push_back(L4);
    }
    for (const Named &each : lengths) {
        if (each.dimension.value < 0) {
            notes.add(NoteKind::LengthNegative,
                      QStringLiteral("%1 ist negativ: das Element läge über der Anlagefläche.").arg(each.shown()));
        }
    }
    // Measured from the mounting face, the lengths grow towards the tip; 0 means "not there".
    const Named *previous = nullptr;
    for (const Named &each : lengths) {
        if (each.dimension.value == 0) {
            continue;
        }
        if (previous && &each.dimension == &in.L4 && each.dimension.value <= previous->dimension.value) {
            notes.add(NoteKind::LengthsOutOfOrder,
                      QStringLiteral("%1 ist nicht größer als %2: der Stift hat keine Länge.")
                          .arg(each.shown(), previous->shown()));
        } else if (previous && each.dimension.value < previous->dimension.value) {
            notes.add(NoteKind::LengthsOutOfOrder,
                      QStringLiteral("%1 ist kleiner als %2: die Längen werden von der Anlagefläche aus gemessen "
                                     "und nehmen zur Spitze hin zu.")
                          .arg(each.shown(), previous->shown()));
        }
        previous = &each;
    }

    if (in.D1.value > 0 && in.D2.value > in.D1.value && (in.L1.value != 0 || in.L2.value != 0)) {
        notes.add(
            NoteKind::StemWidens,
            QStringLiteral("%1 ist größer als %2: der Schaft wird zur Spitze hin dicker.").arg(D2.shown(), D1.shown()));
    }
    // A cylinder's pin may well be thinner than its neck (the worked example's is); a ball, a half
    // sphere or a disc that does not stand out of the stem cannot probe with its rim.
    if (kind != TipKind::Cylinder && head.size.dimension.value > 0 && in.D2.value > 0 &&
        head.size.dimension.value <= in.D2.value) {
        notes.add(NoteKind::HeadNotLargerThanStem, QStringLiteral("%1 (%2) ist nicht größer als der Schaft (%3).")
                                                       .arg(head.noun, head.size.shown(), D2.shown()));
    }
    if (disc) {
        const Named *stemEnd = in.L2.value != 0 ? &L2 : in.L1.value != 0 ? &L1 : nullptr;
        const double stemDepth = stemEnd ? stemEnd->dimension.value : 0.0;
        if (neckEnd < stemDepth) {
            notes.add(NoteKind::DiscAboveStem,
                      QStringLiteral("Die Scheibe reicht über %1 hinaus: L3 − Breite = %2 ist kleiner als %3.")
                          .arg(stemEnd ? QStringLiteral("das Ende des Schafts") : QStringLiteral("die Anlagefläche"),
                               formatNumber(neckEnd, locale), stemEnd ? stemEnd->shown() : QStringLiteral("0")));
        }
    }
    return notes.take();
}

} // namespace merivox
