#include "RecordDrawing.h"

#include "DimensionLabels.h"
#include "PathClip.h"

#include <QFontMetricsF>
#include <QLocale>
#include <QPainter>
#include <QPolygonF>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <utility>

namespace merivox {

namespace {

QPointF sideView(double x, double z)
{
    return {x, -z};
}

QPointF unit(QPointF v, QPointF fallback)
{
    const double length = std::hypot(v.x(), v.y());
    return length > 1e-12 ? v / length : fallback;
}

// A body of revolution between two axis points, seen from the side: a quadrilateral whose ends
// are as wide as the diameters there.
QPainterPath revolved(QPointF a, QPointF b, double radiusA, double radiusB)
{
    const QPointF along = unit(b - a, {0.0, 1.0});
    const QPointF across(-along.y(), along.x());
    QPainterPath path;
    path.addPolygon(QPolygonF{a + across * radiusA, b + across * radiusB, b - across * radiusB, a - across * radiusA,
                              a + across * radiusA});
    return path;
}

// Half a circle: the side of the flat face away from the axis direction.
QPainterPath halfDisc(QPointF centre, QPointF axis, double radius)
{
    const QPointF away = -unit(axis, {0.0, -1.0});
    const QPointF across(-away.y(), away.x());
    constexpr int kSteps = 48;
    QPolygonF polygon;
    for (int i = 0; i <= kSteps; ++i) {
        const double t = std::numbers::pi * i / kSteps;
        polygon << centre + across * (radius * std::cos(t)) + away * (radius * std::sin(t));
    }
    polygon << polygon.first();
    QPainterPath path;
    path.addPolygon(polygon);
    return path;
}

constexpr double kGap = 14.0;
// The probing element gets a detail when it is smaller than this share of the overall length.
constexpr double kDetailShare = 0.05;

// Bounds that keep every paint quick whatever a file holds: a part is drawn only from numbers
// within a kilometre of the mounting point, from its first few hundred primitives, at a scale
// between these two, and only where it meets the painted area; once the filled shapes have
// covered the painted area once or twice, the rest show as plain outlines, and once the outlines
// add up to a hundred times the area's width and height, nothing more is drawn. Probe components
// are millimetres to decimetres in size and have a dozen primitives, so none of this ever
// touches a record the program writes.
constexpr double kReachMm = 1e6;
constexpr size_t kMostShapes = 256;
constexpr double kFilledAreas = 1.5;
constexpr double kOutlineLengths = 100.0;
constexpr double kLeastPixelsPerMm = 1e-3;
constexpr double kMostPixelsPerMm = 1e5;

bool allFinite(const RecordLine &line, qsizetype count)
{
    for (qsizetype i = 0; i < count; ++i) {
        if (!std::isfinite(line.value(i)) || std::abs(line.value(i)) > kReachMm) {
            return false;
        }
    }
    return true;
}

// A colour value of the file as a colour channel, however far outside 0 to 255 it lies.
int channel(double value)
{
    return int(std::clamp(value, 0.0, 255.0));
}

// Whether a shape with this bounding box in device pixels can show in the painted area.
bool showsIn(const QRectF &box, const QRectF &area)
{
    return area.isNull() || box.adjusted(-2, -2, 2, 2).intersects(area);
}

// The part of the device that a paint can reach.
QRectF paintedArea(const QPainter &painter)
{
    QRectF area = painter.hasClipping() ? painter.clipBoundingRect() : QRectF();
    if (area.isEmpty() && painter.device()) {
        area = QRectF(0, 0, painter.device()->width(), painter.device()->height());
    }
    return painter.transform().inverted().mapRect(area);
}

void arrowHead(QPainter &painter, QPointF tip, QPointF direction)
{
    const QPointF d = unit(direction, {1.0, 0.0});
    const QPointF n(-d.y(), d.x());
    constexpr double kLength = 7.0;
    constexpr double kHalfWidth = 2.5;
    painter.drawPolygon(QPolygonF{tip, tip - d * kLength + n * kHalfWidth, tip - d * kLength - n * kHalfWidth});
}

// A dimension line between two points with arrows at both ends.
void dimensionLine(QPainter &painter, QPointF a, QPointF b)
{
    painter.drawLine(a, b);
    arrowHead(painter, a, a - b);
    arrowHead(painter, b, b - a);
}

} // namespace

RecordDrawing::RecordDrawing(const QList<RecordLine> &lines)
    : m_colour(Qt::lightGray), m_dimensions(decodeRecord(lines))
{
    for (const RecordLine &line : lines) {
        if (m_shapes.size() >= kMostShapes || m_marks.size() >= kMostShapes) {
            m_complete = false;
            break;
        }
        switch (line.kind) {
        case LineKind::Color:
            ++m_colourLines;
            if (allFinite(line, 3)) {
                m_colour = QColor(channel(line.value(0)), channel(line.value(1)), channel(line.value(2)));
            }
            break;
        case LineKind::Cylinder:
        case LineKind::Cone:
            if (allFinite(line, line.kind == LineKind::Cone ? 8 : 7)) {
                const bool cone = line.kind == LineKind::Cone;
                const QPointF a = sideView(line.value(0), line.value(2));
                const QPointF b = sideView(line.value(cone ? 4 : 3), line.value(cone ? 6 : 5));
                const double d1 = std::abs(line.value(cone ? 3 : 6));
                const double d2 = std::abs(line.value(cone ? 7 : 6));
                add(revolved(a, b, d1 / 2, d2 / 2));
                if (cone) {
                    widen(d1, a.y(), true);
                    widen(d2, b.y(), true);
                } else {
                    widen(d1, (a.y() + b.y()) / 2, true);
                }
            } else {
                m_complete = false;
            }
            break;
        case LineKind::Sphere:
            if (allFinite(line, 4)) {
                const double d = std::abs(line.value(3));
                QPainterPath path;
                path.addEllipse(sideView(line.value(0), line.value(2)), d / 2, d / 2);
                add(path);
                widen(d, -line.value(2), true);
            } else {
                m_complete = false;
            }
            break;
        case LineKind::CutSphere:
            if (allFinite(line, 7)) {
                const double d = std::abs(line.value(6));
                const QPointF centre = sideView(line.value(0), line.value(2));
                add(halfDisc(centre, sideView(line.value(3), line.value(5)), d / 2));
                widen(d, centre.y(), true);
            } else {
                m_complete = false;
            }
            break;
        case LineKind::Face: {
            QPolygonF polygon;
            for (qsizetype i = 1; i + 2 < line.values.size(); i += 3) {
                if (allFinite(line, i + 3)) {
                    polygon << sideView(line.value(i), line.value(i + 2));
                }
            }
            if (polygon.size() >= 2) {
                polygon << polygon.first();
                QPainterPath path;
                path.addPolygon(polygon);
                add(path);
                const QRectF box = polygon.boundingRect();
                widen(box.width(), box.center().y(), false);
            }
            break;
        }
        case LineKind::HotSpot:
        case LineKind::LowerConnect:
        case LineKind::CubeConnect:
            if (allFinite(line, 3)) {
                m_marks.push_back({sideView(line.value(0), line.value(2)), line.kind == LineKind::HotSpot});
            }
            break;
        default:
            break;
        }
    }
}

void RecordDrawing::add(const QPainterPath &path)
{
    // Numbers at the ends of the double's range can leave a path with points that are no
    // numbers; such a shape is not drawn (a PDF would not read back with it).
    for (int i = 0; i < path.elementCount(); ++i) {
        const QPainterPath::Element element = path.elementAt(i);
        if (!std::isfinite(element.x) || !std::isfinite(element.y)) {
            return;
        }
    }
    const QRectF box = path.boundingRect();
    m_extent = m_shapes.empty() ? box : m_extent.united(box);
    m_shapes.push_back({path, m_colour});
}

void RecordDrawing::widen(double width, double atDepth, bool round)
{
    // Before the second colour: the shaft of a stylus, the rod of an extension.
    if (m_colourLines < 2 && round && width > m_shaftWidest) {
        m_shaftWidest = width;
        m_shaftWidestDepth = atDepth;
    }
    if (width > m_widest) {
        m_widest = width;
        m_widestDepth = atDepth;
        m_widestRound = round;
    }
}

double RecordDrawing::overallLength() const
{
    if (isEmpty()) {
        return 0.0;
    }
    return m_extent.bottom() - std::min(m_extent.top(), 0.0);
}

bool RecordDrawing::hasDetail() const
{
    const double element = m_dimensions.elementSize;
    return !isEmpty() && element > 0.0 && element < kDetailShare * overallLength();
}

double RecordDrawing::detailMagnification(double pixelsPerMm, double side, double paperScale) const
{
    const double element = m_dimensions.elementSize * pixelsPerMm;
    if (!(element > 0.0) || !std::isfinite(element)) {
        return 2.0;
    }
    // Bounded, so that no record asks for an endless enlargement.
    constexpr double kLargest = 1e6;
    const double wanted = std::clamp(side / 3 / element, 2.0, kLargest);
    if (paperScale > 0.0) {
        return std::max(seriesFloor(wanted * paperScale) / paperScale, 1.0);
    }
    return seriesFloor(wanted);
}

QString RecordDrawing::lengthLabel() const
{
    return QStringLiteral("L = ") + millimetresText(overallLength(), labelSeparator(m_dimensions.decimal, m_locale));
}

QString RecordDrawing::elementLabel() const
{
    // A stylus's probing element; a solid's size is its width.
    const std::optional<TipKind> kind = m_dimensions.kind;
    if (m_dimensions.elementSize <= 0.0 || !kind || findTipKind(*kind)->record != RecordKind::Stylus) {
        return {};
    }
    return QStringLiteral("Ø ") +
           millimetresText(m_dimensions.elementSize, labelSeparator(m_dimensions.decimal, m_locale));
}

QString RecordDrawing::shaftLabel() const
{
    const QChar separator = labelSeparator(m_dimensions.decimal, m_locale);
    if (!m_widestRound) {
        return QStringLiteral("B = ") + millimetresText(m_widest, separator);
    }
    // With the probing element labelled on its own, the shaft's widest diameter; else the widest.
    const double width = elementLabel().isEmpty() || m_shaftWidest <= 0.0 ? m_widest : m_shaftWidest;
    return QStringLiteral("Ø ") + millimetresText(width, separator);
}

void RecordDrawing::paint(QPainter &painter, const QPointF &origin, double pixelsPerMm) const
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    QTransform toDevice;
    toDevice.translate(origin.x(), origin.y());
    toDevice.scale(pixelsPerMm, pixelsPerMm);
    // At a fixed scale a part may reach far beyond the device: what it paints is cut to the device
    // first, as a fitted drawing is cut to its frame, so that its size costs nothing.
    paintShapes(painter, toDevice, paintedArea(painter));
    paintMarks(painter, toDevice, {});
    painter.restore();
}

