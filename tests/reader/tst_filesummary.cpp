// What the editor's preview learns of usrprobe.dat: the duplicate rule it shares with the reader,
// the status line and the notes for a missing, empty, damaged, read-only or unwritable file, and
// the watch that follows the file while it is created, appended to, replaced and removed.
#include "FileSummary.h"
#include "FileWatch.h"
#include "ItemKeys.h"
#include "ProbeFile.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace merivox;

Q_DECLARE_METATYPE(merivox::Writable)

namespace {

QByteArray record(const QByteArray &itemLine)
{
    // A ball as the editor writes it: 11 lines.
    return itemLine + "\r\nbegintip\r\nribcount 10\r\nColor 142 142 142\r\ncylinder 0 0 0 0 0 -10 4\r\n"
                      "cone 0 0 -10 4 0 0 -15 2\r\ncylinder 0 0 -15 0 0 -40 2\r\nColor 255 0 0\r\n"
                      "sphere 0 0 -40 3\r\nhotspot 0 0 -40 0 0 1 3 3 ball\r\nendtip\r\n";
}

bool write(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

Writable answer;
Writable injected(const QString &, bool)
{
    return answer;
}

} // namespace

class TestFileSummary final : public QObject
{
    Q_OBJECT

private slots:
    void duplicateRuleIsTheReaders_data();
    void duplicateRuleIsTheReaders();
    void manyEntriesKeepTheirFirstLine_data();
    void manyEntriesKeepTheirFirstLine();
    void statusAndNotes_data();
    void statusAndNotes();
    void notesInTheViewersWords_data();
    void notesInTheViewersWords();
    void readOnlyFileFoundOut();
    void watchFollowsTheFile();
    void stoppedWatchReportsNothing();
};

void TestFileSummary::duplicateRuleIsTheReaders_data()
{
    QTest::addColumn<QByteArray>("first");
    QTest::addColumn<QByteArray>("second");
    QTest::addColumn<bool>("duplicate");

    QTest::newRow("same name and thread") << QByteArray("ITEM:TIPMM M3") << QByteArray("ITEM:TIPMM M3") << true;
    QTest::newRow("blanks after the thread") << QByteArray("ITEM:TIPMM M3") << QByteArray("ITEM:TIPMM M3  \t") << true;
    QTest::newRow("other thread") << QByteArray("ITEM:TIPMM M3") << QByteArray("ITEM:TIPMM M4") << false;
    QTest::newRow("other case") << QByteArray("ITEM:TIPMM M3") << QByteArray("ITEM:tipMM M3") << false;
    QTest::newRow("blank before the name") << QByteArray("ITEM:TIPMM M3") << QByteArray("ITEM: TIPMM M3") << false;
    QTest::newRow("name with blanks") << QByteArray("ITEM:A BMM M2") << QByteArray("ITEM:A BMM M2") << true;
    QTest::newRow("umlaut, code page bytes") << QByteArray("ITEM:K\xfcMM M3") << QByteArray("ITEM:K\xfcMM M3") << true;
}

void TestFileSummary::duplicateRuleIsTheReaders()
{
    QFETCH(QByteArray, first);
    QFETCH(QByteArray, second);
    QFETCH(bool, duplicate);

    // The reader's answer: its duplicate problem on the second record.
    const QByteArray bytes = record(first) + record(second);
    const ProbeFile file = ProbeFile::fromBytes(bytes);
    QCOMPARE(file.recordCount(), 2);
    bool readerSays = false;
    for (const Problem &problem : file.problems()) {
        readerSays = readerSays || problem.text.contains("steht schon in Zeile 1.");
    }
    QCOMPARE(readerSays, duplicate);

    // The preview's answer from the same file's entries.
    ItemKeys keys;
    keys.add(file.itemLine(0), 1);
    QCOMPARE(keys.earlierLine(second) == 1, duplicate);
    QCOMPARE(keys.earlierLine(file.itemLine(1)) == 1, duplicate);
}

void TestFileSummary::manyEntriesKeepTheirFirstLine_data()
{
    QTest::addColumn<int>("entries");
    QTest::newRow("one") << 1;
    QTest::newRow("just past the first table") << 33;
    QTest::newRow("a large file's worth") << 20000;
}

// The entries of a large file, against a plain map: every entry found on its first line whatever
// the table's growth, keys that begin like others or differ in one byte apart, a repeat (with
// blanks after it) never moving an entry, and a name never added never found.
void TestFileSummary::manyEntriesKeepTheirFirstLine()
{
    QFETCH(int, entries);
    QMap<QByteArray, int> expected;
    ItemKeys keys;
    int line = 1;
    for (int i = 0; i < entries; ++i, line += 11) {
        const QByteArray key = (i % 3 == 0 ? "T" : "TIP") + QByteArray::number(i / 2) + "MM M" + QByteArray::number(i % 7);
        const QByteArray itemLine = "ITEM:" + key + (i % 4 == 0 ? "  " : "");
        keys.add(itemLine, line);
        expected.insert(key, expected.value(key, line));
        if (i % 5 == 0) {
            keys.add("ITEM:" + key + "\t", line + 5); // the same entry again, later
        }
    }
    QCOMPARE(keys.size(), expected.size());
    for (auto it = expected.cbegin(); it != expected.cend(); ++it) {
        QCOMPARE(keys.earlierLine("ITEM:" + it.key()), it.value());
        QCOMPARE(keys.earlierLine("ITEM:" + it.key() + "X"), 0);
        QCOMPARE(keys.earlierLine("ITEM:" + it.key().chopped(1)), expected.value(it.key().chopped(1), 0));
    }
    QCOMPARE(keys.earlierLine("ITEM:"), 0);
    QCOMPARE(keys.earlierLine("sphere 0 0 -40 3"), 0);
}

void TestFileSummary::statusAndNotes_data()
{
    QTest::addColumn<QByteArray>("content"); // "-" for no file, "/" for a folder of that name
    QTest::addColumn<Writable>("writable");
    QTest::addColumn<QString>("status");
    QTest::addColumn<QString>("notes");

    const QByteArray two = record("ITEM:AMM M3") + record("ITEM:BMM M3");
    QTest::newRow("missing") << QByteArray("-") << Writable::Yes
                             << "usrprobe.dat gibt es in diesem Ordner noch nicht; „Erstellen“ legt sie an." << "";
    QTest::newRow("missing, folder not writable")
        << QByteArray("-") << Writable::No
        << "usrprobe.dat gibt es in diesem Ordner noch nicht; „Erstellen“ legt sie an."
        << "In diesen Ordner kann nicht geschrieben werden: „Erstellen“ wird usrprobe.dat hier nicht anlegen können.";
    QTest::newRow("empty") << QByteArray() << Writable::Yes << "usrprobe.dat: 0 Einträge." << "";
    QTest::newRow("one record") << record("ITEM:AMM M3") << Writable::Unknown << "usrprobe.dat: 1 Eintrag." << "";
    QTest::newRow("two records, read-only")
        << two << Writable::No << "usrprobe.dat: 2 Einträge."
        << "usrprobe.dat ist schreibgeschützt: „Erstellen“ wird nichts anfügen können.";
    QTest::newRow("damaged: a line no record has")
        << two + "Unsinn 1 2 3\r\n" << Writable::Yes << "usrprobe.dat: 2 Einträge."
        << "usrprobe.dat hat schon ein Problem, in Zeile 23; der Merivox-Betrachter zeigt es.";
    QTest::newRow("damaged: a record twice")
        << two + record("ITEM:AMM M3") << Writable::Yes << "usrprobe.dat: 3 Einträge."
        << "usrprobe.dat hat schon ein Problem, in Zeile 23; der Merivox-Betrachter zeigt es.";
    QTest::newRow("damaged twice")
        << two + record("ITEM:AMM M3") + "Unsinn\r\n" << Writable::Yes << "usrprobe.dat: 3 Einträge."
        << "usrprobe.dat hat schon 2 Probleme, das erste in Zeile 23; der Merivox-Betrachter zeigt sie.";
    QTest::newRow("a folder of that name") << QByteArray("/") << Writable::Unknown << "ist ein Ordner, keine Datei."
                                           << "";
    // "note:" first: a change in place of the file was cut short, its note stands beside it.
    const QString unfinished = QStringLiteral("Eine Änderung der Datei wurde nicht zu Ende geführt "
                                              "(usrprobe.dat.merivox-change); das nächste Merivox, das die Datei "
                                              "ändert, vollendet sie.");
    QTest::newRow("a change cut short") << "note:" + two << Writable::Yes << "usrprobe.dat: 2 Einträge." << unfinished;
    QTest::newRow("a change cut short, read-only and damaged")
        << "note:" + two + "Unsinn\r\n" << Writable::No << "usrprobe.dat: 2 Einträge."
        << "usrprobe.dat ist schreibgeschützt: „Erstellen“ wird nichts anfügen können.\n" + unfinished +
               "\nusrprobe.dat hat schon ein Problem, in Zeile 23; der Merivox-Betrachter zeigt es.";
}

void TestFileSummary::statusAndNotes()
{
    QFETCH(QByteArray, content);
    QFETCH(Writable, writable);
    QFETCH(QString, status);
    QFETCH(QString, notes);

    QTemporaryDir folder;
    const QString path = folder.filePath("usrprobe.dat");
    if (content.startsWith("note:")) {
        content.remove(0, 5);
        QVERIFY(write(path + ".merivox-change", "@merivox-change 1 "));
    }
    if (content == "/") {
        QVERIFY(QDir(folder.path()).mkdir("usrprobe.dat"));
    } else if (content != "-") {
        QVERIFY(write(path, content));
    }
    answer = writable;
    const FileSummary summary = summarizeFile(folder.path(), &injected);
    QVERIFY2(fileStatusText(summary).endsWith(status), qPrintable(fileStatusText(summary)));
    QCOMPARE(fileNotes(summary).join('\n'), notes);
}

void TestFileSummary::notesInTheViewersWords_data()
{
    // What the checker finds wrong is a "Problem" here as in the viewer, counted as there, and the
    // viewer is named as its window is; a name already in the file would be one more problem.
    QTest::addColumn<qsizetype>("problems");
    QTest::addColumn<int>("firstLine");
    QTest::addColumn<QByteArray>("duplicateOf"); // an item line the file holds at line 12; empty: none
    QTest::addColumn<QString>("notes");

    QTest::newRow("sound") << qsizetype(0) << 0 << QByteArray() << "";
    QTest::newRow("one, its line known")
        << qsizetype(1) << 7 << QByteArray()
        << "usrprobe.dat hat schon ein Problem, in Zeile 7; der Merivox-Betrachter zeigt es.";
    QTest::newRow("one, its line not known")
        << qsizetype(1) << 0 << QByteArray() << "usrprobe.dat hat schon ein Problem; der Merivox-Betrachter zeigt es.";
    QTest::newRow("two")
        << qsizetype(2) << 3 << QByteArray()
        << "usrprobe.dat hat schon 2 Probleme, das erste in Zeile 3; der Merivox-Betrachter zeigt sie.";
    QTest::newRow("thousands, the first's line not known")
        << qsizetype(25001) << 0 << QByteArray()
        << "usrprobe.dat hat schon 25001 Probleme; der Merivox-Betrachter zeigt sie.";
    QTest::newRow("name and thread already there")
        << qsizetype(0) << 0 << QByteArray("ITEM:TIPMM M3")
        << "Benennung „TIP“ mit Gewinde „M3“ steht schon in Zeile 12 von usrprobe.dat; ein zweiter solcher Eintrag "
           "wäre ein Problem der Datei.";
    QTest::newRow("the same name, another thread") << qsizetype(0) << 0 << QByteArray("ITEM:TIPMM M4") << "";
}

void TestFileSummary::notesInTheViewersWords()
{
    QFETCH(qsizetype, problems);
    QFETCH(int, firstLine);
    QFETCH(QByteArray, duplicateOf);
    QFETCH(QString, notes);

    FileSummary summary;
    summary.state = FileSummary::State::Read;
    summary.writable = Writable::Yes;
    summary.records = 3;
    summary.problems = problems;
    summary.firstProblemLine = firstLine;
    if (!duplicateOf.isEmpty()) {
        summary.items.add(duplicateOf, 12);
    }
    QStringList said = fileNotes(summary);
    const QString duplicate = duplicateNote(summary, QStringLiteral("ITEM:TIPMM M3"));
    if (!duplicate.isEmpty()) {
        said.append(duplicate);
    }
    QCOMPARE(said.join('\n'), notes);
}

void TestFileSummary::readOnlyFileFoundOut()
{
    QTemporaryDir folder;
    const QString path = folder.filePath("usrprobe.dat");
    QVERIFY(write(path, record("ITEM:AMM M3")));
    QCOMPARE(appendAccess(folder.path(), true), Writable::Yes);
    QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
    if (QFileInfo(path).isWritable()) {
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
        QSKIP("this user may write a read-only file (root); the injected answers above stand in");
    }
    QCOMPARE(appendAccess(folder.path(), true), Writable::No);
    QCOMPARE(fileNotes(summarizeFile(folder.path())),
             QStringList("usrprobe.dat ist schreibgeschützt: „Erstellen“ wird nichts anfügen können."));
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);

