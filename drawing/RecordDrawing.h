#pragma once

// A side view of one record to scale: the probe axis vertical, the mounting face at the top, each
// primitive filled with the colour of the record's Color line before it. Cylinders and cones
// show as their outlines, spheres as circles, cut spheres as the half on the far side of their
// axis, faces projected onto the x-z plane. Hot spots and connection points are small marks.
// Paints on any QPainter: a widget, an image, an SVG generator.

#include "ProbeRecord.h"

#include <QColor>
#include <QList>
#include <QPainterPath>
#include <QPointF>
#include <QRectF>

#include <vector>

class QPainter;

namespace merivox {

class RecordDrawing final
{
public:
    explicit RecordDrawing(const QList<RecordLine> &lines);

    bool isEmpty() const { return m_shapes.empty(); }
    // The drawn part in millimetres: x to the right, depth below the mounting face downwards.
    QRectF extent() const { return m_extent; }
    // From the mounting face (or the highest point above it) to the lowest point.
    double overallLength() const;
    // The largest diameter of a round primitive, or the widest face.
    double largestWidth() const { return m_widest; }

    // Paints the part alone, at pixelsPerMm, with the mounting point (x 0, z 0) at origin.
    void paint(QPainter &painter, const QPointF &origin, double pixelsPerMm) const;
    // Paints the part with its centre line and its two dimensions ("L = 40 mm", "Ø 4 mm"), as
    // large as fits into the target, to scale.
    void paintFitted(QPainter &painter, const QRectF &target) const;

private:
    struct Shape
    {
        QPainterPath path; // millimetres, y = -z
        QColor colour;
    };
    struct Mark
    {
        QPointF at; // millimetres, y = -z
        bool hotSpot = false;
    };

    void add(const QPainterPath &path);
    void widen(double width, double atDepth, bool round);

    std::vector<Shape> m_shapes;
    std::vector<Mark> m_marks;
    QColor m_colour;
    QRectF m_extent;
    double m_widest = 0.0;
    double m_widestDepth = 0.0;
    bool m_widestRound = true;
};

} // namespace merivox
