// The viewer following its file and taking a record out: which record stays chosen after the file
// changed, a reading that waits out an append, the window reading a file
// changed in place or replaced by rename, and the confirmation, removal and undo in the window.
#include "AppendFile.h"
#include "AppendLock.h"
#include "HistoryDialog.h"
#include "OneStepReplace.h"
#include "ProbeFile.h"
#include "ProbeFileEditor.h"
#include "RecordKey.h"
#include "RemovedRecords.h"
#include "SettledRead.h"
#include "ViewerWindow.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QListView>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTableView>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <QtTest>

#include <atomic>
#include <filesystem>

using namespace merivox;
using namespace std::chrono_literals;

namespace {

QByteArray rec(const char *name, const char *thread = "M3", const char *end = "\r\n")
{
    return QByteArray("ITEM:") + name + "MM " + thread + end + "begintip" + end + "endtip" + end;
}

// Records by name, with the thread M3 unless the name says "name/thread".
QByteArray recs(const QStringList &names)
{
    QByteArray bytes;
    for (const QString &name : names) {
        const QStringList parts = name.split(QLatin1Char('/'));
        bytes += rec(qPrintable(parts.at(0)), parts.size() > 1 ? qPrintable(parts.at(1)) : "M3");
    }
    return bytes;
}

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeAll(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

std::filesystem::path native(const QString &path)
{
    return std::filesystem::path(QDir::toNativeSeparators(path).toStdU16String());
}

// An append that, once it holds the lock, keeps it this long before writing.
std::atomic<int> g_holdLockMs{0};
int holdLock(AppendStage stage)
{
    if (stage == AppendStage::Locked) {
        QThread::msleep(quint64(g_holdLockMs.load()));
    }
    return 0;
}

// Answers the message boxes that come up, one after the other, with the button of the given
// text, and keeps each box's text and informative text.
class BoxAnswers final : public QObject
{
public:
    explicit BoxAnswers(QStringList buttons) : m_buttons(std::move(buttons))
    {
        connect(&m_timer, &QTimer::timeout, this, &BoxAnswers::look);
        m_timer.start(20);
    }
    QStringList texts;

private:
    void look()
    {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box || m_buttons.isEmpty() || box == m_last) {
            return;
        }
        m_last = box;
        texts << box->text() + QLatin1Char('\n') + box->informativeText();
        const QString wanted = m_buttons.takeFirst();
        for (QAbstractButton *button : box->buttons()) {
            if (button->text() == wanted) {
                button->click();
                return;
            }
        }
        texts << QStringLiteral("no button %1").arg(wanted);
        box->reject();
    }
    QStringList m_buttons;
    QTimer m_timer;
    QPointer<QMessageBox> m_last;
};

} // namespace

class TestFollowFile final : public QObject
{
    Q_OBJECT

private slots:
    void findRecord_data();
    void findRecord();
    void settledRead_data();
    void settledRead();
    void windowFollows_data();
    void windowFollows();
    void removeInWindow_data();
    void removeInWindow();
    void repairInWindow_data();
    void repairInWindow();
    void undoInWindow_data();
    void undoInWindow();
    void historyDialog_data();
    void historyDialog();

private:
    QTemporaryDir m_folder;
};

void TestFollowFile::findRecord_data()
{
    QTest::addColumn<QStringList>("before");
    QTest::addColumn<int>("chosen");
    QTest::addColumn<bool>("byRow");
    QTest::addColumn<QStringList>("after");
    QTest::addColumn<int>("expected");

    const QStringList four{"A", "C", "B", "C"};
    QTest::newRow("unchanged") << four << 2 << false << four << 2;
    QTest::newRow("one put before it") << four << 3 << false << QStringList{"X", "A", "C", "B", "C"} << 4;
    // Equal records are told apart by their order only: an equal one put before makes another the second.
    QTest::newRow("an equal one put before it: the second counts")
        << four << 3 << false << QStringList{"A", "C", "C", "B", "C"} << 2;
    QTest::newRow("the equal one before it taken out") << four << 3 << false << QStringList{"A", "B", "C"} << 2;
    QTest::newRow("same name, other thread is another record")
        << QStringList{"A", "C/M4", "C"} << 2 << false << QStringList{"C", "C/M4", "A"} << 0;
    QTest::newRow("it was taken out: the one now at its row") << four << 2 << false << QStringList{"A", "C", "C"} << 2;
    QTest::newRow("it was the last: the last one") << four << 2 << false << QStringList{"A", "C"} << 1;
    QTest::newRow("by row after a removal") << four << 1 << true << QStringList{"A", "B", "C"} << 1;
    QTest::newRow("nothing chosen") << four << -1 << false << four << -1;
    QTest::newRow("file now empty") << four << 1 << false << QStringList{} << -1;
}

