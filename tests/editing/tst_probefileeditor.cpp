// Taking a record out of the file and putting it back, as the viewer and its command line do it:
// the outcome that decides the exit status, and the German reason.
#include "AppendFile.h"
#include "OneStepReplace.h"
#include "ProbeFileEditor.h"
#include "TestSupport.h"

#include <QDir>
#include <QTemporaryDir>

using namespace merivox;
using namespace merivox::test;

namespace {

const QByteArray kFirst = "ITEM:AMM M3\r\nbegintip\r\nendtip\r\n";
const QByteArray kSecond = "ITEM:BMM M3\r\nbegintip\r\nendtip\r\n";
const QByteArray kThird = "ITEM:CMM M4\r\nbegintip\r\nendtip\r\n";
// What another station appends meanwhile.
const QByteArray kOther = "ITEM:SMM M6\r\nbegintip\r\nendtip\r\n";

std::filesystem::path native(const QString &path)
{
    return std::filesystem::path(QDir::toNativeSeparators(path).toStdU16String());
}

std::vector<HistoryEntry> historyOf(const QString &path)
{
    return parseHistory(readAll(path + QStringLiteral(".history")).toStdString());
}

} // namespace

class TestProbeFileEditor final : public QObject
{
    Q_OBJECT

private slots:
    void removeAndUndo();
    void refusedOrFailed_data();
    void refusedOrFailed();
    void undoPlaces_data();
    void undoPlaces();
    void historyUnwritable_data();
    void historyUnwritable();
    void putBackFromHistory();
};

void TestProbeFileEditor::removeAndUndo()
{
    SKIP_WITHOUT_ONE_STEP_REPLACE();
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("usrprobe.dat"));
    writeAll(path, kFirst + kSecond);
    ProbeFileEditor editor;
    QVERIFY(!editor.canUndo());
    QCOMPARE(editor.remove(path, kFirst + kSecond, 0, kFirst.size()), ProbeFileEditor::Outcome::Done);
    QCOMPARE(readAll(path), kSecond);
    QCOMPARE(readAll(path + QStringLiteral(".bak")), kFirst + kSecond);
    QVERIFY(editor.canUndo());
    QCOMPARE(editor.undo(), ProbeFileEditor::Outcome::Done);
    QCOMPARE(readAll(path), kFirst + kSecond);
    QVERIFY(!editor.canUndo());
    QCOMPARE(editor.undo(), ProbeFileEditor::Outcome::Refused);

    // An undo after the file changed before the record's place is refused with where the record
    // is kept; it stays offered, since it can still go to the end.
    QCOMPARE(editor.remove(path, kFirst + kSecond, kFirst.size(), kFirst.size() + kSecond.size()),
             ProbeFileEditor::Outcome::Done);
    writeAll(path, kSecond + kFirst);
    QCOMPARE(editor.undo(), ProbeFileEditor::Outcome::Refused);
    QVERIFY(editor.oldPlaceGone());
    QCOMPARE(editor.errorString(),
             QStringLiteral("Die Datei vor der Stelle, an der der Eintrag stand, wurde seither geändert; er kann nur "
                            "am Ende der Datei wieder eingefügt werden.\n"
                            "Er bleibt im Verlauf usrprobe.dat.history aufbewahrt."));
    QVERIFY(editor.canUndo());
    QCOMPARE(readAll(path), kSecond + kFirst);
}

void TestProbeFileEditor::refusedOrFailed_data()
{
    QTest::addColumn<QString>("name");      // the file's name in the folder
    QTest::addColumn<QByteArray>("seen");   // what the caller read
    QTest::addColumn<qint64>("end");        // the removed range is [0, end)
    QTest::addColumn<QByteArray>("backup"); // a usrprobe.dat.bak already there, unless empty; "/": a folder
    QTest::addColumn<ProbeFileEditor::Outcome>("outcome");
    QTest::addColumn<QString>("reason");

    const QByteArray content = kFirst + kSecond;
    QTest::newRow("changed") << "usrprobe.dat" << kFirst << qint64(5) << QByteArray()
                             << ProbeFileEditor::Outcome::Refused
                             << "Die Datei wurde geändert, seit sie eingelesen wurde.";
    QTest::newRow("range") << "usrprobe.dat" << content << content.size() + 1 << QByteArray()
                           << ProbeFileEditor::Outcome::Refused << "Der Eintrag steht nicht in der Datei.";
    QTest::newRow("unreadable backup") << "usrprobe.dat" << content << qint64(5) << QByteArray("/")
                                       << ProbeFileEditor::Outcome::Failed
                                       << "Die Sicherung usrprobe.dat.bak lässt sich nicht lesen und wird nicht "
                                          "überschrieben.";
    QTest::newRow("no file") << "fehlt.dat" << content << qint64(5) << QByteArray() << ProbeFileEditor::Outcome::Failed
                             << "Die Datei existiert nicht.";
    QTest::newRow("no folder") << "fehlt/usrprobe.dat" << content << qint64(5) << QByteArray()
                               << ProbeFileEditor::Outcome::Failed << "Der Ordner existiert nicht.";
}

