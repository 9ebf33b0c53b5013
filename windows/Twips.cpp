#include "Twips.h"

#include <QWidget>

namespace merivox {

QRect toPixels(const TwipRect &place)
{
    return QRect(twipsToPixels(place.left), twipsToPixels(place.top), twipsToPixels(place.width),
                 twipsToPixels(place.height));
}

void placeControls(QWidget *window, std::span<const TwipRect> table)
{
    for (const TwipRect &place : table) {
        auto *control = window->findChild<QWidget *>(QString::fromLatin1(place.name));
        Q_ASSERT_X(control, "placeControls", place.name);
        if (!control) {
            continue;
        }
        if (place.width == 0 && place.height == 0) {
            control->adjustSize();
            control->move(twipsToPixels(place.left), twipsToPixels(place.top));
        } else {
            control->setGeometry(toPixels(place));
        }
    }
}

} // namespace merivox
