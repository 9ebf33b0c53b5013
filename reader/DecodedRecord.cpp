#include "DecodedRecord.h"

#include <cmath>

namespace merivox {

namespace {

using F = DimensionField;

constexpr const char16_t *kCaptions[] = {u"L1",    u"L2",     u"L3", u"D1", u"D2", u"Kugeldurchmesser",
                                         u"Länge", u"Breite", u"L4"};
static_assert(std::size(kCaptions) == std::size(kDimensionFields));

// The order in which the drawing's labels and the data sheet list them: the editor's.
constexpr DimensionField kListed[] = {F::L1, F::L2, F::L3, F::L4, F::D1, F::D2, F::BallDiameter, F::Length, F::Width};
static_assert(std::size(kListed) == std::size(kDimensionFields));

// A piece of a line, as a computed number or a fixed text; empty and NaN past the line's end.
DecodedDimension piece(const RecordTokens *line, qsizetype i)
{
    if (!line || i >= line->size()) {
        return {};
    }
    QString text = line->at(i);
    return {text, text, line->value(i)};
}

// A size written as typed: with the blanks around it.
DecodedDimension typedPiece(const RecordTokens *line, qsizetype i)
{
    DecodedDimension out = piece(line, i);
    out.typed = line && i < line->size() ? line->typed(i) : QString();
    return out;
}

// A length measured downwards from the mounting face, from the position that the record holds:
// its negation, made on the text ("-12,5" gives "12,5", "0" stays "0", "7" gives "-7").
DecodedDimension depthOf(const DecodedDimension &position)
{
    QString text = position.text;
    if (text.startsWith(u'-')) {
        text.remove(0, 1);
    } else if (text.startsWith(u'+')) {
        text.replace(0, 1, u'-');
    } else if (position.value != 0.0 && !text.isEmpty()) {
        text.prepend(u'-');
    }
    return {text, text, position.value == 0.0 ? 0.0 : -position.value};
}

std::optional<Rgb> colourOf(const RecordTokens &line)
{
    for (qsizetype i = 1; i <= 3; ++i) {
        const double v = line.value(i);
        if (!std::isfinite(v) || v < 0 || v > 255 || v != std::floor(v)) {
            return std::nullopt;
        }
    }
    return Rgb{int(line.value(1)), int(line.value(2)), int(line.value(3))};
}

double finiteOr0(double value)
{
    return std::isfinite(value) ? value : 0.0;
}

// The stylus kind that a hot spot's shape word names, told apart by a cut sphere in the head
// where two kinds write the same word; a cut sphere alone names the kind whose head it is.
std::optional<TipKind> stylusKind(const QString &word, bool cutSphere)
{
    const TipKindDescription *byWord = nullptr;
    const TipKindDescription *byCut = nullptr;
    for (const TipKindDescription &kind : kTipKinds) {
        if (kind.record != RecordKind::Stylus) {
            continue;
        }
        const bool sameWord =
            !kind.hotSpot.empty() && word == QLatin1StringView(kind.hotSpot.data(), qsizetype(kind.hotSpot.size()));
        if (sameWord && (!byWord || (kind.cutSphere == cutSphere && byWord->cutSphere != cutSphere))) {
            byWord = &kind;
        }
        if (cutSphere && kind.cutSphere && !byCut) {
            byCut = &kind;
        }
    }
    const TipKindDescription *found = byWord ? byWord : byCut;
    return found ? std::optional(found->kind) : std::nullopt;
}

// The reading rules per structure and kind: which line and field holds which dimension.
class Decoder final
{
public:
    Decoder(const QList<RecordTokens> &lines, const DecodeOptions &options, DecodedRecord &out)
        : m_lines(lines), m_options(options), m_out(out)
    {}

    void run()
    {
        countSeparators();
        for (qsizetype i = 1, n = 0; i < m_lines.size() && n < 2; ++i) {
            if (m_lines[i].keyword() == u"Color") {
                m_out.colourLines[n++] = i;
            }
        }
        if (m_out.colourLines[0] > 0) {
            m_out.shaftColour = colourOf(m_lines[m_out.colourLines[0]]);
        }
        if (m_out.colourLines[1] > 0) {
            m_out.ballColour = colourOf(m_lines[m_out.colourLines[1]]);
        }
        RecordKind record = RecordKind::Unknown;
        if (m_options.as) {
            record = findTipKind(*m_options.as)->record;
        } else if (find(u"begintip")) {
            record = RecordKind::Stylus;
        } else if (find(u"solid")) {
            record = RecordKind::Solid;
        } else if (find(u"connect") || find(u"cylinder")) {
            record = RecordKind::Extension;
        }
        switch (record) {
        case RecordKind::Stylus:
            stylus();
            break;
        case RecordKind::Solid:
            cube();
            break;
        case RecordKind::Extension:
            extension();
            break;
        case RecordKind::Unknown:
            break;
        }
    }

private:
    const RecordTokens *find(const char16_t *keyword, qsizetype from = 1) const
    {
        for (qsizetype i = from; i < m_lines.size(); ++i) {
            if (m_lines[i].keyword() == QStringView(keyword)) {
                return &m_lines[i];
            }
        }
        return nullptr;
    }

