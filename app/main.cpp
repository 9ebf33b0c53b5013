#include "CreateCommand.h"
#include "SplashWindow.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Merivox"));

    // Outlives every window: each opening of the editor starts empty, but keeps the kind and
    // the colours that the last one left.
    merivox::EditorState state;
    merivox::SplashWindow splash(state);
    splash.show();
    return QApplication::exec();
}
