// Every change of the file as the viewer's window and its command line make it, run against the
// editing room directly: taking a record out, putting it back (undo, or from the history), and the
// questions each may ask; the outcome that decides the exit status, and its one German text.
#include "AppendFile.h"
#include "LineRepair.h"
#include "OneStepReplace.h"
#include "ProbeFile.h"
#include "ProbeFileEditor.h"
#include "RemovedRecords.h"
#include "TestSupport.h"

#include <QDir>
#include <QFileInfo>
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

// The bytes [begin, end) as a record of name and thread to take out.
RemovalPlan planOf(qint64 begin, qint64 end, const QByteArray &name = {}, const QByteArray &thread = {})
{
    RemovalPlan plan;
    plan.begin = begin;
    plan.end = end;
    plan.name = QString::fromLatin1(name);
    plan.thread = QString::fromLatin1(thread);
    plan.nameBytes = name;
    plan.threadBytes = thread;
    return plan;
}

// Answers given in advance; every question asked is noted ("Ende: <why>", "Zweites: <what>").
class Answers final : public ChangeQuestions
{
public:
    Answers(bool atEnd, bool secondCopy) : m_atEnd(atEnd), m_secondCopy(secondCopy) {}
    bool putAtEnd(const QString &why) override
    {
        asked << QStringLiteral("Ende: ") + why;
        return m_atEnd;
    }
    bool putSecondCopy(const QString &what) override
    {
        asked << QStringLiteral("Zweites: ") + what;
        return m_secondCopy;
    }
    QStringList asked;

private:
    bool m_atEnd, m_secondCopy;
};

const QString kOldPlaceGone =
    QStringLiteral("Die Datei vor der Stelle, an der der Eintrag stand, wurde seither geändert; er kann nur am Ende "
                   "der Datei wieder eingefügt werden.\nEr bleibt im Verlauf usrprobe.dat.history aufbewahrt.");

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
    void secondCopy_data();
    void secondCopy();
    void historyUnwritable_data();
    void historyUnwritable();
    void putBackFromHistory();
    void backupRescued_data();
    void backupRescued();
    void throughALink();
};

void TestProbeFileEditor::removeAndUndo()
{
    SKIP_WITHOUT_ONE_STEP_REPLACE();
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("usrprobe.dat"));
    writeAll(path, kFirst + kSecond);
    ProbeFileEditor editor;
    Answers never(false, false);
    QVERIFY(!editor.canUndo());
    const ChangeOutcome removed = editor.remove(path, kFirst + kSecond, planOf(0, kFirst.size(), "A", "M3"));
    QVERIFY(removed.done());
    QCOMPARE(removed.exitCode(), 0);
    // The done outcome carries the history's entry, for undoing it.
    QCOMPARE(removed.entry.action, HistoryAction::Remove);
    QCOMPARE(QByteArray::fromStdString(removed.entry.removed), kFirst);
    QCOMPARE(removed.entry.id, historyOf(path).back().id);
    QCOMPARE(readAll(path), kSecond);
    QCOMPARE(readAll(path + QStringLiteral(".bak")), kFirst + kSecond);
    QVERIFY(editor.canUndo());
    const ChangeOutcome undone = editor.undo(never);
    QVERIFY(undone.done());
    QVERIFY(!undone.atEnd);
    QCOMPARE(undone.entry.action, HistoryAction::Undo);
    QVERIFY(never.asked.isEmpty());
    QCOMPARE(readAll(path), kFirst + kSecond);
    QVERIFY(!editor.canUndo());
    QCOMPARE(editor.undo(never).exitCode(), 1);

    // An undo after the file changed before the record's place asks; declined, nothing changes and
    // the removal stays offered, since it can still go to the end.
    QVERIFY(editor.remove(path, kFirst + kSecond, planOf(kFirst.size(), kFirst.size() + kSecond.size())).done());
    writeAll(path, kSecond + kFirst);
    const ChangeOutcome gone = editor.undo(never);
    QCOMPARE(gone.kind, ChangeOutcome::Kind::OldPlaceGone);
    QVERIFY(gone.declined);
    QCOMPARE(gone.text, kOldPlaceGone);
    QCOMPARE(never.asked, QStringList{QStringLiteral("Ende: ") + kOldPlaceGone});
    QVERIFY(editor.canUndo());
    QCOMPARE(readAll(path), kSecond + kFirst);
}

