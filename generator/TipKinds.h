#pragma once

// The kinds of probe component, each described once. The Create command reads this table to
// dispatch and to word its success message; the editor window reads it to enable the fields
// that a kind uses and to describe its dimension drawing to a screen reader; the reader reads it
// to name a record's kind, to know the hot spot's shape words and which record an editor builds
// again. The pictures of a kind stay with the windows, keyed by TipKind.
//
// A new kind: a value of TipKind, a row of kTipKinds, its builder (Builders.cpp), how its
// dimensions are read back from its record (reader/DecodedRecord.cpp), and in the windows its
// button and its dimension drawing.

#include <array>
#include <cstdint>
#include <initializer_list>
#include <string_view>
#include <utility>

namespace merivox {

// The component kinds; each value is the kind's tip_type code.
enum class TipKind { Ball = 1, Cylinder = 2, HalfSphere = 3, Disc = 4, Cube = 5, Extension = 6 };

// What a record is, by the structure of its lines: a stylus (begintip ... endtip), a solid of faces,
// an extension (a rod with a lower connection), or nothing recognisable (an item line with nothing
// after it). The reader tells records apart by it; each kind writes one of the first three.
enum class RecordKind : std::uint8_t { Stylus, Solid, Extension, Unknown };

// The probing element of a stylus as the reader finds it: the shape word of its hot spot line,
// and HalfSphere for a ball whose head is a cut sphere. Other is a word that no kind writes.
enum class TipShape : std::uint8_t { None, Ball, HalfSphere, Shank, Disk, Other };

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
    // The kind for people (UTF-8): in the success message ("Würfel wurde erfolgreich erstellt"), the
    // viewer's list and on the data sheet.
    const char *name;
    RecordKind record;               // the structure of the record it writes
    TipShape shape = TipShape::None; // as the reader finds it in that record
    std::string_view hotSpot = {};   // the shape word its hot spot line ends with; empty without one
    bool cutSphere = false;          // its head is a cut sphere, which tells it from the kind with the same word
    DimensionSet dimensions;         // enabled and checked; every other dimension field counts as 0
    bool secondThread = false;       // "Gewinde 2" enabled, and its text checked before it is written
    bool withoutHalfSphere = false;  // "ohne Halbkugel" offered
    const char *drawing = "";        // its dimension drawing, described for a screen reader (UTF-8)
};