    // A folder that may be looked into but not written to, without the file.
    const QString closed = folder.filePath("zu");
    QVERIFY(QDir(folder.path()).mkdir("zu"));
    QCOMPARE(appendAccess(closed, false), Writable::Yes);
    QVERIFY(QFile::setPermissions(closed, QFile::ReadOwner | QFile::ExeOwner));
    const Writable folderAnswer = appendAccess(closed, false);
    QFile::setPermissions(closed, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    if (QSysInfo::productType() != "windows") { // a folder's read-only attribute means nothing on Windows
        QCOMPARE(folderAnswer, Writable::No);
    }
}

void TestFileSummary::watchFollowsTheFile()
{
    QTemporaryDir folder;
    const QString path = folder.filePath("usrprobe.dat");
    answer = Writable::Yes;
    FileWatch watch(&injected);
    SharedSummary last;
    connect(&watch, &FileWatch::summarized, this, [&last](const SharedSummary &summary) { last = summary; });
    watch.follow(folder.path());

    struct Step
    {
        const char *what;
        std::function<bool()> change;
        FileSummary::State state;
        qsizetype records;
    };
    const Step steps[] = {
        {"missing", [] { return true; }, FileSummary::State::Missing, 0},
        {"created", [&] { return write(path, record("ITEM:AMM M3")); }, FileSummary::State::Read, 1},
        {"appended to",
         [&] {
             QFile file(path);
             return file.open(QIODevice::Append) && file.write(record("ITEM:BMM M3")) > 0;
         },
         FileSummary::State::Read, 2},
        {"replaced by rename",
         [&] {
             const QString other = folder.filePath("neu.tmp");
             return write(other, record("ITEM:CMM M3") + record("ITEM:DMM M3") + record("ITEM:EMM M3")) &&
                    QFile::remove(path) && QFile::rename(other, path);
         },
         FileSummary::State::Read, 3},
        {"appended to after the rename",
         [&] {
             QFile file(path);
             return file.open(QIODevice::Append) && file.write(record("ITEM:FMM M3")) > 0;
         },
         FileSummary::State::Read, 4},
        {"removed", [&] { return QFile::remove(path); }, FileSummary::State::Missing, 0},
    };
    for (const Step &step : steps) {
        QVERIFY2(step.change(), step.what);
        QTRY_VERIFY2_WITH_TIMEOUT(last && last->state == step.state && last->records == step.records, step.what,
                                  5000);
    }
    // While there is no file, a change of the folder's own rights is followed too (the answer is
    // injected: root may write anyway). A folder's rights mean nothing on Windows.
    if (QSysInfo::productType() != "windows") {
        answer = Writable::No;
        QVERIFY(QFile::setPermissions(folder.path(), QFile::ReadOwner | QFile::ExeOwner));
        QTRY_VERIFY_WITH_TIMEOUT(last && last->writable == Writable::No, 5000);
        QVERIFY(QFile::setPermissions(folder.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        answer = Writable::Yes;
        QTRY_VERIFY_WITH_TIMEOUT(last && last->writable == Writable::Yes, 5000);
    }
    // The entries of the file as it stands, for the duplicate rule.
    QVERIFY(write(path, record("ITEM:GMM M3")));
    QTRY_VERIFY_WITH_TIMEOUT(last && last->records == 1, 5000);
    QCOMPARE(last->items.earlierLine("ITEM:GMM M3"), 1);
    QCOMPARE(last->items.earlierLine("ITEM:AMM M3"), 0);
}

void TestFileSummary::stoppedWatchReportsNothing()
{
    QTemporaryDir folder;
    const QString path = folder.filePath("usrprobe.dat");
    answer = Writable::Yes;
    FileWatch watch(&injected);
    QSignalSpy spy(&watch, &FileWatch::summarized);
    watch.follow(folder.path());
    QVERIFY(spy.wait(5000));
    watch.stop();
    QVERIFY(write(path, record("ITEM:AMM M3")));
    watch.refresh();
    QVERIFY(!spy.wait(500));
    QCOMPARE(spy.count(), 1);
}

QTEST_GUILESS_MAIN(TestFileSummary)
#include "tst_filesummary.moc"