void TestProbeFileEditor::refusedOrFailed()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, seen);
    QFETCH(qint64, end);
    QFETCH(QByteArray, backup);
    QFETCH(ProbeFileEditor::Outcome, outcome);
    QFETCH(QString, reason);

    QTemporaryDir folder;
    const QByteArray content = kFirst + kSecond;
    writeAll(folder.filePath(QStringLiteral("usrprobe.dat")), content);
    if (backup == "/") {
        QVERIFY(QDir(folder.path()).mkdir(QStringLiteral("usrprobe.dat.bak")));
    } else if (!backup.isEmpty()) {
        writeAll(folder.filePath(QStringLiteral("usrprobe.dat.bak")), backup);
    }
    const QString path = folder.filePath(name);
    ProbeFileEditor editor;
    QCOMPARE(editor.remove(path, seen, 0, end), outcome);
    QCOMPARE(editor.errorString(), QStringLiteral("Der Eintrag konnte nicht aus der Datei %1 entfernt werden.\n%2")
                                       .arg(QDir::toNativeSeparators(path), reason));
    QVERIFY(!editor.canUndo());
    QCOMPARE(readAll(folder.filePath(QStringLiteral("usrprobe.dat"))), content);
}

void TestProbeFileEditor::undoPlaces_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<qint64>("begin"); // the removed range
    QTest::addColumn<qint64>("end");
    QTest::addColumn<qint64>("otherBegin");   // then another station removes [otherBegin, otherEnd) of what is left,
    QTest::addColumn<qint64>("otherEnd");     // unless otherEnd is 0
    QTest::addColumn<QByteArray>("appended"); // then another station appends this, unless empty
    QTest::addColumn<bool>("oldPlace");       // whether the undo finds the old place
    QTest::addColumn<QByteArray>("after");    // the file after the undo (at the end, when not at the old place)

    const QByteArray three = kFirst + kSecond + kThird;
    const qint64 a = kFirst.size(), b = kSecond.size(), c = kThird.size();
    const QByteArray none;
    const qint64 no = 0;
    QTest::newRow("nothing since") << three << a << a + b << no << no << none << true << three;
    QTest::newRow("an append since") << three << a << a + b << no << no << kOther << true << three + kOther;
    QTest::newRow("the first record, an append since")
        << three << qint64(0) << a << no << no << kOther << true << three + kOther;
    QTest::newRow("the last record, an append since")
        << three << a + b << a + b + c << no << no << kOther << true << three + kOther;
    // The last line had no line end; lines follow it now, so it gets one.
    const QByteArray open = "ITEM:BMM M3\r\nbegintip\r\nendtip";
    QTest::newRow("last line without end, an append since")
        << kFirst + open << a << a + open.size() << no << no << kOther << true << kFirst + open + "\r\n" + kOther;
    QTest::newRow("LF lines, last without end, an append since")
        << kFirst + "ITEM:BMM M3\nendtip" << a << a + 18 << no << no << QByteArray("ITEM:S\n") << true
        << kFirst + "ITEM:BMM M3\nendtip\r\nITEM:S\n";
    // A record after it taken out leaves its place as it was.
    QTest::newRow("a later record removed since")
        << three << a << a + b << a << a + c << none << true << kFirst + kSecond;
    QTest::newRow("a record before it removed since")
        << three << a + b << a + b + c << no << a << kOther << false << kSecond + kOther + kThird;
    QTest::newRow("every record before it removed since")
        << kFirst + kThird << a << a + c << no << a << none << false << kThird;
    QTest::newRow("changed, the file ends without line end")
        << kFirst + kSecond + "ITEM:XMM M3" << a << a + b << no << a << none << false << "ITEM:XMM M3\r\n" + kSecond;
    QTest::newRow("changed, the file ends in CR")
        << kFirst + kSecond + "ITEM:XMM M3\r" << a << a + b << no << a << none << false << "ITEM:XMM M3\r\n" + kSecond;
}

