#pragma once

// The program's own pictures: SVG sources in resources/pictures, compiled in under
// ":/pictures/<name>.svg". Each is drawn at its natural size, the size it takes on a
// 96 dpi screen at 100 %. The editor's drawings and the selection window's buttons are
// named after the controls that show them.

#include <QLatin1StringView>
#include <QSize>
#include <QString>
#include <array>

namespace merivox::pictures {

struct Picture final
{
    const char *name; // file name without ".svg"
    int width;        // natural size in pixels
    int height;

    [[nodiscard]] QString path() const
    {
        return QStringLiteral(":/pictures/") + QLatin1StringView(name) + QStringLiteral(".svg");
    }
    [[nodiscard]] constexpr QSize size() const { return {width, height}; }
};

// Editor drawings: the picture box (twips / 15) less the 2-pixel thin border on each side;
// the cube and the extension have no border.
inline constexpr Picture ballTip{"image_kd", 217, 468};       // 3315 x 7080 twips, thin border
inline constexpr Picture cylinderTip{"Image_zyl", 257, 502};  // 3915 x 7590 twips, thin border
inline constexpr Picture halfSphereTip{"Image_HK", 256, 505}; // 3900 x 7635 twips, thin border
inline constexpr Picture discTip{"Image_disk", 253, 459};     // 3855 x 6945 twips, thin border
inline constexpr Picture cubeTip{"Image_wuerf", 257, 233};    // 3855 x 3495 twips
inline constexpr Picture extension{"Image_verl", 251, 459};   // 3765 x 6885 twips

// Kind buttons of the selection window, shown centred on the button.
inline constexpr Picture ballButton{"cmd_kug", 62, 65};
inline constexpr Picture cylinderButton{"cmd_zyl", 62, 65};
inline constexpr Picture cubeButton{"cmd_wuerf", 62, 65};
inline constexpr Picture halfSphereButton{"cmd_sph", 62, 65};
inline constexpr Picture discButton{"cmd_disk", 62, 65};
inline constexpr Picture extensionButton{"cmd_ver", 62, 65};

// Splash window, stretched to their boxes there.
inline constexpr Picture logo{"logo", 294, 54};
inline constexpr Picture probeHead{"probe_head", 190, 224};

// Program icon; scales to any square size.
inline constexpr Picture icon{"merivox", 256, 256};

inline constexpr std::array all{ballTip,    cylinderTip,     halfSphereTip,  discTip,    cubeTip,
                                extension,  ballButton,      cylinderButton, cubeButton, halfSphereButton,
                                discButton, extensionButton, logo,           probeHead,  icon};

} // namespace merivox::pictures
