// merivox-view --remove LINE FILE: which record a line names, what is refused and why, and the
// exact bytes left behind; the exit status through the real program.
#include "../support/ProgramOutput.h"
#include "OneStepReplace.h"
#include "RemoveCommand.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>
#include <QtTest>

using namespace merivox;
namespace test = merivox::test;

namespace {

// Three records with mixed line ends and a stray line between the second and the third; the
// last line has no line end. Lines: A 1-3, B 4-6, stray 7, C 8-10.
const QByteArray kA = "ITEM:AMM M3\r\nbegintip\r\nendtip\r\n";
const QByteArray kB = "ITEM:BMM M4\nbegintip\nendtip\n";
const QByteArray kStray = "irgendwas\r\n";
const QByteArray kC = "ITEM:CMM M5\r\nbegintip\r\nendtip";
const QByteArray kFile = kA + kB + kStray + kC;

} // namespace

class TestRemoveCommand final : public QObject
{
    Q_OBJECT

private slots:
    void removes_data();
    void removes();
    void program_data();
    void program();
};

void TestRemoveCommand::removes_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<int>("line");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QByteArray>("after");
    QTest::addColumn<QString>("out");
    QTest::addColumn<QString>("err");

    QTest::newRow("item line") << kFile << 4 << 0 << kA + kStray + kC << "Entfernt: B (Gewinde M4), Zeilen 4 bis 6.\n"
                               << "";
    QTest::newRow("first record, its last line")
        << kFile << 3 << 0 << kB + kStray + kC << "Entfernt: A (Gewinde M3), Zeilen 1 bis 3.\n"
        << "";
    QTest::newRow("last record without line end")
        << kFile << 9 << 0 << kA + kB + kStray << "Entfernt: C (Gewinde M5), Zeilen 8 bis 10.\n"
        << "";
    QTest::newRow("outside every record") << kFile << 7 << 1 << kFile << ""
                                          << "Zeile 7 gehört zu keinem Eintrag: sie steht nach dem Ende (endtip) des "
                                             "Eintrags, der in Zeile 4 beginnt.\nAusbessern lässt sie sich mit "
                                             "„merivox-view --repair 7 DATEI“.\n";
    QTest::newRow("before the first record") << kStray + kA << 1 << 1 << kStray + kA << ""
                                             << "Zeile 1 gehört zu keinem Eintrag: vor ihr steht keine Zeile ITEM:.\n"
                                                "Ausbessern lässt sie sich mit „merivox-view --repair 1 DATEI“.\n";
    QTest::newRow("past the end") << kFile << 11 << 1 << kFile << ""
                                  << "Zeile 11 gibt es nicht: die Datei hat 10 Zeilen.\n";
    // Nothing read from the file reaches the terminal as a control code.
    const QByteArray escape = "ITEM:\x1b]0;x\x07MM M3\r\nbegintip\r\nendtip\r\n";
    QTest::newRow("a name with an escape sequence")
        << kA + escape << 4 << 0 << kA << "Entfernt: \\x1b]0;x\\x07 (Gewinde M3), Zeilen 4 bis 6.\n"
        << "";
    const QByteArray runTogether = "ITEM:AMM M3\r\nbegintip\r\nendtipITEM:BMM M4\r\nbegintip\r\nendtip\r\n";
    for (const int line : {1, 4}) {
        QTest::addRow("shared line, asked for line %d", line)
            << runTogether << line << 1 << runTogether << ""
            << "Zeile " + QString::number(line) +
                   ": Der Eintrag teilt sich Zeile 3 mit einem anderen; er wird nicht entfernt.\n";
    }
    QTest::newRow("the shared line itself")
        << runTogether << 3 << 1 << runTogether << ""
        << "Zeile 3 gehört zu zwei Einträgen: in ihr beginnt ein weiterer Eintrag (Zeilenende fehlt?).\n"
           "Ausbessern lässt sie sich mit „merivox-view --repair 3 DATEI“.\n";
}

