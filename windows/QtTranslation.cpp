#include "QtTranslation.h"

#include <QCoreApplication>
#include <QTranslator>

namespace merivox {

bool installQtTranslation(QCoreApplication &app, const QString &folder)
{
    auto *translator = new QTranslator(&app);
    if (!translator->load(QStringLiteral("qtbase_de"), folder) || !QCoreApplication::installTranslator(translator)) {
        delete translator;
        return false;
    }
    return true;
}

} // namespace merivox