void RecordDrawing::paintShapes(QPainter &painter, const QTransform &toDevice, const QRectF &window) const
{
    // Beyond the window by more than an outline's width nothing shows.
    const QRectF reach = window.adjusted(-4, -4, 4, 4);
    const QRectF area = paintedArea(painter);
    double fillable = kFilledAreas * std::max(area.width() * area.height(), 1.0);
    double strokable = kOutlineLengths * std::max(area.width() + area.height(), 1.0);
    for (const Shape &shape : m_shapes) {
        const QRectF box = toDevice.mapRect(shape.path.boundingRect());
        if (!showsIn(box, area)) {
            continue;
        }
        const QRectF covered = area.isNull() ? box : box.intersected(area);
        // No edge of the shape is longer in view than the diagonal of what it covers.
        strokable -= double(shape.path.elementCount()) * std::hypot(covered.width(), covered.height());
        if (strokable < 0) {
            break;
        }
        fillable -= covered.width() * covered.height();
        if (fillable < 0) {
            painter.setRenderHint(QPainter::Antialiasing, false);
            painter.setPen(QPen(QColor(90, 90, 90), 0.0));
            painter.setBrush(Qt::NoBrush);
            painter.drawPath(toDevice.map(shape.path));
            continue;
        }
        // Outlines in device pixels, so that they stay thin at any scale.
        const QColor outline = shape.colour.lightness() < 80 ? QColor(90, 90, 90) : shape.colour.darker(170);
        painter.setPen(QPen(outline, 1.0));
        painter.setBrush(shape.colour);
        const QPainterPath path = toDevice.map(shape.path);
        // A shape reaching far out of the window is cut to it first, so that its size costs nothing.
        const bool far = !window.isNull() && !reach.contains(path.boundingRect());
        painter.drawPath(far ? clippedToWindow(shape.path, toDevice, reach) : path);
    }
}

