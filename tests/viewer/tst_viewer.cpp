// merivox-view: --check output and exit status, run as its own process without a display, and
// the window: table, problems, and a click on a problem that chooses its record.
#include "../ProgramOutput.h"
#include "ProbeFile.h"
#include "ReaderTestSupport.h"
#include "ViewerWindow.h"

#include <QAction>
#include <QApplication>
#include <QListView>
#include <QPlainTextEdit>
#include <QProcess>
#include <QTableView>
#include <QTemporaryDir>

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

} // namespace

class TestViewer final : public QObject
{
    Q_OBJECT

private slots:
    void commandLine_data();
    void commandLine();
    void problemChoosesRecord();

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
    check("one record, one problem", "ITEM:AMM M3\nbegintip\n", 1,
          "1: Eintrag „A“ ist abgeschnitten: endtip fehlt.\n1 Eintrag, 1 Problem\n");
    check("damaged", damaged(), 1,
          "9: Keine Zahl: „3,,5“ (Feld 4 der Zeile sphere).\n"
          "35: Eintrag „SC1“ ist abgeschnitten: endtip fehlt.\n"
          "45: Eintrag „W10“ ist abgeschnitten: 1 von 6 Flächen fehlen.\n"
          "63: Name „TIP“ mit Gewinde „M3“ steht schon in Zeile 1.\n"
          "7 Einträge, 4 Probleme\n");
    const QString missing = m_folder.filePath(QStringLiteral("fehlt.dat"));
    row("missing file", {"--check", missing}, {}, 2, {}, missing + " existiert nicht.\n");
    row("folder", {"--check", m_folder.path()}, {}, 2, {}, m_folder.path() + " ist ein Ordner, keine Datei.\n");
    row("check without file", {"--check"}, {}, 2, {}, "--check braucht eine DATEI.");
    row("unknown option", {"--gibtsnicht"}, {}, 2, {}, "Unbekannte Option: --gibtsnicht");
    // The data sheet: OUT stands for a PDF in the test's folder. Lines 12-23 are the cylinder tip.
    const auto pdf = [&](const char *name, const char *line, const QByteArray &bytes, int exitCode, const QString &out,
                         const QString &err) {
        row(name, {"--pdf", "OUT", line, "FILE"}, bytes, exitCode, out, err);
    };
    pdf("pdf", "13", allKinds(), 0, "Datenblatt von „ZT1“ geschrieben: ", {});
    pdf("pdf, item line", "12", allKinds(), 0, "Datenblatt von „ZT1“ geschrieben: ", {});
    pdf("pdf, line outside every record", "1", "Kopf\n" + allKinds(), 1, {},
        "Zeile 1 gehört zu keinem Eintrag: vor ihr steht keine Zeile ITEM:.\n");
    QByteArray shared = allKinds();
    shared.replace("endtip\r\nITEM:ZT1", "endtipITEM:ZT1");
    pdf("pdf, line shared by two", "11", shared, 1, {},
        "Zeile 11 gehört zu zwei Einträgen: in ihr beginnt ein weiterer Eintrag (Zeilenende fehlt?).\n");
    pdf("pdf, line past the end", "99", allKinds(), 1, {}, "Zeile 99 gibt es nicht: die Datei hat 64 Zeilen.\n");
    pdf("pdf, line not a number", "x", allKinds(), 2, {}, "Keine Zeilennummer: x");
    row("pdf, missing file", {"--pdf", "OUT", "1", missing}, {}, 2, {}, missing + " existiert nicht.\n");
    row("pdf, folder as output", {"--pdf", m_folder.path(), "1", "FILE"}, allKinds(), 2, {},
        m_folder.path() + " ist ein Ordner, keine Datei.\n");
    row("pdf, missing folder", {"--pdf", m_folder.filePath("fehlt/Datenblatt.pdf"), "1", "FILE"}, allKinds(), 2, {},
        "Der Ordner " + m_folder.filePath("fehlt") + " existiert nicht.\n");
    row("pdf without file", {"--pdf", "OUT", "1"}, {}, 2, {}, "--pdf braucht AUSGABE.pdf, ZEILE und DATEI.");
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
    // A sheet that is refused leaves an earlier one as it was.
    write(QStringLiteral("Datenblatt.pdf"), "alt");
    arguments.replaceInStrings(QStringLiteral("OUT"), sheet);
    // --check must work without any display: a window system that cannot connect would abort.
    // The sheet needs fonts but no display either; it finds a platform without one by itself.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("DISPLAY"));
    environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    if (arguments.contains(QStringLiteral("--pdf"))) {
        environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
        // As a desktop session has it; without it Qt warns on standard error.
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_folder.path());
    }
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(MERIVOX_VIEW), arguments);
    QVERIFY(process.waitForFinished(30000));
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    for (const auto &[found, expected] : {std::pair(programText(process.readAllStandardOutput()), out),
                                          std::pair(programText(process.readAllStandardError()), err)}) {
        const bool whole = expected.endsWith(QLatin1Char('\n')) || expected.isEmpty();
        QVERIFY2(whole ? found == expected : found.startsWith(expected), qPrintable(found));
    }
    QCOMPARE(process.exitCode(), exitCode);
    QFile written(sheet);
    QVERIFY(written.open(QIODevice::ReadOnly));
    QCOMPARE(written.readAll().startsWith("%PDF-"), arguments.contains(QStringLiteral("--pdf")) && exitCode == 0);
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
    }
    QFile file(path); // only read: the file is as it was
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), before);
}

QTEST_MAIN(TestViewer)
#include "tst_viewer.moc"
