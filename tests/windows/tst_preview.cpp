// The preview beside the editor: it shows the bytes that "Erstellen" appends, what is missing,
// the notes, follows every input, and keeps beside the editor without covering its inputs.
#include "EditorPreview.h"
#include "EditorWindow.h"
#include "FolderList.h"
#include "PictureLabel.h"
#include "PreviewWindow.h"
#include "SampleRecords.h"
#include "WindowTestSupport.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QScrollArea>
#include <QScreen>
#include <algorithm>
#include <QTemporaryDir>
#include <QtTest>
#include <QWindow>

using namespace merivox;
using namespace merivox::test;
using namespace Qt::StringLiterals;

namespace {

const QLocale kGerman(QLocale::German, QLocale::Germany);

// Types "name=text" pairs into the editor's inputs, by objectName; "Check_..." and "Option_..."
// are ticked instead.
void enter(QWidget *editor, const QString &entries)
{
    for (const QString &pair : entries.split(u';', Qt::SkipEmptyParts)) {
        const QString name = pair.section(u'=', 0, 0), text = pair.section(u'=', 1);
        QWidget *input = editor->findChild<QWidget *>(name);
        QVERIFY2(input, qPrintable(name));
        if (auto *field = qobject_cast<QLineEdit *>(input)) {
            field->setText(text);
        } else if (auto *list = qobject_cast<QComboBox *>(input)) {
            list->setEditText(text);
        } else if (auto *button = qobject_cast<QAbstractButton *>(input)) {
            button->setChecked(true);
        }
    }
}

PreviewWindow *previewOf(QWidget *editor)
{
    return editor->findChild<PreviewWindow *>(u"Vorschau"_s);
}

QLabel *missingOf(QWidget *editor)
{
    return previewOf(editor)->findChild<QLabel *>(u"vorschau_fehlt"_s);
}

QLabel *notesOf(QWidget *editor)
{
    return previewOf(editor)->findChild<QLabel *>(u"vorschau_hinweise"_s);
}

// An editor opened as the selection window opens it, its folder a fresh temporary one.
QPointer<EditorWindow> openEditor(TipKind kind, EditorState &state, const QLocale &locale, const QString &folder)
{
    QPointer<EditorWindow> editor = new EditorWindow(kind, state, locale);
    editor->show();
    // The preview follows as soon as the editor has gone to the screen.
    if (!QTest::qWaitFor([&] { return editor->findChild<PreviewWindow *>(u"Vorschau"_s)->isVisible(); }, 2000)) {
        qWarning("preview not shown");
    }
    if (!child<FolderList>(editor, "Dir1")->setPath(folder)) {
        qWarning("folder not opened");
    }
    return editor;
}

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool isEmptyFolder(const QString &path)
{
    return QDir(path).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
}

} // namespace

class TestPreview final : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QApplication::setApplicationName(u"Merivox"_s); }
    void cleanup() { QCOMPARE(closeWindowsLeftOpen(), QStringList()); }

    void showsTheBytesThatErstellenAppends_data();
    void showsTheBytesThatErstellenAppends();
    void showsWhatIsMissing();
    void followsEveryInput();
    void opensBesideAndClosesWithTheEditor();
    void operatorMayCloseIt();
    void placement_data();
    void placement();
    void namesWhatIsWrong_data();
    void namesWhatIsWrong();
    void notesFromTheFile_data();
    void notesFromTheFile();
    void followsTheFolderAndTheFile();
    void staysAboveItsEditorOnly();
    void shortcutBringsItBack();
    void templateFillsTheEditor();
    void noteBoxesLookAsStyled_data();
    void noteBoxesLookAsStyled();
    void recordTextWholeAtAnySize_data();
    void recordTextWholeAtAnySize();

private:
    EditorState m_state;
};

