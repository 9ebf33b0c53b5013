// Repairs of lines outside the records: which bytes the reader names for the problem at a line,
// what merivox-view --repair leaves in the file byte for byte, what it refuses and why (through
// the real program), and that a repair never goes through when the file changed since it was read.
#include "../support/ProgramOutput.h"
#include "LineRepair.h"
#include "OneStepReplace.h"
#include "ProbeFile.h"
#include "ProbeFileEditor.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

using namespace merivox;
namespace test = merivox::test;

namespace {

const QByteArray kA = "ITEM:AMM M3\r\nbegintip\r\nendtip\r\n"; // lines 1-3
const QByteArray kB = "ITEM:BMM M4\r\nbegintip\r\nendtip\r\n";
// The same two records with the line end after A's endtip lost: line 3 holds both.
const QByteArray kTogether = "ITEM:AMM M3\r\nbegintip\r\nendtipITEM:BMM M4\r\nbegintip\r\nendtip\r\n";

} // namespace

class TestRepairCommand final : public QObject
{
    Q_OBJECT

private slots:
    void ranges_data();
    void ranges();
    void staleContent_data();
    void staleContent();
    void program_data();
    void program();
};

void TestRepairCommand::ranges_data()
{
    // What the reader names for the problem at a line: the lines concerned, the bytes replaced and
    // what goes in their place; a refusal has first line 0.
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("line");
    QTest::addColumn<int>("first");
    QTest::addColumn<int>("last");
    QTest::addColumn<qint64>("begin");
    QTest::addColumn<qint64>("end");
    QTest::addColumn<QByteArray>("insert");

    const qint64 a = kA.size();
    QTest::newRow("garbage line between") << kA + "irgendwas\r\n" + kB << 4 << 4 << 4 << a << a + 11 << QByteArray();
    QTest::newRow("rest of a cut-off record, asked at its end")
        << kA + "cyl 1 2 3\r\nendtip\r\n" + kB << 5 << 4 << 5 << a << a + 19 << QByteArray();
    QTest::newRow("rest of a cut-off record, asked at its start")
        << kA + "cyl 1 2 3\r\nendtip\r\n" + kB << 4 << 4 << 5 << a << a + 19 << QByteArray();
    QTest::newRow("before the first record")
        << "Müll\r\n\r\n" + kA << 2 << 1 << 2 << qint64(0) << qint64(9) << QByteArray();
    QTest::newRow("after the last, no line end") << kA + "\r\nRest" << 5 << 4 << 5 << a << a + 6 << QByteArray();
    QTest::newRow("LF-only lines") << QByteArray("ITEM:AMM M3\nbegintip\nendtip\nxx\nyy\n") << 4 << 4 << 5 << qint64(28)
                                   << qint64(34) << QByteArray();
    QTest::newRow("run together in the middle") << kTogether << 3 << 3 << 3 << a - 2 << a - 2 << QByteArray("\r\n");
    QTest::newRow("run together at the start") << "endtipITEM:AMM M3\r\nbegintip\r\nendtip\r\n" + kB << 1 << 1 << 1
                                               << qint64(6) << qint64(6) << QByteArray("\r\n");
    QTest::newRow("run together in the last line") << kA + "ITEM:BMM M4\r\nbegintip\r\nendtipITEM:CMM M5" << 6 << 6 << 6
                                                   << 2 * a - 2 << 2 * a - 2 << QByteArray("\r\n");
    QTest::newRow("run together, LF-only lines")
        << QByteArray("ITEM:AMM M3\nbegintip\nendtipITEM:BMM M4\nbegintip\nendtip\n") << 3 << 3 << 3 << qint64(27)
        << qint64(27) << QByteArray("\r\n");
    // CR alone ends no line: a garbage line with CRs inside is one line, and an item line after a
    // CR alone is not a line of its own, so the line is a damaged line of the record it stands in.
    QTest::newRow("garbage with CR-only line ends")
        << kA + "xx\ryy\r\n" + kB << 4 << 4 << 4 << a << a + 7 << QByteArray();
    QTest::newRow("run together after a CR alone")
        << QByteArray("ITEM:AMM M3\r\nbegintip\r\nendtip\rITEM:BMM M4\r\nbegintip\r\nendtip\r\n") << 3 << 3 << 3
        << qint64(30) << qint64(30) << QByteArray("\n");
    // Text before the item line that is no line of a record: split, it is a stray line of its own.
    const QByteArray garbageTogether = kA + "MüllITEM:BMM M4\r\nbegintip\r\nendtip\r\n";
    QTest::newRow("run together with garbage")
        << garbageTogether << 4 << 4 << 4 << a + 5 << a + 5 << QByteArray("\r\n");
    QTest::newRow("a line of the record not yet split off")
        << garbageTogether << 5 << 0 << 0 << qint64(0) << qint64(0) << QByteArray();
    QTest::newRow("stray run ends before a run-together line")
        << kA + "xx\r\n" + garbageTogether.mid(a) << 4 << 4 << 4 << a << a + 4 << QByteArray();
    QTest::newRow("CR-only file, one line")
        << QByteArray("ITEM:AMM M3\rbegintip\rendtip\rxx\r") << 1 << 0 << 0 << qint64(0) << qint64(0) << QByteArray();
    QTest::newRow("line of an intact record") << kA + kB << 2 << 0 << 0 << qint64(0) << qint64(0) << QByteArray();
    QTest::newRow("line after a run-together line")
        << kTogether << 4 << 0 << 0 << qint64(0) << qint64(0) << QByteArray();
    QTest::newRow("past the end") << kA << 4 << 0 << 0 << qint64(0) << qint64(0) << QByteArray();
}