void TestFollowFile::findRecord()
{
    QFETCH(QStringList, before);
    QFETCH(int, chosen);
    QFETCH(bool, byRow);
    QFETCH(QStringList, after);
    QFETCH(int, expected);

    const ProbeFile old = ProbeFile::fromBytes(recs(before));
    const RecordKey key = byRow ? RecordKey::atRow(chosen) : recordKey(old, chosen);
    QCOMPARE(merivox::findRecord(ProbeFile::fromBytes(recs(after)), key), qsizetype(expected));
}

void TestFollowFile::settledRead_data()
{
    QTest::addColumn<QByteArray>("start");
    QTest::addColumn<int>("holdLockMs");       // an append holding its lock this long; -1: no append
    QTest::addColumn<QByteArray>("restLater"); // written 300 ms after the reading began
    QTest::addColumn<int>("lockWaitMs");
    QTest::addColumn<QList<QByteArray>>("expected"); // any of these, each whole
    QTest::addColumn<int>("atLeastMs");

    const QByteArray a = rec("A");
    const QByteArray b = rec("B");
    QTest::newRow("nothing under way") << a << -1 << QByteArray() << 5000 << QList<QByteArray>{a} << 0;
    QTest::newRow("an append holds its lock") << a << 400 << QByteArray() << 5000 << QList<QByteArray>{a + b} << 300;
    // Past the wait the file is taken as it stands; on Windows the read itself waits out the lock.
    QTest::newRow("lock held longer than waited")
        << a << 1500 << QByteArray() << 200 << QList<QByteArray>{a, a + b} << 200;
    QTest::newRow("last record half written")
        << a + b.left(20) << -1 << b.mid(20) << 5000 << QList<QByteArray>{a + b} << 250;
    QTest::newRow("last line never ended: taken as it stands")
        << a + "ITEM:BMM M3" << -1 << QByteArray() << 5000 << QList<QByteArray>{a + "ITEM:BMM M3"} << 600;
}

void TestFollowFile::settledRead()
{
    QFETCH(QByteArray, start);
    QFETCH(int, holdLockMs);
    QFETCH(QByteArray, restLater);
    QFETCH(int, lockWaitMs);
    QFETCH(QList<QByteArray>, expected);
    QFETCH(int, atLeastMs);

    const QString path = m_folder.filePath(QStringLiteral("settled.dat"));
    QVERIFY(writeAll(path, start));
    QThread *append = nullptr;
    if (holdLockMs >= 0) {
        g_holdLockMs = holdLockMs;
        setAppendHook(holdLock);
        append = QThread::create([path] { appendToFile(native(path), rec("B").toStdString()); });
        append->start();
        QTRY_VERIFY_WITH_TIMEOUT(appendLockHeld(native(path)), 5000);
    }
    if (!restLater.isEmpty()) {
        QTimer::singleShot(300, [path, restLater] {
            QFile file(path);
            if (file.open(QIODevice::Append)) {
                file.write(restLater);
            }
        });
    }
    QElapsedTimer clock;
    clock.start();
    std::optional<ProbeFile> file;
    QString error;
    // The file is read on a thread of its own, as the window reads it, so that this thread's
    // timer can finish the record meanwhile.
    QThread *reading = QThread::create([&] {
        file = readSettled(path, &error, {20ms, std::chrono::milliseconds(lockWaitMs), 600ms});
    });
    reading->start();
    QTRY_VERIFY_WITH_TIMEOUT(reading->isFinished(), 10000);
    const qint64 took = clock.elapsed();
    delete reading;
    if (append) {
        append->wait();
        delete append;
        setAppendHook(nullptr);
    }
    QVERIFY2(file.has_value(), qPrintable(error));
    QVERIFY2(expected.contains(file->bytes()), file->bytes().constData());
    QVERIFY2(took >= atLeastMs, qPrintable(QString::number(took)));
}