void TestProbeFileEditor::refusedOrFailed_data()
{
    QTest::addColumn<QString>("name");      // the file's name in the folder
    QTest::addColumn<QByteArray>("seen");   // what the caller read
    QTest::addColumn<qint64>("end");        // the removed range is [0, end)
    QTest::addColumn<QByteArray>("backup"); // a usrprobe.dat.bak already there, unless empty; "/": a folder
    QTest::addColumn<ChangeOutcome::Kind>("kind");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("reason");

    const QByteArray content = kFirst + kSecond;
    QTest::newRow("changed") << "usrprobe.dat" << kFirst << qint64(5) << QByteArray()
                             << ChangeOutcome::Kind::FileChanged << 1
                             << "Die Datei wurde geändert, seit sie eingelesen wurde.";
    QTest::newRow("range") << "usrprobe.dat" << content << content.size() + 1 << QByteArray()
                           << ChangeOutcome::Kind::Failed << 1 << "Der Eintrag steht nicht in der Datei.";
    QTest::newRow("unreadable backup") << "usrprobe.dat" << content << qint64(5) << QByteArray("/")
                                       << ChangeOutcome::Kind::Failed << 2
                                       << "Die Sicherung usrprobe.dat.bak lässt sich nicht lesen und wird nicht "
                                          "überschrieben.";
    QTest::newRow("no file") << "fehlt.dat" << content << qint64(5) << QByteArray() << ChangeOutcome::Kind::Failed << 2
                             << "Die Datei existiert nicht.";
    QTest::newRow("no folder") << "fehlt/usrprobe.dat" << content << qint64(5) << QByteArray()
                               << ChangeOutcome::Kind::Failed << 2 << "Der Ordner existiert nicht.";
}

void TestProbeFileEditor::refusedOrFailed()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, seen);
    QFETCH(qint64, end);
    QFETCH(QByteArray, backup);
    QFETCH(ChangeOutcome::Kind, kind);
    QFETCH(int, exitCode);
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
    const ChangeOutcome outcome = editor.remove(path, seen, planOf(0, end));
    QCOMPARE(outcome.kind, kind);
    QCOMPARE(outcome.exitCode(), exitCode);
    QVERIFY(!outcome.changed);
    QCOMPARE(outcome.text, QStringLiteral("Der Eintrag konnte nicht aus der Datei %1 entfernt werden.\n%2")
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
    QVERIFY(editor.remove(path, before, planOf(begin, end, "Q", "M9")).done());
    if (otherEnd > 0) {
        QVERIFY(ProbeFileEditor().remove(path, readAll(path), planOf(otherBegin, otherEnd)).done());
    }
    if (!appended.isEmpty()) {
        QVERIFY(appendToFile(native(path), appended.toStdString()).ok());
    }
    const QByteArray changed = readAll(path);
    if (!oldPlace) {
        // Asked whether it goes to the end, and told no: nothing changes, the undo stays offered.
        Answers no(false, false);
        const ChangeOutcome declined = editor.undo(no);
        QCOMPARE(declined.kind, ChangeOutcome::Kind::OldPlaceGone);
        QCOMPARE(declined.exitCode(), 1);
        QCOMPARE(no.asked.size(), 1);
        QVERIFY(editor.canUndo());
        QCOMPARE(readAll(path), changed);
    }
    Answers yes(true, false);
    const ChangeOutcome outcome = editor.undo(yes);
    QVERIFY2(outcome.done(), qPrintable(outcome.text));
    QCOMPARE(outcome.atEnd, !oldPlace);
    QCOMPARE(yes.asked.size(), oldPlace ? 0 : 1);
    QCOMPARE(readAll(path), after);
    QVERIFY(!editor.canUndo());
    // The history holds the removal, then the undo with the bytes it put in.
    const std::vector<HistoryEntry> history = historyOf(path);
    QCOMPARE(history.size(), size_t(otherEnd > 0 ? 3 : 2));
    QCOMPARE(history.front().action, HistoryAction::Remove);
    QCOMPARE(history.front().name, std::string("Q"));
    QCOMPARE(history.front().thread, std::string("M9"));
    QCOMPARE(QByteArray::fromStdString(history.front().removed), before.mid(begin, end - begin));
    QCOMPARE(history.back().action, HistoryAction::Undo);
    QCOMPARE(history.back().outcome, HistoryOutcome::Done);
    QCOMPARE(history.back().id, outcome.entry.id);
    QVERIFY(history.back().inserted.find(history.front().removed) != std::string::npos);
}

