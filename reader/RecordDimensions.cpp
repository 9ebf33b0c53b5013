#include "RecordDimensions.h"

#include <cmath>

namespace merivox {

namespace {

// A record line's field, with its number; absent fields read as NaN and an empty text.
struct Field
{
    QString text;
    double value = qQNaN();
};

Field fieldOf(const RecordLine *line, qsizetype i)
{
    if (!line || i >= line->fields.size()) {
        return {};
    }
    return {line->fields.at(i), line->value(i)};
}

// A length measured downwards from the mounting face, from the position that the record holds:
// its negation, made on the text ("-12,5" gives "12,5", "0" stays "0", "7" gives "-7").
Field depthOf(const Field &position)
{
    QString text = position.text;
    if (text.startsWith(QLatin1Char('-'))) {
        text.remove(0, 1);
    } else if (text.startsWith(QLatin1Char('+'))) {
        text.replace(0, 1, QLatin1Char('-'));
    } else if (position.value != 0.0 && !text.isEmpty()) {
        text.prepend(QLatin1Char('-'));
    }
    return {text, position.value == 0.0 ? 0.0 : -position.value};
}

std::optional<Rgb> colourOf(const RecordLine &line)
{
    for (qsizetype i = 0; i < 3; ++i) {
        const double v = line.value(i);
        if (!std::isfinite(v) || v < 0 || v > 255 || v != std::floor(v)) {
            return std::nullopt;
        }
    }
    return Rgb{int(line.value(0)), int(line.value(1)), int(line.value(2))};
}

double finiteOr0(double value)
{
    return std::isfinite(value) ? value : 0.0;
}

class Recovery final
{
public:
    explicit Recovery(ComponentDimensions &out) : m_out(out) {}

    void add(const char16_t *label, const Field &field)
    {
        if (!field.text.isEmpty()) {
            m_out.dimensions.append({QString::fromUtf16(label), field.text, field.value});
        }
    }

    void stylus(const QList<RecordLine> &lines, const RecordLine *hotSpot)
    {
        // The shaft's primitives stand between the two Color lines, the head's after the second.
        QList<const RecordLine *> shaft;
        QList<const RecordLine *> head;
        int colours = 0;
        for (const RecordLine &line : lines) {
            if (line.kind == LineKind::Color) {
                ++colours;
            } else if (line.kind == LineKind::Cylinder || line.kind == LineKind::Cone ||
                       line.kind == LineKind::Sphere || line.kind == LineKind::CutSphere) {
                (colours >= 2 ? head : shaft).append(&line);
            }
        }
        const auto headOf = [&](LineKind kind) -> const RecordLine * {
            for (const RecordLine *line : head) {
                if (line->kind == kind) {
                    return line;
                }
            }
            return nullptr;
        };
        const RecordLine *sphere = headOf(LineKind::Sphere);
        const RecordLine *cutSphere = headOf(LineKind::CutSphere);
        const RecordLine *headCylinder = headOf(LineKind::Cylinder);
        const QString shape = hotSpot && hotSpot->fields.size() > 8 ? hotSpot->fields.at(8) : QString();

        // Where the head begins: the neck ends there.
        Field headStart;
        if (shape == QLatin1String("shank") || shape == QLatin1String("disk")) {
            m_out.kind = shape == QLatin1String("shank") ? ComponentKind::Cylinder : ComponentKind::Disc;
            headStart = fieldOf(headCylinder, 2);
        } else if (cutSphere) {
            m_out.kind = ComponentKind::HalfSphere;
            headStart = fieldOf(cutSphere, 2);
        } else if (shape == QLatin1String("ball")) {
            m_out.kind = ComponentKind::Ball;
            headStart = fieldOf(sphere ? sphere : hotSpot, 2);
        }

        const RecordLine *first = nullptr;
        const RecordLine *cone = nullptr;
        const RecordLine *neck = nullptr;
        for (const RecordLine *line : shaft) {
            if (line->kind == LineKind::Cone) {
                cone = line;
            } else if (line->kind == LineKind::Cylinder) {
                (cone || first ? neck : first) = line;
            }
        }
        // A lone cylinder is the neck when it runs down to the head; the first cylinder otherwise.
        if (first && !neck && !cone && fieldOf(first, 5).value == headStart.value) {
            neck = first;
            first = nullptr;
        }

        const Field L1 = first  ? depthOf(fieldOf(first, 5))
                         : cone ? depthOf(fieldOf(cone, 2))
                                : Field{QStringLiteral("0"), 0.0};
        const Field L2 = cone   ? depthOf(fieldOf(cone, 6))
                         : neck ? depthOf(fieldOf(neck, 2))
                                : Field{QStringLiteral("0"), 0.0};
        const Field D1 = first ? fieldOf(first, 6) : cone ? fieldOf(cone, 3) : fieldOf(neck, 6);
        const Field D2 = cone ? fieldOf(cone, 7) : neck ? fieldOf(neck, 6) : D1;
        add(u"L1", L1);
        add(u"L2", L2);

        const Field hotSpotDepth = depthOf(fieldOf(hotSpot, 2));
        m_out.elementDepth = finiteOr0(hotSpotDepth.value);
        switch (m_out.kind) {
        case ComponentKind::Ball:
        case ComponentKind::HalfSphere: {
            const Field diameter = sphere      ? fieldOf(sphere, 3)
                                   : cutSphere ? fieldOf(cutSphere, 6)
                                               : fieldOf(hotSpot, 6);
            add(u"L3", hotSpotDepth);
            add(u"D1", D1);
            add(u"D2", D2);
            add(u"Kugeldurchmesser", diameter);
            m_out.elementSize = std::abs(finiteOr0(diameter.value));
            break;
        }
        case ComponentKind::Cylinder: {
            const Field diameter = fieldOf(headCylinder, 6);
            add(u"L3", depthOf(fieldOf(headCylinder, 2)));
            add(u"L4", hotSpotDepth);
            add(u"D1", D1);
            add(u"D2", D2);
            add(u"Kugeldurchmesser", diameter);
            m_out.withoutRoundEnd = sphere == nullptr;
            m_out.elementSize = std::abs(finiteOr0(diameter.value));
            break;
        }
        case ComponentKind::Disc: {
            const Field diameter = fieldOf(headCylinder, 6);
            add(u"L3", depthOf(fieldOf(headCylinder, 5)));
            add(u"D1", D1);
            add(u"D2", D2);
            add(u"Länge", diameter);
            add(u"Breite", fieldOf(hotSpot, 7));
            m_out.elementSize = std::abs(finiteOr0(diameter.value));
            break;
        }
        default:
            add(u"D1", D1);
            add(u"D2", D2);
            break;
        }
    }