void RecordDrawing::paintMarks(QPainter &painter, const QTransform &toDevice, const QRectF &within) const
{
    painter.setBrush(Qt::NoBrush);
    const QRectF area = paintedArea(painter);
    for (const Mark &mark : m_marks) {
        if (!within.isNull() && !within.contains(mark.at)) {
            continue;
        }
        const QPointF at = toDevice.map(mark.at);
        if (!showsIn(QRectF(at, at), area)) {
            continue;
        }
        if (mark.hotSpot) {
            // A white cross in a black outline: one of the two stands out on any colour.
            for (const auto &[pen, arm] : {std::pair(QPen(Qt::black, 4.0, Qt::SolidLine, Qt::FlatCap), 5.0),
                                           std::pair(QPen(Qt::white, 1.5, Qt::SolidLine, Qt::FlatCap), 4.0)}) {
                painter.setPen(pen);
                painter.drawLine(at + QPointF(-arm, 0), at + QPointF(arm, 0));
                painter.drawLine(at + QPointF(0, -arm), at + QPointF(0, arm));
            }
        } else {
            painter.setPen(QPen(QColor(0, 130, 0), 1.5));
            painter.drawEllipse(at, 3.5, 3.5);
        }
    }
}

struct RecordDrawing::Layout
{
    QRectF area;   // the part and its dimensions
    QRectF detail; // the detail's box; empty without one
    double left = 0.0, right = 0.0, top = 0.0, bottom = 0.0;
};

