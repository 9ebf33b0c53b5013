#include "Startup.h"

#include "AppendFile.h"
#include "CommandLine.h"
#include "CreateCommand.h"
#include "QtTranslation.h"
#include "ScreenPlacement.h"
#include "SelectionWindow.h"
#include "SplashWindow.h"

#include <QApplication>

namespace merivox {

void leadOnToSelection(SplashWindow &splash, EditorState &state, const QLocale &locale)
{
    QObject::connect(&splash, &SplashWindow::timeIsUp, &splash, [&state, locale] {
        auto *selection = new SelectionWindow(state, locale);
        selection->show();
    });
}

int runProgram(int argc, char *argv[])
{
    // A write past a file size limit fails with an error instead of ending the program.
    ignoreFileSizeSignal();
    // --help and --version are answered before any window or display is needed.
    if (const std::optional<int> exitCode = handleCommandLine(argc, argv)) {
        return *exitCode;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Merivox"));
    installQtTranslation(app);
    // Every window of the program, message boxes included, keeps its frame on its screen.
    ScreenPlacement placement(&app);

    // Chosen once: the editor reads and writes numbers in the operator's locale.
    const QLocale locale = QLocale::system();
    // Outlives every window: each opening of the editor starts empty, but keeps the kind and
    // the colours that the last one left.
    EditorState state;
    // The splash goes once it has closed, with its window and pictures.
    auto *splash = new SplashWindow;
    splash->setAttribute(Qt::WA_DeleteOnClose);
    leadOnToSelection(*splash, state, locale);
    splash->show();
    return QApplication::exec();
}

} // namespace merivox
