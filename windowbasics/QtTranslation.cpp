#include "QtTranslation.h"

#include <QCoreApplication>
#include <QTranslator>

namespace merivox {

bool installQtTranslation(QCoreApplication &app, const QString &folder)
{
    auto *translator = new QTranslator(&app);
    // Debian ships qtbase_de; Qt's Windows deployment puts all of Qt's German texts into qt_de.
    const bool loaded =
        translator->load(QStringLiteral("qtbase_de"), folder) || translator->load(QStringLiteral("qt_de"), folder);
    if (!loaded || !QCoreApplication::installTranslator(translator)) {
        delete translator;
        return false;
    }
    return true;
}

} // namespace merivox
