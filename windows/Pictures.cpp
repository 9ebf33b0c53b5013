#include "Pictures.h"

#include <QFile>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

namespace merivox {

QString picturePath(QStringView name)
{
    return QStringLiteral(":/pictures/%1.svg").arg(name);
}

bool hasPicture(QStringView name)
{
    return QFile::exists(picturePath(name));
}

QPixmap renderPicture(QStringView name, QSize size, qreal devicePixelRatio)
{
    QImage image(size * devicePixelRatio, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(devicePixelRatio);
    QPainter painter(&image);
    QSvgRenderer renderer(picturePath(name));
    if (renderer.isValid()) {
        image.fill(Qt::transparent);
        renderer.render(&painter, QRectF(QPointF(0, 0), QSizeF(size)));
    } else {
        image.fill(QColor(224, 224, 224));
        painter.setPen(QColor(160, 160, 160));
        painter.drawRect(QRectF(0.5, 0.5, size.width() - 1.0, size.height() - 1.0));
    }
    painter.end();
    return QPixmap::fromImage(image);
}

QIcon programIcon()
{
    const QString path = picturePath(u"merivox");
    return QFile::exists(path) ? QIcon(path) : QIcon();
}

} // namespace merivox
