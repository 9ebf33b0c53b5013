// The magnified detail of a small probing element: a framed box beside the drawing with its
// scale as title, the shapes around the element clipped to the box, the element's diameter
// below. Only what lies in the box is drawn, so that its cost does not grow with the size of the
// rest of the part or with the magnification.
#include "DimensionLabels.h"
#include "PathClip.h"
#include "RecordDrawing.h"

#include <QFontMetricsF>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace merivox {

void RecordDrawing::paintDetail(QPainter &painter, const QRectF &box, double pixelsPerMm, const QString &title) const
{
    const QFontMetricsF metrics(painter.font());
    const double line = metrics.height() + 4;
    const QRectF inner = box.adjusted(1, line, -1, -line);
    if (inner.width() <= 0 || inner.height() <= 0 || !(pixelsPerMm > 0) || !std::isfinite(pixelsPerMm)) {
        return;
    }
    painter.save();
    painter.setPen(QPen(QColor(120, 120, 120), 1.0));
    painter.setBrush(Qt::white);
    painter.drawRect(box);
    painter.setPen(Qt::black);
    painter.drawText(QRectF(box.left(), box.top(), box.width(), line), Qt::AlignCenter, title);

    // The window of the part that the box shows, in millimetres around the element.
    const QPointF centre(0.0, m_dimensions.elementDepth);
    const QSizeF half(inner.width() / 2 / pixelsPerMm, inner.height() / 2 / pixelsPerMm);
    const QRectF window(centre.x() - half.width(), centre.y() - half.height(), 2 * half.width(), 2 * half.height());
    QTransform toDevice;
    toDevice.translate(inner.center().x(), inner.center().y());
    toDevice.scale(pixelsPerMm, pixelsPerMm);
    toDevice.translate(-centre.x(), -centre.y());

    painter.save();
    painter.setClipRect(inner, Qt::IntersectClip);
    painter.setPen(QPen(QColor(120, 120, 120), 1.0, Qt::DashDotLine));
    painter.drawLine(QPointF(inner.center().x(), inner.top()), QPointF(inner.center().x(), inner.bottom()));
    const QRectF cut = window.adjusted(-half.width() / 10, -half.height() / 10, half.width() / 10, half.height() / 10);
    for (const Shape &shape : m_shapes) {
        if (!shape.path.boundingRect().intersects(cut)) {
            continue;
        }
        const QPainterPath path = clippedToWindow(shape.path, toDevice, toDevice.mapRect(cut));
        const QColor outline = shape.colour.lightness() < 80 ? QColor(90, 90, 90) : shape.colour.darker(170);
        painter.setPen(QPen(outline, 1.0));
        painter.setBrush(shape.colour);
        painter.drawPath(path);
    }
    // The element's diameter across it, the hot spot above the line.
    const QColor dimension(42, 92, 170);
    const double width = m_dimensions.elementSize * pixelsPerMm;
    const QPointF middle = toDevice.map(centre);
    painter.setPen(QPen(dimension, 1.0));
    painter.setBrush(dimension);
    if (width >= 16.0 && width < inner.width()) {
        painter.drawLine(middle - QPointF(width / 2, 0), middle + QPointF(width / 2, 0));
    }
    paintMarks(painter, toDevice, window);
    painter.restore();
    painter.setPen(dimension);
    painter.drawText(QRectF(box.left(), box.bottom() - line, box.width(), line), Qt::AlignCenter, elementLabel());
    painter.restore();
}

} // namespace merivox
