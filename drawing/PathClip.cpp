#include "PathClip.h"

#include <algorithm>
#include <cmath>

namespace merivox {

namespace {

// One edge of the window, as the line a . p >= limit.
struct Edge
{
    QPointF normal;
    double limit;
};

// The polygon cut to the window (Sutherland-Hodgman). Corners are first pulled into a margin
// around the window, so that far-away corners cannot overflow the arithmetic.
QPolygonF clipped(const QPolygonF &polygon, const QRectF &window)
{
    const double margin = 1e4 * std::max(window.width(), window.height());
    QPolygonF out;
    out.reserve(polygon.size());
    for (const QPointF &p : polygon) {
        out << QPointF(std::clamp(p.x(), window.left() - margin, window.right() + margin),
                       std::clamp(p.y(), window.top() - margin, window.bottom() + margin));
    }
    const Edge edges[] = {
        {{1, 0}, window.left()}, {{-1, 0}, -window.right()}, {{0, 1}, window.top()}, {{0, -1}, -window.bottom()}};
    for (const Edge &edge : edges) {
        if (out.isEmpty()) {
            break;
        }
        const QPolygonF in = out;
        out.clear();
        const auto side = [&](QPointF p) {
            return edge.normal.x() * p.x() + edge.normal.y() * p.y() - edge.limit;
        };
        for (qsizetype i = 0; i < in.size(); ++i) {
            const QPointF a = in.at(i);
            const QPointF b = in.at((i + 1) % in.size());
            const double sa = side(a);
            const double sb = side(b);
            if (sa >= 0) {
                out << a;
            }
            if ((sa >= 0) != (sb >= 0)) {
                out << a + (b - a) * (sa / (sa - sb));
            }
        }
    }
    return out;
}

} // namespace

QPainterPath clippedToWindow(const QPainterPath &path, const QTransform &toDevice, const QRectF &window)
{
    // A path of modest size is flattened in pixels, so that a circle stays round; a far larger
    // one in its own units, cut down before it is mapped.
    const QRectF bounds = path.boundingRect();
    const double size = std::max(bounds.width(), bounds.height()) * std::abs(toDevice.m11());
    QPainterPath out;
    if (size < 1e6) {
        for (const QPolygonF &polygon : path.toSubpathPolygons(toDevice)) {
            const QPolygonF part = clipped(polygon, window);
            if (part.size() >= 3) {
                out.addPolygon(part);
                out.closeSubpath();
            }
        }
        return out;
    }
    bool invertible = false;
    const QTransform toPath = toDevice.inverted(&invertible);
    if (!invertible) {
        return out;
    }
    const QRectF own = toPath.mapRect(window);
    for (const QPolygonF &polygon : path.toSubpathPolygons()) {
        const QPolygonF part = toDevice.map(clipped(polygon, own));
        if (part.size() >= 3) {
            out.addPolygon(part);
            out.closeSubpath();
        }
    }
    return out;
}

} // namespace merivox