void TestPreview::showsTheBytesThatErstellenAppends_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<bool>("german");
    QTest::addColumn<QString>("inputs");
    QTest::addColumn<int>("notes"); // plausibility notes shown; they never keep "Erstellen" from writing

    const QString materials = u";Check_SS=;Option_RK="_s;
    const struct
    {
        const char *name;
        TipKind kind;
        const char *point; // inputs in the C locale
        const char *comma; // the same component typed on a German system
    } kinds[] = {
        {"ball", TipKind::Ball, "txt_id=TIP;cb_gew=M3;txt_L1=10;txt_l2=15;txt_l3=40;txt_d1=4;txt_d2=2;txt_kd=3",
         "txt_id=Prüfkugel;cb_gew=M3;txt_L1=10,5;txt_l2=15;txt_l3=40,25;txt_d1=4;txt_d2=2,0;txt_kd= 3,5"},
        {"cylinder", TipKind::Cylinder,
         "txt_id=ZT1;cb_gew=M3ANALOG;txt_L1=10;txt_l2=20;txt_l3=30;txt_l4=45;txt_d1=6;txt_d2=3;txt_kd=2",
         "txt_id=ZT1;cb_gew=M3ANALOG;txt_L1=10;txt_l2=20;txt_l3=30,5;txt_l4=45,75;txt_d1=6;txt_d2=3;txt_kd=2,5;"
         "Check_zyl="},
        {"half sphere", TipKind::HalfSphere,
         "txt_id=HK1;cb_gew=M3ANALOG;txt_L1=10;txt_l2=20;txt_l3=30;txt_d1=6;txt_d2=3;txt_kd=8",
         "txt_id=HK1;cb_gew=M3ANALOG;txt_L1=0;txt_l2=0;txt_l3=30;txt_d1=6;txt_d2=6,0;txt_kd=8"},
        {"disc", TipKind::Disc,
         "txt_id=SC1;cb_gew=M3ANALOG;txt_L1=10;txt_l2=20;txt_l3=30;txt_d1=6;txt_d2=3;txt_l=12;txt_b=2",
         "txt_id=SC1;cb_gew=M3ANALOG;txt_L1=10;txt_l2=20;txt_l3=30;txt_d1=6;txt_d2=3;txt_l=12;txt_b=3"},
        {"cube", TipKind::Cube, "txt_id=W10;cb_gew=M3ANALOG;txt_L1=10", "txt_id=W7;cb_gew=M3ANALOG;txt_L1=7,5"},
        {"extension", TipKind::Extension, "txt_id=V50;cb_gew=M3ANALOG;cb_gew2=M2ANALOG;txt_d1=4;txt_l=50",
         "txt_id=V12;cb_gew=M3ANALOG;cb_gew2=;txt_d1=4,0;txt_l=12,5"},
    };
    for (const auto &each : kinds) {
        QTest::addRow("%s, point", each.name)
            << int(each.kind) << false << QString::fromUtf8(each.point) + materials << 0;
        QTest::addRow("%s, comma", each.name) << int(each.kind) << true << QString::fromUtf8(each.comma) + materials
                                              << int(each.kind == TipKind::Extension); // no Gewinde 2
    }
    // L2 and L3 swapped, a ball thinner than the stem.
    QTest::newRow("ball with two notes") << int(TipKind::Ball) << true
                                         << "txt_id=TIP;cb_gew=M3;txt_L1=10;txt_l2=40;txt_l3=15;txt_d1=4;txt_d2=2;"
                                            "txt_kd=1,5" +
                                                materials
                                         << 2;
}

void TestPreview::showsTheBytesThatErstellenAppends()
{
    QFETCH(int, kind);
    QFETCH(bool, german);
    QFETCH(QString, inputs);
    QFETCH(int, notes);

    QTemporaryDir folder;
    QPointer<EditorWindow> editor = openEditor(TipKind(kind), m_state, german ? kGerman : QLocale::c(), folder.path());
    enter(editor, inputs);
    PreviewWindow *preview = previewOf(editor);
    QVERIFY(preview && preview->isVisible());
    const QString shown = preview->recordText();
    QVERIFY(!shown.isEmpty());
    QCOMPARE(notesOf(editor)->isVisible() ? notesOf(editor)->text().count(u"Hinweis: "_s) : 0, notes);
    QVERIFY(isEmptyFolder(folder.path())); // the preview needs no file and touches none

    BoxAnswerer answerer;
    QTest::mouseClick(child(editor, "cmd_load"), Qt::LeftButton);
    QTRY_VERIFY(!editor || !editor->isVisible());
    QCOMPARE(answerer.boxes().size(), 1);
    QCOMPARE(answerer.boxes().first().icon, QMessageBox::NoIcon);

    // The inputs keep to Latin-1 letters, which Windows-1252 (and with it the file on Windows
    // here and on Linux) holds at the same codes.
    QByteArray expected;
    for (const QString &line : shown.split(u'\n')) {
        QVERIFY(std::all_of(line.begin(), line.end(), [](QChar c) { return c.unicode() < 0x80 || (c.unicode() > 0x9f && c.unicode() <= 0xff); }));
        expected += line.toLatin1() + "\r\n";
    }
    QCOMPARE(readAll(folder.filePath(u"usrprobe.dat"_s)), expected);
}