RecordDrawing::Layout RecordDrawing::layout(const QFontMetricsF &metrics, const QRectF &target) const
{
    Layout out;
    out.area = target;
    // Room around the part: the length on the left, the diameters' labels on the right, as the
    // editor's dimension drawings place them.
    out.left = 2 * kGap + metrics.horizontalAdvance(lengthLabel()) + 4;
    out.right =
        2 * kGap + std::max(metrics.horizontalAdvance(elementLabel()), metrics.horizontalAdvance(shaftLabel())) + 4;
    out.top = kGap;
    // A solid's width is measured below it, a round part's across its widest element.
    out.bottom = m_widestRound ? kGap : 2 * kGap + 4;
    if (hasDetail()) {
        // The detail goes beside the part where the part leaves room for it, else below it; both
        // at the lower right, near the tip.
        const double titles = 2 * (metrics.height() + 4);
        const double topMm = std::min(m_extent.top(), 0.0);
        const double widthMm = std::max(m_extent.width(), 1e-6);
        const double heightMm = std::max(m_extent.bottom() - topMm, 1e-6);
        const double alone = std::min((target.width() - out.left - out.right) / widthMm,
                                      (target.height() - out.top - out.bottom) / heightMm);
        const double free = target.width() - (widthMm * std::max(alone, 0.0) + out.left + out.right);
        constexpr double kLargest = 260.0;
        constexpr double kSmallest = 60.0;
        if (free >= kSmallest + kGap) {
            const double side = std::min({free - kGap, target.height() - titles - 4, kLargest});
            if (side >= kSmallest) {
                out.detail =
                    QRectF(target.right() - side - 2, target.bottom() - side - titles - 2, side, side + titles);
                out.area.setRight(out.detail.left() - kGap / 2);
            }
        } else {
            const double side = std::min({target.width() - 4, target.height() * 0.4, kLargest});
            if (side >= kSmallest) {
                out.detail =
                    QRectF(target.right() - side - 2, target.bottom() - side - titles - 2, side, side + titles);
                out.area.setBottom(out.detail.top() - kGap / 2);
            }
        }
    }
    return out;
}

