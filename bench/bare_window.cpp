// A bare Qt window: the yardstick for the program's memory. It is built like the program and
// shows one empty QWidget of the editor's size until it is closed.
#include <QApplication>
#include <QWidget>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("bare"));
    window.resize(777, 611);
    window.show();
    return QApplication::exec();
}