void TestPreview::showsWhatIsMissing()
{
    QTemporaryDir folder;
    QPointer<EditorWindow> editor = openEditor(TipKind::Ball, m_state, QLocale::c(), folder.path());
    BoxAnswerer answerer;
    QVERIFY(missingOf(editor)->isVisible());
    QCOMPARE(previewOf(editor)->recordText(), QString());
    QCOMPARE(missingOf(editor)->text(),
             u"Noch keine Vorschau. Es fehlt:\n\n• Benennung\n• Gewinde 1\n• L1\n• L2\n• L3\n"
             u"• D1\n• D2\n• Kugeldurchmesser"_s);

    enter(editor, u"txt_id=TIP;cb_gew=M3;txt_L1=10;txt_l2=15mm;txt_l3=40;txt_d1=4;txt_d2=2"_s);
    QCOMPARE(missingOf(editor)->text(), u"Noch keine Vorschau. Es fehlt:\n\n• L2 (keine Zahl)\n• Kugeldurchmesser"_s);
    // Only "Erstellen" empties a field or shows a message.
    QCOMPARE(child<QLineEdit>(editor, "txt_l2")->text(), u"15mm"_s);

    enter(editor, u"txt_l2=15;txt_kd=3"_s);
    QVERIFY(!missingOf(editor)->isVisible());
    QVERIFY(previewOf(editor)->findChild<QWidget *>(u"vorschau_zeichnung"_s)->isVisible());
    QCOMPARE(previewOf(editor)->recordText().count(u'\n'), 10); // eleven lines
    QVERIFY(!notesOf(editor)->isVisible());

    enter(editor, u"txt_id=TIP ITEM:X"_s); // an item line in the name
    QCOMPARE(notesOf(editor)->text(), u"Hinweis: Zeile 1 liest sich nicht sauber zurück: Zwei Zeilen in einer "
                                      u"(Zeilenende fehlt?): „ITEM:XMM M3“ steht mitten in der Zeile."_s);
    enter(editor, u"txt_id=TIP;cb_gew=M3 XMM Y"_s); // "MM " in the thread: read back without a problem, yet different
    QCOMPARE(notesOf(editor)->text(), u"Hinweis: Gewinde 1: „M3 XMM Y“ enthält 2 Leerzeichen und wird so geschrieben; "
                                      u"kein Gewinde der Liste enthält eines.\n"
                                      u"Hinweis: Name und Gewinde lesen sich als „TIPMM M3 X“ und „Y“ zurück: das "
                                      u"Gewinde enthält „MM “, und die Zeile ITEM: wird am letzten „MM “ in Name und "
                                      u"Gewinde geteilt."_s);
    enter(editor, u"cb_gew=M3"_s);
    enter(editor, u"txt_id=Ωmega"_s); // not in the file's code page
    QCOMPARE(missingOf(editor)->text(),
             u"Noch keine Vorschau. Zu ändern:\n\n• Benennung: „Ω“ kann nicht in usrprobe.dat geschrieben werden."_s);
    QTest::qWait(30);
    QVERIFY(answerer.boxes().isEmpty());
    QVERIFY(isEmptyFolder(folder.path()));
    editor->close();
}

void TestPreview::followsEveryInput()
{
    QTemporaryDir folder;
    QPointer<EditorWindow> editor = openEditor(TipKind::Cylinder, m_state, QLocale::c(), folder.path());
    enter(editor, u"txt_id=ZT1;cb_gew=M3ANALOG;txt_L1=10;txt_l2=20;txt_l3=30;txt_l4=45;txt_d1=6;txt_d2=3;txt_kd=2"_s);
    const auto lines = [&] {
        return previewOf(editor)->recordText().split(u'\n');
    };
    QCOMPARE(lines().size(), 12);

    // Typed key by key, each key shows at once.
    QTest::keyClicks(child(editor, "txt_id"), u"X"_s);
    QCOMPARE(lines().first(), u"ITEM:ZT1XMM M3ANALOG"_s);
    child<QComboBox>(editor, "cb_gew")->setCurrentIndex(0);
    QCOMPARE(lines().first(), u"ITEM:ZT1XMM M2"_s);
    enter(editor, u"Check_zyl="_s);
    QCOMPARE(lines().size(), 11); // no rounded end
    QVERIFY(!lines().join(u'\n').contains(u"sphere"_s));
    enter(editor, u"Check_KFS=;Option_HK="_s);
    QCOMPARE(lines().at(3), u"Color 0 0 0"_s);
    QCOMPARE(lines().at(7), u"Color 47 79 79"_s);
    enter(editor, u"Check_ks=;Option_kk="_s);
    QCOMPARE(lines().at(3), u"Color 250 235 215"_s);
    QCOMPARE(lines().at(7), u"Color 250 235 215"_s);
    QTest::keyClick(child(editor, "txt_l4"), Qt::Key_Backspace); // 45 -> 4: above L3
    QCOMPARE(lines().at(8), u"cylinder 0 0 -30 0 0 -4 2"_s);
    QVERIFY(notesOf(editor)->isVisible());
    QCOMPARE(notesOf(editor)->text(), u"Hinweis: L4 = 4 ist nicht größer als L3 = 30: der Stift hat keine Länge."_s);
    editor->close();

    editor = openEditor(TipKind::Extension, m_state, QLocale::c(), folder.path());
    enter(editor, u"txt_id=V;cb_gew=M3;txt_d1=4;txt_l=50"_s);
    QCOMPARE(lines().last(), u"connect  0  0 -50 0  0  1 "_s);
    QVERIFY(notesOf(editor)->text().contains(u"Gewinde 2 ist leer"_s));
    QTest::keyClicks(child<QComboBox>(editor, "cb_gew2")->lineEdit(), u"M2"_s);
    QCOMPARE(lines().last(), u"connect  0  0 -50 0  0  1 M2"_s);
    QVERIFY(!notesOf(editor)->isVisible());
    editor->close();
}

