#include "Builders.h"

#include "NumberText.h"
#include "RecordLines.h"

#include <cmath>
#include <utility>

namespace merivox {

namespace {

// Writes computed numbers and remembers whether any of them left the range of a double, also
// by its text alone: rounded to 15 digits, a number just below the largest double reads back as
// infinity.
class Positions
{
public:
    explicit Positions(const QLocale &locale) : m_locale(locale) {}

    QString text(double value) { return written(value).first; }
    // A position measured downwards from the mounting face.
    QString below(const Dimension &depth) { return text(-depth.value); }
    // A number written as text first and read back, as the disc's depths are. A text that does
    // not read back has already refused the record; its value no longer matters.
    double roundTrip(double value) { return written(value).second.value_or(0.0); }
    bool allFinite() const { return m_finite; }

private:
    std::pair<QString, std::optional<double>> written(double value)
    {
        QString text = formatNumber(value, m_locale);
        auto reread = parseNumber(text, m_locale);
        m_finite = m_finite && std::isfinite(value) && reread.has_value();
        return {std::move(text), reread};
    }

    QLocale m_locale;
    bool m_finite = true;
};

// Item line, begintip, ribcount, shaft colour, the upper cylinder and the cone: the same for
// every stylus kind. Both shaft primitives are left out for a stylus that lacks them.
QStringList stylusTop(const TipInputs &in, Positions &z)
{
    QStringList out{lines::item(in.name, in.thread), lines::beginTip(), lines::ribCount(), lines::color(in.shaft_rgb)};
    if (in.L1.value != 0.0) {
        out << lines::firstCylinder(z.below(in.L1), in.D1.text);
    }
    if (in.L2.value != 0.0 || in.D1.text != in.D2.text) {
        out << lines::cone(z.below(in.L1), in.D1.text, z.below(in.L2), in.D2.text);
    }
    return out;
}

QStringList ballTip(const TipInputs &in, Positions &z)
{
    QStringList out = stylusTop(in, z);
    const QString ballCentre = z.below(in.L3);
    out << lines::cylinder(z.below(in.L2), ballCentre, in.D2.text) << lines::color(in.ball_rgb)
        << lines::sphere(ballCentre, in.ball_diameter.text)
        << lines::hotSpot(ballCentre, in.ball_diameter.text, in.ball_diameter.text, hotSpotWord(TipKind::Ball))
        << lines::endTip();
    return out;
}

QStringList cylinderTip(const TipInputs &in, Positions &z)
{
    const QString shankLength = z.text(in.L4.value - in.L3.value);
    QStringList out = stylusTop(in, z);
    const QString pinStart = z.below(in.L3);
    const QString pinEnd = z.below(in.L4);
    out << lines::cylinder(z.below(in.L2), pinStart, in.D2.text) << lines::color(in.ball_rgb)
        << lines::cylinder(pinStart, pinEnd, in.ball_diameter.text);
    if (!in.Check_zyl) {
        out << lines::sphere(pinEnd, in.ball_diameter.text);
    }
    out << lines::hotSpot(pinEnd, in.ball_diameter.text, shankLength, hotSpotWord(TipKind::Cylinder))
        << lines::endTip();
    return out;
}

QStringList halfSphereTip(const TipInputs &in, Positions &z)
{
    QStringList out = stylusTop(in, z);
    const QString flatFace = z.below(in.L3);
    if (in.L3.value != 0.0 || in.D1.text != in.D2.text) {
        out << lines::cylinder(z.below(in.L2), flatFace, in.D2.text);
    }
    out << lines::color(in.ball_rgb) << lines::cutSphere(flatFace, in.ball_diameter.text)
        << lines::hotSpot(flatFace, in.ball_diameter.text, in.ball_diameter.text, hotSpotWord(TipKind::HalfSphere))
        << lines::endTip();
    return out;
}

QStringList discTip(const TipInputs &in, Positions &z)
{
    // The depths of the disc's upper face and middle plane go through their text and back, so
    // that the record holds exactly the numbers that their texts say.
    const double discTop = z.roundTrip(in.L3.value - in.width.value);
    const double discMiddle = z.roundTrip(in.L3.value - in.width.value / 2);
    QStringList out = stylusTop(in, z);
    const QString upperFace = z.text(-discTop);
    out << lines::cylinder(z.below(in.L2), upperFace, in.D2.text) << lines::color(in.ball_rgb)
        << lines::cylinder(upperFace, z.below(in.L3), in.length.text)
        << lines::hotSpot(z.text(-discMiddle), in.length.text, in.width.text, hotSpotWord(TipKind::Disc))
        << lines::endTip();
    return out;
}

QStringList cubeTip(const TipInputs &in, Positions &z)
{
    const double half = in.L1.value / 2.0;
    const QString h = z.text(half);
    const QString minusH = z.text(-half);
    const QString bottom = z.below(in.L1);
    const QString zero = QStringLiteral("0");
    const QString one = QStringLiteral("1");
    const QString minusOne = QStringLiteral("-1");

    QStringList out{lines::item(in.name, in.thread), lines::solid(), lines::color(in.shaft_rgb)};
    // Opposite faces list their corners in the same order.
    out << lines::face({minusH, h, zero}, {h, h, zero}, {h, minusH, zero}, {minusH, minusH, zero})
        << lines::face({minusH, h, bottom}, {h, h, bottom}, {h, minusH, bottom}, {minusH, minusH, bottom})
        << lines::face({minusH, h, zero}, {h, h, zero}, {h, h, bottom}, {minusH, h, bottom})
        << lines::face({minusH, minusH, zero}, {h, minusH, zero}, {h, minusH, bottom}, {minusH, minusH, bottom})
        << lines::face({minusH, h, zero}, {minusH, minusH, zero}, {minusH, minusH, bottom}, {minusH, h, bottom})
        << lines::face({h, h, zero}, {h, minusH, zero}, {h, minusH, bottom}, {h, h, bottom});
    // Each connection's axis points from the face into the cube.
    out << lines::cubeConnect({zero, zero, bottom}, {zero, zero, one}, in.thread)
        << lines::cubeConnect({h, zero, minusH}, {minusOne, zero, zero}, in.thread)
        << lines::cubeConnect({zero, h, minusH}, {zero, minusOne, zero}, in.thread)
        << lines::cubeConnect({minusH, zero, minusH}, {one, zero, zero}, in.thread)
        << lines::cubeConnect({zero, minusH, minusH}, {zero, one, zero}, in.thread);
    return out;
}

QStringList extension(const TipInputs &in, Positions &z)
{
    const QString lowerEnd = z.below(in.length);
    return {lines::item(in.name, in.thread), lines::ribCount(), lines::color(in.shaft_rgb),
            lines::firstCylinder(lowerEnd, in.D1.text), lines::lowerConnect(lowerEnd, in.thread2)};
}

} // namespace

std::optional<TipRecord> buildRecord(TipKind kind, const TipInputs &in, const QLocale &locale)
{
    Positions z(locale);
    QStringList out;
    switch (kind) {
    case TipKind::Ball:
        out = ballTip(in, z);
        break;
    case TipKind::Cylinder:
        out = cylinderTip(in, z);
        break;
    case TipKind::HalfSphere:
        out = halfSphereTip(in, z);
        break;
    case TipKind::Disc:
        out = discTip(in, z);
        break;
    case TipKind::Cube:
        out = cubeTip(in, z);
        break;
    case TipKind::Extension:
        out = extension(in, z);
        break;
    }
    if (!z.allFinite()) {
        return std::nullopt;
    }
    return TipRecord{out};
}

} // namespace merivox
