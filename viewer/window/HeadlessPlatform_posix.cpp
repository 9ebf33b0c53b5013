#include "HeadlessPlatform.h"

#include <QByteArray>
#include <QtGlobal>

namespace merivox {

void chooseHeadlessPlatform()
{
    // An X or Wayland display, or a platform that the user chose, is used as it is.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY") &&
        qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) {
        qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("offscreen"));
    }
}

} // namespace merivox