void TestFollowFile::windowFollows_data()
{
    QTest::addColumn<QString>("change");
    QTest::addColumn<QList<int>>("rowCounts"); // after the first and the second change
    QTest::addColumn<QList<int>>("chosenRows");

    // The file starts as A C B C with the second C chosen (row 3).
    QTest::newRow("appended to in place") << "append" << QList<int>{5, 6} << QList<int>{3, 3};
    QTest::newRow("replaced by rename") << "rename" << QList<int>{5, 6} << QList<int>{4, 5};
    QTest::newRow("deleted and written anew") << "rewrite" << QList<int>{5, 6} << QList<int>{4, 5};
    QTest::newRow("a record taken out by another copy") << "remove" << QList<int>{3, 2} << QList<int>{2, 1};
}

void TestFollowFile::windowFollows()
{
    QFETCH(QString, change);
    QFETCH(QList<int>, rowCounts);
    QFETCH(QList<int>, chosenRows);
    if (change == QLatin1String("remove")) {
        SKIP_WITHOUT_ONE_STEP_REPLACE();
    }

    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("usrprobe.dat"));
    QVERIFY(writeAll(path, recs({"A", "C", "B", "C"})));
    ViewerWindow window;
    QVERIFY(window.openFile(path));
    window.selectRecord(3);
    auto *table = window.findChild<QTableView *>(QStringLiteral("tbl_eintraege"));
    QVERIFY(table);

    for (int step = 0; step < 2; ++step) {
        const QByteArray before = readAll(path);
        if (change == QLatin1String("append")) {
            QVERIFY(appendToFile(native(path), rec("Y").toStdString()).ok());
        } else if (change == QLatin1String("rename")) {
            const QString next = folder.filePath(QStringLiteral("next.dat"));
            QVERIFY(writeAll(next, rec("X") + before));
            std::filesystem::rename(native(next), native(path));
        } else if (change == QLatin1String("rewrite")) {
            QVERIFY(QFile::remove(path));
            QTest::qWait(300);
            QVERIFY(writeAll(path, rec("X") + before));
        } else {
            // The first record out, as another copy of the viewer takes it.
            RemovalPlan first;
            first.end = rec("A").size();
            QVERIFY(ProbeFileEditor().remove(path, before, first).done());
        }
        QTRY_COMPARE_WITH_TIMEOUT(table->model()->rowCount(), rowCounts.at(step), 5000);
        QCOMPARE(table->currentIndex().row(), chosenRows.at(step));
        QCOMPARE(table->currentIndex().siblingAtColumn(0).data().toString(), QStringLiteral("C"));
    }
}

void TestFollowFile::removeInWindow_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<int>("chosen");
    QTest::addColumn<QStringList>("answers");
    QTest::addColumn<QByteArray>("appendedFirst"); // by another copy, after the window read the file
    QTest::addColumn<QStringList>("said");         // a piece of each box's text
    QTest::addColumn<QByteArray>("after");
    QTest::addColumn<int>("chosenAfter");

    const QByteArray three = rec("A") + rec("B", "M4", "\n") + "irgendwas\r\n" + rec("C");
    QTest::newRow("confirmed") << three << 1 << QStringList{"&Entfernen"} << QByteArray()
                               << QStringList{"Name: B\nGewinde: M4\nZeilen: 4 bis 6"}
                               << rec("A") + "irgendwas\r\n" + rec("C") << 1;
    QTest::newRow("cancelled") << three << 1 << QStringList{"Abbrechen"} << QByteArray()
                               << QStringList{"Zeilen: 4 bis 6"} << three << 1;
    QTest::newRow("the file changed meanwhile")
        << three << 2 << QStringList{"&Entfernen", "OK"} << rec("D")
        << QStringList{"Name: C", "Die Datei wurde geändert, seit sie eingelesen wurde.\nNichts entfernt"}
        << three + rec("D") << 2;
    QTest::newRow("a line shared with another record")
        << QByteArray("ITEM:AMM M3\r\nbegintip\r\nendtipITEM:BMM M3\r\nbegintip\r\nendtip\r\n") << 1
        << QStringList{"OK"} << QByteArray()
        << QStringList{"Der Eintrag teilt sich Zeile 3 mit einem anderen; er wird nicht entfernt."}
        << QByteArray("ITEM:AMM M3\r\nbegintip\r\nendtipITEM:BMM M3\r\nbegintip\r\nendtip\r\n") << 1;
}