void TestPreview::opensBesideAndClosesWithTheEditor()
{
    QTemporaryDir folder;
    QPointer<EditorWindow> editor = openEditor(TipKind::Disc, m_state, QLocale::c(), folder.path());
    QVERIFY(QTest::qWaitForWindowActive(editor));
    QPointer<PreviewWindow> preview = previewOf(editor);
    QVERIFY(preview->isVisible());
    QVERIFY(preview->isWindow());
    QCOMPARE(QApplication::activeWindow(), editor.get()); // the editor keeps the focus
    QCOMPARE(QApplication::focusWidget(), child(editor, "txt_id"));
    QCOMPARE(preview->windowTitle(), u"Merivox – Vorschau"_s);
    QCOMPARE(preview->accessibleName(), u"Vorschau des Eintrags"_s);

    // On the screen, and clear of every input, label and button of the editor.
    const QRect frame = preview->frameGeometry();
    QVERIFY(editor->screen()->availableGeometry().contains(frame));
    for (QWidget *control : editor->findChildren<QWidget *>()) {
        const auto *label = qobject_cast<QLabel *>(control);
        const bool operated = qobject_cast<QLineEdit *>(control) || qobject_cast<QComboBox *>(control) ||
                              qobject_cast<QAbstractButton *>(control) ||
                              (label && label->objectName() != u"Label14"_s && !qobject_cast<const PictureLabel *>(label));
        if (!operated || !control->isVisible() || control->window() != editor) {
            continue;
        }
        const QRect global(control->mapToGlobal(QPoint(0, 0)), control->size());
        QVERIFY2(!global.intersects(frame), qPrintable(control->objectName()));
    }

    editor->close();
    QVERIFY(!preview->isVisible());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!editor);
    QVERIFY(!preview);
}

void TestPreview::operatorMayCloseIt()
{
    QTemporaryDir folder;
    QPointer<EditorWindow> editor = openEditor(TipKind::Cube, m_state, QLocale::c(), folder.path());
    PreviewWindow *preview = previewOf(editor);
    QVERIFY(preview->close());
    QVERIFY(!preview->isVisible());
    QVERIFY(editor->isVisible());
    enter(editor, u"txt_id=W;cb_gew=M3;txt_L1=10"_s); // changes do not bring it back
    editor->move(editor->pos() + QPoint(5, 5));
    QVERIFY(!preview->isVisible());
    editor->close();
}

void TestPreview::placement_data()
{
    QTest::addColumn<QRect>("editor");
    QTest::addColumn<QRect>("screen");
    QTest::addColumn<QRect>("expected");

    // An editor of 777 x 611 whose inputs begin 296 pixels from its left edge; 380 wanted, 240 at least.
    QTest::newRow("room on the right") << QRect(116, 86, 777, 611) << QRect(0, 0, 1920, 1080)
                                       << QRect(901, 86, 380, 611);
    QTest::newRow("right side narrower than wanted")
        << QRect(116, 86, 777, 611) << QRect(0, 0, 1200, 800) << QRect(901, 86, 299, 611);
    QTest::newRow("room only on the left")
        << QRect(400, 86, 777, 611) << QRect(0, 0, 1280, 800) << QRect(12, 86, 380, 611);
    QTest::newRow("small screen: over the drawing, narrower still")
        << QRect(10, 86, 777, 611) << QRect(0, 0, 800, 600) << QRect(0, 0, 298, 600);
    QTest::newRow("kept on screen vertically")
        << QRect(116, 300, 777, 611) << QRect(0, 0, 1920, 800) << QRect(901, 189, 380, 611);
    QTest::newRow("screen with an offset")
        << QRect(2036, 86, 777, 611) << QRect(1920, 40, 1280, 1024) << QRect(2821, 86, 379, 611);
    // The editor where it opens on common screens (at 125 % a screen has 1/1.25 as many pixels
    // of the program's): beside it where 240 fit, else over its drawing.
    QTest::newRow("1024x768, 100 %: no room, over the drawing, clear of the inputs")
        << QRect(116, 86, 777, 611) << QRect(0, 0, 1024, 768) << QRect(0, 86, 380, 611);
    QTest::newRow("1280x1024, 100 %: beside it")
        << QRect(116, 86, 777, 611) << QRect(0, 0, 1280, 1024) << QRect(901, 86, 379, 611);
    QTest::newRow("1024x768, 125 %: over the drawing")
        << QRect(42, 3, 777, 611) << QRect(0, 0, 819, 614) << QRect(0, 3, 330, 611);
    QTest::newRow("1280x1024, 125 %: over the drawing")
        << QRect(116, 86, 777, 611) << QRect(0, 0, 1024, 819) << QRect(0, 86, 380, 611);
}

