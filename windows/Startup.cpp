#include "Startup.h"

#include "CommandLine.h"
#include "CreateCommand.h"
#include "QtTranslation.h"
#include "SplashWindow.h"

#include <QApplication>

namespace merivox {

int runProgram(int argc, char *argv[])
{
    if (const std::optional<int> exitCode = handleCommandLine(argc, argv)) {
        return *exitCode;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Merivox"));
    installQtTranslation(app);

    // Outlives every window: each opening of the editor starts empty, but keeps the kind and
    // the colours that the last one left.
    EditorState state;
    SplashWindow splash(state);
    splash.show();
    return QApplication::exec();
}

} // namespace merivox
