#include "ViewerStartup.h"

#include "Console.h"
#include "DataSheet.h"
#include "HeadlessPlatform.h"
#include "ProbeFile.h"
#include "QtTranslation.h"
#include "RemoveCommand.h"
#include "ReaderTexts.h"
#include "ViewerWindow.h"

#include <QApplication>
#include <QFileInfo>
#include <QTextStream>
#include <QTimer>


namespace merivox {

namespace {

QString helpText()
{
    return QStringLiteral(
        "Aufruf: merivox-view [DATEI]\n"
        "        merivox-view --check DATEI\n"
        "        merivox-view --remove ZEILE DATEI\n"
        "        merivox-view --pdf AUSGABE.pdf ZEILE DATEI\n"
        "\n"
        "Zeigt die Einträge einer Taster-Datei (usrprobe.dat): jeden Eintrag in einer Tabelle,\n"
        "maßstäblich gezeichnet und als Text, dazu die Probleme der Datei mit ihren Zeilennummern.\n"
        "Ohne DATEI fragt ein Dateidialog nach ihr. Das Fenster liest die Datei neu, wenn sie sich\n"
        "ändert. Die Datei wird nur gelesen, außer beim Entfernen eines Eintrags (im Fenster mit\n"
        "„Eintrag entfernen …“ und „Rückgängig“); die alte Fassung bleibt dabei als DATEI.bak erhalten.\n"
        "\n"
        "Optionen:\n"
        "  --check DATEI  prüft die Datei ohne Fenster: jedes Problem als „ZEILE: Text“,\n"
        "                 jeder Hinweis als „ZEILE: Hinweis: Text“, dann „N Einträge,\n"
        "                 M Probleme“ (und „, K Hinweise“, wenn es welche gibt).\n"
        "                 Hinweise (LF-Zeilenenden, ein als UTF-8 gespeicherter Name,\n"
        "                 Dezimalpunkt und -komma gemischt) sind keine Probleme.\n"
        "                 Rückgabewert 0: keine Probleme, 1: Probleme gefunden,\n"
        "                 2: Datei nicht lesbar.\n"
        "  --remove ZEILE DATEI\n"
        "                 entfernt den Eintrag, zu dem die Zeile gehört, und nur ihn.\n"
        "                 Rückgabewert 0: entfernt, 1: kein solcher Eintrag, Datei geändert\n"
        "                 oder in Benutzung, 2: Aufruf falsch, Datei nicht les- oder schreibbar.\n"
        "  --pdf AUSGABE.pdf ZEILE DATEI\n"
        "                 schreibt das Datenblatt (eine A4-Seite) des Eintrags, zu dem die\n"
        "                 Zeile ZEILE gehört. Rückgabewert 0: geschrieben, 1: die Zeile gehört\n"
        "                 zu keinem oder zu zwei Einträgen, 2: Datei nicht lesbar oder\n"
        "                 AUSGABE.pdf nicht schreibbar.\n"
        "  -h, --help     zeigt diese Hilfe.\n"
        "  -v, --version  zeigt die Version.\n");
}

} // namespace

QString countText(qsizetype records, qsizetype problems, qsizetype hints)
{
    QString text = QStringLiteral("%1, %2").arg(counted(records, QStringLiteral("Eintrag"), QStringLiteral("Einträge")),
                                                counted(problems, QStringLiteral("Problem"), QStringLiteral("Probleme")));
    if (hints > 0) {
        text += QStringLiteral(", ") + counted(hints, QStringLiteral("Hinweis"), QStringLiteral("Hinweise"));
    }
    return text;
}

QString noteText(const Problem &note)
{
    return note.hint ? QStringLiteral("Hinweis: ") + note.text : note.text;
}

int checkFile(const QString &path, QTextStream &out, QTextStream &err)
{
    // The file is read piece by piece and every note printed as soon as it is certain: a file of
    // any size, with any number of problems, is checked in little memory.
    QString error;
    const std::optional<ProbeFile::Totals> totals = ProbeFile::check(
        path, [&out](const Problem &note) { out << note.line << ": " << noteText(note) << '\n'; }, &error);
    if (!totals) {
        err << error << Qt::endl;
        return 2;
    }
    out << countText(totals->records, totals->problems, totals->hints) << Qt::endl;
    return totals->problems == 0 ? 0 : 1;
}

int writeSheetFile(const QString &pdfPath, int line, const QString &path, QTextStream &out, QTextStream &err)
{
    QString error;
    const std::optional<ProbeFile> file = ProbeFile::read(path, &error);
    if (!file) {
        err << error << Qt::endl;
        return 2;
    }
    const std::optional<qsizetype> record = file->recordOfLine(line, &error);
    if (!record) {
        err << error << Qt::endl;
        return 1;
    }
    const DataSheetSource source{&*file, *record, QFileInfo(path).fileName(), QDate::currentDate()};
    if (!writeDataSheet(pdfPath, source, &error)) {
        err << error << Qt::endl;
        return 2;
    }
    out << QStringLiteral("Datenblatt von „%1“ geschrieben: %2").arg(file->name(*record), pdfPath) << Qt::endl;
    return 0;
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
    QString removeLine;
    QStringList sheet; // --pdf: the PDF's path and the line
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
        } else if (arg == QLatin1String("--remove")) {
            if (!removeLine.isEmpty() || i + 1 == argc) {
                err << QStringLiteral("--remove braucht eine Zeilennummer und eine DATEI.\n\n") << helpText();
                return 2;
            }
            removeLine = QString::fromLocal8Bit(argv[++i]);
        } else if (arg == QLatin1String("--pdf")) {
            if (i + 2 >= argc) {
                err << QStringLiteral("--pdf braucht AUSGABE.pdf, ZEILE und DATEI.\n\n") << helpText();
                return 2;
            }
            sheet = {QString::fromLocal8Bit(argv[i + 1]), QString::fromLocal8Bit(argv[i + 2])};
            i += 2;
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
    if (!removeLine.isEmpty()) {
        bool number = false;
        const int line = removeLine.toInt(&number);
        if (!number || line < 1 || path.isEmpty() || check || !sheet.isEmpty()) {
            err << QStringLiteral("--remove braucht eine Zeilennummer und eine DATEI.\n\n") << helpText();
            return 2;
        }
        QCoreApplication app(argc, argv);
        return removeRecordAtLine(path, line, out, err);
    }
    if (!sheet.isEmpty()) {
        bool isNumber = false;
        const int line = sheet.at(1).toInt(&isNumber);
        if (path.isEmpty() || check || !isNumber) {
            err << (isNumber ? QStringLiteral("--pdf braucht AUSGABE.pdf, ZEILE und DATEI.\n\n")
                             : QStringLiteral("Keine Zeilennummer: %1\n\n").arg(sheet.at(1)))
                << helpText();
            return 2;
        }
        // Fonts, but no window.
        chooseHeadlessPlatform();
        QGuiApplication app(argc, argv);
        return writeSheetFile(sheet.at(0), line, path, out, err);
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
    QApplication::setApplicationName(QStringLiteral("Merivox-Betrachter"));
    // The program speaks German; Qt's own dialogs (the file dialog, message box buttons) too.
    installQtTranslation(app);
    ViewerWindow window;
    window.show();
    if (path.isEmpty()) {
        QTimer::singleShot(0, &window, &ViewerWindow::chooseFile);
    } else {
        window.loadFile(path); // the window shows at once, the file when it is read
    }
    return QApplication::exec();
}

} // namespace merivox