    void set(DimensionField field, const DecodedDimension &dimension) { m_out.dimensions[size_t(field)] = dimension; }

    // The numbers with a point or a comma; the thread of a connection is no number.
    void countSeparators()
    {
        for (qsizetype l = 1; l < m_lines.size(); ++l) {
            const RecordTokens &line = m_lines[l];
            const qsizetype numbers = line.keyword().compare(u"connect", Qt::CaseInsensitive) == 0 ? 7 : line.size();
            for (qsizetype i = 1; i < std::min(numbers, line.size()); ++i) {
                const QString piece = line.at(i);
                const bool point = piece.contains(u'.');
                const bool comma = piece.contains(u',');
                if ((point || comma) && !std::isnan(line.value(i))) {
                    m_out.points += point ? 1 : 0;
                    m_out.commas += comma ? 1 : 0;
                }
            }
        }
        m_out.decimal = m_out.points > 0 ? (m_out.commas > 0 ? Decimal::Mixed : Decimal::Point)
                                         : (m_out.commas > 0 ? Decimal::Comma : Decimal::None);
    }

    void stylus()
    {
        // The shaft's primitives stand before the second Color line, the head's after it.
        const qsizetype headFrom = m_out.colourLines[1] > 0 ? m_out.colourLines[1] + 1 : m_lines.size();
        const RecordTokens *first = nullptr;
        const RecordTokens *cone = nullptr;
        const RecordTokens *neck = nullptr;
        for (qsizetype i = 1; i < headFrom; ++i) {
            const RecordTokens &line = m_lines[i];
            if (line.keyword() == u"cone") {
                cone = &line;
            } else if (line.keyword() == u"cylinder") {
                (cone || first ? neck : first) = &line;
            }
        }
        const RecordTokens *hotSpot = find(u"hotspot");
        const RecordTokens *sphere = find(u"sphere", headFrom);
        const RecordTokens *cutSphere = find(u"cutsphere", headFrom);
        const RecordTokens *headCylinder = find(u"cylinder", headFrom);
        const std::optional<TipKind> kind = m_options.as ? m_options.as : stylusKind(piece(hotSpot, 9).text, cutSphere);
        m_out.kind = kind;

        // Where the head begins: the neck ends there.
        DecodedDimension headStart;
        if (kind == TipKind::Cylinder || kind == TipKind::Disc) {
            headStart = piece(headCylinder, 3);
        } else if (kind == TipKind::HalfSphere) {
            headStart = piece(cutSphere, 3);
        } else if (kind == TipKind::Ball) {
            headStart = piece(sphere ? sphere : hotSpot, 3);
        }
        // A lone cylinder is the neck when it runs down to the head; the upper cylinder otherwise.
        if (first && !neck && !cone && (piece(first, 6).value == headStart.value) != m_options.otherLoneCylinder) {
            neck = first;
            first = nullptr;
        }
        m_out.shaft = first || cone || neck;

        const DecodedDimension zero{QStringLiteral("0"), QStringLiteral("0"), 0.0};
        const DecodedDimension D1 = first ? typedPiece(first, 7) : cone ? typedPiece(cone, 4) : typedPiece(neck, 7);
        set(F::L1, first ? depthOf(piece(first, 6)) : cone ? depthOf(piece(cone, 3)) : zero);
        set(F::L2, cone ? depthOf(piece(cone, 7)) : neck ? depthOf(piece(neck, 3)) : zero);
        set(F::D1, D1);
        set(F::D2, cone ? typedPiece(cone, 8) : neck ? typedPiece(neck, 7) : D1);

        const DecodedDimension hotSpotDepth = depthOf(piece(hotSpot, 3));
        m_out.elementDepth = finiteOr0(hotSpotDepth.value);
        if (!kind) {
            return;
        }
        // The probing element's size across, from its head primitive, else from the hot spot.
        DecodedDimension size;
        switch (*kind) {
        case TipKind::Ball:
            set(F::L3, sphere ? depthOf(piece(sphere, 3)) : hotSpotDepth);
            size = sphere ? typedPiece(sphere, 4) : piece(hotSpot, 7);
            set(F::BallDiameter, size);
            break;
        case TipKind::HalfSphere:
            set(F::L3, cutSphere ? depthOf(piece(cutSphere, 3)) : hotSpotDepth);
            size = cutSphere ? typedPiece(cutSphere, 7) : piece(hotSpot, 7);
            set(F::BallDiameter, size);
            break;
        case TipKind::Cylinder:
            set(F::L3, depthOf(piece(headCylinder, 3)));
            set(F::L4, headCylinder ? depthOf(piece(headCylinder, 6)) : hotSpotDepth);
            size = headCylinder ? typedPiece(headCylinder, 7) : piece(hotSpot, 7);
            set(F::BallDiameter, size);
            m_out.withoutRoundEnd = sphere == nullptr;
            break;
        case TipKind::Disc:
            set(F::L3, depthOf(piece(headCylinder, 6)));
            size = headCylinder ? typedPiece(headCylinder, 7) : piece(hotSpot, 7);
            set(F::Length, size);
            if (hotSpot) {
                DecodedDimension width = piece(hotSpot, 8);
                // The width follows the diameter, which is known to its last blank.
                const QString before = QStringLiteral("hotspot 0 0 %1 0 0 1 %2 ").arg(hotSpot->at(3), size.typed);
                const QString after = QStringLiteral(" disk");
                const QString &line = hotSpot->line();
                if (line.startsWith(before) && line.endsWith(after) && line.size() > before.size() + after.size()) {
                    width.typed = line.sliced(before.size(), line.size() - before.size() - after.size());
                }
                set(F::Width, width);
            }
            break;
        case TipKind::Cube:
        case TipKind::Extension:
            break;
        }
        m_out.elementSize = std::abs(finiteOr0(size.value));
    }