void TestFollowFile::removeInWindow()
{
    QFETCH(QByteArray, before);
    QFETCH(int, chosen);
    QFETCH(QStringList, answers);
    QFETCH(QByteArray, appendedFirst);
    QFETCH(QStringList, said);
    QFETCH(QByteArray, after);
    QFETCH(int, chosenAfter);
    const bool removes = after != before + appendedFirst;
    if (removes) {
        SKIP_WITHOUT_ONE_STEP_REPLACE();
    }

    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("usrprobe.dat"));
    QVERIFY(writeAll(path, before));
    ViewerWindow window;
    QVERIFY(window.openFile(path));
    window.selectRecord(chosen);
    auto *table = window.findChild<QTableView *>(QStringLiteral("tbl_eintraege"));
    auto *remove = window.findChild<QAction *>(QStringLiteral("act_entfernen"));
    auto *undo = window.findChild<QAction *>(QStringLiteral("act_rueckgaengig"));
    QVERIFY(table && remove && undo);
    QVERIFY(remove->isEnabled());
    QVERIFY(!undo->isEnabled());
    if (!appendedFirst.isEmpty()) {
        QVERIFY(appendToFile(native(path), appendedFirst.toStdString()).ok());
    }

    const ProbeFile shown = ProbeFile::fromBytes(before);
    {
        BoxAnswers boxes(answers);
        remove->trigger();
        QCOMPARE(boxes.texts.size(), said.size());
        for (qsizetype i = 0; i < said.size(); ++i) {
            QVERIFY2(boxes.texts.at(i).contains(said.at(i)), qPrintable(boxes.texts.at(i)));
        }
    }
    QCOMPARE(readAll(path), after);
    const int records = int(ProbeFile::fromBytes(after).recordCount());
    QTRY_COMPARE_WITH_TIMEOUT(table->model()->rowCount(), records, 5000);
    QTRY_COMPARE_WITH_TIMEOUT(table->currentIndex().row(), chosenAfter, 5000);
    QCOMPARE(undo->isEnabled(), removes);

    if (removes) {
        // Undone: every byte back, and the record chosen again.
        undo->trigger();
        QCOMPARE(readAll(path), before);
        QTRY_COMPARE_WITH_TIMEOUT(table->model()->rowCount(), int(shown.recordCount()), 5000);
        QTRY_COMPARE_WITH_TIMEOUT(table->currentIndex().row(), chosen, 5000);
        QVERIFY(!undo->isEnabled());
    }
}