void TestPreview::placement()
{
    QFETCH(QRect, editor);
    QFETCH(QRect, screen);
    QFETCH(QRect, expected);

    const QRect frame = previewFrame(editor, editor.left() + 296, screen, 380, 240);
    QCOMPARE(frame, expected);
    QVERIFY(screen.contains(frame));
    QVERIFY(frame.right() < editor.left() + 296 || frame.left() > editor.right());
    // The drawing (left of the labels) is covered only where there is no room beside the editor.
    const bool beside = frame.left() > editor.right() || frame.right() < editor.left();
    QCOMPARE(!beside, QString::fromLatin1(QTest::currentDataTag()).contains("over the drawing"));
}

void TestPreview::namesWhatIsWrong_data()
{
    QTest::addColumn<bool>("german");
    QTest::addColumn<QString>("inputs");
    QTest::addColumn<QString>("shown");

    const QString rest = u";txt_l2=15;txt_l3=40;txt_d1=4;txt_d2=2;txt_kd=3"_s;
    QTest::newRow("Greek letter in the name")
        << true << u"txt_id=Kugelα;cb_gew=M3;txt_L1=10"_s + rest
        << u"Noch keine Vorschau. Zu ändern:\n\n• Benennung: „α“ kann nicht in usrprobe.dat geschrieben werden."_s;
    QTest::newRow("tab in the thread")
        << false << u"txt_id=K;cb_gew=M3\t;txt_L1=10"_s + rest
        << u"Noch keine Vorschau. Zu ändern:\n\n• Gewinde 1: Das Steuerzeichen Tabulator (U+0009) kann nicht in "
           u"usrprobe.dat geschrieben werden."_s;
    QTest::newRow("character beyond the first plane")
        << false << u"txt_id=K😀;cb_gew=M3;txt_L1=10"_s + rest
        << u"Noch keine Vorschau. Zu ändern:\n\n• Benennung: „😀“ kann nicht in usrprobe.dat geschrieben werden."_s;
    QTest::newRow("point on a German system")
        << true << u"txt_id=K;cb_gew=M3;txt_L1=2.5"_s + rest
        << u"Noch keine Vorschau. Zu ändern:\n\n• L1: Eingegeben ist „2.5“ mit Punkt; einzugeben ist „2,5“ mit Komma."_s;
    QTest::newRow("comma in the C locale, and a missing input")
        << false << u"txt_id=K;txt_L1=2,5"_s + rest
        << u"Noch keine Vorschau. Es fehlt:\n\n• Gewinde 1\n\nZu ändern:\n\n• L1: Eingegeben ist „2,5“ mit Komma; "
           u"einzugeben ist „2.5“ mit Punkt."_s;
    QTest::newRow("not a number either way")
        << true << u"txt_id=K;cb_gew=M3;txt_L1=2.5.1"_s + rest << u"Noch keine Vorschau. Es fehlt:\n\n• L1 (keine Zahl)"_s;
}

void TestPreview::namesWhatIsWrong()
{
    QFETCH(bool, german);
    QFETCH(QString, inputs);
    QFETCH(QString, shown);

    QTemporaryDir folder;
    QPointer<EditorWindow> editor = openEditor(TipKind::Ball, m_state, german ? kGerman : QLocale::c(), folder.path());
    enter(editor, inputs);
    QCOMPARE(missingOf(editor)->text(), shown);
    editor->close();
}

void TestPreview::notesFromTheFile_data()
{
    QTest::addColumn<QByteArray>("file"); // "-": no file
    QTest::addColumn<QString>("inputs");
    QTest::addColumn<QString>("status");
    QTest::addColumn<QString>("note"); // a note of the record or of the file, "" for none

    const QByteArray tip = merivox::test::kBall;
    const QString ball = u"cb_gew=M3;txt_L1=10;txt_l2=15;txt_l3=40;txt_d1=4;txt_d2=2;txt_kd=3;txt_id="_s;
    QTest::newRow("no file yet")
        << QByteArray("-") << ball + u"TIP"_s
        << u"usrprobe.dat gibt es in diesem Ordner noch nicht; „Erstellen“ legt sie an."_s << QString();
    QTest::newRow("the same name and thread")
        << tip << ball + u"TIP"_s << u"usrprobe.dat: 1 Eintrag."_s
        << u"Benennung „TIP“ mit Gewinde „M3“ steht schon in Zeile 1 von usrprobe.dat"_s;
    QTest::newRow("another name") << tip << ball + u"TIP2"_s << u"usrprobe.dat: 1 Eintrag."_s << QString();
    QTest::newRow("inputs not complete: the file's note still shown")
        << tip + "Unsinn\r\n" << u"txt_id=X"_s << u"usrprobe.dat: 1 Eintrag."_s
        << u"usrprobe.dat hat schon ein Problem, in Zeile 12"_s;
}

