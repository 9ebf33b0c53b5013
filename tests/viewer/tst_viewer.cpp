// merivox-view: --check output and exit status, run as its own process without a display, and
// the window: table, problems, and a click on a problem that chooses its record.
#include "../support/ProgramOutput.h"
#include "CatalogueAction.h"
#include "ProbeFile.h"
#include "ReaderTestSupport.h"
#include "SampleRecords.h"
#include "ViewerWindow.h"

#include "FileLoader.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QListView>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProcess>
#include <QProgressDialog>
#include <QPushButton>
#include <QTimer>

#ifndef Q_OS_WIN
#include <sys/resource.h>
#endif
#include <QScreen>
#include <QStatusBar>
#include <QTableView>
#include <QTemporaryDir>

#include <algorithm>

using namespace merivox;
using namespace merivox::test;

namespace {

QByteArray allKinds()
{
    QByteArray bytes;
    for (const TipKind kind : kAllKinds) {
        bytes += encoded(built(kind, example(kind, kGermanLocale, true), kGermanLocale));
    }
    return bytes;
}

// All six kinds; the ball's sphere has a diameter that does not read, the disc (from line 35)
// has lost its endtip, the cube (from line 45) a face, and the ball comes again at the end.
QByteArray damaged()
{
    QByteArray bytes = allKinds();
    bytes.replace("hotspot 0 0 -29 0 0 1 12 2 disk\r\nendtip\r\n", "hotspot 0 0 -29 0 0 1 12 2 disk\r\n");
    bytes.replace("face 4 5,25 5,25 0 5,25 -5,25 0 5,25 -5,25 -10,5 5,25 5,25 -10,5\r\n", "");
    bytes.replace("Color 255 0 0\r\nsphere 0 0 -40 3", "Color 255 0 0\r\nsphere 0 0 -40 3,,5");
    return bytes + encoded(built(TipKind::Ball, example(TipKind::Ball, kGermanLocale), kGermanLocale));
}

// The record of a kind that the editor builds from its worked example with some dimensions
// typed otherwise (German).
QByteArray builtWith(TipKind kind, std::vector<std::pair<Dimension TipInputs::*, const char *>> values)
{
    TipInputs in = example(kind, kGermanLocale);
    setTyped(std::move(values), kGermanLocale)(in);
    return encoded(built(kind, in, kGermanLocale));
}

} // namespace

class TestViewer final : public QObject
{
    Q_OBJECT

private slots:
    void commandLine_data();
    void commandLine();
    void withoutWindowPart_data();
    void withoutWindowPart();
    void problemChoosesRecord();
    void window();
    void midLineProblemChoosesItsRecord();
    void manyProblems();
    void nameColumn_data();
    void nameColumn();
    void countsStay_data();
    void countsStay();
    void memory();
    void catalogueQuestion_data();
    void catalogueQuestion();
    void catalogue_data();
    void catalogue();

private:
    QTemporaryDir m_folder;
    QString write(const QString &name, const QByteArray &bytes);
};

QString TestViewer::write(const QString &name, const QByteArray &bytes)
{
    const QString path = m_folder.filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size()) {
        qFatal("cannot write the test file");
    }
    return path;
}