void TestFollowFile::repairInWindow_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<int>("line");          // the problem chosen in the list, by its line
    QTest::addColumn<bool>("byMenu");       // its context menu's entry, else Entf in the list
    QTest::addColumn<QString>("menuEntry"); // the entry's text; disabled when it offers no repair
    QTest::addColumn<QStringList>("answers");
    QTest::addColumn<QStringList>("said"); // a piece of each box's text
    QTest::addColumn<QByteArray>("after");

    const QByteArray stray = rec("A") + rec("B", "M4", "\n") + "irgendwas\r\n" + rec("C");
    const QByteArray mended = rec("A") + rec("B", "M4", "\n") + rec("C");
    const QByteArray together = "ITEM:AMM M3\r\nbegintip\r\nendtipITEM:BMM M4\r\nbegintip\r\nendtip\r\n";
    const QByteArray twice = rec("A") + rec("A");
    QTest::newRow("stray line, Entf")
        << stray << 7 << false << QString() << QStringList{"&Entfernen"}
        << QStringList{"Zeile 7 gehört zu keinem Eintrag. Zeile 7 aus der Datei entfernen?"} << mended;
    QTest::newRow("stray line, menu") << stray << 7 << true << QStringLiteral("Zeile 7 entfernen …")
                                      << QStringList{"&Entfernen"} << QStringList{"Kein Eintrag wird dabei verändert."}
                                      << mended;
    QTest::newRow("stray line, cancelled")
        << stray << 7 << false << QString() << QStringList{"Abbrechen"} << QStringList{"Zeile 7"} << stray;
    QTest::newRow("run-together line, Entf")
        << together << 3 << false << QString() << QStringList{"&Teilen"}
        << QStringList{"In Zeile 3 steht „ITEM:“, der Anfang eines Eintrags, mitten in der Zeile."}
        << rec("A") + rec("B", "M4");
    QTest::newRow("run-together line, menu")
        << together << 3 << true << QStringLiteral("Zeile 3 teilen …") << QStringList{"&Teilen"}
        << QStringList{"Vor „ITEM:“"} << rec("A") + rec("B", "M4");
    // A problem inside a record has no repair: Entf there does not take the record out.
    QTest::newRow("problem of a record, Entf")
        << twice << 4 << false << QString() << QStringList{"OK"}
        << QStringList{"Zeile 4 gehört zu einem Eintrag; dafür gibt es keine Ausbesserung."} << twice;
    QTest::newRow("problem of a record, menu")
        << twice << 4 << true << QStringLiteral("Nichts auszubessern") << QStringList() << QStringList() << twice;
}

void TestFollowFile::repairInWindow()
{
    QFETCH(QByteArray, before);
    QFETCH(int, line);
    QFETCH(bool, byMenu);
    QFETCH(QString, menuEntry);
    QFETCH(QStringList, answers);
    QFETCH(QStringList, said);
    QFETCH(QByteArray, after);
    if (after != before) {
        SKIP_WITHOUT_ONE_STEP_REPLACE();
    }

    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("usrprobe.dat"));
    QVERIFY(writeAll(path, before));
    ViewerWindow window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QVERIFY(window.openFile(path));
    auto *table = window.findChild<QTableView *>(QStringLiteral("tbl_eintraege"));
    auto *problems = window.findChild<QListView *>(QStringLiteral("lst_probleme"));
    QVERIFY(table && problems);
    QModelIndex problem;
    for (int row = 0; row < problems->model()->rowCount() && !problem.isValid(); ++row) {
        const QModelIndex item = problems->model()->index(row, 0);
        if (item.data(Qt::UserRole).toInt() == line) {
            problem = item;
        }
    }
    QVERIFY2(problem.isValid(), "no problem at the line");
    QTest::mouseClick(problems->viewport(), Qt::LeftButton, {}, problems->visualRect(problem).center());
    QVERIFY(problems->hasFocus());

    {
        BoxAnswers boxes(answers);
        if (byMenu) {
            std::unique_ptr<QMenu> menu(window.problemMenu());
            QVERIFY(menu);
            auto *entry = menu->findChild<QAction *>(QStringLiteral("act_ausbessern"));
            QVERIFY(entry);
            QCOMPARE(entry->text(), menuEntry);
            QCOMPARE(entry->isEnabled(), !answers.isEmpty());
            entry->trigger();
        } else {
            QTest::keyClick(problems, Qt::Key_Delete);
        }
        QCOMPARE(boxes.texts.size(), said.size());
        for (qsizetype i = 0; i < said.size(); ++i) {
            QVERIFY2(boxes.texts.at(i).contains(said.at(i)), qPrintable(boxes.texts.at(i)));
        }
    }
    QCOMPARE(readAll(path), after);
    // Read again: the table shows every record the file holds.
    QTRY_COMPARE_WITH_TIMEOUT(table->model()->rowCount(), int(ProbeFile::fromBytes(after).recordCount()), 5000);
}

