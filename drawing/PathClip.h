#pragma once

#include <QPainterPath>
#include <QRectF>
#include <QTransform>

namespace merivox {

// The path as a device shows it within window (device pixels): flattened and cut to the
// window, so that what it costs to paint does not grow with the path's size, however far its
// points lie. toDevice scales and moves only.
QPainterPath clippedToWindow(const QPainterPath &path, const QTransform &toDevice, const QRectF &window);

} // namespace merivox
