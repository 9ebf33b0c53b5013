#pragma once

#include "TipKinds.h"

#include <QString>

namespace merivox {

// A colour of the record, red, green and blue, each 0 to 255.
struct Rgb
{
    int red = 0;
    int green = 0;
    int blue = 0;
    friend bool operator==(const Rgb &, const Rgb &) = default;
};

inline constexpr Rgb kSteelShaft{142, 142, 142};
inline constexpr Rgb kCarbonFibreShaft{0, 0, 0};
inline constexpr Rgb kCeramicShaft{250, 235, 215};
inline constexpr Rgb kHardMetalBall{47, 79, 79};
inline constexpr Rgb kRubyBall{255, 0, 0};
inline constexpr Rgb kCeramicBall{250, 235, 215};

// One checked dimension: the text exactly as the operator typed it (written into
// the record where a line takes a size as typed) and the number read from it.
struct Dimension
{
    QString text;
    double value = 0.0;
};

// The values of one Create command that passed every check, as a builder receives them.
// Field names follow the editor's captions and the record's vocabulary.
struct TipInputs
{
    QString name;
    QString thread;
    QString thread2;
    Dimension L1, L2, L3, L4, D1, D2, ball_diameter, length, width;
    bool Check_zyl = false;           // "ohne Halbkugel": the cylinder tip without its rounded end
    TipKind tip_type = TipKind::Ball; // the kind being built
    Rgb ball_rgb = kRubyBall;
    Rgb shaft_rgb = kSteelShaft;
    QString folder;
};

} // namespace merivox