    void cube(const QList<RecordLine> &lines)
    {
        m_out.kind = ComponentKind::Cube;
        // The edge is the depth of the bottom face, the lowest corner; h is half of it.
        Field bottom;
        double lowest = 0.0;
        for (const RecordLine &line : lines) {
            if (line.kind != LineKind::Face) {
                continue;
            }
            for (qsizetype i = 3; i < line.values.size(); i += 3) {
                const double z = line.value(i);
                if (std::isfinite(z) && z < lowest) {
                    lowest = z;
                    bottom = {line.fields.at(i), z};
                }
            }
        }
        const Field edge = depthOf(bottom);
        add(u"L1", edge);
        m_out.elementSize = std::abs(finiteOr0(edge.value));
        m_out.elementDepth = m_out.elementSize / 2;
    }

    void extension(const RecordLine *rod, const RecordLine *connect)
    {
        m_out.kind = ComponentKind::Extension;
        add(u"D1", fieldOf(rod, 6));
        add(u"Länge", depthOf(fieldOf(rod, 5)));
        if (connect && connect->fields.size() > 6) {
            m_out.thread2 = connect->fields.at(6);
        }
    }

private:
    ComponentDimensions &m_out;
};

} // namespace

const RecoveredDimension *ComponentDimensions::find(QStringView label) const
{
    for (const RecoveredDimension &dimension : dimensions) {
        if (dimension.label == label) {
            return &dimension;
        }
    }
    return nullptr;
}

Decimal decimalOf(const QList<RecordLine> &lines)
{
    bool point = false;
    bool comma = false;
    for (const RecordLine &line : lines) {
        if (line.kind == LineKind::Item) {
            continue;
        }
        for (qsizetype i = 0; i < line.fields.size(); ++i) {
            if (!std::isnan(line.value(i))) {
                point = point || line.fields.at(i).contains(QLatin1Char('.'));
                comma = comma || line.fields.at(i).contains(QLatin1Char(','));
            }
        }
    }
    return point ? (comma ? Decimal::Mixed : Decimal::Point) : (comma ? Decimal::Comma : Decimal::None);
}

ComponentDimensions recoverDimensions(const QList<RecordLine> &lines)
{
    ComponentDimensions out;
    out.decimal = decimalOf(lines);
    bool begin = false;
    bool solid = false;
    const RecordLine *hotSpot = nullptr;
    const RecordLine *firstCylinder = nullptr;
    const RecordLine *connect = nullptr;
    int colours = 0;
    for (const RecordLine &line : lines) {
        switch (line.kind) {
        case LineKind::BeginTip:
            begin = true;
            break;
        case LineKind::Solid:
            solid = true;
            break;
        case LineKind::HotSpot:
            hotSpot = hotSpot ? hotSpot : &line;
            break;
        case LineKind::Cylinder:
            firstCylinder = firstCylinder ? firstCylinder : &line;
            break;
        case LineKind::LowerConnect:
            connect = connect ? connect : &line;
            break;
        case LineKind::Color:
            if (colours++ == 0) {
                out.shaftColour = colourOf(line);
            } else if (colours == 2) {
                out.ballColour = colourOf(line);
            }
            break;
        default:
            break;
        }
    }
    Recovery recovery(out);
    if (begin) {
        recovery.stylus(lines, hotSpot);
    } else if (solid) {
        recovery.cube(lines);
    } else if (connect || firstCylinder) {
        recovery.extension(firstCylinder, connect);
    }
    return out;
}

QString componentKindText(ComponentKind kind)
{
    switch (kind) {
    case ComponentKind::Ball:
        return QStringLiteral("Tastkugel");
    case ComponentKind::Cylinder:
        return QStringLiteral("Zylindertaster");
    case ComponentKind::HalfSphere:
        return QStringLiteral("Halbkugel");
    case ComponentKind::Disc:
        return QStringLiteral("Scheibentaster");
    case ComponentKind::Cube:
        return QStringLiteral("Würfel");
    case ComponentKind::Extension:
        return QStringLiteral("Verlängerung");
    case ComponentKind::Other:
        break;
    }
    return QStringLiteral("Teil");
}

} // namespace merivox