void TestViewer::commandLine_data()
{
    // FILE in the arguments stands for a file holding bytes. An expected text that ends with a
    // line end is the whole output, else its start.
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("out");
    QTest::addColumn<QString>("err");

    const auto row = [](const char *name, const QStringList &arguments, const QByteArray &bytes, int exitCode,
                        const QString &out, const QString &err) {
        QTest::newRow(name) << arguments << bytes << exitCode << out << err;
    };
    const auto check = [&](const char *name, const QByteArray &bytes, int exitCode, const QString &out) {
        row(name, {"--check", "FILE"}, bytes, exitCode, out, {});
    };
    check("all six kinds", allKinds(), 0, "6 Einträge, 0 Probleme\n");
    check("empty", {}, 0, "0 Einträge, 0 Probleme\n");
    check("one record, one problem", "ITEM:AMM M3\r\nbegintip\r\n", 1,
          "1: Eintrag „A“ ist abgeschnitten: endtip fehlt.\n1 Eintrag, 1 Problem\n");
    check("hints only", "ITEM:W\xc3\xbc" "rfelMM M3\nribcount 10\nColor 1 2 3\ncylinder 0 0 0 0 0 -5.5 4\nconnect 0 0 -5,5 0 0 1 M2\n",
          0,
          "1: Hinweis: Der Name „WÃ¼rfel“ sieht nach UTF-8 aus (gemeint wohl „Würfel“): die Datei ist in "
          "Windows-1252 geschrieben.\n"
          "1: Hinweis: Die Zeilen enden mit LF allein statt mit CR LF (mit einem Texteditor gespeichert?).\n"
          "5: Hinweis: Dezimalpunkt und Dezimalkomma gemischt: hier „-5,5“, vorher im Eintrag das andere Zeichen.\n"
          "1 Eintrag, 0 Probleme, 3 Hinweise\n");
    check("control characters shown escaped", "ITEM:AMM M3\r\nbegin\x1b[2Jtip\x07" + QByteArray(1, '\0') + "\r\n", 1,
          "1: Eintrag „A“ ist abgeschnitten: nach der Zeile ITEM: folgt kein Teil.\n"
          "2: Unbekannte Zeile: „begin\\x1b[2Jtip\\x07\\x00“.\n1 Eintrag, 2 Probleme\n");
    check("damaged", damaged(), 1,
          "9: Keine Zahl: „3,,5“ (Feld 4 der Zeile sphere).\n"
          "35: Eintrag „SC1“ ist abgeschnitten: endtip fehlt.\n"
          "45: Eintrag „W10“ ist abgeschnitten: 1 von 6 Flächen fehlt.\n"
          "63: Name „TIP“ mit Gewinde „M3“ steht schon in Zeile 1.\n"
          "7 Einträge, 4 Probleme\n");
    // A negative size is a hint: the exit code stays 0, at most one hint a line, the first size.
    const auto negative = [](int line, const char *size, const char *text, const char *value) {
        return QStringLiteral("%1: Hinweis: Negative Größe: %2 in „%3“ ist %4.\n")
            .arg(line)
            .arg(QString::fromUtf8(size), QString::fromUtf8(text), QString::fromLatin1(value));
    };
    const QString one = QStringLiteral("1 Eintrag, 0 Probleme, 1 Hinweis\n");
    const QString two = QStringLiteral("1 Eintrag, 0 Probleme, 2 Hinweise\n");
    const QString three = QStringLiteral("1 Eintrag, 0 Probleme, 3 Hinweise\n");
    const char *const diameter = "der Durchmesser";
    const char *const first = "die erste Größe des Antastpunkts";
    const char *const second = "die zweite Größe des Antastpunkts";
    check("negative D1, ball", builtWith(TipKind::Ball, {{&TipInputs::D1, "-4"}}), 0,
          negative(5, diameter, "cylinder 0 0 0 0 0 -10 -4", "-4") +
              negative(6, "der Durchmesser am Anfang", "cone 0 0 -10 -4 0 0 -15 2", "-4") + two);
    check("negative D2, ball", builtWith(TipKind::Ball, {{&TipInputs::D2, "-2"}}), 0,
          negative(6, "der Durchmesser am Ende", "cone 0 0 -10 4 0 0 -15 -2", "-2") +
              negative(7, diameter, "cylinder 0 0 -15 0 0 -40 -2", "-2") + two);
    check("negative ball diameter: sphere, both sizes of the hot spot",
          builtWith(TipKind::Ball, {{&TipInputs::ball_diameter, "-3,5"}}), 0,
          negative(9, diameter, "sphere 0 0 -40 -3,5", "-3,5") +
              negative(10, first, "hotspot 0 0 -40 0 0 1 -3,5 -3,5 ball", "-3,5") + two);
    check("negative pin diameter, cylinder tip", builtWith(TipKind::Cylinder, {{&TipInputs::ball_diameter, "-2"}}), 0,
          negative(9, diameter, "cylinder 0 0 -30 0 0 -45 -2", "-2") +
              negative(10, diameter, "sphere 0 0 -45 -2", "-2") +
              negative(11, first, "hotspot 0 0 -45 0 0 1 -2 15 shank", "-2") + three);
    check("pin ending above its start: a negative shank", builtWith(TipKind::Cylinder, {{&TipInputs::L4, "25"}}), 0,
          negative(11, second, "hotspot 0 0 -25 0 0 1 2 -5 shank", "-5") + one);
    check("negative half sphere", builtWith(TipKind::HalfSphere, {{&TipInputs::ball_diameter, "-8"}}), 0,
          negative(9, diameter, "cutsphere 0 0 -30 0 0 1 -8 2 -10000", "-8") +
              negative(10, first, "hotspot 0 0 -30 0 0 1 -8 -8 ball", "-8") + two);
    check("negative disc diameter", builtWith(TipKind::Disc, {{&TipInputs::length, "-12"}}), 0,
          negative(9, diameter, "cylinder 0 0 -28 0 0 -30 -12", "-12") +
              negative(10, first, "hotspot 0 0 -29 0 0 1 -12 2 disk", "-12") + two);
    check("negative disc thickness", builtWith(TipKind::Disc, {{&TipInputs::width, "-2"}}), 0,
          negative(10, second, "hotspot 0 0 -31 0 0 1 12 -2 disk", "-2") + one);
    check("negative extension diameter", builtWith(TipKind::Extension, {{&TipInputs::D1, "-1"}}), 0,
          negative(4, diameter, "cylinder 0 0 0 0 0 -50 -1", "-1") + one);
    // Lengths that stand only as coordinates are not sizes of a line.
    check("negative extension length", builtWith(TipKind::Extension, {{&TipInputs::length, "-50"}}), 0,
          "1 Eintrag, 0 Probleme\n");
    check("negative cube edge", builtWith(TipKind::Cube, {{&TipInputs::L1, "-10"}}), 0, "1 Eintrag, 0 Probleme\n");
    check(
        "minus zero and a plus sign are no negative size",
        builtWith(TipKind::Ball, {{&TipInputs::D1, "-0"}, {&TipInputs::D2, "+2"}, {&TipInputs::ball_diameter, "-0,0"}}),
        0, "1 Eintrag, 0 Probleme\n");
    QByteArray longLine = builtWith(TipKind::Ball, {{&TipInputs::D2, "-2"}});
    longLine.replace("cylinder 0 0 -15", "cylinder" + QByteArray(120, ' ') + "0 0 -15");
    check("a line too long for the quick way", longLine, 0,
          negative(6, "der Durchmesser am Ende", "cone 0 0 -10 4 0 0 -15 -2", "-2") +
              negative(7, diameter, QByteArray("cylinder" + QByteArray(32, ' ') + "…").constData(), "-2") + two);
    QByteArray damagedSize = builtWith(TipKind::Ball, {{&TipInputs::ball_diameter, "-3"}});
    damagedSize.replace("sphere 0 0 -40 -3", "sphere 0 0 -40 -3 7");
    check("a damaged line has its problem and no hint", damagedSize, 1,
          "9: Falsche Zahl der Felder: sphere braucht 4 Felder, hier 5.\n" +
              negative(10, first, "hotspot 0 0 -40 0 0 1 -3 -3 ball", "-3") + "1 Eintrag, 1 Problem, 1 Hinweis\n");
    QByteArray runTogether = builtWith(TipKind::Cylinder, {{&TipInputs::L4, "25"}}) + kBall;
    runTogether.replace("endtip\r\nITEM:TIP", "endtipITEM:TIP");
    runTogether.replace("2 -5 shank\r\nendtip", "2 -5 shank\r\ncylinder 0 0 0 0 0 -10 -4");
    check("a line run together with the next item line: its whole first part is read", runTogether, 1,
          "1: Eintrag „ZT1“ ist abgeschnitten: endtip fehlt.\n" +
              negative(11, second, "hotspot 0 0 -25 0 0 1 2 -5 shank", "-5") +
              "12: Zwei Zeilen in einer (Zeilenende fehlt?): „ITEM:TIPMM M3“ steht mitten in der Zeile.\n" +
              negative(12, diameter, "cylinder 0 0 0 0 0 -10 -4", "-4") + "2 Einträge, 2 Probleme, 2 Hinweise\n");
    const QString missing = m_folder.filePath(QStringLiteral("fehlt.dat"));
    row("missing file", {"--check", missing}, {}, 2, {}, QDir::toNativeSeparators(missing) + " existiert nicht.\n");
    row("folder", {"--check", m_folder.path()}, {}, 2, {}, QDir::toNativeSeparators(m_folder.path()) + " ist ein Ordner, keine Datei.\n");
    row("check without file", {"--check"}, {}, 2, {}, "--check braucht eine DATEI.");
    row("unknown option", {"--gibtsnicht"}, {}, 2, {}, "Unbekannte Option: --gibtsnicht");
    // The data sheet: OUT stands for a PDF in the test's folder. Lines 12-23 are the cylinder tip.
    const auto pdf = [&](const char *name, const char *line, const QByteArray &bytes, int exitCode, const QString &out,
                         const QString &err) {
        row(name, {"--pdf", "OUT", line, "FILE"}, bytes, exitCode, out, err);
    };
    pdf("pdf", "13", allKinds(), 0, "Datenblatt von „ZT1“ geschrieben: ", {});
    pdf("pdf, item line", "12", allKinds(), 0, "Datenblatt von „ZT1“ geschrieben: ", {});
    // A name from the file reaches the terminal with its control codes shown, not sent.
    QByteArray escaped = allKinds();
    escaped.replace("ITEM:ZT1", "ITEM:\x1b]0;x\x07");
    pdf("pdf, a name with an escape sequence", "12", escaped, 0, "Datenblatt von „\\x1b]0;x\\x07“ geschrieben: ", {});
    pdf("pdf, line outside every record", "1", "Kopf\n" + allKinds(), 1, {},
        "Zeile 1 gehört zu keinem Eintrag: vor ihr steht keine Zeile ITEM:.\n");
    QByteArray shared = allKinds();
    shared.replace("endtip\r\nITEM:ZT1", "endtipITEM:ZT1");
    pdf("pdf, line shared by two", "11", shared, 1, {},
        "Zeile 11 gehört zu zwei Einträgen: in ihr beginnt ein weiterer Eintrag (Zeilenende fehlt?).\n");
    pdf("pdf, line past the end", "99", allKinds(), 1, {}, "Zeile 99 gibt es nicht: die Datei hat 64 Zeilen.\n");
    pdf("pdf, line not a number", "x", allKinds(), 2, {},
        "„x“ ist keine Zeilennummer.\n„merivox-view --help“ zeigt, welche Optionen es gibt.\n");
    row("pdf, missing file", {"--pdf", "OUT", "1", missing}, {}, 2, {}, QDir::toNativeSeparators(missing) + " existiert nicht.\n");
    row("pdf, folder as output", {"--pdf", m_folder.path(), "1", "FILE"}, allKinds(), 2, {},
        m_folder.path() + " ist ein Ordner, keine Datei.\n");
    row("pdf, missing folder", {"--pdf", m_folder.filePath("fehlt/Datenblatt.pdf"), "1", "FILE"}, allKinds(), 2, {},
        "Der Ordner " + QDir::toNativeSeparators(m_folder.filePath("fehlt")) + " existiert nicht.\n");
    row("pdf without file", {"--pdf", "OUT"}, {}, 2, {},
        "--pdf braucht AUSGABE.pdf und DATEI, für ein Datenblatt AUSGABE.pdf, ZEILE und DATEI.");
    // Two values: the catalogue of the whole file, written also where the file has problems.
    row("catalogue", {"--pdf", "OUT", "FILE"}, allKinds(), 0,
        "Katalog von „usrprobe.dat“ geschrieben (7 Seiten): ", {});
    row("catalogue of a file with a problem", {"--pdf", "OUT", "FILE"}, "Kopf\n" + allKinds(), 0,
        "Katalog von „usrprobe.dat“ geschrieben (7 Seiten): ", {});
    row("catalogue of a file without records", {"--pdf", "OUT", "FILE"}, "Kopf\n", 0,
        "Katalog von „usrprobe.dat“ geschrieben (1 Seite): ", {});
    row("catalogue, missing file", {"--pdf", "OUT", missing}, {}, 2, {},
        QDir::toNativeSeparators(missing) + " existiert nicht.\n");
    row("help", {"--help"}, {}, 0, "Aufruf: merivox-view [DATEI]", {});
    row("version", {"--version"}, {}, 0, "merivox-view " MERIVOX_PROJECT_VERSION "\n", {});
}

