#include "PictureButton.h"

#include "Pictures.h"

#include <QPainter>
#include <QStyleOptionButton>
#include <QStylePainter>

namespace merivox {

void PictureButton::setPicture(const QString &name, QSize size)
{
    m_picture = name;
    setIconSize(size);
    update();
}

void PictureButton::paintEvent(QPaintEvent *)
{
    {
        // As a push button paints itself with the picture as its icon.
        QStylePainter painter(this);
        QStyleOptionButton option;
        initStyleOption(&option);
        if (!m_picture.isEmpty()) {
            option.icon = QIcon(renderPicture(m_picture, iconSize(), devicePixelRatio()));
        }
        painter.drawControl(QStyle::CE_PushButton, option);
    }
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
