#include "RecordDrawing.h"

#include <QFontMetricsF>
#include <QLocale>
#include <QPainter>
#include <QPolygonF>

#include <algorithm>
#include <cmath>
#include <numbers>

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

QString millimetres(double value)
{
    QLocale german(QLocale::German, QLocale::Germany);
    german.setNumberOptions(QLocale::OmitGroupSeparator);
    return german.toString(value, 'g', 6) + QStringLiteral(" mm");
}

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

RecordDrawing::RecordDrawing(const QList<RecordLine> &lines) : m_colour(Qt::lightGray)
{
    for (const RecordLine &line : lines) {
        if (m_shapes.size() >= kMostShapes || m_marks.size() >= kMostShapes) {
            break;
        }
        switch (line.kind) {
        case LineKind::Color:
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
            }
            break;
        case LineKind::Sphere:
            if (allFinite(line, 4)) {
                const double d = std::abs(line.value(3));
                QPainterPath path;
                path.addEllipse(sideView(line.value(0), line.value(2)), d / 2, d / 2);
                add(path);
                widen(d, -line.value(2), true);
            }
            break;
        case LineKind::CutSphere:
            if (allFinite(line, 7)) {
                const double d = std::abs(line.value(6));
                const QPointF centre = sideView(line.value(0), line.value(2));
                add(halfDisc(centre, sideView(line.value(3), line.value(5)), d / 2));
                widen(d, centre.y(), true);
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
    const QRectF box = path.boundingRect();
    m_extent = m_shapes.empty() ? box : m_extent.united(box);
    m_shapes.push_back({path, m_colour});
}

void RecordDrawing::widen(double width, double atDepth, bool round)
{
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

void RecordDrawing::paint(QPainter &painter, const QPointF &origin, double pixelsPerMm) const
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    QTransform toDevice;
    toDevice.translate(origin.x(), origin.y());
    toDevice.scale(pixelsPerMm, pixelsPerMm);
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
        painter.drawPath(toDevice.map(shape.path));
    }
    painter.setBrush(Qt::NoBrush);
    for (const Mark &mark : m_marks) {
        const QPointF at = toDevice.map(mark.at);
        if (!showsIn(QRectF(at, at), area)) {
            continue;
        }
        if (mark.hotSpot) {
            painter.setPen(QPen(Qt::white, 1.5));
            painter.drawLine(at + QPointF(-5, 0), at + QPointF(5, 0));
            painter.drawLine(at + QPointF(0, -5), at + QPointF(0, 5));
        } else {
            painter.setPen(QPen(QColor(0, 130, 0), 1.5));
            painter.drawEllipse(at, 3.5, 3.5);
        }
    }
    painter.restore();
}

void RecordDrawing::paintFitted(QPainter &painter, const QRectF &target) const
{
    if (isEmpty()) {
        return;
    }
    const QFontMetricsF metrics(painter.font());
    const QString lengthLabel = QStringLiteral("L = ") + millimetres(overallLength());
    const QString widthLabel = (m_widestRound ? QStringLiteral("Ø ") : QStringLiteral("B = ")) + millimetres(m_widest);

    // Room around the part: the length on the left, the width's label on the right, as the
    // editor's dimension drawings place them.
    constexpr double kGap = 14.0;
    const double left = 2 * kGap + metrics.horizontalAdvance(lengthLabel) + 4;
    const double right = 2 * kGap + metrics.horizontalAdvance(widthLabel) + 4;
    const double top = kGap;
    // A solid's width is measured below it, a round part's across its widest element.
    const double bottom = m_widestRound ? kGap : 2 * kGap + 4;

    const double topMm = std::min(m_extent.top(), 0.0);
    const double widthMm = std::max(m_extent.width(), 1e-6);
    const double heightMm = std::max(m_extent.bottom() - topMm, 1e-6);
    const double scale = std::clamp(
        std::min((target.width() - left - right) / widthMm, (target.height() - top - bottom) / heightMm),
        kLeastPixelsPerMm, kMostPixelsPerMm);

    // Centre the part and its dimensions in the target.
    const double usedWidth = widthMm * scale + left + right;
    const double usedHeight = heightMm * scale + top + bottom;
    const double x0 = target.left() + (target.width() - usedWidth) / 2 + left - m_extent.left() * scale;
    const double y0 = target.top() + (target.height() - usedHeight) / 2 + top - topMm * scale;
    const auto at = [&](double x, double y) {
        return QPointF(x0 + x * scale, y0 + y * scale);
    };
    const double partTop = y0 + topMm * scale;
    const double partBottom = y0 + m_extent.bottom() * scale;
    const double partLeft = x0 + m_extent.left() * scale;
    const double partRight = x0 + m_extent.right() * scale;

    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    // Centre line of the probe axis, and the mounting face.
    painter.setPen(QPen(QColor(120, 120, 120), 1.0, Qt::DashDotLine));
    painter.drawLine(QPointF(x0, partTop - kGap / 2), QPointF(x0, partBottom + kGap / 2));
    paint(painter, QPointF(x0, y0), scale);
    painter.setPen(QPen(Qt::black, 2.0));
    painter.drawLine(QPointF(partLeft - 6, y0), QPointF(partRight + 6, y0));

    const QColor dimension(42, 92, 170);
    painter.setPen(QPen(dimension, 1.0));
    painter.setBrush(dimension);
    // Overall length, on the left.
    const double dimX = partLeft - kGap;
    painter.drawLine(QPointF(partLeft - 3, partTop), QPointF(dimX - 4, partTop));
    painter.drawLine(QPointF(partLeft - 3, partBottom), QPointF(dimX - 4, partBottom));
    dimensionLine(painter, QPointF(dimX, partTop), QPointF(dimX, partBottom));
    painter.drawText(QPointF(dimX - 6 - metrics.horizontalAdvance(lengthLabel),
                             (partTop + partBottom) / 2 + metrics.ascent() / 2 - 1),
                     lengthLabel);

    // Largest width, its label on the right.
    const double xLeft = m_widestRound ? at(-m_widest / 2, 0).x() : partLeft;
    const double xRight = m_widestRound ? at(m_widest / 2, 0).x() : partRight;
    const double dimY = m_widestRound ? at(0, m_widestDepth).y() : partBottom + 2 * kGap;
    if (!m_widestRound) {
        painter.drawLine(QPointF(partLeft, partBottom + 3), QPointF(partLeft, dimY + 4));
        painter.drawLine(QPointF(partRight, partBottom + 3), QPointF(partRight, dimY + 4));
    }
    dimensionLine(painter, QPointF(xLeft, dimY), QPointF(xRight, dimY));
    painter.drawLine(QPointF(xRight, dimY), QPointF(partRight + kGap, dimY));
    painter.drawText(QPointF(partRight + kGap + 4, dimY + metrics.ascent() / 2 - 1), widthLabel);
    painter.restore();
}

} // namespace merivox