void TestFollowFile::undoInWindow_data()
{
    QTest::addColumn<int>("chosen");        // the record taken out in the window, of A B C
    QTest::addColumn<QString>("meanwhile"); // what another station does then
    QTest::addColumn<bool>("offered");      // whether "Rückgängig" is offered once the window read the file again
    QTest::addColumn<QStringList>("answers");
    QTest::addColumn<QStringList>("said"); // a piece of each box's text
    QTest::addColumn<QByteArray>("after");

    const QByteArray abc = recs({"A", "B/M4", "C"});
    QTest::newRow("an append: back at its place")
        << 1 << "append" << true << QStringList() << QStringList() << abc + rec("S");
    QTest::newRow("a record after it removed: back at its place")
        << 1 << "remove C" << true << QStringList() << QStringList() << recs({"A", "B/M4"});
    QTest::newRow("a record before it removed: at the end once asked")
        << 1 << "remove A" << true << QStringList{"Am &Ende anfügen"}
        << QStringList{"Er bleibt im Verlauf usrprobe.dat.history aufbewahrt.\nDen Eintrag am Ende der Datei anfügen?"}
        << recs({"C", "B/M4"});
    QTest::newRow("a record before it removed, not at the end")
        << 1 << "remove A" << true << QStringList{"Abbrechen"} << QStringList{"am Ende der Datei anfügen?"}
        << recs({"C"});
    QTest::newRow("put back from the history meanwhile: not offered")
        << 1 << "restore" << false << QStringList() << QStringList() << abc;
}

void TestFollowFile::undoInWindow()
{
    QFETCH(int, chosen);
    QFETCH(QString, meanwhile);
    QFETCH(bool, offered);
    QFETCH(QStringList, answers);
    QFETCH(QStringList, said);
    QFETCH(QByteArray, after);
    SKIP_WITHOUT_ONE_STEP_REPLACE();

    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("usrprobe.dat"));
    const QByteArray abc = recs({"A", "B/M4", "C"});
    QVERIFY(writeAll(path, abc));
    ViewerWindow window;
    QVERIFY(window.openFile(path));
    window.selectRecord(chosen);
    auto *table = window.findChild<QTableView *>(QStringLiteral("tbl_eintraege"));
    auto *remove = window.findChild<QAction *>(QStringLiteral("act_entfernen"));
    auto *undo = window.findChild<QAction *>(QStringLiteral("act_rueckgaengig"));
    QVERIFY(table && remove && undo);
    {
        BoxAnswers boxes({QStringLiteral("&Entfernen")});
        remove->trigger();
    }
    QTRY_COMPARE_WITH_TIMEOUT(table->model()->rowCount(), 2, 5000);
    QVERIFY(undo->isEnabled());

    // Another station, while the window shows the file.
    const QByteArray now = readAll(path);
    const ProbeFile shown = ProbeFile::fromBytes(now);
    int rows = 2;
    if (meanwhile == QLatin1String("append")) {
        QVERIFY(appendToFile(native(path), rec("S").toStdString()).ok());
        rows = 3;
    } else if (meanwhile.startsWith(QLatin1String("remove"))) {
        const qsizetype record = meanwhile.endsWith(u'A') ? 0 : 1;
        const std::optional<RemovalPlan> plan = RemovalPlan::of(shown, record);
        QVERIFY(plan);
        QVERIFY(ProbeFileEditor().remove(path, now, *plan).done());
        rows = 1;
    } else {
        QString error;
        const std::optional<RemovedRecords> list = RemovedRecords::read(path, &error);
        QVERIFY2(list, qPrintable(error));
        FixedAnswers answers;
        // The oldest removal, as the history's list numbers it.
        QVERIFY(ProbeFileEditor().restore(path, *list, list->rows().size() - 1, answers).done());
        rows = 3;
    }
    QTRY_COMPARE_WITH_TIMEOUT(table->model()->rowCount(), rows, 5000);
    QTRY_COMPARE_WITH_TIMEOUT(undo->isEnabled(), offered, 5000);
    if (offered) {
        BoxAnswers boxes(answers);
        undo->trigger();
        QCOMPARE(boxes.texts.size(), said.size());
        for (qsizetype i = 0; i < said.size(); ++i) {
            QVERIFY2(boxes.texts.at(i).contains(said.at(i)), qPrintable(boxes.texts.at(i)));
        }
        // Asked and cancelled, it stays offered.
        QCOMPARE(undo->isEnabled(), answers == QStringList{QStringLiteral("Abbrechen")});
    }
    QCOMPARE(readAll(path), after);
}

