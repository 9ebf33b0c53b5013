#pragma once

#include <QRect>
#include <initializer_list>

class QWidget;

namespace merivox {

// The window layouts are drawn up in twips; 15 twips are one logical pixel. Qt scales logical
// pixels for high-dpi screens itself.
constexpr int twipsToPixels(int twips)
{
    return (2 * twips + 15) / 30; // twips / 15, rounded to the nearest pixel
}

// A place in twips. A width and height of 0 mark a label that is sized to its text and grows to
// the right from its left edge.
struct TwipRect
{
    int left;
    int top;
    int width = 0;
    int height = 0;
};

QRect toPixels(const TwipRect &place);

// One control of a layout table and its place.
struct Placement
{
    QWidget *control;
    TwipRect place;
};

// Moves a control to its place; a label sized to its text takes the size of its text now.
void placeControl(QWidget *control, const TwipRect &place);
void placeControls(std::initializer_list<Placement> table);

} // namespace merivox
