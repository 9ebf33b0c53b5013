#pragma once

// A side view of one record to scale: the probe axis vertical, the mounting face at the top, each
// primitive filled with the colour of the record's Color line before it. Cylinders and cones
// show as their outlines, spheres as circles, cut spheres as the half on the far side of their
// axis, faces projected onto the x-z plane. Hot spots and connection points are small marks.
// Paints on any QPainter: a widget, an image, an SVG generator, a PDF page.
//
// With its dimensions, the drawing labels the overall length, the probing element's diameter
// and the shaft's, in the decimal separator of the record; a probing element smaller than a
// twentieth of the overall length gets a magnified detail of its own (TipDetail.cpp).

#include "DecodedRecord.h"
#include "ProbeRecord.h"

#include <QColor>
#include <QList>
#include <QLocale>
#include <QPainterPath>
#include <QPointF>
#include <QRectF>

#include <vector>

class QFontMetricsF;
class QPainter;

namespace merivox {

class RecordDrawing final
{
public:
    explicit RecordDrawing(const QList<RecordLine> &lines);

    bool isEmpty() const { return m_shapes.empty(); }
    // Whether every solid of the record is drawn: false when one lies beyond the drawing's bounds
    // (numbers that are no numbers or reach beyond a kilometre, more primitives than it draws).
    bool isComplete() const { return m_complete; }
    // The drawn part in millimetres: x to the right, depth below the mounting face downwards.
    QRectF extent() const { return m_extent; }
    // From the mounting face (or the highest point above it) to the lowest point.
    double overallLength() const;
    // The largest diameter of a round primitive, or the widest face.
    double largestWidth() const { return m_widest; }

    // What the record tells of the component's dimensions and probing element.
    const DecodedRecord &dimensions() const { return m_dimensions; }
    // The locale whose decimal separator the labels use where the record has none or both.
    // The default locale until set.
    void setLocale(const QLocale &locale) { m_locale = locale; }

    // The labels: "L = 41,5 mm"; the probing element's "Ø 3 mm" (empty for a part without one);
    // the shaft's widest "Ø 4 mm" (the widest of all where no element is labelled), or a solid's
    // width "B = 10 mm".
    QString lengthLabel() const;
    QString elementLabel() const;
    QString shaftLabel() const;

    // Whether the probing element is so small beside the whole part (under a twentieth of the
    // overall length) that the drawing adds a magnified detail of it.
    bool hasDetail() const;

    // Paints the part alone, at pixelsPerMm, with the mounting point (x 0, z 0) at origin.
    void paint(QPainter &painter, const QPointF &origin, double pixelsPerMm) const;
    // Paints the part with its centre line, its dimensions ("L = 40 mm", the probing element's
    // and the shaft's "Ø 4 mm") and its detail, as large as fits into the target, to scale.
    void paintFitted(QPainter &painter, const QRectF &target) const;
    // The scale in pixels per millimetre at which paintFitted draws into the target.
    double fittedScale(const QFontMetricsF &metrics, const QRectF &target) const;
    // As paintFitted, at a given scale, centred in the target. paperScale is the drawing's scale
    // on paper (0 on a screen): the detail then names its true scale, else its magnification
    // over the drawing.
    void paintScaled(QPainter &painter, const QRectF &target, double pixelsPerMm, double paperScale = 0.0) const;

    // The detail's magnification over a drawing at pixelsPerMm whose detail box is side pixels
    // wide: a value of the 1-2-5 series (at least 2), so that the element fills about a third of
    // the box; with a paper scale, chosen so that their product is of the series too.
    double detailMagnification(double pixelsPerMm, double side, double paperScale) const;

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

    struct Layout;

    void add(const QPainterPath &path);
    void widen(double width, double atDepth, bool round);
    Layout layout(const QFontMetricsF &metrics, const QRectF &target) const;
    // window: device pixels outside which nothing need be drawn; null for all.
    void paintShapes(QPainter &painter, const QTransform &toDevice, const QRectF &window) const;
    void paintMarks(QPainter &painter, const QTransform &toDevice, const QRectF &within) const;
    void paintDimensions(QPainter &painter, QPointF origin, double scale) const;
    // The magnified detail of the probing element (TipDetail.cpp): the box, its title, the
    // shapes clipped to it, and the probing element's diameter.
    void paintDetail(QPainter &painter, const QRectF &box, double pixelsPerMm, const QString &title) const;

    std::vector<Shape> m_shapes;
    std::vector<Mark> m_marks;
    QColor m_colour;
    QRectF m_extent;
    double m_widest = 0.0;
    double m_widestDepth = 0.0;
    bool m_widestRound = true;
    // The widest part of the shaft (the primitives before the probing element's colour).
    double m_shaftWidest = 0.0;
    double m_shaftWidestDepth = 0.0;
    int m_colourLines = 0;
    bool m_complete = true;
    DecodedRecord m_dimensions;
    QLocale m_locale;
};

} // namespace merivox
