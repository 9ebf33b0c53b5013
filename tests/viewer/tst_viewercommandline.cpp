// merivox-view's command line, every option with good and wrong values: what the arguments are
// read as, and what the real program answers (exit code, standard output, standard error) without
// a display. A wrong command line says what is wrong in one line, naming the value, and points at
// --help in one more; the help lists the options that the parser knows, in a fixed layout.
#include "../support/ProgramOutput.h"
#include "ViewerCommand.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

using namespace merivox;
using Action = ViewerRequest::Action;

namespace {

// Two records, lines 1-3 and 4-6.
const QByteArray kFile = "ITEM:AMM M3\r\nbegintip\r\nendtip\r\nITEM:BMM M4\r\nbegintip\r\nendtip\r\n";

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), bytes.size());
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A refused command line on standard error.
QString refused(const QString &why)
{
    return why + QStringLiteral("\n„merivox-view --help“ zeigt, welche Optionen es gibt.\n");
}

} // namespace

Q_DECLARE_METATYPE(merivox::ViewerRequest::Action)

class TestViewerCommandLine final : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void requests_data();
    void requests();
    void program_data();
    void program();
    void helpListsWhatTheParserKnows();

private:
    QTemporaryDir m_folder;
    QString m_file;
    QString m_unicode;
};

void TestViewerCommandLine::initTestCase()
{
    QVERIFY(m_folder.isValid());
    m_file = m_folder.filePath(QStringLiteral("usrprobe.dat"));
    // A name that no ANSI code page holds whole: it reaches the program on Windows only as UTF-16.
    m_unicode = m_folder.filePath(QStringLiteral("Prüfung_Ω_漢.dat"));
}

void TestViewerCommandLine::requests_data()
{
    // What good command lines are read as: options and files in any order, "--" before a file
    // that looks like an option, a value joined to its option.
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<Action>("action");
    QTest::addColumn<QString>("path");
    QTest::addColumn<int>("line");
    QTest::addColumn<QString>("pdfPath");

    const auto row = [](const QStringList &arguments, Action action, const QString &path, int line,
                        const QString &pdfPath) {
        QTest::newRow(qPrintable(arguments.join(u' '))) << arguments << action << path << line << pdfPath;
    };
    row({}, Action::Window, {}, 0, {});
    row({"a.dat"}, Action::Window, "a.dat", 0, {});
    row({"-"}, Action::Window, "-", 0, {});
    row({"--", "--check"}, Action::Window, "--check", 0, {});
    row({"--check=a.dat"}, Action::Check, "a.dat", 0, {});
    row({"--check", "-"}, Action::Check, "-", 0, {});
    row({"--remove", "12", "a.dat"}, Action::Remove, "a.dat", 12, {});
    row({"a.dat", "--remove", "3"}, Action::Remove, "a.dat", 3, {});
    row({"--remove", "+3", "a.dat"}, Action::Remove, "a.dat", 3, {});
    row({"--remove", "2147483647", "a.dat"}, Action::Remove, "a.dat", 2147483647, {});
    row({"--repair", "40", "a.dat"}, Action::Repair, "a.dat", 40, {});
    row({"a.dat", "--repair=7"}, Action::Repair, "a.dat", 7, {});
    row({"--history", "a.dat"}, Action::History, "a.dat", 0, {});
    row({"--restore", "2", "a.dat"}, Action::Restore, "a.dat", 0, {});
    row({"a.dat", "--restore=12"}, Action::Restore, "a.dat", 0, {});
    row({"--pdf", "o.pdf", "1", "a.dat"}, Action::Sheet, "a.dat", 1, "o.pdf");
    row({"--pdf", "Blatt Ω.pdf", "007", "Prüfung_Ω_漢.dat"}, Action::Sheet, "Prüfung_Ω_漢.dat", 7, "Blatt Ω.pdf");
    // Two values: the catalogue of the whole file; a file named like a line number is a file.
    row({"--pdf", "k.pdf", "a.dat"}, Action::Catalogue, "a.dat", 0, "k.pdf");
    row({"a.dat", "--pdf=Katalog Ω.pdf"}, Action::Catalogue, "a.dat", 0, "Katalog Ω.pdf");
    row({"--pdf", "k.pdf", "12"}, Action::Catalogue, "12", 0, "k.pdf");
    row({"--check", "a.dat", "-h"}, Action::Help, {}, 0, {});
    row({"-v", "--help"}, Action::Help, {}, 0, {}); // help wins over version
    row({"-hv"}, Action::Help, {}, 0, {});
    row({"a.dat", "-v"}, Action::Version, {}, 0, {});
}

