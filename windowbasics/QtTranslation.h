#pragma once

#include <QLibraryInfo>
#include <QString>

class QCoreApplication;

namespace merivox {

// Qt's own texts (the context menu of a text field, standard buttons) in German, like the rest
// of the program. Returns false, and changes nothing, when the translation is not installed.
bool installQtTranslation(QCoreApplication &app,
                          const QString &folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath));

} // namespace merivox