void TestViewer::commandLine()
{
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, bytes);
    QFETCH(int, exitCode);
    QFETCH(QString, out);
    QFETCH(QString, err);

    arguments.replaceInStrings(QStringLiteral("FILE"), write(QStringLiteral("usrprobe.dat"), bytes));
    const QString sheet = m_folder.filePath(QStringLiteral("Datenblatt.pdf"));
    QFile::remove(sheet);
    // A sheet that is refused leaves an earlier one as it was; one that is written replaces it.
    const QByteArray earlier = "%PDF-1.4\n%alt\n";
    write(QStringLiteral("Datenblatt.pdf"), earlier);
    arguments.replaceInStrings(QStringLiteral("OUT"), sheet);
    // --check must work without any display: a window system that cannot connect would abort.
    // The sheet needs fonts but no display either; it finds a platform without one by itself.
    QProcessEnvironment environment = merivox::test::withoutDisplay();
    // Wine lacks the per-monitor DPI call that Qt's Windows platform makes, and Qt says so on
    // standard error; a real Windows has it.
    environment.insert(QStringLiteral("QT_LOGGING_RULES"), QStringLiteral("qt.qpa.windows=false"));
    if (arguments.contains(QStringLiteral("--pdf"))) {
        environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
        // As a desktop session has it; without it Qt warns on standard error.
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_folder.path());
    }
    QProcess process;
    process.setProcessEnvironment(environment);
    QVERIFY(runToEnd(process, QStringLiteral(MERIVOX_VIEW), arguments));
    for (const auto &[found, expected] : {std::pair(programText(process.readAllStandardOutput()), out),
                                          std::pair(programText(process.readAllStandardError()), err)}) {
        const bool whole = expected.endsWith(QLatin1Char('\n')) || expected.isEmpty();
        QVERIFY2(whole ? found == expected : found.startsWith(expected), qPrintable(found));
    }
    QCOMPARE(process.exitCode(), exitCode);
    QFile written(sheet);
    QVERIFY(written.open(QIODevice::ReadOnly));
    const QByteArray now = written.readAll();
    const bool sheetWritten = arguments.contains(QStringLiteral("--pdf")) && exitCode == 0;
    QCOMPARE(now == earlier, !sheetWritten);
    QVERIFY(now.startsWith("%PDF-"));
}