// In the order in which the Create command tries them: 1, 2, 3, 4, 6, 5.
inline constexpr TipKindDescription kTipKinds[] = {
    {.kind = TipKind::Ball,
     .name = "Tastkugel",
     .record = RecordKind::Stylus,
     .shape = TipShape::Ball,
     .hotSpot = "ball",
     .dimensions = {DimensionField::L1, DimensionField::L2, DimensionField::L3, DimensionField::D1, DimensionField::D2,
                    DimensionField::BallDiameter},
     .drawing = "Tastkugel in Seitenansicht, oben das Gewinde: Schaftdurchmesser D1 oben und D2; L1 bis zum Ende des "
                "oberen Zylinders, L2 bis zum Ende des Kegels, L3 von der Gewindeauflage bis zur Kugelmitte; "
                "Kugeldurchmesser"},
    {.kind = TipKind::Cylinder,
     .name = "Zylindertaster",
     .record = RecordKind::Stylus,
     .shape = TipShape::Shank,
     .hotSpot = "shank",
     .dimensions = {DimensionField::L1, DimensionField::L2, DimensionField::L3, DimensionField::D1, DimensionField::D2,
                    DimensionField::BallDiameter, DimensionField::L4},
     .withoutHalfSphere = true,
     .drawing = "Zylinder in Seitenansicht, oben das Gewinde: Durchmesser D1 und D2; L1, L2; L3 bis zum Beginn des "
                "Stifts, L4 von der Gewindeauflage bis zum abgerundeten Ende des Stifts; Kugeldurchmesser"},
    {.kind = TipKind::HalfSphere,
     .name = "Halbkugel",
     .record = RecordKind::Stylus,
     .shape = TipShape::HalfSphere,
     .hotSpot = "ball",
     .cutSphere = true,
     .dimensions = {DimensionField::L1, DimensionField::L2, DimensionField::L3, DimensionField::D1, DimensionField::D2,
                    DimensionField::BallDiameter},
     .drawing = "Halbkugel in Seitenansicht, oben das Gewinde: Durchmesser D1 und D2; L1, L2; L3 von der "
                "Gewindeauflage bis zur Halbkugel; Kugeldurchmesser"},
    {.kind = TipKind::Disc,
     .name = "Scheibentaster",
     .record = RecordKind::Stylus,
     .shape = TipShape::Disk,
     .hotSpot = "disk",
     .dimensions = {DimensionField::L1, DimensionField::L2, DimensionField::L3, DimensionField::D1, DimensionField::D2,
                    DimensionField::Length, DimensionField::Width},
     .drawing = "Scheibe in Seitenansicht, oben das Gewinde: Durchmesser D1 und D2; L1, L2; L3 von der "
                "Gewindeauflage bis zur Scheibe; Länge und Breite der Scheibe"},
    {.kind = TipKind::Extension,
     .name = "Verlängerung",
     .record = RecordKind::Extension,
     .dimensions = {DimensionField::D1, DimensionField::Length},
     .secondThread = true,
     .drawing = "Verlängerung in Seitenansicht: oben Gewinde 1, unten Gewinde 2, Durchmesser D1, die Länge an der "
                "Seite entlang"},
    {.kind = TipKind::Cube,
     .name = "Würfel",
     .record = RecordKind::Solid,
     .dimensions = {DimensionField::L1},
     .drawing = "Würfel in Seitenansicht, oben das Gewinde, darunter der Würfel: L1 ist seine Kantenlänge"},
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

// The kind whose record has this structure and probing element: the editor that builds such a
// record again. Null for a record that no kind writes.
constexpr const TipKindDescription *findRecordKind(RecordKind record, TipShape shape)
{
    for (const TipKindDescription &description : kTipKinds) {
        if (description.record == record && (record != RecordKind::Stylus || description.shape == shape)) {
            return &description;
        }
    }
    return nullptr;
}

// The hot spot's shape word of a kind; empty for a kind without a hot spot.
constexpr std::string_view hotSpotWord(TipKind kind)
{
    const TipKindDescription *description = findTipKind(kind);
    return description ? description->hotSpot : std::string_view();
}

// The shape words that hot spot lines hold, each once, with the shape the reader takes it for
// (the ball's word stands for the ball; a cut sphere in the head makes the record a half sphere).
struct HotSpotWord
{
    std::string_view word;
    TipShape shape;
};
namespace detail {
constexpr std::size_t hotSpotWordCount()
{
    std::size_t count = 0;
    for (const TipKindDescription &description : kTipKinds) {
        count += !description.hotSpot.empty() && !description.cutSphere ? 1 : 0;
    }
    return count;
}
} // namespace detail
inline constexpr auto kHotSpotWords = [] {
    std::array<HotSpotWord, detail::hotSpotWordCount()> words{};
    std::size_t i = 0;
    for (const TipKindDescription &description : kTipKinds) {
        if (!description.hotSpot.empty() && !description.cutSphere) {
            words[i++] = {description.hotSpot, description.shape};
        }
    }
    return words;
}();

namespace detail {
template <std::size_t I> constexpr bool isHotSpotWord(std::string_view word)
{
    constexpr std::string_view known = kHotSpotWords[I].word;
    return word == known;
}
template <std::size_t... I> constexpr TipShape hotSpotShape(std::string_view word, std::index_sequence<I...>)
{
    TipShape shape = TipShape::Other;
    static_cast<void>(((isHotSpotWord<I>(word) && (shape = kHotSpotWords[I].shape, true)) || ...));
    return shape;
}
} // namespace detail

// The shape that a hot spot's word names; Other for a word that no kind writes. Each word is a
// constant here, so that this is a compare of lengths and a few bytes per word: the reader's
// checker asks it for every hot spot line.
constexpr TipShape hotSpotShape(std::string_view word)
{
    return detail::hotSpotShape(word, std::make_index_sequence<kHotSpotWords.size()>());
}
static_assert(hotSpotShape("shank") == TipShape::Shank && hotSpotShape("balls") == TipShape::Other);

} // namespace merivox