void TestPreview::notesFromTheFile()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, inputs);
    QFETCH(QString, status);
    QFETCH(QString, note);

    QTemporaryDir folder;
    if (file != "-") {
        QFile out(folder.filePath(u"usrprobe.dat"_s));
        QVERIFY(out.open(QIODevice::WriteOnly) && out.write(file) == file.size());
    }
    QPointer<EditorWindow> editor = openEditor(TipKind::Ball, m_state, QLocale::c(), folder.path());
    enter(editor, inputs);
    auto *statusLine = previewOf(editor)->findChild<QLabel *>(u"vorschau_datei"_s);
    QTRY_COMPARE(statusLine->text(), status);
    const QString shown = notesOf(editor)->text() + previewOf(editor)->findChild<QLabel *>(u"vorschau_dateihinweise"_s)->text();
    if (note.isEmpty()) {
        QCOMPARE(shown, QString());
    } else {
        QVERIFY2(shown.contains(note), qPrintable(shown));
    }
    editor->close();
}

void TestPreview::followsTheFolderAndTheFile()
{
    QTemporaryDir first, second;
    QFile out(second.filePath(u"usrprobe.dat"_s));
    QVERIFY(out.open(QIODevice::WriteOnly));
    out.close();
    QPointer<EditorWindow> editor = openEditor(TipKind::Cube, m_state, QLocale::c(), first.path());
    auto *statusLine = previewOf(editor)->findChild<QLabel *>(u"vorschau_datei"_s);
    QTRY_VERIFY(statusLine->text().contains(u"noch nicht"_s));
    QVERIFY(child<FolderList>(editor, "Dir1")->setPath(second.path()));
    QTRY_COMPARE(statusLine->text(), u"usrprobe.dat: 0 Einträge."_s);
    // Written by another program while the editor is open.
    QVERIFY(out.open(QIODevice::Append));
    out.write("ITEM:W7MM M3\r\n");
    out.close();
    QTRY_COMPARE(statusLine->text(), u"usrprobe.dat: 1 Eintrag."_s);
    editor->close();
}

void TestPreview::staysAboveItsEditorOnly()
{
    QTemporaryDir folder;
    QPointer<EditorWindow> editor = openEditor(TipKind::Disc, m_state, QLocale::c(), folder.path());
    PreviewWindow *preview = previewOf(editor);
    QVERIFY(preview->windowHandle());
    QCOMPARE(preview->windowHandle()->transientParent(), editor->windowHandle());
    QCOMPARE(preview->windowType(), Qt::Dialog);
    QVERIFY(!(preview->windowFlags() & Qt::WindowStaysOnTopHint));
    QVERIFY(!(preview->windowHandle()->flags() & Qt::WindowStaysOnTopHint));
    editor->close();
}

void TestPreview::shortcutBringsItBack()
{
    QTemporaryDir folder;
    QPointer<EditorWindow> editor = openEditor(TipKind::Ball, m_state, QLocale::c(), folder.path());
    QVERIFY(QTest::qWaitForWindowActive(editor));
    PreviewWindow *preview = previewOf(editor);
    QVERIFY(preview->close());
    QVERIFY(preview->toolTip().contains(u"F6"_s));
    QVERIFY(editor->accessibleDescription().contains(u"F6"_s));

    // Keys the line edits keep to themselves do nothing of the kind.
    for (const auto &[key, modifiers] : {std::pair{Qt::Key_Z, Qt::ControlModifier}, {Qt::Key_A, Qt::ControlModifier},
                                         {Qt::Key_Return, Qt::NoModifier}, {Qt::Key_Escape, Qt::NoModifier}}) {
        QTest::keyClick(child(editor, "txt_id"), key, modifiers);
        QVERIFY(!preview->isVisible());
    }
    QTest::keyClick(child(editor, "txt_id"), Qt::Key_F6);
    QVERIFY(preview->isVisible());
    QTRY_COMPARE(QApplication::focusWidget() ? QApplication::focusWidget()->window() : nullptr, preview);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    QTRY_COMPARE(QApplication::activeWindow(), editor.get());
    QVERIFY(preview->isVisible());
    editor->close();
}