void TestViewer::withoutWindowPart_data()
{
    // The program copied into a folder of its own, where the window part is missing or is no
    // library: what needs no display still works, the rest is refused with the reason. FILE holds
    // all six kinds after a line outside every record; PART is the window part's path.
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QByteArray>("part"); // the bytes at PART; null: nothing there
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("out");
    QTest::addColumn<QString>("err"); // the start of standard error

    const QString missing = "Der Fensterteil des Merivox-Betrachters fehlt: PART\n"
                            "Ohne ihn gehen nur --check, --remove, --help und --version.\n";
    const QString broken = "Der Fensterteil des Merivox-Betrachters lässt sich nicht laden: PART: ";
    QTest::newRow("window, missing") << QStringList{"FILE"} << QByteArray() << 2 << QString() << missing;
    QTest::newRow("file dialog, missing") << QStringList() << QByteArray() << 2 << QString() << missing;
    QTest::newRow("pdf, missing") << QStringList{"--pdf", "OUT", "13", "FILE"} << QByteArray() << 2 << QString() << missing;
    QTest::newRow("window, no library") << QStringList{"FILE"} << QByteArray("kein Modul") << 2 << QString() << broken;
    QTest::newRow("check") << QStringList{"--check", "FILE"} << QByteArray() << 1 << "1: Unbekannte Zeile: „Kopf“.\n"
                           "6 Einträge, 1 Problem\n" << QString();
    QTest::newRow("check, no library") << QStringList{"--check", "FILE"} << QByteArray("kein Modul") << 1
                                       << "1: Unbekannte Zeile: „Kopf“.\n6 Einträge, 1 Problem\n" << QString();
    QTest::newRow("remove") << QStringList{"--remove", "1", "FILE"} << QByteArray() << 1 << QString()
                            << "Zeile 1 gehört zu keinem Eintrag";
    QTest::newRow("version") << QStringList{"--version"} << QByteArray() << 0
                             << "merivox-view " MERIVOX_PROJECT_VERSION "\n" << QString();
    QTest::newRow("refused") << QStringList{"--pdf", "OUT"} << QByteArray() << 2 << QString() << "--pdf braucht";
}

void TestViewer::withoutWindowPart()
{
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, part);
    QFETCH(int, exitCode);
    QFETCH(QString, out);
    QFETCH(QString, err);

    QTemporaryDir copy;
    QVERIFY(copy.isValid() && QDir(copy.path()).mkpath(QStringLiteral("bin")));
    const QString program = copy.filePath(QStringLiteral("bin/") + QFileInfo(QStringLiteral(MERIVOX_VIEW)).fileName());
    QVERIFY(QFile::copy(QStringLiteral(MERIVOX_VIEW), program));
    // Where the program looks for it: as far from the program as in the build tree.
    const QString relative = QDir(QFileInfo(QStringLiteral(MERIVOX_VIEW)).path()).relativeFilePath(QStringLiteral(MERIVOX_VIEW_WINDOW));
    const QString partPath = QDir::cleanPath(copy.filePath(QStringLiteral("bin/") + relative));
    if (!part.isNull()) {
        QVERIFY(QDir().mkpath(QFileInfo(partPath).path()));
        QFile file(partPath);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(part) == part.size());
    }
    arguments.replaceInStrings(QStringLiteral("FILE"), write(QStringLiteral("usrprobe.dat"), "Kopf\r\n" + allKinds()));
    arguments.replaceInStrings(QStringLiteral("OUT"), copy.filePath(QStringLiteral("Datenblatt.pdf")));
    err.replace(QStringLiteral("PART"), QDir::toNativeSeparators(partPath));
    // Should the part be found after all, a window or fonts without a display would fail otherwise.
    QProcessEnvironment environment = merivox::test::withoutDisplay();
    QProcess process;
    process.setProcessEnvironment(environment);
    QVERIFY(runToEnd(process, program, arguments));
    QCOMPARE(programText(process.readAllStandardOutput()), out);
    const QString errText = programText(process.readAllStandardError());
    QVERIFY2(err.isEmpty() ? errText.isEmpty() : errText.startsWith(err), qPrintable(errText));
    QCOMPARE(process.exitCode(), exitCode);
    QVERIFY(!QFile::exists(copy.filePath(QStringLiteral("Datenblatt.pdf"))));
}

