#include "Startup.h"

#include "AppendFile.h"
#include "CreateCommand.h"
#include "SplashWindow.h"

#include <QApplication>

namespace merivox {

int runProgram(int argc, char *argv[])
{
    ignoreFileSizeSignal();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Merivox"));

    // Outlives every window: each opening of the editor starts empty, but keeps the kind and
    // the colours that the last one left.
    EditorState state;
    SplashWindow splash(state);
    splash.show();
    return QApplication::exec();
}

} // namespace merivox