    void cube()
    {
        m_out.kind = TipKind::Cube;
        // The bottom connection lies at -L1; without connections the lowest corner of a face.
        DecodedDimension bottom;
        if (const RecordTokens *connect = find(u"Connect")) {
            bottom = piece(connect, 3);
        } else {
            double lowest = 0.0;
            for (const RecordTokens &line : m_lines) {
                if (line.keyword() != u"face") {
                    continue;
                }
                for (qsizetype i = 4; i < line.size(); i += 3) {
                    const double z = line.value(i);
                    if (std::isfinite(z) && z < lowest) {
                        lowest = z;
                        bottom = piece(&line, i);
                    }
                }
            }
        }
        const DecodedDimension edge = depthOf(bottom);
        set(F::L1, edge);
        m_out.elementSize = std::abs(finiteOr0(edge.value));
        m_out.elementDepth = m_out.elementSize / 2;
    }

    void extension()
    {
        m_out.kind = TipKind::Extension;
        const RecordTokens *rod = find(u"cylinder");
        set(F::D1, typedPiece(rod, 7));
        set(F::Length, depthOf(piece(rod, 6)));
        if (const RecordTokens *connect = find(u"connect")) {
            m_out.thread2 = connect->restAfter(6);
        }
    }

    const QList<RecordTokens> &m_lines;
    const DecodeOptions &m_options;
    DecodedRecord &m_out;
};

} // namespace

QList<LabelledDimension> DecodedRecord::labelled() const
{
    QList<LabelledDimension> out;
    for (const DimensionField field : kListed) {
        const DecodedDimension &dimension = (*this)[field];
        if (!dimension.text.isEmpty()) {
            out.append({dimensionCaption(field), dimension.text, dimension.value});
        }
    }
    return out;
}

DecodedRecord decodeRecord(const QList<RecordTokens> &lines, const DecodeOptions &options)
{
    DecodedRecord out;
    Decoder(lines, options, out).run();
    return out;
}

DecodedRecord decodeRecord(const QList<RecordLine> &lines)
{
    QList<RecordTokens> tokens;
    tokens.reserve(lines.size());
    for (const RecordLine &line : lines) {
        tokens.append(RecordTokens(line));
    }
    return decodeRecord(tokens);
}

QString dimensionCaption(DimensionField field)
{
    return QString::fromUtf16(kCaptions[size_t(field)]);
}

QString kindName(std::optional<TipKind> kind)
{
    const TipKindDescription *description = kind ? findTipKind(*kind) : nullptr;
    return description ? QString::fromUtf8(description->name) : QStringLiteral("Teil");
}

} // namespace merivox
