#include "PictureButton.h"

#include <QPainter>

namespace merivox {

void PictureButton::paintEvent(QPaintEvent *event)
{
    QPushButton::paintEvent(event);
    if (!hasFocus()) {
        return;
    }
    // A white dotted frame over a black one reads on light and dark parts of the picture alike.
    QPainter painter(this);
    const QRectF frame = QRectF(rect()).adjusted(3.5, 3.5, -3.5, -3.5);
    painter.setPen(QPen(Qt::black, 1));
    painter.drawRect(frame);
    painter.setPen(QPen(Qt::white, 1, Qt::DotLine));
    painter.drawRect(frame);
}

} // namespace merivox