void TestProbeFileEditor::secondCopy_data()
{
    QTest::addColumn<QByteArray>("name"); // of the record taken out, then written anew by another station
    QTest::addColumn<bool>("twice");      // the answer to "put in a second one anyway?"
    QTest::addColumn<bool>("restore");    // put back from the history's list, else undone
    QTest::addColumn<QString>("what");    // the record as the question and the refusal name it

    for (const bool restore : {false, true}) {
        const char *how = restore ? "restore" : "undo";
        QTest::addRow("%s, no", how) << QByteArray("B") << false << restore << "B (Gewinde M3)";
        QTest::addRow("%s, yes", how) << QByteArray("B") << true << restore << "B (Gewinde M3)";
        // Nothing read from the file reaches a terminal or a window as a control code.
        QTest::addRow("%s, a name with an escape sequence", how)
            << QByteArray("\x1b]0;x\x07") << false << restore << "\\x1b]0;x\\x07 (Gewinde M3)";
    }
}

void TestProbeFileEditor::secondCopy()
{
    QFETCH(QByteArray, name);
    QFETCH(bool, twice);
    QFETCH(bool, restore);
    QFETCH(QString, what);
    SKIP_WITHOUT_ONE_STEP_REPLACE();

    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("usrprobe.dat"));
    const QByteArray record = "ITEM:" + name + "MM M3\r\nbegintip\r\nendtip\r\n";
    writeAll(path, kFirst + record + kThird);
    const ProbeFile read = ProbeFile::fromBytes(readAll(path));
    const std::optional<RemovalPlan> plan = RemovalPlan::of(read, 1);
    QVERIFY(plan);
    ProbeFileEditor editor;
    QVERIFY(editor.remove(path, read.bytes(), *plan).done());
    // Another station writes a record of the same name and thread meanwhile.
    QVERIFY(appendToFile(native(path), record.toStdString()).ok());
    const QByteArray changed = readAll(path);

    Answers answers(true, twice);
    ChangeOutcome outcome;
    if (restore) {
        QString error;
        const std::optional<RemovedRecords> list = RemovedRecords::read(path, &error);
        QVERIFY2(list, qPrintable(error));
        QVERIFY(list->alreadyInFile(0));
        outcome = ProbeFileEditor().restore(path, *list, 0, answers);
    } else {
        outcome = editor.undo(answers);
    }
    QCOMPARE(answers.asked, QStringList{QStringLiteral("Zweites: ") + what});
    if (twice) {
        QVERIFY2(outcome.done(), qPrintable(outcome.text));
        QCOMPARE(readAll(path), kFirst + record + kThird + record);
        return;
    }
    QCOMPARE(outcome.kind, ChangeOutcome::Kind::AlreadyInFile);
    QVERIFY(outcome.declined);
    QCOMPARE(outcome.exitCode(), 1);
    QVERIFY2(outcome.text.startsWith(QStringLiteral("Ein Eintrag %1 mit Gewinde M3 steht schon in der Datei; nichts "
                                                    "eingefügt.\n")
                                         .arg(what.left(what.indexOf(QStringLiteral(" (Gewinde"))))),
             qPrintable(outcome.text));
    QVERIFY(!outcome.text.contains(QChar(0x1b)));
    QCOMPARE(readAll(path), changed);
}

void TestProbeFileEditor::historyUnwritable_data()
{
    QTest::addColumn<QString>("step");  // remove, repair, restore
    QTest::addColumn<QString>("first"); // the reason's first line

    QTest::newRow("remove") << "remove"
                            << "Der Eintrag konnte nicht aus der Datei %1 entfernt werden.";
    QTest::newRow("repair") << "repair"
                            << "Die Datei %1 konnte nicht ausgebessert werden.";
    QTest::newRow("undo") << "undo"
                          << "Der Eintrag konnte nicht wieder in die Datei %1 eingefügt werden.";
}

