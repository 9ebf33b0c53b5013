#pragma once

// The materials that the editor offers, named back from the colours that they write into a
// record. The editor writes a colour per material; a record read from a file only holds the
// colour, so the data sheet and the viewer name the material through this one table.

#include "TipInputs.h"

#include <QString>

#include <optional>

namespace merivox {

// Which Color line of a record the colour comes from: the shaft's (the first) or the probing
// element's (the second, "ball" in the editor's words, also for a pin, half sphere or disc).
enum class ColourRole { Shaft, Ball };

// The German name of the editor's material with this colour in this role ("Stahl", "Rubin",
// ...), or nothing for a colour that the editor does not write there.
std::optional<QString> materialName(Rgb colour, ColourRole role);

// The material's name, or for any other colour the colour itself: "Farbe 1 2 3".
QString materialText(Rgb colour, ColourRole role);

} // namespace merivox
