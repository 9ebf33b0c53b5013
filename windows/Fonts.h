#pragma once

#include <QFont>

namespace merivox {

// The windows' fonts are Arial (on Linux fontconfig puts Liberation Sans, of the same metrics, in its place).
inline QFont arial(qreal points, bool bold = false)
{
    QFont font(QStringLiteral("Arial"));
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

} // namespace merivox
