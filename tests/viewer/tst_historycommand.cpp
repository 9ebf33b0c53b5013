// merivox-view --history FILE and --restore N FILE: the list of what the history keeps, newest
// first, and a record put back byte for byte at its old place or at the end, never twice without
// being told; run step by step through the real program as an operator would, and another
// station appending between.
#include "../support/ProgramOutput.h"
#include "AppendFile.h"
#include "OneStepReplace.h"

#include <QDir>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

using namespace merivox;
namespace test = merivox::test;

namespace {

// A record of three lines: "K" -> K1 with thread M3, "Z" -> Z1 (M4), "H" -> H1 (M5), "S" -> S1 (M6).
QByteArray rec(char letter, const char *end = "\r\n")
{
    static const QByteArray letters = "KZHS";
    const int thread = 3 + int(letters.indexOf(letter));
    return "ITEM:" + QByteArray(1, letter) + "1MM M" + QByteArray::number(thread) + "\r\nbegintip\r\nendtip" + end;
}

// A moment as the list shows it, in local time.
QString withoutMoments(QString text)
{
    static const QRegularExpression moment(QStringLiteral("\\d\\d\\.\\d\\d\\.\\d{4} \\d\\d:\\d\\d:\\d\\d"));
    return text.replace(moment, QStringLiteral("WHEN"));
}

// One step: "remove LINE", "repair LINE", "history", "restore N" through the real program, or
// "append LETTER" as another station's copy would append.
test::ProgramRun run(const QString &path, const QString &step)
{
    const QStringList words = step.split(u' ');
    const QString &verb = words.at(0);
    if (verb == QLatin1String("append")) {
        const bool ok = appendToFile(QDir::toNativeSeparators(path).toStdU16String(),
                                     rec(words.at(1).at(0).toLatin1()).toStdString())
                            .ok();
        return {ok ? 0 : 2, {}, {}};
    }
    return test::runProgram(QStringLiteral(MERIVOX_VIEW), QStringList{QStringLiteral("--") + verb} + words.mid(1) +
                                                              QStringList{path});
}

} // namespace

class TestHistoryCommand final : public QObject
{
    Q_OBJECT

private slots:
    void steps_data();
    void steps();
};

void TestHistoryCommand::steps_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QStringList>("steps"); // every step but the last must end with exit status 0
    QTest::addColumn<int>("exitCode");      // of the last step
    QTest::addColumn<QString>("out");       // of the last step, moments as WHEN
    QTest::addColumn<QString>("err");       // of the last step, its start
    QTest::addColumn<QByteArray>("after");

    const QByteArray kzh = rec('K') + rec('Z') + rec('H');
    const QStringList lost{"remove 4", "append S", "remove 7"};
    QTest::newRow("the lost record listed") << kzh << lost + QStringList{"history"} << 0
                                            << "1: S1 (Gewinde M6), Zeilen 7 bis 9, entfernt am WHEN\n"
                                               "2: Z1 (Gewinde M4), Zeilen 4 bis 6, entfernt am WHEN\n"
                                            << QString() << rec('K') + rec('H');
    QTest::newRow("the lost record restored") << kzh << lost + QStringList{"restore 2"} << 0
                                              << "Wieder eingefügt an alter Stelle: Z1 (Gewinde M4), Zeilen 4 bis 6.\n"
                                              << QString() << kzh;
    QTest::newRow("restored twice") << kzh << lost + QStringList{"restore 2", "restore 2"} << 1 << QString()
                                    << "Ein Eintrag Z1 mit Gewinde M4 steht schon in der Datei; nichts eingefügt.\n"
                                    << kzh;
    // A name from the file reaches the terminal with its control codes shown, not sent.
    const QByteArray escape = "ITEM:\x1b]0;x\x07MM M3\r\nbegintip\r\nendtip\r\n";
    QTest::newRow("its name and thread in the file, a name with an escape sequence")
        << rec('K') + escape + rec('H') + escape << QStringList{"remove 4", "restore 1"} << 1 << QString()
        << "Ein Eintrag \\x1b]0;x\\x07 mit Gewinde M3 steht schon in der Datei; nichts eingefügt.\n"
        << rec('K') + rec('H') + escape;
    QTest::newRow("nothing removed yet") << kzh << QStringList{"history"} << 0
                                         << "Der Verlauf usrprobe.dat.history enthält keine entfernten Einträge.\n"
                                         << QString() << kzh;
    QTest::newRow("an append after its place") << kzh << QStringList{"remove 4", "append S", "restore 1"} << 0
                                               << "Wieder eingefügt an alter Stelle: Z1 (Gewinde M4), Zeilen 4 bis 6.\n"
                                               << QString() << kzh + rec('S');
    QTest::newRow("a record after its place removed since")
        << kzh << QStringList{"remove 4", "remove 4", "restore 2"} << 0
        << "Wieder eingefügt an alter Stelle: Z1 (Gewinde M4), Zeilen 4 bis 6.\n"
        << QString() << rec('K') + rec('Z');
    QTest::newRow("the place before it changed") << kzh << QStringList{"remove 7", "remove 1", "restore 2"}
                                                 << 0 << "Wieder eingefügt am Ende der Datei: H1 (Gewinde M5).\n"
                                                 << QString() << rec('Z') + rec('H');
    QTest::newRow("the last line without end, an append since")
        << rec('K') + rec('Z', "") << QStringList{"remove 4", "append S", "restore 1"} << 0
        << "Wieder eingefügt an alter Stelle: Z1 (Gewinde M4), Zeilen 4 bis 6.\n"
        << QString() << rec('K') + rec('Z') + rec('S');
    // Lines of no record taken out by a repair are kept and listed as well.
    const QByteArray stray = rec('K') + "irgendwas\r\n" + rec('Z');
    QTest::newRow("a repair's line") << stray << QStringList{"repair 4", "history"} << 0
                                     << "1: Zeilen ohne Eintrag, Zeile 4, ausgebessert am WHEN\n"
                                     << QString() << rec('K') + rec('Z');
    QTest::newRow("no such entry") << kzh << QStringList{"remove 4", "restore 2"} << 1 << QString()
                                   << "Einen Eintrag 2 gibt es nicht: die Liste von „merivox-view --history“ reicht "
                                      "bis 1.\n"
                                   << rec('K') + rec('H');
}

void TestHistoryCommand::steps()
{
    QFETCH(QByteArray, before);
    QFETCH(QStringList, steps);
    QFETCH(int, exitCode);
    QFETCH(QString, out);
    QFETCH(QString, err);
    QFETCH(QByteArray, after);
    if (steps.size() > 1) {
        SKIP_WITHOUT_ONE_STEP_REPLACE();
    }

    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("usrprobe.dat"));
    test::writeFile(path, before);
    test::ProgramRun result;
    for (qsizetype i = 0; i < steps.size(); ++i) {
        result = run(path, steps.at(i));
        if (i + 1 < steps.size()) {
            QVERIFY2(result.exitCode == 0, qPrintable(steps.at(i) + QStringLiteral(": ") + result.err));
        }
    }
    QCOMPARE(result.exitCode, exitCode);
    QCOMPARE(withoutMoments(result.out), out);
    QVERIFY2(err.isEmpty() ? result.err.isEmpty() : result.err.startsWith(err), qPrintable(result.err));
    QCOMPARE(test::fileContent(path), after);
}

QTEST_GUILESS_MAIN(TestHistoryCommand)
#include "tst_historycommand.moc"
