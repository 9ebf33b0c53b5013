#pragma once

#include <QRect>
#include <span>

class QWidget;

namespace merivox {

// The window layouts are drawn up in twips; 15 twips are one logical pixel. Qt scales logical
// pixels for high-dpi screens itself.
constexpr int twipsToPixels(int twips)
{
    return (2 * twips + 15) / 30; // twips / 15, rounded to the nearest pixel
}

// One control of a layout table: its objectName and its place in twips. A width and height of 0
// mark a label that is sized to its text and grows to the right from its left edge.
struct TwipRect
{
    const char *name;
    int left;
    int top;
    int width = 0;
    int height = 0;
};

QRect toPixels(const TwipRect &place);

// Moves every control named in the table (searched below window) to its place.
void placeControls(QWidget *window, std::span<const TwipRect> table);

} // namespace merivox