void TestRepairCommand::ranges()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, line);
    QFETCH(int, first);
    QFETCH(int, last);
    QFETCH(qint64, begin);
    QFETCH(qint64, end);
    QFETCH(QByteArray, insert);

    const ProbeFile file = ProbeFile::fromBytes(bytes);
    QString reason;
    const std::optional<LineRepair> repair = LineRepair::of(file, line, &reason);
    QCOMPARE(repair.has_value(), first > 0);
    if (!repair) {
        QVERIFY(!reason.isEmpty());
        return;
    }
    QCOMPARE(repair->firstLine, first);
    QCOMPARE(repair->lastLine, last);
    QCOMPARE(repair->begin, begin);
    QCOMPARE(repair->end, end);
    QCOMPARE(repair->insert, insert);
    QCOMPARE(repair->kind == LineRepair::Kind::SplitLine, !insert.isEmpty());
    // Mended, the file keeps every record it had; lines taken out take their problems with them,
    // and a split line's second half is an item line of its own (its first half may be a stray
    // line then, to be taken out next).
    QByteArray mended = bytes;
    mended.replace(begin, end - begin, insert);
    const ProbeFile after = ProbeFile::fromBytes(mended);
    // A split of an item line that the reader had not taken for a record's start adds that record.
    const qsizetype starting = file.recordAtLine(line, true);
    const bool recordThere = starting >= 0 && file.startsMidLine(starting) && file.startOfItem(starting) == begin;
    QCOMPARE(after.recordCount(), file.recordCount() + (insert.isEmpty() || recordThere ? 0 : 1));
    if (insert.isEmpty()) {
        QVERIFY2(after.problemCount() < file.problemCount(), qPrintable(QString::number(after.problemCount())));
    } else {
        QVERIFY(after.lineText(first + 1).startsWith(QStringLiteral("ITEM:")));
        QVERIFY(!after.lineText(first).contains(QStringLiteral("ITEM:")));
    }
}

void TestRepairCommand::staleContent_data()
{
    // A repair is made against the content as read: another station's append since, or bytes
    // asked for past the end, leave the file as it is.
    QTest::addColumn<QByteArray>("seen");
    QTest::addColumn<QByteArray>("onDisk");
    QTest::addColumn<qint64>("begin");
    QTest::addColumn<qint64>("end");
    QTest::addColumn<int>("outcome");
    QTest::addColumn<int>("cause");

    const QByteArray stray = kA + "irgendwas\r\n";
    QTest::newRow("appended since") << stray << stray + kB << qint64(kA.size()) << qint64(stray.size())
                                    << int(ChangeOutcome::Kind::FileChanged) << int(FileCause::Changed);
    QTest::newRow("past the end") << stray << stray << qint64(stray.size()) << qint64(stray.size() + 4)
                                  << int(ChangeOutcome::Kind::Failed) << int(FileCause::BadRange);
}