void TestViewerCommandLine::requests()
{
    QFETCH(QStringList, arguments);
    QFETCH(Action, action);
    QFETCH(QString, path);
    QFETCH(int, line);
    QFETCH(QString, pdfPath);

    const ViewerRequest request = readViewerArguments(QStringList{QStringLiteral("merivox-view")} + arguments);
    QCOMPARE(request.refusal, QString());
    QCOMPARE(request.action, action);
    QCOMPARE(request.path, path);
    QCOMPARE(request.line, line);
    QCOMPARE(request.pdfPath, pdfPath);
}

void TestViewerCommandLine::program_data()
{
    // In arguments and expected texts: FILE is DIR/usrprobe.dat holding two records, UNICODE the
    // same bytes under a name outside every code page, DIR the test's folder; a path in <> is
    // written with the system's separators. An expected standard
    // output that ends in "…" is its first line. (Output goes through a pipe: on Windows in the
    // code page, so no expected text names UNICODE.)
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("out");
    QTest::addColumn<QString>("err");

    const QString help = QStringLiteral("Aufruf: merivox-view [DATEI]…");
    const QString version = QStringLiteral("merivox-view " MERIVOX_PROJECT_VERSION "\n");
    const QString counts = QStringLiteral("2 Einträge, 0 Probleme\n");
    const QString removeMissing = refused("--remove braucht eine Zeilennummer und eine DATEI.");
    const QString sheetMissing =
        refused("--pdf braucht AUSGABE.pdf und DATEI, für ein Datenblatt AUSGABE.pdf, ZEILE und DATEI.");
    const auto row = [](const char *name, const QStringList &arguments, int exitCode, const QString &out,
                        const QString &err) {
        QTest::newRow(name) << arguments << exitCode << out << err;
    };

    row("help", {"--help"}, 0, help, {});
    row("help, short", {"-h"}, 0, help, {});
    row("help after a good option", {"--check", "FILE", "--help"}, 0, help, {});
    row("version", {"--version"}, 0, version, {});
    row("version, short", {"-v"}, 0, version, {});
    row("help and version", {"-v", "-h"}, 0, help, {});

    row("check", {"--check", "FILE"}, 0, counts, {});
    row("check, value joined", {"--check=FILE"}, 0, counts, {});
    row("check, name outside the code page", {"--check", "UNICODE"}, 0, counts, {});
    row("check, missing file", {"--check", "DIR/fehlt.dat"}, 2, {}, "<DIR/fehlt.dat> existiert nicht.\n");
    row("check without file", {"--check"}, 2, {}, refused("--check braucht eine DATEI."));
    row("check, an option for its file", {"--check", "--remove", "1", "FILE"}, 2, {},
        refused("--check braucht eine DATEI."));
    row("check, empty file name", {"--check", ""}, 2, {}, refused("DATEI ist leer: ein Dateiname fehlt."));
    row("check, two files", {"--check", "FILE", "b.dat"}, 2, {},
        refused("„b.dat“ ist ein Argument zu viel (Aufruf: merivox-view --check DATEI)."));

    row("remove, line past the end", {"--remove", "7", "FILE"}, 1, {},
        "Zeile 7 gibt es nicht: die Datei hat 6 Zeilen.\n");
    row("remove, line 0", {"--remove", "0", "FILE"}, 2, {}, refused("„0“ ist keine Zeilennummer: Zeilen zählen ab 1."));
    row("remove, negative line", {"--remove", "-3", "FILE"}, 2, {},
        refused("„-3“ ist keine Zeilennummer: Zeilen zählen ab 1."));
    row("remove, word", {"--remove", "abc", "FILE"}, 2, {}, refused("„abc“ ist keine Zeilennummer."));
    row("remove, decimal", {"--remove", "1,5", "FILE"}, 2, {}, refused("„1,5“ ist keine Zeilennummer."));
    row("remove, blank around", {"--remove", " 1", "FILE"}, 2, {}, refused("„ 1“ ist keine Zeilennummer."));
    row("remove, too large", {"--remove", "2147483648", "FILE"}, 2, {},
        refused("„2147483648“ ist keine Zeilennummer: so viele Zeilen hat keine Datei."));
    row("remove without file", {"--remove", "5"}, 2, {}, removeMissing);

    const QString notEntry = "ist keine Nummer aus der Liste von „merivox-view --history DATEI“: sie zählt ab 1.";
    row("history, nothing removed yet", {"--history", "FILE"}, 0,
        "Der Verlauf usrprobe.dat.history enthält keine entfernten Einträge.\n", {});
    row("history without file", {"--history"}, 2, {}, refused("--history braucht eine DATEI."));
    row("history, missing file", {"--history", "DIR/fehlt.dat"}, 2, {}, "<DIR/fehlt.dat> existiert nicht.\n");
    row("restore, nothing removed yet", {"--restore", "1", "FILE"}, 1, {},
        "Der Verlauf usrprobe.dat.history enthält keine entfernten Einträge.\n");
    row("restore, entry 0", {"--restore", "0", "FILE"}, 2, {}, refused("„0“ " + notEntry));
    row("restore, word", {"--restore", "eins", "FILE"}, 2, {}, refused("„eins“ " + notEntry));
    row("restore without number", {"--restore", "FILE"}, 2, {},
        refused("--restore braucht eine Nummer aus --history und eine DATEI."));
    row("restore and remove", {"--restore", "1", "--remove", "2", "FILE"}, 2, {},
        refused("--restore und --remove gehen nicht zusammen."));
    row("remove alone", {"--remove"}, 2, {}, removeMissing);
    row("remove, two files", {"--remove", "1", "FILE", "b.dat"}, 2, {},
        refused("„b.dat“ ist ein Argument zu viel (Aufruf: merivox-view --remove ZEILE DATEI)."));
    row("remove twice", {"--remove", "1", "FILE", "--remove", "4"}, 2, {}, refused("--remove darf nur einmal stehen."));

    row("pdf", {"--pdf", "DIR/neu.pdf", "1", "FILE"}, 0, "Datenblatt von „A“ geschrieben: DIR/neu.pdf\n", {});
    row("pdf over the file read", {"--pdf", "FILE", "1", "FILE"}, 2, {},
        "<DIR/usrprobe.dat> ist die Datei, die gelesen wird: sie wird nicht überschrieben.\n");
    row("pdf, line not a number", {"--pdf", "DIR/neu.pdf", "x", "FILE"}, 2, {}, refused("„x“ ist keine Zeilennummer."));
    row("pdf, line 0", {"--pdf", "DIR/neu.pdf", "0", "FILE"}, 2, {},
        refused("„0“ ist keine Zeilennummer: Zeilen zählen ab 1."));
    row("pdf without file", {"--pdf", "DIR/neu.pdf"}, 2, {}, sheetMissing);
    row("pdf alone", {"--pdf"}, 2, {}, sheetMissing);
    row("pdf, empty output", {"--pdf", "", "1", "FILE"}, 2, {}, refused("AUSGABE.pdf ist leer: ein Dateiname fehlt."));
    row("pdf, two files", {"--pdf", "DIR/neu.pdf", "1", "FILE", "FILE"}, 2, {},
        refused("„FILE“ ist ein Argument zu viel (Aufruf: merivox-view --pdf AUSGABE.pdf ZEILE DATEI)."));
    row("catalogue", {"--pdf", "DIR/neu.pdf", "FILE"}, 0,
        "Katalog von „usrprobe.dat“ geschrieben (3 Seiten): DIR/neu.pdf\n", {});
    row("catalogue, value joined", {"FILE", "--pdf=DIR/neu.pdf"}, 0,
        "Katalog von „usrprobe.dat“ geschrieben (3 Seiten): DIR/neu.pdf\n", {});
    row("catalogue over the file read", {"--pdf", "FILE", "FILE"}, 2, {},
        "<DIR/usrprobe.dat> ist die Datei, die gelesen wird: sie wird nicht überschrieben.\n");
    row("catalogue, missing file", {"--pdf", "DIR/neu.pdf", "DIR/fehlt.dat"}, 2, {},
        "<DIR/fehlt.dat> existiert nicht.\n");
    row("catalogue into a missing folder", {"--pdf", "DIR/fehlt/neu.pdf", "FILE"}, 2, {},
        "Der Ordner <DIR/fehlt> existiert nicht.\n");
    row("catalogue, empty output", {"--pdf", "", "FILE"}, 2, {}, refused("AUSGABE.pdf ist leer: ein Dateiname fehlt."));

    row("two files", {"FILE", "b.dat"}, 2, {},
        refused("„b.dat“ ist ein Argument zu viel (Aufruf: merivox-view [DATEI])."));
    row("empty file name", {""}, 2, {}, refused("DATEI ist leer: ein Dateiname fehlt."));
    row("unknown option", {"--gibtsnicht"}, 2, {}, refused("Unbekannte Option: --gibtsnicht"));
    row("unknown letter", {"-x", "FILE"}, 2, {}, refused("Unbekannte Option: -x"));
    row("unknown letter beside a known one", {"-hx"}, 2, {}, refused("Unbekannte Option: -hx"));
    row("Qt's own option", {"-platform", "xcb"}, 2, {}, refused("Unbekannte Option: -platform"));
    row("unknown option after a good one", {"--check", "FILE", "--gibtsnicht"}, 2, {},
        refused("Unbekannte Option: --gibtsnicht"));
    row("value on a flag", {"--help=ja"}, 2, {}, refused("„--help=ja“: --help nimmt keinen Wert."));
    row("check and remove", {"--check", "FILE", "--remove", "1"}, 2, {},
        refused("--check und --remove gehen nicht zusammen."));
    row("pdf and check", {"--pdf", "DIR/neu.pdf", "1", "--check", "FILE"}, 2, {},
        refused("--pdf und --check gehen nicht zusammen."));
}