void TestPreview::templateFillsTheEditor()
{
    const QByteArray tip = merivox::test::kBall;
    const QByteArray cube = "ITEM:W10MM M3\r\nsolid 6\r\nColor 142 142 142\r\n";
    QByteArray handMade = tip;
    handMade.replace("TIP", "HAND").replace("Color 142 142 142", "Color 1 2 3").replace("-40 3", "-40 3.5");
    QTemporaryDir folder;
    QFile out(folder.filePath(u"usrprobe.dat"_s));
    QVERIFY(out.open(QIODevice::WriteOnly) && out.write(tip + cube + handMade) > 0);
    out.close();

    QPointer<EditorWindow> editor = openEditor(TipKind::Ball, m_state, kGerman, folder.path());
    QVERIFY(QTest::qWaitForWindowActive(editor));
    auto *list = previewOf(editor)->findChild<QComboBox *>(u"vorschau_vorlage"_s);
    QTRY_COMPARE(list->count(), 2); // the balls, not the cube
    QCOMPARE(list->itemText(0), u"TIP – M3 (Zeile 1)"_s);
    QCOMPARE(list->itemText(1), u"HAND – M3 (Zeile 15)"_s);

    // F6 leads to the list, the arrow key chooses; Esc hands the focus back.
    QTest::keyClick(child(editor, "txt_id"), Qt::Key_F6);
    QTRY_COMPARE(QApplication::focusWidget(), list);
    QTest::keyClick(list, Qt::Key_Down);
    QCOMPARE(child<QLineEdit>(editor, "txt_id")->text(), u"TIP"_s);
    QCOMPARE(child<QComboBox>(editor, "cb_gew")->currentText(), u"M3"_s);
    QStringList dimensions;
    for (const char *name : {"txt_L1", "txt_l2", "txt_l3", "txt_d1", "txt_d2", "txt_kd", "txt_l4", "txt_l", "txt_b"}) {
        dimensions.append(child<QLineEdit>(editor, name)->text());
    }
    QCOMPARE(dimensions, (QStringList{"10", "15", "40", "4", "2", "3", "", "", ""}));
    QVERIFY(child<QAbstractButton>(editor, "Check_SS")->isChecked());
    QVERIFY(child<QAbstractButton>(editor, "Option_RK")->isChecked());
    // The very record again, and so the duplicate note.
    QCOMPARE(previewOf(editor)->recordText(), QString::fromLatin1(tip).replace(u"\r\n"_s, u"\n"_s).trimmed());
    QVERIFY(notesOf(editor)->text().contains(u"steht schon in Zeile 1"_s));
    auto *templateNotes = previewOf(editor)->findChild<QLabel *>(u"vorschau_vorlagenhinweise"_s);
    QVERIFY(templateNotes->isHidden());
    QTest::keyClick(list, Qt::Key_Escape);
    QTRY_COMPARE(QApplication::activeWindow(), editor.get());

    // A name typed stays; what the hand-made record cannot give is said, in German, beside it.
    child<QLineEdit>(editor, "txt_id")->setText(u"TIP2"_s);
    emit list->activated(1);
    QCOMPARE(child<QLineEdit>(editor, "txt_id")->text(), u"TIP2"_s);
    QCOMPARE(child<QLineEdit>(editor, "txt_kd")->text(), u"3,5"_s);
    QVERIFY(child<QAbstractButton>(editor, "Check_SS")->isChecked()); // no material of that colour: as it was
    QVERIFY(templateNotes->isVisible());
    QVERIFY2(templateNotes->text().contains(u"Vorlage: Der Eintrag schreibt Zahlen mit Punkt, dieser Rechner mit "
                                            u"Komma: umgeschrieben bei Kugeldurchmesser;"_s),
             qPrintable(templateNotes->text()));
    QVERIFY(templateNotes->text().contains(u"Vorlage: Die Schaftfarbe 1 2 3 gehört zu keinem Material"_s));
    editor->close();
}

void TestPreview::noteBoxesLookAsStyled_data()
{
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("text");
    QTest::newRow("record, one line") << u"vorschau_hinweise"_s << u"Hinweis: L3 ist kürzer als L2."_s;
    QTest::newRow("record, wrapped over lines")
        << u"vorschau_hinweise"_s
        << u"Hinweis: Benennung „TIP“ mit Gewinde „M3“ steht schon in Zeile 1 von usrprobe.dat; "
           u"„Erstellen“ hängt einen zweiten Eintrag an.\nHinweis: Kugeldurchmesser 0,5 mm ist sehr klein."_s;
    QTest::newRow("file") << u"vorschau_dateihinweise"_s << u"Hinweis: usrprobe.dat hat schon ein Problem, in Zeile 12."_s;
    QTest::newRow("template") << u"vorschau_vorlagenhinweise"_s << u"Vorlage: Gewinde „M9“ ist nicht in der Liste."_s;
}

