#pragma once

// The layouts of the record's lines. Each function joins fixed pieces and field texts from left
// to right, nothing trimmed or padded. Sizes arrive as typed, positions already written by
// formatNumber.

#include "TipInputs.h"

#include <QString>

#include <string_view>

namespace merivox::lines {

QString item(const QString &name, const QString &thread);
QString beginTip();
QString ribCount();
QString solid();
QString color(const Rgb &rgb);
// The first shaft cylinder, which always starts at the mounting face.
QString firstCylinder(const QString &z2, const QString &diameter);
QString cylinder(const QString &z1, const QString &z2, const QString &diameter);
QString cone(const QString &z1, const QString &diameter1, const QString &z2, const QString &diameter2);
QString sphere(const QString &z, const QString &diameter);
QString cutSphere(const QString &z, const QString &diameter);
// shape: the kind's word from the kinds table ("ball").
QString hotSpot(const QString &z, const QString &size1, const QString &size2, std::string_view shape);
// The extension's lower connection, with its double blanks.
QString lowerConnect(const QString &z, const QString &thread);

struct Point
{
    QString x, y, z;
};
QString face(const Point &a, const Point &b, const Point &c, const Point &d);
// A connection point on a cube face.
QString cubeConnect(const Point &at, const Point &axis, const QString &thread);
QString endTip();

} // namespace merivox::lines