void TestViewerCommandLine::program()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QString, out);
    QFETCH(QString, err);

    writeFile(m_file, kFile);
    writeFile(m_unicode, kFile);
    const QString sheet = m_folder.filePath(QStringLiteral("neu.pdf"));
    QFile::remove(sheet);
    const QString folder = m_folder.path();
    arguments.replaceInStrings(QStringLiteral("FILE"), m_file);
    arguments.replaceInStrings(QStringLiteral("UNICODE"), m_unicode);
    arguments.replaceInStrings(QStringLiteral("DIR"), folder);
    static const QRegularExpression native(QStringLiteral("<([^>]*)>"));
    for (QString *text : {&out, &err}) {
        text->replace(QStringLiteral("DIR"), folder);
        text->replace(QStringLiteral("FILE"), m_file);
        for (QRegularExpressionMatch match = native.match(*text); match.hasMatch(); match = native.match(*text)) {
            text->replace(match.capturedStart(), match.capturedLength(), QDir::toNativeSeparators(match.captured(1)));
        }
    }

    // No display to reach: whatever needs none must not try. The sheet needs fonts but finds a
    // platform without a display by itself.
    QProcessEnvironment environment = test::withoutDisplay();
    const bool pdf = !arguments.filter(QRegularExpression(QStringLiteral("^--pdf(=|$)"))).isEmpty();
    if (pdf) {
        environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), folder); // as a desktop session has it
        environment.insert(QStringLiteral("QT_LOGGING_RULES"), QStringLiteral("qt.qpa.windows=false"));
    }
    QProcess program;
    program.setProcessEnvironment(environment);
    QVERIFY(test::runToEnd(program, QStringLiteral(MERIVOX_VIEW), arguments));
    const QString outText = test::programText(program.readAllStandardOutput());
    const QString errText = test::programText(program.readAllStandardError());
    if (out.endsWith(u'…')) {
        QCOMPARE(outText.section(u'\n', 0, 0), out.chopped(1));
    } else {
        QCOMPARE(outText, out);
    }
    QCOMPARE(errText, err);
    QCOMPARE(program.exitCode(), exitCode);

    // Nothing is written but the sheet that was asked for and could be.
    QCOMPARE(readFile(m_file), kFile);
    QCOMPARE(readFile(m_unicode), kFile);
    QCOMPARE(readFile(sheet).startsWith("%PDF-"), exitCode == 0 && pdf);
}