double RecordDrawing::fittedScale(const QFontMetricsF &metrics, const QRectF &target) const
{
    const Layout room = layout(metrics, target);
    const double topMm = std::min(m_extent.top(), 0.0);
    const double widthMm = std::max(m_extent.width(), 1e-6);
    const double heightMm = std::max(m_extent.bottom() - topMm, 1e-6);
    return std::clamp(std::min((room.area.width() - room.left - room.right) / widthMm,
                               (room.area.height() - room.top - room.bottom) / heightMm),
                      kLeastPixelsPerMm, kMostPixelsPerMm);
}

void RecordDrawing::paintFitted(QPainter &painter, const QRectF &target) const
{
    if (isEmpty()) {
        return;
    }
    paintScaled(painter, target, fittedScale(QFontMetricsF(painter.font()), target));
}

void RecordDrawing::paintScaled(QPainter &painter, const QRectF &target, double scale, double paperScale) const
{
    if (isEmpty()) {
        return;
    }
    const QFontMetricsF metrics(painter.font());
    const Layout room = layout(metrics, target);
    const double topMm = std::min(m_extent.top(), 0.0);
    const double widthMm = std::max(m_extent.width(), 1e-6);
    const double heightMm = std::max(m_extent.bottom() - topMm, 1e-6);
    // Never larger than a million pixels, nor than the largest scale any part is drawn at: beyond
    // that no device shows it, and the arithmetic of the positions would leave the range of a double.
    scale = std::min({scale, 1e6 / std::max(widthMm, heightMm), kMostPixelsPerMm});
    if (!(scale > 0.0) || !std::isfinite(widthMm * scale) || !std::isfinite(heightMm * scale)) {
        return;
    }

    // Centre the part and its dimensions in their area.
    const double usedWidth = widthMm * scale + room.left + room.right;
    const double usedHeight = heightMm * scale + room.top + room.bottom;
    const QPointF origin(room.area.left() + (room.area.width() - usedWidth) / 2 + room.left - m_extent.left() * scale,
                         room.area.top() + (room.area.height() - usedHeight) / 2 + room.top - topMm * scale);
    QTransform toDevice;
    toDevice.translate(origin.x(), origin.y());
    toDevice.scale(scale, scale);

    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    // Centre line of the probe axis; dashed, so only as far as the target reaches.
    painter.setPen(QPen(QColor(120, 120, 120), 1.0, Qt::DashDotLine));
    painter.drawLine(QPointF(origin.x(), std::max(origin.y() + topMm * scale - kGap / 2, target.top())),
                     QPointF(origin.x(), std::min(origin.y() + m_extent.bottom() * scale + kGap / 2, target.bottom())));
    paintShapes(painter, toDevice, target);
    paintDimensions(painter, origin, scale);
    if (!room.detail.isEmpty()) {
        const double magnification = detailMagnification(scale, room.detail.width(), paperScale);
        // The element that the detail shows, ringed.
        const QPointF element = toDevice.map(QPointF(0.0, m_dimensions.elementDepth));
        const double ring = std::max(m_dimensions.elementSize * scale / 2 + 2, 6.0);
        painter.setPen(QPen(QColor(120, 120, 120), 1.0));
        painter.setBrush(Qt::NoBrush);
        painter.drawEllipse(element, ring, ring);
        const QString title =
            QStringLiteral("Detail ") + scaleText(paperScale > 0.0 ? paperScale * magnification : magnification);
        paintDetail(painter, room.detail, scale * magnification, title);
    }
    // The hot spot last: no dimension line covers it.
    paintMarks(painter, toDevice, {});
    painter.restore();
}