void TestProbeFileEditor::undoPlaces()
{
    QFETCH(QByteArray, before);
    QFETCH(qint64, begin);
    QFETCH(qint64, end);
    QFETCH(qint64, otherBegin);
    QFETCH(qint64, otherEnd);
    QFETCH(QByteArray, appended);
    QFETCH(bool, oldPlace);
    QFETCH(QByteArray, after);
    SKIP_WITHOUT_ONE_STEP_REPLACE();

    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("usrprobe.dat"));
    writeAll(path, before);
    ProbeFileEditor editor;
    QCOMPARE(editor.remove(path, before, begin, end, "B", "M3"), ProbeFileEditor::Outcome::Done);
    ProbeFileEditor other;
    if (otherEnd > 0) {
        QCOMPARE(other.remove(path, readAll(path), otherBegin, otherEnd), ProbeFileEditor::Outcome::Done);
    }
    if (!appended.isEmpty()) {
        QVERIFY(appendToFile(native(path), appended.toStdString()).ok());
    }
    const QByteArray changed = readAll(path);
    // A record of the same name and thread in the file, as the caller's check finds it in the
    // content that it is given (the one the locked replace then checks): nothing is put back.
    for (const bool atEnd : {false, true}) {
        QByteArray given;
        const auto alreadyThere = [&given](std::string_view content) {
            given = QByteArray(content.data(), qsizetype(content.size()));
            return true;
        };
        QCOMPARE(atEnd ? editor.undoAtEnd(alreadyThere) : editor.undo(alreadyThere), ProbeFileEditor::Outcome::Refused);
        QVERIFY(editor.alreadyInFile());
        QCOMPARE(given, changed);
        QVERIFY(editor.errorString().startsWith(QStringLiteral("Ein Eintrag B mit Gewinde M3 steht schon in der Datei")));
        QVERIFY(editor.errorString().endsWith(QStringLiteral("Er bleibt im Verlauf usrprobe.dat.history aufbewahrt.")));
        QVERIFY(editor.canUndo());
        QCOMPARE(readAll(path), changed);
    }
    if (oldPlace) {
        QCOMPARE(editor.undo(), ProbeFileEditor::Outcome::Done);
        QVERIFY(!editor.oldPlaceGone());
    } else {
        QCOMPARE(editor.undo(), ProbeFileEditor::Outcome::Refused);
        QVERIFY(editor.oldPlaceGone());
        QVERIFY(editor.canUndo());
        QCOMPARE(readAll(path), changed);
        QVERIFY2(editor.undoAtEnd() == ProbeFileEditor::Outcome::Done, qPrintable(editor.errorString()));
    }
    QCOMPARE(readAll(path), after);
    QVERIFY(!editor.canUndo());
    // The history holds the removal, then the undo with the bytes it put in.
    const std::vector<HistoryEntry> history = historyOf(path);
    QCOMPARE(history.size(), size_t(otherEnd > 0 ? 3 : 2));
    QCOMPARE(history.front().action, HistoryAction::Remove);
    QCOMPARE(history.front().name, std::string("B"));
    QCOMPARE(history.front().thread, std::string("M3"));
    QCOMPARE(QByteArray::fromStdString(history.front().removed), before.mid(begin, end - begin));
    QCOMPARE(history.back().action, HistoryAction::Undo);
    QCOMPARE(history.back().outcome, HistoryOutcome::Done);
    QVERIFY(history.back().inserted.find(history.front().removed) != std::string::npos);
}

void TestProbeFileEditor::historyUnwritable_data()
{
    QTest::addColumn<QString>("step");  // remove, repair, restore
    QTest::addColumn<QString>("first"); // the reason's first line

    QTest::newRow("remove") << "remove"
                            << "Der Eintrag konnte nicht aus der Datei %1 entfernt werden.";
    QTest::newRow("repair") << "repair"
                            << "Die Datei %1 konnte nicht ausgebessert werden.";
    QTest::newRow("restore") << "restore"
                             << "Der Eintrag konnte nicht wieder in die Datei %1 eingefügt werden.";
}