void TestViewerCommandLine::helpListsWhatTheParserKnows()
{
    // Every option's first line: two spaces, its names, its values; continuation lines start
    // further in. Each option so listed is read by the parser with as many values as shown.
    const QString help = viewerHelpText();
    const qsizetype start = help.indexOf(QStringLiteral("\nOptionen:\n"));
    QVERIFY(start > 0);
    const QStringList lines = help.mid(start + 11).split(u'\n', Qt::SkipEmptyParts);
    static const QRegularExpression first(
        QStringLiteral("^  (-[a-z], )?(--[a-z]+)((?: [A-Z][A-Za-z.]*)*)(?:  +\\S.*)?$"));
    QStringList listed;
    for (const QString &line : lines) {
        if (line.startsWith(QLatin1String("   "))) {
            QVERIFY2(line.size() > 17 && line.at(17) != u' ', qPrintable(line));
            continue;
        }
        const QRegularExpressionMatch match = first.match(line);
        QVERIFY2(match.hasMatch(), qPrintable(line));
        const QString name = match.captured(2);
        listed.append(QStringLiteral("  ") + match.captured(1) + name + match.captured(3));

        QStringList arguments{QStringLiteral("merivox-view"), name};
        for (const QString &value : match.captured(3).split(u' ', Qt::SkipEmptyParts)) {
            arguments.append(value == QLatin1String("ZEILE") || value == QLatin1String("NR") ? QStringLiteral("3")
                                                                                               : value);
        }
        const ViewerRequest request = readViewerArguments(arguments);
        QVERIFY2(request.action != Action::Refused, qPrintable(name + QStringLiteral(": ") + request.refusal));
        QVERIFY2(request.action != Action::Window, qPrintable(name));
    }
    QCOMPARE(listed, (QStringList{"  --check DATEI", "  --remove ZEILE DATEI", "  --repair ZEILE DATEI",
                                  "  --history DATEI", "  --restore NR DATEI", "  --pdf AUSGABE.pdf ZEILE DATEI",
                                  "  -h, --help", "  -v, --version"}));
    // The calls at the top name the options that take values, as the list does.
    QVERIFY(help.startsWith(QStringLiteral("Aufruf: merivox-view [DATEI]\n"
                                           "        merivox-view --check DATEI\n"
                                           "        merivox-view --remove ZEILE DATEI\n"
                                           "        merivox-view --repair ZEILE DATEI\n"
                                           "        merivox-view --history DATEI\n"
                                           "        merivox-view --restore NR DATEI\n"
                                           "        merivox-view --pdf AUSGABE.pdf ZEILE DATEI\n"
                                           "        merivox-view --pdf AUSGABE.pdf DATEI\n\n")));
}

QTEST_GUILESS_MAIN(TestViewerCommandLine)
#include "tst_viewercommandline.moc"
