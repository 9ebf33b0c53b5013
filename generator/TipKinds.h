#pragma once

// The kinds of probe component, each described once. The Create command reads this table to
// dispatch and to word its success message; the editor window reads it to enable the fields
// that a kind uses. The pictures of a kind stay with the windows, keyed by TipKind.
//
// A new kind: a value of TipKind, a row of kTipKinds, its builder (Builders.cpp), and in the
// windows its button and its dimension drawing.

#include <cstdint>
#include <initializer_list>

namespace merivox {

// The component kinds; each value is the kind's tip_type code.
enum class TipKind { Ball = 1, Cylinder = 2, HalfSphere = 3, Disc = 4, Cube = 5, Extension = 6 };

// The dimension fields, in the order in which they are checked.
enum class DimensionField { L1, L2, L3, D1, D2, BallDiameter, Length, Width, L4 };
inline constexpr DimensionField kDimensionFields[] = {
    DimensionField::L1,           DimensionField::L2,     DimensionField::L3,    DimensionField::D1, DimensionField::D2,
    DimensionField::BallDiameter, DimensionField::Length, DimensionField::Width, DimensionField::L4,
};

// A set of dimension fields.
class DimensionSet final
{
public:
    // Not explicit: a row of the table lists its fields in braces.
    constexpr DimensionSet(std::initializer_list<DimensionField> fields)
    {
        for (const DimensionField field : fields) {
            m_bits |= bit(field);
        }
    }
    constexpr bool contains(DimensionField field) const { return (m_bits & bit(field)) != 0; }

private:
    static constexpr std::uint32_t bit(DimensionField field) { return std::uint32_t(1) << unsigned(field); }
    std::uint32_t m_bits = 0;
};

struct TipKindDescription
{
    TipKind kind;
    const char *success;            // shown once the record is in the file (UTF-8)
    DimensionSet dimensions;        // enabled and checked; every other dimension field counts as 0
    bool secondThread = false;      // "Gewinde 2" enabled, and its text checked before it is written
    bool withoutHalfSphere = false; // "ohne Halbkugel" offered
};

// In the order in which the Create command tries them: 1, 2, 3, 4, 6, 5.
inline constexpr TipKindDescription kTipKinds[] = {
    {.kind = TipKind::Ball,
     .success = "Tastkugel wurde erfolgreich erstellt",
     .dimensions = {DimensionField::L1, DimensionField::L2, DimensionField::L3, DimensionField::D1, DimensionField::D2,
                    DimensionField::BallDiameter}},
    {.kind = TipKind::Cylinder,
     .success = "Zylindertaster wurde erfolgreich erstellt",
     .dimensions = {DimensionField::L1, DimensionField::L2, DimensionField::L3, DimensionField::D1, DimensionField::D2,
                    DimensionField::BallDiameter, DimensionField::L4},
     .withoutHalfSphere = true},
    {.kind = TipKind::HalfSphere,
     .success = "Halbkugel wurde erfolgreich erstellt",
     .dimensions = {DimensionField::L1, DimensionField::L2, DimensionField::L3, DimensionField::D1, DimensionField::D2,
                    DimensionField::BallDiameter}},
    {.kind = TipKind::Disc,
     .success = "Scheibentaster wurde erfolgreich erstellt",
     .dimensions = {DimensionField::L1, DimensionField::L2, DimensionField::L3, DimensionField::D1, DimensionField::D2,
                    DimensionField::Length, DimensionField::Width}},
    {.kind = TipKind::Extension,
     .success = "Verlängerung wurde erfolgreich erstellt",
     .dimensions = {DimensionField::D1, DimensionField::Length},
     .secondThread = true},
    {.kind = TipKind::Cube, .success = "Würfel wurde erfolgreich erstellt", .dimensions = {DimensionField::L1}},
};

// The description of a kind, or null for a value outside the table.
constexpr const TipKindDescription *findTipKind(TipKind kind)
{
    for (const TipKindDescription &description : kTipKinds) {
        if (description.kind == kind) {
            return &description;
        }
    }
    return nullptr;
}

} // namespace merivox