void TestViewer::problemChoosesRecord()
{
    const QByteArray before = damaged();
    const QString path = write(QStringLiteral("damaged.dat"), before);
    ViewerWindow window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    // The data sheet is offered once a record is chosen.
    auto *sheet = window.findChild<QAction *>(QStringLiteral("act_datenblatt"));
    QVERIFY(sheet && !sheet->isEnabled());
    QCOMPARE(sheet->text(), QStringLiteral("Datenblatt als &PDF …"));
    QVERIFY(window.openFile(path));
    QVERIFY(sheet->isEnabled());

    auto *table = window.findChild<QTableView *>(QStringLiteral("tbl_eintraege"));
    auto *problems = window.findChild<QListView *>(QStringLiteral("lst_probleme"));
    auto *text = window.findChild<QPlainTextEdit *>(QStringLiteral("txt_eintrag"));
    QVERIFY(table && problems && text);
    QCOMPARE(table->model()->rowCount(), 7);
    QCOMPARE(table->model()->index(3, 0).data().toString(), QStringLiteral("SC1"));
    QCOMPARE(table->model()->index(3, 2).data().toString(), QStringLiteral("Scheibentaster"));
    QCOMPARE(table->model()->index(3, 3).data().toString(), QStringLiteral("35–44"));
    QCOMPARE(table->model()->index(3, 4).data().toString(), QStringLiteral("Komma"));
    QCOMPARE(problems->model()->rowCount(), 4);
    QCOMPARE(table->currentIndex().row(), 0);

    // A click on each problem chooses the record that holds its line and shows its text.
    const QList<int> records{0, 3, 4, 6};
    for (int i = 0; i < problems->model()->rowCount(); ++i) {
        const QModelIndex item = problems->model()->index(i, 0);
        QTest::mouseClick(problems->viewport(), Qt::LeftButton, {}, problems->visualRect(item).center());
        QCOMPARE(table->currentIndex().row(), records.at(i));
        const int line = item.data(Qt::UserRole).toInt();
        QVERIFY2(text->toPlainText().contains(QStringLiteral("%1  ").arg(line)), qPrintable(text->toPlainText()));
        // The problem's own line is selected in the record's text.
        const QString selected = text->textCursor().selectedText();
        QVERIFY2(selected.trimmed().startsWith(QStringLiteral("%1  ").arg(line)), qPrintable(selected));
    }
    QFile file(path); // only read: the file is as it was
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), before);
}

void TestViewer::window()
{
    // A cube first: the longest kind of record, fourteen lines, shown whole.
    const QString path = write(QStringLiteral("cube.dat"), encoded(built(TipKind::Cube, example(TipKind::Cube, kGermanLocale), kGermanLocale)));
    ViewerWindow window;
    QCOMPARE(window.windowTitle(), QStringLiteral("Merivox-Betrachter"));
    QVERIFY(!window.windowIcon().isNull());
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QVERIFY(window.screen()->availableGeometry().contains(window.frameGeometry()));
    QVERIFY(window.openFile(path));
    QCOMPARE(window.windowTitle(), QStringLiteral("cube.dat – Merivox-Betrachter"));
    auto *text = window.findChild<QPlainTextEdit *>(QStringLiteral("txt_eintrag"));
    QCOMPARE(text->document()->blockCount(), 14);
    QVERIFY2(text->viewport()->height() >= 14 * text->fontMetrics().lineSpacing(),
             qPrintable(QString::number(text->viewport()->height())));
    QVERIFY(window.findChild<QListView *>(QStringLiteral("lst_probleme"))->wordWrap());
}

void TestViewer::midLineProblemChoosesItsRecord()
{
    // The ball twice, the second item line run into the first one's endtip (line 11): the run-together
    // problem belongs to the first record, the twin problem to the second.
    QByteArray ball = encoded(built(TipKind::Ball, example(TipKind::Ball, kGermanLocale), kGermanLocale));
    const QString path = write(QStringLiteral("joined.dat"), ball.first(ball.size() - 2) + ball);
    ViewerWindow window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QVERIFY(window.openFile(path));
    auto *table = window.findChild<QTableView *>(QStringLiteral("tbl_eintraege"));
    auto *problems = window.findChild<QListView *>(QStringLiteral("lst_probleme"));
    QCOMPARE(table->model()->rowCount(), 2);
    QCOMPARE(table->model()->index(1, 3).data().toString(), QStringLiteral("11 (ab ITEM:)–21"));
    QCOMPARE(problems->model()->rowCount(), 2);
    const QStringList starts{"Zeile 11: Zwei Zeilen in einer", "Zeile 11 (ab ITEM:): Name „TIP“"};
    for (int i = 0; i < 2; ++i) {
        const QModelIndex item = problems->model()->index(i, 0);
        QVERIFY2(item.data().toString().startsWith(starts.at(i)), qPrintable(item.data().toString()));
        QTest::mouseClick(problems->viewport(), Qt::LeftButton, {}, problems->visualRect(item).center());
        QCOMPARE(table->currentIndex().row(), i);
    }
}

