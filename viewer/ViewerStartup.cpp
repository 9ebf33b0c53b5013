#include "ViewerStartup.h"

#include "Console.h"
#include "ProbeFile.h"
#include "QtTranslation.h"
#include "ViewerWindow.h"

#include <QApplication>
#include <QTextStream>
#include <QTimer>


namespace merivox {

namespace {

QString helpText()
{
    return QStringLiteral("Aufruf: merivox-view [DATEI]\n"
                          "        merivox-view --check DATEI\n"
                          "\n"
                          "Zeigt die Einträge einer Taster-Datei (usrprobe.dat): jeden Eintrag in einer Tabelle,\n"
                          "maßstäblich gezeichnet und als Text, dazu die Probleme der Datei mit ihren Zeilennummern.\n"
                          "Ohne DATEI fragt ein Dateidialog nach ihr. Die Datei wird nur gelesen, nie verändert.\n"
                          "\n"
                          "Optionen:\n"
                          "  --check DATEI  prüft die Datei ohne Fenster: jedes Problem als „ZEILE: Text“,\n"
                          "                 dann „N Einträge, M Probleme“. Rückgabewert 0: keine Probleme,\n"
                          "                 1: Probleme gefunden, 2: Datei nicht lesbar.\n"
                          "  -h, --help     zeigt diese Hilfe.\n"
                          "  -v, --version  zeigt die Version.\n");
}

QString countText(qsizetype records, qsizetype problems)
{
    return QStringLiteral("%1 %2, %3 %4")
        .arg(records)
        .arg(records == 1 ? QStringLiteral("Eintrag") : QStringLiteral("Einträge"))
        .arg(problems)
        .arg(problems == 1 ? QStringLiteral("Problem") : QStringLiteral("Probleme"));
}

} // namespace

int checkFile(const QString &path, QTextStream &out, QTextStream &err)
{
    QString error;
    const std::optional<ProbeFile> file = ProbeFile::read(path, &error);
    if (!file) {
        err << error << Qt::endl;
        return 2;
    }
    for (const Problem &problem : file->problems()) {
        out << problem.line << ": " << problem.text << '\n';
    }
    out << countText(file->recordCount(), file->problems().size()) << Qt::endl;
    return file->problems().isEmpty() ? 0 : 1;
}

int runViewer(int argc, char *argv[])
{
    // Handed to the console when the function returns: on Windows as Unicode text or code-page bytes.
    ConsoleText outText(ConsoleStream::Output);
    ConsoleText errText(ConsoleStream::Error);
    QTextStream &out = outText.stream();
    QTextStream &err = errText.stream();
    QString path;
    bool check = false;
    for (int i = 1; i < argc; ++i) {
        const QString arg = QString::fromLocal8Bit(argv[i]);
        if (arg == QLatin1String("-h") || arg == QLatin1String("--help")) {
            out << helpText();
            return 0;
        }
        if (arg == QLatin1String("-v") || arg == QLatin1String("--version")) {
            out << QStringLiteral("merivox-view " MERIVOX_VERSION) << Qt::endl;
            return 0;
        }
        if (arg == QLatin1String("--check")) {
            check = true;
        } else if (arg.startsWith(QLatin1Char('-')) && arg != QLatin1String("-")) {
            err << QStringLiteral("Unbekannte Option: %1\n\n").arg(arg) << helpText();
            return 2;
        } else if (path.isEmpty()) {
            path = arg;
        } else {
            err << QStringLiteral("Nur eine Datei, bitte.\n\n") << helpText();
            return 2;
        }
    }
    if (check) {
        if (path.isEmpty()) {
            err << QStringLiteral("--check braucht eine DATEI.\n\n") << helpText();
            return 2;
        }
        // No display needed: a core application only.
        QCoreApplication app(argc, argv);
        return checkFile(path, out, err);
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Merivox-Ansicht"));
    // The program speaks German; Qt's own dialogs (the file dialog, message box buttons) too.
    installQtTranslation(app);
    ViewerWindow window;
    window.show();
    if (path.isEmpty()) {
        QTimer::singleShot(0, &window, &ViewerWindow::chooseFile);
    } else {
        window.openFile(path);
    }
    return QApplication::exec();
}

} // namespace merivox