void TestRepairCommand::staleContent()
{
    QFETCH(QByteArray, seen);
    QFETCH(QByteArray, onDisk);
    QFETCH(qint64, begin);
    QFETCH(qint64, end);
    QFETCH(int, outcome);
    QFETCH(int, cause);

    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("usrprobe.dat"));
    test::writeFile(path, onDisk);
    LineRepair repair;
    repair.begin = begin;
    repair.end = end;
    const ChangeOutcome done = ProbeFileEditor().repair(path, seen, repair);
    QCOMPARE(int(done.kind), outcome);
    QCOMPARE(int(done.cause), cause);
    // Both are refusals of the moment: the command line's exit status 1.
    QCOMPARE(done.exitCode(), 1);
    QVERIFY(done.text.startsWith(QStringLiteral("Die Datei ")));
    QCOMPARE(test::fileContent(path), onDisk);
}

void TestRepairCommand::program_data()
{
    // Through the real program: what it leaves in the file byte for byte, what it says, and its
    // exit status, for repairs, refusals and wrong arguments.
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QStringList>("arguments"); // FILE: the file holding before
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QByteArray>("after");
    QTest::addColumn<QString>("out");
    QTest::addColumn<QString>("err"); // all of standard error; FILE: the file's path

    const QString help = QStringLiteral("„merivox-view --help“ zeigt, welche Optionen es gibt.\n");
    const QString usage = QStringLiteral("--repair braucht eine Zeilennummer und eine DATEI.\n") + help;
    QTest::newRow("garbage line") << kA + "irgendwas\r\n" + kB << QStringList{"--repair", "4", "FILE"} << 0 << kA + kB
                                  << "Entfernt: Zeile 4 außerhalb jedes Eintrags.\n"
                                  << "";
    QTest::newRow("rest of a cut-off record")
        << kA + "cyl 1 2 3\r\nendtip\r\n" + kB << QStringList{"--repair", "5", "FILE"} << 0 << kA + kB
        << "Entfernt: Zeilen 4 bis 5 außerhalb jedes Eintrags.\n"
        << "";
    QTest::newRow("run-together line") << kTogether << QStringList{"--repair", "3", "FILE"} << 0 << kA + kB
                                       << "Geteilt: Zeile 3 in die Zeilen 3 und 4.\n"
                                       << "";
    QTest::newRow("intact record") << kA + kB << QStringList{"--repair", "5", "FILE"} << 1 << kA + kB << ""
                                   << "Zeile 5 gehört zu einem Eintrag; dafür gibt es keine Ausbesserung.\n";
    QTest::newRow("intact record before a run-together line")
        << kTogether << QStringList{"--repair", "1", "FILE"} << 1 << kTogether << ""
        << "Zeile 1 gehört zu einem Eintrag; dafür gibt es keine Ausbesserung.\n";
    QTest::newRow("past the end") << kA << QStringList{"--repair", "9", "FILE"} << 1 << kA << ""
                                  << "Zeile 9 gibt es nicht: die Datei hat 3 Zeilen.\n";
    QTest::newRow("missing file") << kTogether << QStringList{"--repair", "3", "FILE.fehlt"} << 2 << kTogether << ""
                                  << "FILE.fehlt existiert nicht.\n";
    QTest::newRow("no line") << kTogether << QStringList{"--repair"} << 2 << kTogether << "" << usage;
    QTest::newRow("line 0") << kTogether << QStringList{"--repair", "0", "FILE"} << 2 << kTogether << ""
                            << "„0“ ist keine Zeilennummer: Zeilen zählen ab 1.\n" + help;
    QTest::newRow("no file") << kTogether << QStringList{"--repair", "3"} << 2 << kTogether << "" << usage;
}

void TestRepairCommand::program()
{
    QFETCH(QByteArray, before);
    QFETCH(QStringList, arguments);
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
    arguments.replaceInStrings(QStringLiteral("FILE"), path);
    err.replace(QStringLiteral("FILE"), QDir::toNativeSeparators(path));
    const test::ProgramRun run = test::runProgram(QStringLiteral(MERIVOX_VIEW), arguments);
    QCOMPARE(run.err, err);
    QCOMPARE(run.out, out);
    QCOMPARE(run.exitCode, exitCode);
    QCOMPARE(test::fileContent(path), after);
}

QTEST_GUILESS_MAIN(TestRepairCommand)
#include "tst_repaircommand.moc"
