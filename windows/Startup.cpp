#include "Startup.h"

#include "CreateCommand.h"
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
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Merivox"));

    // Chosen once: the editor reads and writes numbers in the operator's locale.
    const QLocale locale = QLocale::system();
    // Outlives every window: each opening of the editor starts empty, but keeps the kind and
    // the colours that the last one left.
    EditorState state;
    SplashWindow splash;
    leadOnToSelection(splash, state, locale);
    splash.show();
    return QApplication::exec();
}

} // namespace merivox
