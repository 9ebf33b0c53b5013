#include "Pictures.h"

#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <utility>

namespace merivox {

QString picturePath(QStringView name)
{
    return QStringLiteral(":/pictures/%1.svg").arg(name);
}

QPixmap renderPicture(QStringView name, QSize size, qreal devicePixelRatio)
{
    QImage image(size * devicePixelRatio, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(devicePixelRatio);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    QSvgRenderer(picturePath(name)).render(&painter, QRectF(QPointF(0, 0), QSizeF(size)));
    painter.end();
    return QPixmap::fromImage(std::move(image)); // takes over the pixels instead of copying them
}

QIcon programIcon()
{
    // Drawn here at the usual icon sizes: an icon made from the SVG file itself would load the
    // icon engine and image format plugins.
    QIcon icon;
    for (const int side : {16, 32, 48}) {
        icon.addPixmap(renderPicture(u"merivox", QSize(side, side)));
    }
    return icon;
}

} // namespace merivox
