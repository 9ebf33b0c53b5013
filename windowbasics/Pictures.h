#pragma once

#include <QIcon>
#include <QPixmap>
#include <QSize>
#include <QStringView>

namespace merivox {

// The program's own pictures, compiled in as SVG at ":/pictures/<name>.svg".
QString picturePath(QStringView name);

// The picture drawn at size (logical pixels), sharp on a screen with the given pixel ratio.
QPixmap renderPicture(QStringView name, QSize size, qreal devicePixelRatio = 1.0);

// The window icon of the program's windows, merivox-view's included.
QIcon programIcon();

} // namespace merivox
