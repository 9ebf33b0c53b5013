#include "RecordLines.h"

namespace merivox::lines {

namespace {
QString sp(const QString &a, const QString &b)
{
    return a + QLatin1Char(' ') + b;
}
QString point(const Point &p)
{
    return p.x + QLatin1Char(' ') + p.y + QLatin1Char(' ') + p.z;
}
} // namespace

QString item(const QString &name, const QString &thread)
{
    return QStringLiteral("ITEM:") + name + QStringLiteral("MM ") + thread;
}

QString beginTip()
{
    return QStringLiteral("begintip");
}

QString ribCount()
{
    return QStringLiteral("ribcount 10");
}

QString solid()
{
    return QStringLiteral("solid 6");
}

QString color(const Rgb &rgb)
{
    return QStringLiteral("Color %1 %2 %3").arg(rgb.red).arg(rgb.green).arg(rgb.blue);
}

QString firstCylinder(const QString &z2, const QString &diameter)
{
    return QStringLiteral("cylinder 0 0 0 0 0 ") + sp(z2, diameter);
}

QString cylinder(const QString &z1, const QString &z2, const QString &diameter)
{
    return QStringLiteral("cylinder 0 0 ") + z1 + QStringLiteral(" 0 0 ") + sp(z2, diameter);
}

QString cone(const QString &z1, const QString &diameter1, const QString &z2, const QString &diameter2)
{
    return QStringLiteral("cone 0 0 ") + sp(z1, diameter1) + QStringLiteral(" 0 0 ") + sp(z2, diameter2);
}

QString sphere(const QString &z, const QString &diameter)
{
    return QStringLiteral("sphere 0 0 ") + sp(z, diameter);
}

QString cutSphere(const QString &z, const QString &diameter)
{
    return QStringLiteral("cutsphere 0 0 ") + z + QStringLiteral(" 0 0 1 ") + diameter + QStringLiteral(" 2 -10000");
}

QString hotSpot(const QString &z, const QString &size1, const QString &size2, std::string_view shape)
{
    return QStringLiteral("hotspot 0 0 ") + z + QStringLiteral(" 0 0 1 ") + sp(size1, size2) + u' ' +
           QLatin1StringView(shape.data(), qsizetype(shape.size()));
}

QString lowerConnect(const QString &z, const QString &thread)
{
    return QStringLiteral("connect  0  0 ") + z + QStringLiteral(" 0  0  1 ") + thread;
}

QString face(const Point &a, const Point &b, const Point &c, const Point &d)
{
    return QStringLiteral("face 4 ") + point(a) + QLatin1Char(' ') + point(b) + QLatin1Char(' ') + point(c) +
           QLatin1Char(' ') + point(d);
}

QString cubeConnect(const Point &at, const Point &axis, const QString &thread)
{
    return QStringLiteral("Connect ") + point(at) + QLatin1Char(' ') + point(axis) + QLatin1Char(' ') + thread;
}

QString endTip()
{
    return QStringLiteral("endtip");
}

} // namespace merivox::lines
