// Taking a record out of the file and putting it back, as the viewer and its command line do it:
// the outcome that decides the exit status, and the German reason.
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

} // namespace

class TestProbeFileEditor final : public QObject
{
    Q_OBJECT

private slots:
    void removeAndUndo();
    void refusedOrFailed_data();
    void refusedOrFailed();
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

    // An undo after the file changed is refused and not offered again.
    QCOMPARE(editor.remove(path, kFirst + kSecond, kFirst.size(), kFirst.size() + kSecond.size()),
             ProbeFileEditor::Outcome::Done);
    writeAll(path, kFirst + kFirst);
    QCOMPARE(editor.undo(), ProbeFileEditor::Outcome::Refused);
    QCOMPARE(editor.errorString(), QStringLiteral("Der Eintrag konnte nicht wieder in die Datei %1 eingefügt werden.\n"
                                                  "Die Datei wurde geändert, seit sie eingelesen wurde.")
                                       .arg(QDir::toNativeSeparators(path)));
    QVERIFY(!editor.canUndo());
    QCOMPARE(readAll(path), kFirst + kFirst);
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

QTEST_GUILESS_MAIN(TestProbeFileEditor)
#include "tst_probefileeditor.moc"