void TestFollowFile::historyDialog_data()
{
    QTest::addColumn<int>("row");             // the row chosen in the list
    QTest::addColumn<QStringList>("answers"); // to the boxes that come up
    QTest::addColumn<QByteArray>("after");

    // A B C, then B and A taken out: the list shows A, then B, whose place is gone with A.
    QTest::newRow("newest, at its place") << 0 << QStringList() << recs({"A", "C"});
    QTest::newRow("oldest, at the end once asked") << 1 << QStringList{"Am &Ende anfügen"} << recs({"C", "B/M4"});
    QTest::newRow("oldest, not at the end") << 1 << QStringList{"Abbrechen"} << recs({"C"});
}

void TestFollowFile::historyDialog()
{
    QFETCH(int, row);
    QFETCH(QStringList, answers);
    QFETCH(QByteArray, after);
    SKIP_WITHOUT_ONE_STEP_REPLACE();

    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("usrprobe.dat"));
    const QByteArray abc = recs({"A", "B/M4", "C"});
    QVERIFY(writeAll(path, abc));
    ProbeFileEditor editor;
    const std::optional<RemovalPlan> b = RemovalPlan::of(ProbeFile::fromBytes(abc), 1);
    QVERIFY(b && editor.remove(path, abc, *b).done());
    const std::optional<RemovalPlan> a = RemovalPlan::of(ProbeFile::fromBytes(recs({"A", "C"})), 0);
    QVERIFY(a && editor.remove(path, recs({"A", "C"}), *a).done());

    HistoryDialog dialog(path, nullptr);
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Entfernte Einträge – usrprobe.dat"));
    QStandardItemModel *model = dialog.model();
    QCOMPARE(model->columnCount(), 4);
    const QStringList headers{"Name", "Gewinde", "Zeitpunkt", "Zeilen"};
    for (int column = 0; column < 4; ++column) {
        QCOMPARE(model->headerData(column, Qt::Horizontal).toString(), headers.at(column));
    }
    QCOMPARE(model->rowCount(), 2);
    QCOMPARE(model->item(0, 0)->text(), QStringLiteral("A"));
    QCOMPARE(model->item(0, 1)->text(), QStringLiteral("M3"));
    QCOMPARE(model->item(0, 3)->text(), QStringLiteral("1 bis 3"));
    QCOMPARE(model->item(1, 0)->text(), QStringLiteral("B"));
    QCOMPARE(model->item(1, 1)->text(), QStringLiteral("M4"));
    QCOMPARE(model->item(1, 3)->text(), QStringLiteral("4 bis 6"));
    QVERIFY2(model->item(1, 2)->text().endsWith(QStringLiteral(" (entfernt)")), qPrintable(model->item(1, 2)->text()));

    QStringList notes;
    connect(&dialog, &HistoryDialog::fileChanged, this, [&notes](const QString &note) { notes << note; });
    dialog.chooseRow(row);
    {
        BoxAnswers boxes(answers);
        dialog.restoreChosen();
        QCOMPARE(boxes.texts.size(), answers.size());
    }
    QCOMPARE(readAll(path), after);
    const bool restored = after != recs({"C"});
    QCOMPARE(notes.size(), restored ? 1 : 0);
    // The history keeps what it had; the list, read again, still shows both, the one put back as
    // standing in the file.
    QCOMPARE(model->rowCount(), 2);
    if (!restored) {
        return;
    }
    QVERIFY2(model->item(row, 3)->text().endsWith(QStringLiteral(" – steht in der Datei")),
             qPrintable(model->item(row, 3)->text()));
    QVERIFY(!model->item(1 - row, 3)->text().contains(QStringLiteral("steht in der Datei")));
    // The same record a second time only once the operator says so.
    dialog.chooseRow(row);
    {
        BoxAnswers boxes({QStringLiteral("Abbrechen")});
        dialog.restoreChosen();
        QCOMPARE(boxes.texts.size(), 1);
        QVERIFY2(boxes.texts.at(0).contains(QStringLiteral("steht schon in der Datei.\nIhn trotzdem ein zweites Mal "
                                                           "einfügen?")),
                 qPrintable(boxes.texts.at(0)));
    }
    QCOMPARE(readAll(path), after);
}

QTEST_MAIN(TestFollowFile)
#include "tst_followfile.moc"