void RecordDrawing::paintDimensions(QPainter &painter, QPointF origin, double scale) const
{
    const QFontMetricsF metrics(painter.font());
    const auto at = [&](double x, double y) {
        return QPointF(origin.x() + x * scale, origin.y() + y * scale);
    };
    const double partTop = origin.y() + std::min(m_extent.top(), 0.0) * scale;
    const double partBottom = origin.y() + m_extent.bottom() * scale;
    const double partLeft = origin.x() + m_extent.left() * scale;
    const double partRight = origin.x() + m_extent.right() * scale;

    // The mounting face.
    painter.setPen(QPen(Qt::black, 2.0));
    painter.drawLine(QPointF(partLeft - 6, origin.y()), QPointF(partRight + 6, origin.y()));

    const QColor dimension(42, 92, 170);
    painter.setPen(QPen(dimension, 1.0));
    painter.setBrush(dimension);
    // Overall length, on the left.
    const QString length = lengthLabel();
    const double dimX = partLeft - kGap;
    painter.drawLine(QPointF(partLeft - 3, partTop), QPointF(dimX - 4, partTop));
    painter.drawLine(QPointF(partLeft - 3, partBottom), QPointF(dimX - 4, partBottom));
    dimensionLine(painter, QPointF(dimX, partTop), QPointF(dimX, partBottom));
    painter.drawText(
        QPointF(dimX - 6 - metrics.horizontalAdvance(length), (partTop + partBottom) / 2 + metrics.ascent() / 2 - 1),
        length);

    const double labelX = partRight + kGap + 4;
    const QString shaft = shaftLabel();
    if (!m_widestRound) {
        // A solid's width, below it.
        const double dimY = partBottom + 2 * kGap;
        painter.drawLine(QPointF(partLeft, partBottom + 3), QPointF(partLeft, dimY + 4));
        painter.drawLine(QPointF(partRight, partBottom + 3), QPointF(partRight, dimY + 4));
        dimensionLine(painter, QPointF(partLeft, dimY), QPointF(partRight, dimY));
        painter.drawLine(QPointF(partRight, dimY), QPointF(partRight + kGap, dimY));
        painter.drawText(QPointF(labelX, dimY + metrics.ascent() / 2 - 1), shaft);
        return;
    }

    // A diameter across the part at a depth, its label on the right; where the part is too
    // narrow there for arrows, a leader points at its edge.
    const auto diameter = [&](double width, double depth, const QString &label, double textY) {
        const double y = at(0, depth).y();
        const QPointF left = at(-width / 2, depth);
        const QPointF right = at(width / 2, depth);
        if (right.x() - left.x() >= 16.0) {
            dimensionLine(painter, QPointF(left.x(), y), QPointF(right.x(), y));
        } else {
            arrowHead(painter, QPointF(right.x(), y), QPointF(-1.0, 0.0));
        }
        painter.drawLine(QPointF(right.x(), y), QPointF(partRight + kGap, y));
        painter.drawLine(QPointF(partRight + kGap, y), QPointF(labelX - 2, textY));
        painter.drawText(QPointF(labelX, textY + metrics.ascent() / 2 - 1), label);
    };
    const QString element = elementLabel();
    if (element.isEmpty()) {
        diameter(m_widest, m_widestDepth, shaft, at(0, m_widestDepth).y());
        return;
    }
    const double elementY = at(0, m_dimensions.elementDepth).y();
    diameter(m_dimensions.elementSize, m_dimensions.elementDepth, element, elementY);
    if (m_shaftWidest > 0.0) {
        // The shaft's label keeps a line's height away from the element's.
        double shaftY = at(0, m_shaftWidestDepth).y();
        const double apart = metrics.height() + 2;
        if (std::abs(shaftY - elementY) < apart) {
            shaftY = elementY + (shaftY <= elementY ? -apart : apart);
        }
        diameter(m_shaftWidest, m_shaftWidestDepth, shaft, shaftY);
    }
}

} // namespace merivox