void TestViewer::manyProblems()
{
    // 3000 blank lines: the window keeps a thousand problems and says how many more there are.
    const QString path = write(QStringLiteral("blank.dat"), "ITEM:AMM M3\r\n" + QByteArray("\r\n").repeated(3000));
    ViewerWindow window;
    QVERIFY(window.openFile(path));
    auto *problems = window.findChild<QListView *>(QStringLiteral("lst_probleme"));
    QCOMPARE(problems->model()->rowCount(), 1001);
    QCOMPARE(problems->model()->index(1000, 0).data().toString(),
             QStringLiteral("… und 2001 mehr, hier nicht gezeigt (merivox-view --check DATEI zeigt alle)."));
    QVERIFY(window.findChild<QLabel *>(QStringLiteral("lbl_anzahlen"))
                ->text()
                .endsWith(QStringLiteral("1 Eintrag, 3001 Probleme")));

    // --check prints every problem of 25000 blank lines, read in batches of 10000 kept problems:
    // none left out, none twice.
    const QString longer = write(QStringLiteral("blank25.dat"), "ITEM:AMM M3\r\n" + QByteArray("\r\n").repeated(25000));
    QProcess check;
    QVERIFY(runToEnd(check, QStringLiteral(MERIVOX_VIEW), {QStringLiteral("--check"), longer}, 60000));
    const QStringList lines = programText(check.readAllStandardOutput()).split(QLatin1Char('\n'));
    QCOMPARE(lines.size(), 25001 + 1 + 1);
    for (int i = 1; i <= 25000; ++i) {
        QCOMPARE(lines.at(i), QString::number(i + 1) + QStringLiteral(": Leere Zeile."));
    }
    QCOMPARE(lines.at(25001), QStringLiteral("1 Eintrag, 25001 Probleme"));

#ifndef Q_OS_WIN // named pipes in a folder are POSIX's
    // A pipe without a writer is refused at once, not waited on.
    const QString pipe = m_folder.filePath(QStringLiteral("pipe.dat"));
    QVERIFY(QProcess::execute(QStringLiteral("mkfifo"), {pipe}) == 0);
    QVERIFY(runToEnd(check, QStringLiteral(MERIVOX_VIEW), {QStringLiteral("--check"), pipe}, 5000));
    QCOMPARE(check.exitCode(), 2);
    QVERIFY(check.readAllStandardError().contains("ist keine gewöhnliche Datei"));
#endif
}

namespace {

QByteArray named(const QStringList &names)
{
    QByteArray bytes;
    for (const QString &name : names) {
        bytes += "ITEM:" + name.toLatin1() + "MM M3\r\nbegintip\r\nendtip\r\n";
    }
    return bytes;
}

} // namespace

void TestViewer::nameColumn_data()
{
    // The names of the file's records; how wide the Name column is then, in a window 1600 and 1000
    // pixels wide: the width it is made with, as wide as its widest name, or the room that the
    // other columns leave.
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<QStringList>("widths");
    const auto row = [](const char *name, const QStringList &names, const QStringList &widths) {
        QTest::newRow(name) << names << widths;
    };
    row("short names", {"TIP", "ZT1", "HK1"}, {"least", "least"});
    row("two alike but for the end", {"Zylinder D2 L40 links", "Zylinder D2 L40 rechts"}, {"names", "names"});
    QStringList many(3000, QStringLiteral("K"));
    // Wider than the room beside the other columns at 1000 pixels in any of the fonts used.
    many[2077] = QStringLiteral("Verlängerung 50 mit Würfel und Keramikkugel");
    row("the longest far down", many, {"names", "room"});
    // Shorter by letters, wider on the screen: the first rows are measured whatever their length.
    QStringList broad(40, QStringLiteral("W").repeated(26));
    for (int i = 0; i < 40; ++i) {
        broad << QStringLiteral("i").repeated(30) + QStringLiteral("%1").arg(i, 2, 10, QLatin1Char('0'));
    }
    row("broad letters first", broad, {"names", "room"});
    row("longer than the room", {"TIP", QStringLiteral("Sondertaster ").repeated(20)}, {"room", "room"});
}

void TestViewer::nameColumn()
{
    QFETCH(QStringList, names);
    QFETCH(QStringList, widths);
    const QString path = write(QStringLiteral("names.dat"), named(names));
    ViewerWindow window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    auto *table = window.findChild<QTableView *>(QStringLiteral("tbl_eintraege"));
    QVERIFY(table);
    // Read in the background, as the program opens a file.
    window.loadFile(path);
    QTRY_COMPARE(table->model()->rowCount(), names.size());
    const QHeaderView *header = table->horizontalHeader();
    // The line numbers as wide as their heading and widest text, as the view measures every row.
    int lines = header->sectionSizeHint(3);
    for (int row = 0; row < names.size(); ++row) {
        lines = std::max(lines, table->sizeHintForIndex(table->model()->index(row, 3)).width() + 1);
    }
    const QList<int> others{table->columnWidth(1), table->columnWidth(2), table->columnWidth(3)};
    QCOMPARE(others, (QList<int>{80, 100, lines}));
    // At two widths of the window: the column follows.
    for (const int windowWidth : {1600, 1000}) {
        window.resize(windowWidth, window.height());
        QTRY_COMPARE(window.width(), windowWidth);
        // What every row needs, as the view itself measures it, and what the other columns keep.
        int needed = header->sectionSizeHint(0);
        for (int row = 0; row < names.size(); ++row) {
            const QModelIndex index = table->model()->index(row, 0);
            QCOMPARE(index.data(Qt::ToolTipRole).toString(), names.at(row));
            needed = std::max(needed, table->sizeHintForIndex(index).width() + 1);
        }
        const int room = table->viewport()->width() - 180 - lines - header->sectionSizeHint(4);
        const QString kind = needed <= 100 ? "least" : needed <= room ? "names" : "room";
        QCOMPARE(kind, widths.at(windowWidth == 1600 ? 0 : 1));
        QCOMPARE(table->columnWidth(0), std::clamp(needed, 100, std::max(100, room)));
        QCOMPARE((QList<int>{table->columnWidth(1), table->columnWidth(2), table->columnWidth(3)}), others);
        QVERIFY2(table->columnWidth(4) >= header->sectionSizeHint(4),
                 qPrintable(QString::number(table->columnWidth(4))));
    }
}

