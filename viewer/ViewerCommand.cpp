#include "ViewerCommand.h"

#include "ProbeFile.h"
#include "ReaderTexts.h"
#include "RemoveCommand.h"

#include <QCoreApplication>
#include <QStringList>
#include <QTextStream>

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

ViewerRequest answer(ViewerRequest::Action action)
{
    ViewerRequest request;
    request.action = action;
    return request;
}

ViewerRequest refused(const QString &why)
{
    ViewerRequest request;
    request.action = ViewerRequest::Action::Refused;
    request.refusal = why;
    return request;
}

QString noteText(const Problem &note)
{
    return note.hint ? QStringLiteral("Hinweis: ") + note.text : note.text;
}

} // namespace

ViewerRequest readViewerArguments(int argc, char *argv[])
{
    const QString removeUsage = QStringLiteral("--remove braucht eine Zeilennummer und eine DATEI.");
    const QString sheetUsage = QStringLiteral("--pdf braucht AUSGABE.pdf, ZEILE und DATEI.");
    QString path;
    bool check = false;
    QString removeLine;
    QStringList sheet; // --pdf: the PDF's path and the line
    for (int i = 1; i < argc; ++i) {
        const QString arg = QString::fromLocal8Bit(argv[i]);
        if (arg == QLatin1String("-h") || arg == QLatin1String("--help")) {
            return answer(ViewerRequest::Action::Help);
        }
        if (arg == QLatin1String("-v") || arg == QLatin1String("--version")) {
            return answer(ViewerRequest::Action::Version);
        }
        if (arg == QLatin1String("--check")) {
            check = true;
        } else if (arg == QLatin1String("--remove")) {
            if (!removeLine.isEmpty() || i + 1 == argc) {
                return refused(removeUsage);
            }
            removeLine = QString::fromLocal8Bit(argv[++i]);
        } else if (arg == QLatin1String("--pdf")) {
            if (i + 2 >= argc) {
                return refused(sheetUsage);
            }
            sheet = {QString::fromLocal8Bit(argv[i + 1]), QString::fromLocal8Bit(argv[i + 2])};
            i += 2;
        } else if (arg.startsWith(QLatin1Char('-')) && arg != QLatin1String("-")) {
            return refused(QStringLiteral("Unbekannte Option: %1").arg(arg));
        } else if (path.isEmpty()) {
            path = arg;
        } else {
            return refused(QStringLiteral("Nur eine Datei, bitte."));
        }
    }
    ViewerRequest request;
    request.path = path;
    if (!removeLine.isEmpty()) {
        bool number = false;
        request.line = removeLine.toInt(&number);
        if (!number || request.line < 1 || path.isEmpty() || check || !sheet.isEmpty()) {
            return refused(removeUsage);
        }
        request.action = ViewerRequest::Action::Remove;
        return request;
    }
    if (!sheet.isEmpty()) {
        bool number = false;
        request.line = sheet.at(1).toInt(&number);
        if (path.isEmpty() || check || !number) {
            return refused(number ? sheetUsage : QStringLiteral("Keine Zeilennummer: %1").arg(sheet.at(1)));
        }
        request.action = ViewerRequest::Action::Sheet;
        request.pdfPath = sheet.at(0);
        return request;
    }
    if (check) {
        if (path.isEmpty()) {
            return refused(QStringLiteral("--check braucht eine DATEI."));
        }
        request.action = ViewerRequest::Action::Check;
    }
    return request;
}

std::optional<int> answerWithoutDisplay(const ViewerRequest &request, int &argc, char *argv[], QTextStream &out,
                                        QTextStream &err)
{
    switch (request.action) {
    case ViewerRequest::Action::Help:
        out << helpText();
        return 0;
    case ViewerRequest::Action::Version:
        out << QStringLiteral("merivox-view " MERIVOX_VERSION) << Qt::endl;
        return 0;
    case ViewerRequest::Action::Refused:
        err << request.refusal << QStringLiteral("\n\n") << helpText();
        return 2;
    case ViewerRequest::Action::Check: {
        // No display needed: a core application only.
        QCoreApplication app(argc, argv);
        return checkFile(request.path, out, err);
    }
    case ViewerRequest::Action::Remove: {
        QCoreApplication app(argc, argv);
        return removeRecordAtLine(request.path, request.line, out, err);
    }
    case ViewerRequest::Action::Sheet:
    case ViewerRequest::Action::Window:
        break;
    }
    return std::nullopt;
}

QString countText(qsizetype records, qsizetype problems, qsizetype hints)
{
    QString text = QStringLiteral("%1, %2").arg(counted(records, QStringLiteral("Eintrag"), QStringLiteral("Einträge")),
                                                counted(problems, QStringLiteral("Problem"), QStringLiteral("Probleme")));
    if (hints > 0) {
        text += QStringLiteral(", ") + counted(hints, QStringLiteral("Hinweis"), QStringLiteral("Hinweise"));
    }
    return text;
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

} // namespace merivox
