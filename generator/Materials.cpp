#include "Materials.h"

namespace merivox {

namespace {

struct Material
{
    Rgb colour;
    ColourRole role;
    const char16_t *name;
    int choice; // the ShaftMaterial or BallMaterial, by the role
};

// The editor's shaft boxes and ball options with the colours that they stand for. Ceramic has
// the same colour for the shaft and the ball; the role tells them apart.
constexpr Material kMaterials[] = {
    {kSteelShaft, ColourRole::Shaft, u"Stahl", int(ShaftMaterial::Steel)},
    {kCarbonFibreShaft, ColourRole::Shaft, u"Kohlefaser", int(ShaftMaterial::CarbonFibre)},
    {kCeramicShaft, ColourRole::Shaft, u"Keramik", int(ShaftMaterial::Ceramic)},
    {kHardMetalBall, ColourRole::Ball, u"Hartmetall", int(BallMaterial::HardMetal)},
    {kRubyBall, ColourRole::Ball, u"Rubin", int(BallMaterial::Ruby)},
    {kCeramicBall, ColourRole::Ball, u"Keramik", int(BallMaterial::Ceramic)},
};

} // namespace

std::optional<MaterialChoice> materialChoice(Rgb colour, ColourRole role)
{
    for (const Material &material : kMaterials) {
        if (material.role == role && material.colour == colour) {
            MaterialChoice choice{QString::fromUtf16(material.name), std::nullopt, std::nullopt};
            if (role == ColourRole::Shaft) {
                choice.shaft = ShaftMaterial(material.choice);
            } else {
                choice.ball = BallMaterial(material.choice);
            }
            return choice;
        }
    }
    return std::nullopt;
}

std::optional<QString> materialName(Rgb colour, ColourRole role)
{
    if (const std::optional<MaterialChoice> choice = materialChoice(colour, role)) {
        return choice->name;
    }
    return std::nullopt;
}

QString materialText(Rgb colour, ColourRole role)
{
    return materialName(colour, role)
        .value_or(QStringLiteral("Farbe %1 %2 %3").arg(colour.red).arg(colour.green).arg(colour.blue));
}

} // namespace merivox