void TestViewer::countsStay_data()
{
    // What the file holds when it is read again: null for a file gone; the counts then shown, and
    // the status bar's temporary message.
    QTest::addColumn<QByteArray>("after");
    QTest::addColumn<QString>("counts");
    QTest::addColumn<QString>("message");
    QTest::addColumn<bool>("note"); // a change in place cut short: its note stands beside the file
    const QByteArray before = damaged();
    QTest::newRow("unchanged") << before << "7 Einträge, 4 Probleme" << QString() << false;
    QTest::newRow("a record more") << before + named({"NEU"}) << "8 Einträge, 4 Probleme" << QString() << false;
    QTest::newRow("gone") << QByteArray() << "7 Einträge, 4 Probleme"
                          << "Die Datei konnte nicht neu eingelesen werden: " << false;
    QTest::newRow("a change cut short") << before << "7 Einträge, 4 Probleme"
                                        << "Eine Änderung der Datei wurde nicht zu Ende geführt "
                                           "(usrprobe.dat.merivox-change); das nächste Merivox"
                                        << true;
}

void TestViewer::countsStay()
{
    QFETCH(QByteArray, after);
    QFETCH(QString, counts);
    QFETCH(QString, message);
    QFETCH(bool, note);
    // A deep folder: its path gives way to the counts in the middle.
    const QString folder =
        QStringLiteral("Ein Ordner mit einem sehr langen Namen, wie ihn Sicherungen anlegen ").repeated(3).trimmed();
    QVERIFY(QDir(m_folder.path()).mkpath(folder));
    const QString path = write(folder + QStringLiteral("/usrprobe.dat"), damaged());
    ViewerWindow window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    auto *label = window.findChild<QLabel *>(QStringLiteral("lbl_anzahlen"));
    QVERIFY(label && label->isVisible());
    QCOMPARE(label->accessibleName(), QStringLiteral("Anzahlen der Datei"));
    QCOMPARE(label->text(), QStringLiteral("Keine Datei geöffnet"));
    const auto *loader = window.findChild<FileLoader *>();
    const auto shows = [&](const QString &expected) {
        return label->isVisible() && label->text().endsWith(QStringLiteral(": ") + expected) &&
               label->text().contains(QStringLiteral("…")) &&
               label->toolTip() == QDir::toNativeSeparators(path) + QStringLiteral(": ") + expected;
    };
    const int narrowest = window.minimumSizeHint().width();
    window.loadFile(path);
    QTRY_VERIFY(!loader->isLoading());
    QVERIFY2(shows("7 Einträge, 4 Probleme"), qPrintable(label->text()));
    // The counts leave the window as narrow as it could be before.
    QCOMPARE(window.minimumSizeHint().width(), narrowest);

    // A menu's status tips clear the temporary message as its entries are gone over.
    window.statusBar()->showMessage(QStringLiteral("vorübergehend"));
    QMenuBar *bar = window.menuBar();
    QMenu *menu = bar->actions().constFirst()->menu();
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(bar->actions().constFirst()).center());
    QTRY_VERIFY(menu->isVisible());
    for (int i = 0; i < 3; ++i) {
        QTest::keyClick(menu, Qt::Key_Down);
    }
    QTest::keyClick(menu, Qt::Key_Escape);
    QTRY_VERIFY(!menu->isVisible());
    QCOMPARE(window.statusBar()->currentMessage(), QString());
    QVERIFY2(shows("7 Einträge, 4 Probleme"), qPrintable(label->text()));

    if (after.isNull()) {
        QVERIFY(QFile::remove(path));
    } else {
        write(folder + QStringLiteral("/usrprobe.dat"), after);
    }
    if (note) {
        write(folder + QStringLiteral("/usrprobe.dat.merivox-change"), "@merivox-change 1 ");
    }
    window.reloadFile();
    QTRY_VERIFY(!loader->isLoading());
    QTRY_VERIFY2(shows(counts), qPrintable(label->text()));
    QVERIFY2(message.isEmpty() ? window.statusBar()->currentMessage().isEmpty()
                               : window.statusBar()->currentMessage().startsWith(message),
             qPrintable(window.statusBar()->currentMessage()));
}

#ifndef Q_OS_WIN
// The largest resident size of any child process waited for so far, in bytes.
static qint64 childPeak()
{
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    return qint64(usage.ru_maxrss) * 1024;
}
#endif