void TestProbeFileEditor::historyUnwritable()
{
    QFETCH(QString, step);
    QFETCH(QString, first);
    SKIP_WITHOUT_ONE_STEP_REPLACE();

    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("usrprobe.dat"));
    const QByteArray content = kFirst + kSecond;
    writeAll(path, content);
    ProbeFileEditor editor;
    if (step == QLatin1String("undo")) {
        QVERIFY(editor.remove(path, content, planOf(0, kFirst.size(), "A", "M3")).done());
        QVERIFY(QFile::remove(path + QStringLiteral(".bak")));
        writeAll(path, content); // as it was, so that only the history stands in the way
    }
    // A folder in the history's place: neither read nor written.
    QFile::remove(path + QStringLiteral(".history"));
    QVERIFY(QDir(folder.path()).mkdir(QStringLiteral("usrprobe.dat.history")));
    ChangeOutcome outcome;
    Answers answers(true, true);
    if (step == QLatin1String("remove")) {
        outcome = editor.remove(path, content, planOf(0, kFirst.size(), "A", "M3"));
    } else if (step == QLatin1String("repair")) {
        LineRepair split;
        split.kind = LineRepair::Kind::SplitLine;
        split.insert = "\r\n";
        outcome = editor.repair(path, content, split);
    } else {
        outcome = editor.undo(answers);
    }
    QCOMPARE(outcome.kind, ChangeOutcome::Kind::Failed);
    QCOMPARE(outcome.exitCode(), 2);
    QVERIFY(outcome.historyFailed);
    const QStringList lines = outcome.text.split(u'\n');
    QVERIFY2(lines.size() >= 3, qPrintable(outcome.text));
    QCOMPARE(lines.at(0), first.arg(QDir::toNativeSeparators(path)));
    QCOMPARE(lines.at(1), QStringLiteral("Der Verlauf usrprobe.dat.history ließ sich nicht lesen oder schreiben; die "
                                         "Datei wurde nicht geändert."));
    QVERIFY2(!lines.at(2).isEmpty(), qPrintable(outcome.text));
    QCOMPARE(readAll(path), content);
    QVERIFY(!QFile::exists(path + QStringLiteral(".bak")));
    // Nor can the history's list be read, and it says why.
    QString error;
    QVERIFY(!RemovedRecords::read(path, &error));
    QCOMPARE(error, QStringLiteral("Der Verlauf %1 lässt sich nicht lesen: Unter seinem Namen besteht ein Ordner.")
                        .arg(QDir::toNativeSeparators(path + QStringLiteral(".history"))));
}

void TestProbeFileEditor::putBackFromHistory()
{
    // A record put back from the history: at its old place while the file still starts with what
    // its removal left, wherever appends went since; a record of a .bak only at the end, once
    // agreed; a file that is gone is named with where the record is kept.
    SKIP_WITHOUT_ONE_STEP_REPLACE();
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("usrprobe.dat"));
    const QByteArray three = kFirst + kSecond + kThird;
    writeAll(path, three);
    ProbeFileEditor editor;
    QVERIFY(editor.remove(path, three, planOf(kFirst.size(), kFirst.size() + kSecond.size(), "B", "M3")).done());
    QVERIFY(appendToFile(native(path), kOther.toStdString()).ok());

    QString error;
    std::optional<RemovedRecords> list = RemovedRecords::read(path, &error);
    QVERIFY2(list, qPrintable(error));
    QCOMPARE(list->rows().size(), 1);
    QCOMPARE(list->content(), three.first(kFirst.size()) + kThird + kOther);
    Answers never(false, false);
    const ChangeOutcome restored = ProbeFileEditor().restore(path, *list, 0, never); // another window or station
    QVERIFY2(restored.done(), qPrintable(restored.text));
    QVERIFY(never.asked.isEmpty());
    QCOMPARE(readAll(path), three + kOther);
    QCOMPARE(historyOf(path).back().action, HistoryAction::Restore);
    // The window that removed it no longer offers to undo it.
    QVERIFY(editor.canUndo());
    QVERIFY(!editor.stillUndoable(readAll(path)));
    QVERIFY(!editor.canUndo());

    // The list read before the restore: its content is no longer the file's, so the restore reads
    // the file again; the record stands there now.
    const ChangeOutcome twice = ProbeFileEditor().restore(path, *list, 0, never);
    QCOMPARE(twice.kind, ChangeOutcome::Kind::AlreadyInFile);
    QCOMPARE(never.asked, QStringList{QStringLiteral("Zweites: B (Gewinde M3)")});
    QCOMPARE(readAll(path), three + kOther);

    QVERIFY(QFile::remove(path));
    const ChangeOutcome gone = ProbeFileEditor().restore(path, *list, 0, never);
    QCOMPARE(gone.kind, ChangeOutcome::Kind::Failed);
    QCOMPARE(gone.text, QStringLiteral("Der Eintrag konnte nicht wieder in die Datei %1 eingefügt werden.\n"
                                       "Die Datei existiert nicht.\n"
                                       "Er bleibt im Verlauf usrprobe.dat.history aufbewahrt.")
                            .arg(QDir::toNativeSeparators(path)));
}