void TestProbeFileEditor::historyUnwritable()
{
    QFETCH(QString, step);
    QFETCH(QString, first);

    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("usrprobe.dat"));
    const QByteArray content = kFirst + kSecond;
    writeAll(path, content);
    // A folder in the history's place: neither read nor written.
    QVERIFY(QDir(folder.path()).mkdir(QStringLiteral("usrprobe.dat.history")));
    ProbeFileEditor editor;
    ProbeFileEditor::Outcome outcome = ProbeFileEditor::Outcome::Done;
    if (step == QLatin1String("remove")) {
        outcome = editor.remove(path, content, 0, kFirst.size(), "A", "M3");
    } else if (step == QLatin1String("repair")) {
        outcome = editor.repair(path, content, 0, 0, "\r\n");
    } else {
        ProbeFileEditor::Removed removed;
        removed.bytes = kThird;
        removed.at = content.size();
        removed.knownLength = content.size();
        removed.knownHash = contentHash(content.toStdString());
        outcome = editor.putBack(path, removed, ProbeFileEditor::Place::OldPlace, HistoryAction::Restore);
    }
    QCOMPARE(outcome, ProbeFileEditor::Outcome::Failed);
    QVERIFY(!editor.canUndo());
    const QStringList lines = editor.errorString().split(u'\n');
    QVERIFY2(lines.size() >= 3, qPrintable(editor.errorString()));
    QCOMPARE(lines.at(0), first.arg(QDir::toNativeSeparators(path)));
    QCOMPARE(lines.at(1), QStringLiteral("Der Verlauf usrprobe.dat.history ließ sich nicht lesen oder schreiben; die "
                                         "Datei wurde nicht geändert."));
    QVERIFY2(!lines.at(2).isEmpty(), qPrintable(editor.errorString()));
    QCOMPARE(readAll(path), content);
    QVERIFY(!QFile::exists(path + QStringLiteral(".bak")));
}

void TestProbeFileEditor::putBackFromHistory()
{
    // A record put back from the history: at its old place while the file still starts with what
    // its removal left, wherever appends went since; a record of a .bak only at the end; a file
    // that is gone is named with where the record is kept.
    SKIP_WITHOUT_ONE_STEP_REPLACE();
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("usrprobe.dat"));
    const QByteArray three = kFirst + kSecond + kThird;
    writeAll(path, three);
    ProbeFileEditor editor;
    QCOMPARE(editor.remove(path, three, kFirst.size(), kFirst.size() + kSecond.size(), "B", "M3"),
             ProbeFileEditor::Outcome::Done);
    QVERIFY(appendToFile(native(path), kOther.toStdString()).ok());
    HistoryEntry entry = historyOf(path).front();
    const ProbeFileEditor::Removed removed = ProbeFileEditor::Removed::fromHistory(entry);
    QCOMPARE(removed.bytes, kSecond);
    QCOMPARE(removed.name, QByteArray("B"));

    ProbeFileEditor other; // another window or station
    QCOMPARE(other.putBack(path, removed, ProbeFileEditor::Place::OldPlace, HistoryAction::Restore),
             ProbeFileEditor::Outcome::Done);
    QCOMPARE(readAll(path), three + kOther);
    QCOMPARE(historyOf(path).back().action, HistoryAction::Restore);
    // The window that removed it no longer offers to undo it.
    QVERIFY(editor.canUndo());
    QVERIFY(!editor.stillUndoable(readAll(path)));
    QVERIFY(!editor.canUndo());

    entry.action = HistoryAction::Backup;
    QCOMPARE(other.putBack(path, ProbeFileEditor::Removed::fromHistory(entry), ProbeFileEditor::Place::OldPlace,
                           HistoryAction::Restore),
             ProbeFileEditor::Outcome::Refused);
    QVERIFY(other.oldPlaceGone());
    QCOMPARE(readAll(path), three + kOther);

    QVERIFY(QFile::remove(path));
    QCOMPARE(other.putBack(path, removed, ProbeFileEditor::Place::End, HistoryAction::Restore),
             ProbeFileEditor::Outcome::Failed);
    QCOMPARE(other.errorString(), QStringLiteral("Der Eintrag konnte nicht wieder in die Datei %1 eingefügt werden.\n"
                                                 "Die Datei existiert nicht.\n"
                                                 "Er bleibt im Verlauf usrprobe.dat.history aufbewahrt.")
                                      .arg(QDir::toNativeSeparators(path)));
}

QTEST_GUILESS_MAIN(TestProbeFileEditor)
#include "tst_probefileeditor.moc"