void TestViewer::memory()
{
#ifdef Q_OS_WIN
    QSKIP("Measured through the POSIX resource usage of child processes.");
#else
    // Hostile shapes of 1 MiB: every line a problem. The check holds at most three times the file
    // plus 12 bytes per line above what it needs for an empty file (and a little room for the
    // allocator), however many problems there are. Children are measured in growing order, since
    // the system keeps only the largest.
    const auto check = [](const QString &path) {
        QProcess process;
        process.setStandardOutputFile(QProcess::nullDevice());
        process.start(QStringLiteral(MERIVOX_VIEW), {QStringLiteral("--check"), path});
        return process.waitForFinished(100000) && process.exitStatus() == QProcess::NormalExit;
    };
    QVERIFY(check(write(QStringLiteral("empty.dat"), {})));
    const qint64 base = childPeak();
    constexpr qint64 kRoom = 8 << 20;
    for (const QByteArray &line : {QByteArray("\r\n"), QByteArray("a\n"), QByteArray("ITEM:\n")}) {
        const QByteArray bytes = line.repeated((1 << 20) / line.size());
        QVERIFY(check(write(QStringLiteral("hostile.dat"), bytes)));
        const qint64 grown = childPeak() - base;
        const qint64 bound = 3 * bytes.size() + 12 * (bytes.size() / line.size()) + kRoom;
        qInfo("%s: %lld bytes above an empty file (%lld), bound %lld", line.trimmed().constData(), grown, base, bound);
        QVERIFY2(grown <= bound, qPrintable(QStringLiteral("%1: %2 bytes above an empty file, bound %3")
                                                .arg(QString::fromLatin1(line.trimmed()))
                                                .arg(grown)
                                                .arg(bound)));
    }
#endif
}

void TestViewer::catalogueQuestion_data()
{
    QTest::addColumn<qsizetype>("records");
    QTest::addColumn<QString>("question");

    QTest::newRow("none") << qsizetype(0) << QString();
    QTest::newRow("1000: written without a question") << qsizetype(1000) << QString();
    QTest::newRow("1001") << qsizetype(1001)
                          << "Die Datei hat 1001 Einträge: ihr Katalog wird 1024 Seiten lang.\n\nKatalog schreiben?";
    QTest::newRow("5000") << qsizetype(5000)
                          << "Die Datei hat 5000 Einträge: ihr Katalog wird 5112 Seiten lang.\n\nKatalog schreiben?";
}

void TestViewer::catalogueQuestion()
{
    QFETCH(qsizetype, records);
    QFETCH(QString, question);
    QCOMPARE(CatalogueAction::question(records), question);
}

void TestViewer::catalogue_data()
{
    QTest::addColumn<int>("records");
    QTest::addColumn<bool>("cancel");   // "Abbrechen" as soon as the progress shows
    QTest::addColumn<bool>("existing"); // a file under the name before

    QTest::newRow("written") << 3 << false << false;
    QTest::newRow("written over an older one") << 3 << false << true;
    QTest::newRow("Abbrechen") << 600 << true << false;
    QTest::newRow("Abbrechen, an older one stays") << 600 << true << true;
}

void TestViewer::catalogue()
{
    QFETCH(int, records);
    QFETCH(bool, cancel);
    QFETCH(bool, existing);

    QByteArray bytes;
    for (int i = 0; i < records; ++i) {
        TipInputs in = example(TipKind::Ball, kGermanLocale);
        in.name = QStringLiteral("K%1").arg(i);
        bytes += encoded(built(TipKind::Ball, in, kGermanLocale));
    }
    const QString path = write(QStringLiteral("katalog.dat"), bytes);
    QTemporaryDir out;
    QVERIFY(out.isValid());
    const QString pdf = out.filePath(QStringLiteral("Katalog.pdf"));
    const QByteArray before = "%PDF-1.4 an older catalogue";
    if (existing) {
        QFile old(pdf);
        QVERIFY(old.open(QIODevice::WriteOnly) && old.write(before) == before.size());
    }

    ViewerWindow window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    auto *action = window.findChild<QAction *>(QStringLiteral("act_katalog"));
    auto *catalogue = window.findChild<CatalogueAction *>();
    QVERIFY(action && catalogue);
    QCOMPARE(action->text(), QStringLiteral("&Katalog als PDF …"));
    QCOMPARE(action->shortcut(), QKeySequence(QStringLiteral("Ctrl+Shift+P")));
    QVERIFY(!action->isEnabled());
    QVERIFY(window.openFile(path));
    QVERIFY(action->isEnabled());

    // The progress dialog serves the window's events: a timer of the window's runs meanwhile.
    int ticks = 0;
    bool shown = false;
    QTimer timer;
    timer.setInterval(10);
    connect(&timer, &QTimer::timeout, this, [&] {
        ++ticks;
        auto *progress = window.findChild<QProgressDialog *>(QStringLiteral("dlg_katalog"));
        if (progress && progress->isVisible()) {
            shown = true;
            QCOMPARE(progress->findChild<QPushButton *>()->text(), QStringLiteral("Abbrechen"));
            if (cancel) {
                progress->cancel();
            }
        }
    });
    timer.start();
    QCOMPARE(catalogue->write(pdf), !cancel);
    timer.stop();
    QFile written(pdf);
    if (cancel) {
        QVERIFY(shown);
        QVERIFY(ticks > 0);
        QCOMPARE(written.exists(), existing);
        if (existing) {
            QVERIFY(written.open(QIODevice::ReadOnly));
            QCOMPARE(written.readAll(), before);
        }
    } else {
        QVERIFY(written.open(QIODevice::ReadOnly));
        QVERIFY(written.readAll().startsWith("%PDF-1."));
        QVERIFY(written.size() > before.size() * 100);
    }
    // Nothing else is left in the folder, and the probe file is as it was.
    QCOMPARE(QDir(out.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden).size(),
             existing || !cancel ? 1 : 0);
    QFile probe(path);
    QVERIFY(probe.open(QIODevice::ReadOnly));
    QCOMPARE(probe.readAll(), bytes);
}

QTEST_MAIN(TestViewer)
#include "tst_viewer.moc"
