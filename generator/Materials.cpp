#include "Materials.h"

namespace merivox {

namespace {

struct Material
{
    Rgb colour;
    ColourRole role;
    const char16_t *name;
};

// The editor's shaft boxes and ball options with the colours that they stand for. Ceramic has
// the same colour for the shaft and the ball; the role tells them apart.
constexpr Material kMaterials[] = {
    {kSteelShaft, ColourRole::Shaft, u"Stahl"},     {kCarbonFibreShaft, ColourRole::Shaft, u"Kohlefaser"},
    {kCeramicShaft, ColourRole::Shaft, u"Keramik"}, {kHardMetalBall, ColourRole::Ball, u"Hartmetall"},
    {kRubyBall, ColourRole::Ball, u"Rubin"},        {kCeramicBall, ColourRole::Ball, u"Keramik"},
};

} // namespace

std::optional<QString> materialName(Rgb colour, ColourRole role)
{
    for (const Material &material : kMaterials) {
        if (material.role == role && material.colour == colour) {
            return QString::fromUtf16(material.name);
        }
    }
    return std::nullopt;
}

QString materialText(Rgb colour, ColourRole role)
{
    return materialName(colour, role)
        .value_or(QStringLiteral("Farbe %1 %2 %3").arg(colour.red).arg(colour.green).arg(colour.blue));
}

} // namespace merivox
