#include "../support/ProgramOutput.h"
#include "CommandLine.h"
#include "QtTranslation.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

using namespace merivox;
using merivox::test::programText;
using merivox::test::runToEnd;

// The command line is answered before any window or display exists: each case is checked on the
// function and on the built program, started where no display can be reached.
class TestCommandLine final : public QObject
{
    Q_OBJECT

private slots:
    void answers_data();
    void answers();
    void withoutArgumentsTheWindowsOpen();
    void qtTranslation();
};

void TestCommandLine::answers_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("standardOutput"); // whole text, or its first line when it ends in "…"
    QTest::addColumn<QString>("standardError");

    const QString version = QStringLiteral("Merivox " MERIVOX_PROJECT_VERSION "\n");
    const QString usage = QStringLiteral("Aufruf: merivox [OPTION]…");
    const auto refused = [](const QString &argument) {
        return QStringLiteral("merivox: unbekanntes Argument „%1“\n„merivox --help“ zeigt, welche Optionen es gibt.\n")
            .arg(argument);
    };
    const auto row = [](const QStringList &arguments, int exitCode, const QString &out, const QString &err) {
        QTest::newRow(qPrintable(arguments.join(u' '))) << arguments << exitCode << out << err;
    };
    row({"--version"}, 0, version, {});
    row({"-v"}, 0, version, {});
    row({"--help"}, 0, usage, {});
    row({"-h"}, 0, usage, {});
    row({"--version", "--help"}, 0, usage, {}); // help wins over version
    // Unknown, compacted with a known one, a value on a flag, a file, end of options alone, empty.
    for (const char *wrong : {"--verbose", "-hx", "--help=ja", "usrprobe.dat", "--", ""}) {
        row({wrong}, 2, {}, refused(wrong));
    }
    row({"-platform", "xcb"}, 2, {}, refused("-platform")); // Qt's own option
    row({"--version", "Größe"}, 2, {}, refused("Größe"));
}

static void compareOutput(const QString &actual, const QString &expected)
{
    if (expected.endsWith(u'…')) {
        QCOMPARE(actual.section(u'\n', 0, 0), expected.chopped(1));
        QVERIFY(actual.endsWith(u'\n'));
    } else {
        QCOMPARE(actual, expected);
    }
}

void TestCommandLine::answers()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QString, standardOutput);
    QFETCH(QString, standardError);

    const CommandLineAnswer answer = answerCommandLine(QStringList{QStringLiteral("merivox")} + arguments);
    QVERIFY(!answer.openWindows);
    QCOMPARE(answer.exitCode, exitCode);
    compareOutput(answer.standardOutput, standardOutput);
    QCOMPARE(answer.standardError, standardError);

    // The program itself, on a platform that needs a display, with none to reach: an application
    // object made before the answer would abort it.
    QProcessEnvironment environment = merivox::test::withoutDisplay();
    environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    QProcess program;
    program.setProcessEnvironment(environment);
    QVERIFY(runToEnd(program, QStringLiteral(MERIVOX_PROGRAM), arguments));
    QCOMPARE(program.exitCode(), exitCode);
    compareOutput(programText(program.readAllStandardOutput()), standardOutput);
    QCOMPARE(programText(program.readAllStandardError()), standardError);
}

void TestCommandLine::withoutArgumentsTheWindowsOpen()
{
    QVERIFY(answerCommandLine({QStringLiteral("merivox")}).openWindows);
    QVERIFY(answerCommandLine({QStringLiteral("/usr/bin/merivox")}).openWindows);
}

void TestCommandLine::qtTranslation()
{
    const auto undo = [] {
        return QCoreApplication::translate("QLineEdit", "&Undo");
    };
    QTemporaryDir empty;
    QVERIFY(!installQtTranslation(*QCoreApplication::instance(), empty.path()));
    QCOMPARE(undo(), QStringLiteral("&Undo"));

    if (!QFile::exists(QLibraryInfo::path(QLibraryInfo::TranslationsPath) + QStringLiteral("/qtbase_de.qm"))) {
        QSKIP("Qt's German translation is not installed");
    }
    QVERIFY(installQtTranslation(*QCoreApplication::instance()));
    QCOMPARE(undo(), QStringLiteral("&Rückgängig"));
}

QTEST_GUILESS_MAIN(TestCommandLine)
#include "tst_commandline.moc"