// The boxes of notes are painted by hand; they look exactly as the style sheet they replace drew
// them, at every width the window gives them.
void TestPreview::noteBoxesLookAsStyled()
{
    QFETCH(QString, box);
    QFETCH(QString, text);
    PreviewWindow preview;
    preview.resize(PreviewWindow::kWidth, 700);
    preview.show();
    QVERIFY(QTest::qWaitForWindowExposed(&preview));
    if (box == u"vorschau_hinweise"_s) {
        preview.showRecord({u"ITEM"_s}, {}, {text.mid(9)});
    } else if (box == u"vorschau_dateihinweise"_s) {
        preview.showFile(u"usrprobe.dat: 1 Eintrag."_s, {text.mid(9)});
    } else {
        preview.showTemplateNotes({text.mid(9)});
    }
    auto *shown = preview.findChild<QLabel *>(box);
    QVERIFY(shown && shown->isVisible());
    QCOMPARE(shown->text(), text);

    QLabel styled(&preview); // in the same window, with what it passes on to its children
    styled.setWordWrap(true);
    styled.setFont(shown->font());
    styled.setTextFormat(Qt::PlainText);
    styled.setMargin(6);
    styled.setStyleSheet(u"background: #fff4ce; color: #5c3c00; border: 1px solid #d9a400;"_s);
    styled.setText(text);
    for (const int width : {PreviewWindow::kMinimumWidth - 16, PreviewWindow::kWidth - 16, 600}) {
        QCOMPARE(shown->heightForWidth(width), styled.heightForWidth(width));
    }
    QCOMPARE(shown->sizeHint(), styled.sizeHint());
    styled.resize(shown->size());
    styled.show();
    const auto pixels = [](QWidget *box) {
        return box->grab().toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
    };
    QCOMPARE(pixels(shown), pixels(&styled));
}

// However many notes stand above it and however small the place the preview is given, the window
// keeps that size and the record text its full height: the window scrolls to it.
void TestPreview::recordTextWholeAtAnySize_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<int>("notes");

    QTest::newRow("the editor's height, no notes") << QSize(380, 611) << 0;
    QTest::newRow("the editor's height, notes on the file and on the record") << QSize(380, 611) << 5;
    QTest::newRow("a low screen") << QSize(380, 420) << 3;
    QTest::newRow("narrow, over a small drawing") << QSize(200, 460) << 4;
}

void TestPreview::recordTextWholeAtAnySize()
{
    QFETCH(QSize, size);
    QFETCH(int, notes);

    PreviewWindow preview;
    QStringList lines{u"ITEM:W10MM M3ANALOG"_s, u"begintip"_s};
    while (lines.size() < 13) {
        lines.append(u"cylinder 0 0 -%1 0 0 -%2 10"_s.arg(lines.size()).arg(lines.size() + 1));
    }
    lines.append(u"endtip"_s);
    QStringList said;
    for (int i = 0; i < notes; ++i) {
        said.append(
            u"L%1 ist kleiner als die Länge davor: die Längen werden von der Anlagefläche aus gemessen."_s.arg(i));
    }
    preview.showFile(u"usrprobe.dat: 3 Einträge."_s, said.mid(0, notes / 2));
    preview.showRecord(lines, {}, said.mid(notes / 2));
    preview.resize(size);
    preview.show();
    QVERIFY(QTest::qWaitForWindowExposed(&preview));
    QTest::qWait(50); // the layout settles
    QCOMPARE(preview.size(), size);

    auto *text = preview.findChild<QPlainTextEdit *>(u"vorschau_text"_s);
    QCOMPARE(text->document()->blockCount(), 14);
    QVERIFY(text->viewport()->height() >= 14 * text->fontMetrics().lineSpacing());
    // Whole within the window as it stands, and the notes above it can be scrolled to.
    QVERIFY(preview.rect().contains(QRect(text->mapTo(&preview, QPoint(0, 0)), text->size())));
    auto *area = preview.findChild<QScrollArea *>(u"vorschau_rollbereich"_s);
    for (auto *box : preview.findChildren<QLabel *>()) {
        if (box->isVisible() && box->objectName().contains(u"hinweise"_s)) {
            area->ensureWidgetVisible(box, 0, 0);
            const QRect shown(box->mapTo(area->viewport(), QPoint(0, 0)), box->size());
            QVERIFY2(area->viewport()->rect().contains(shown) || shown.height() > area->viewport()->height(),
                     qPrintable(box->objectName()));
            QCOMPARE(box->height(), box->heightForWidth(box->width()));
        }
    }
}

QTEST_MAIN(TestPreview)
#include "tst_preview.moc"