void TestRemoveCommand::removes()
{
    QFETCH(QByteArray, before);
    QFETCH(int, line);
    QFETCH(int, exitCode);
    QFETCH(QByteArray, after);
    QFETCH(QString, out);
    QFETCH(QString, err);
    if (exitCode == 0) {
        SKIP_WITHOUT_ONE_STEP_REPLACE();
    }

    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("usrprobe.dat"));
    test::writeFile(path, before);
    QString outText;
    QString errText;
    QTextStream outStream(&outText);
    QTextStream errStream(&errText);
    QCOMPARE(removeRecordAtLine(path, line, outStream, errStream), exitCode);
    QCOMPARE(outText, out);
    QCOMPARE(errText, err);
    QCOMPARE(test::fileContent(path), after);
    QCOMPARE(QFile::exists(path + QStringLiteral(".bak")), exitCode == 0);
}

void TestRemoveCommand::program_data()
{
    QTest::addColumn<QStringList>("arguments"); // FILE: a file holding kFile; FOLDER: the folder it is in
    QTest::addColumn<QByteArray>("backup");     // a usrprobe.dat.bak already there, unless empty
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("err"); // the start of standard error

    QTest::newRow("removed") << QStringList{"--remove", "5", "FILE"} << QByteArray() << 0 << "";
    QTest::newRow("outside") << QStringList{"--remove", "7", "FILE"} << QByteArray() << 1 << "Zeile 7 gehört zu keinem Eintrag";
    QTest::newRow("unreadable backup") << QStringList{"--remove", "5", "FILE"} << QByteArray("/") << 2
                                    << "Der Eintrag konnte nicht aus der Datei";
    QTest::newRow("missing file") << QStringList{"--remove", "5", "FOLDER/fehlt.dat"} << QByteArray() << 2
                                  << "FOLDER/fehlt.dat existiert nicht.";
    QTest::newRow("no line") << QStringList{"--remove"} << QByteArray() << 2 << "--remove braucht";
    QTest::newRow("not a number") << QStringList{"--remove", "fünf", "FILE"} << QByteArray() << 2
                                  << "„fünf“ ist keine Zeilennummer.\n„merivox-view --help“";
    QTest::newRow("line 0") << QStringList{"--remove", "0", "FILE"} << QByteArray() << 2
                            << "„0“ ist keine Zeilennummer: Zeilen zählen ab 1.\n„merivox-view --help“";
    QTest::newRow("no file") << QStringList{"--remove", "5"} << QByteArray() << 2 << "--remove braucht";
}

void TestRemoveCommand::program()
{
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, backup);
    QFETCH(int, exitCode);
    QFETCH(QString, err);
    // Both rows get as far as replacing the file.
    if (exitCode == 0 || QByteArrayView(QTest::currentDataTag()) == "unreadable backup") {
        SKIP_WITHOUT_ONE_STEP_REPLACE();
    }

    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("usrprobe.dat"));
    test::writeFile(path, kFile);
    if (backup == "/") {
        QVERIFY(QDir(folder.path()).mkdir(QStringLiteral("usrprobe.dat.bak")));
    } else if (!backup.isEmpty()) {
        test::writeFile(path + QStringLiteral(".bak"), backup);
    }
    arguments.replaceInStrings(QStringLiteral("FILE"), path);
    arguments.replaceInStrings(QStringLiteral("FOLDER"), folder.path());
    err.replace(QStringLiteral("FOLDER/"), QDir::toNativeSeparators(folder.path() + QLatin1Char('/')));
    const test::ProgramRun run = test::runProgram(QStringLiteral(MERIVOX_VIEW), arguments);
    QVERIFY2(err.isEmpty() ? run.err.isEmpty() : run.err.startsWith(err), qPrintable(run.err));
    QCOMPARE(run.exitCode, exitCode);
    QCOMPARE(test::fileContent(path), exitCode == 0 ? kA + kStray + kC : kFile);
}

QTEST_GUILESS_MAIN(TestRemoveCommand)
#include "tst_removecommand.moc"
