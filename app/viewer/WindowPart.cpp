#include "WindowPart.h"

#include "Console.h"

#include <QDir>
#include <QFileInfo>
#include <QLibrary>

namespace merivox {

namespace {

// The window part's one exported function: runs merivox-view with the given command line.
using WindowPartMain = int (*)(int argc, char *argv[]);
constexpr char kEntry[] = "merivoxViewerMain";

} // namespace

int runWindowPart(int argc, char *argv[])
{
    const QString path = QDir::cleanPath(programFolder() + QLatin1Char('/') + QLatin1String(MERIVOX_VIEW_WINDOW_PART));
    const QString shown = QDir::toNativeSeparators(path);
    QString complaint;
    if (!QFileInfo::exists(path)) {
        complaint = QStringLiteral("Der Fensterteil des Merivox-Betrachters fehlt: %1").arg(shown);
    } else {
        QLibrary library(path);
        WindowPartMain entry = nullptr;
        if (library.load()) {
            entry = reinterpret_cast<WindowPartMain>(library.resolve(kEntry));
        }
        if (entry != nullptr) {
            // Stays loaded until the program ends: its objects live as long as the program.
            return entry(argc, argv);
        }
        complaint = QStringLiteral("Der Fensterteil des Merivox-Betrachters lässt sich nicht laden: %1: %2")
                        .arg(shown, library.errorString());
    }
    ConsoleText err(ConsoleStream::Error);
    err.stream() << complaint << QStringLiteral("\nOhne ihn gehen nur --check, --remove, --help und --version.")
                 << Qt::endl;
    return 2;
}

} // namespace merivox
