#include "Twips.h"

#include <QWidget>

namespace merivox {

QRect toPixels(const TwipRect &place)
{
    return QRect(twipsToPixels(place.left), twipsToPixels(place.top), twipsToPixels(place.width),
                 twipsToPixels(place.height));
}

void placeControl(QWidget *control, const TwipRect &place)
{
    if (place.width == 0 && place.height == 0) {
        control->adjustSize();
        control->move(twipsToPixels(place.left), twipsToPixels(place.top));
    } else {
        control->setGeometry(toPixels(place));
    }
}

void placeControls(std::initializer_list<Placement> table)
{
    for (const Placement &entry : table) {
        placeControl(entry.control, entry.place);
    }
}

} // namespace merivox