void TestProbeFileEditor::backupRescued_data()
{
    QTest::addColumn<QByteArray>("backup");
    QTest::addColumn<QByteArray>("current");
    QTest::addColumn<QList<QByteArray>>("rescued"); // what the history must hold besides the removal's entry

    const QByteArray a = "ITEM:A\r\n", b = "ITEM:B\r\n", c = "ITEM:C\r\n", d = "ITEM:D\r\n";
    const QByteArray odd("ITEM:B\r\nx\0\x1a\xe4\r", 13);
    QTest::newRow("appended since: every byte still in the file") << a + b + c << a + b + c + d << QList<QByteArray>{};
    QTest::newRow("put back since") << a + c << a + b + c << QList<QByteArray>{};
    QTest::newRow("taken out by an older copy without a history") << a + b + c << a + c + d << QList<QByteArray>{b};
    QTest::newRow("two records taken out") << a + b + c + d << a + d << QList<QByteArray>{b, c};
    QTest::newRow("a line changed by hand") << a + "ITEM:X\r\n" + c << a + b + c << QList<QByteArray>{"ITEM:X\r\n"};
    QTest::newRow("text before the first record")
        << "saved by hand\r\n" + a << a + b << QList<QByteArray>{"saved by hand\r\n"};
    QTest::newRow("odd bytes kept exactly") << a + odd << a + c << QList<QByteArray>{odd};
}

void TestProbeFileEditor::backupRescued()
{
    // Replacing a .bak of any content keeps in the history what only the .bak held.
    QFETCH(QByteArray, backup);
    QFETCH(QByteArray, current);
    QFETCH(QList<QByteArray>, rescued);
    SKIP_WITHOUT_ONE_STEP_REPLACE();

    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("usrprobe.dat"));
    writeAll(path, current);
    writeAll(path + QStringLiteral(".bak"), backup);
    // Takes out the first record; its bytes go into the history as the removal's entry.
    QVERIFY(ProbeFileEditor().remove(path, current, planOf(0, 8)).done());
    QCOMPARE(readAll(path + QStringLiteral(".bak")), current);
    QList<QByteArray> kept;
    for (const HistoryEntry &entry : historyOf(path)) {
        if (entry.action == HistoryAction::Backup) {
            kept += QByteArray::fromStdString(entry.removed);
        }
    }
    QCOMPARE(kept, rescued);
}

void TestProbeFileEditor::throughALink()
{
    // A station's usrprobe.dat is a symbolic link to a shared file: whichever path a change and a
    // look at the history take, they meet at the one history beside the shared file.
    SKIP_WITHOUT_ONE_STEP_REPLACE();
    QTemporaryDir folder;
    QVERIFY(QDir(folder.path()).mkdir(QStringLiteral("share")));
    QVERIFY(QDir(folder.path()).mkdir(QStringLiteral("station")));
    const QString shared = folder.filePath(QStringLiteral("share/usrprobe.dat"));
    const QString link = folder.filePath(QStringLiteral("station/usrprobe.dat"));
    const QByteArray three = kFirst + kSecond + kThird;
    writeAll(shared, three);
    std::error_code error;
    std::filesystem::create_symlink(native(shared), native(link), error);
    if (error) {
        QSKIP("no symbolic links here");
    }
    ProbeFileEditor editor;
    QVERIFY(editor.remove(link, three, planOf(kFirst.size(), kFirst.size() + kSecond.size(), "B", "M3")).done());
    QVERIFY(QFileInfo(link).isSymLink());
    QVERIFY(QFile::exists(shared + QStringLiteral(".history")));
    QVERIFY(!QFile::exists(link + QStringLiteral(".history")));
    for (const QString &path : {link, shared}) {
        QString why;
        const std::optional<RemovedRecords> list = RemovedRecords::read(path, &why);
        QVERIFY2(list, qPrintable(why));
        QCOMPARE(list->rows().size(), 1);
    }
    QVERIFY(editor.stillUndoable(readAll(link)));

    QString why;
    const std::optional<RemovedRecords> list = RemovedRecords::read(link, &why);
    QVERIFY2(list, qPrintable(why));
    Answers never(false, false);
    QVERIFY(ProbeFileEditor().restore(link, *list, 0, never).done());
    QCOMPARE(readAll(shared), three);
    // The window that removed it sees, through the link, that it went back meanwhile.
    QVERIFY(!editor.stillUndoable(readAll(link)));
}

QTEST_GUILESS_MAIN(TestProbeFileEditor)
#include "tst_probefileeditor.moc"
