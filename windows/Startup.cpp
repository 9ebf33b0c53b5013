#include "Startup.h"

#include "CreateCommand.h"
#include "SplashWindow.h"

#include <QApplication>

namespace merivox {

int runProgram(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Merivox"));

    // Outlives every window: each opening of the editor starts empty, but keeps the kind and
    // the colours that the last one left.
    EditorState state;
    // The splash goes once it has closed, with its window and pictures.
    auto *splash = new SplashWindow(state);
    splash->setAttribute(Qt::WA_DeleteOnClose);
    splash->show();
    return QApplication::exec();
}

} // namespace merivox
