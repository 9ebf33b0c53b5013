#pragma once

// The materials that the editor offers, named back from the colours that they write into a
// record. The editor writes a colour per material; a record read from a file only holds the
// colour, so the data sheet and the viewer name the material through this one table.

#include "CreateCommand.h"
#include "TipInputs.h"

#include <QString>

#include <optional>

namespace merivox {

// Which Color line of a record the colour comes from: the shaft's (the first) or the probing
// element's (the second, "ball" in the editor's words, also for a pin, half sphere or disc).
enum class ColourRole { Shaft, Ball };

// What the editor chooses to write a colour: in the shaft role one of its shaft boxes, in the
// ball role one of its ball options; with the material's German name.
struct MaterialChoice
{
    QString name;
    std::optional<ShaftMaterial> shaft;
    std::optional<BallMaterial> ball;
};

// The editor's choice that writes this colour in this role, or nothing for a colour that no
// choice of the editor writes there.
std::optional<MaterialChoice> materialChoice(Rgb colour, ColourRole role);

// The German name of the editor's material with this colour in this role ("Stahl", "Rubin",
// ...), or nothing for a colour that the editor does not write there.
std::optional<QString> materialName(Rgb colour, ColourRole role);

// The material's name, or for any other colour the colour itself: "Farbe 1 2 3".
QString materialText(Rgb colour, ColourRole role);

} // namespace merivox
