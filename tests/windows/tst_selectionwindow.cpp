#include "CreateCommand.h"
#include "EditorWindow.h"
#include "FolderList.h"
#include "SelectionWindow.h"
#include "WindowTestSupport.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

using namespace merivox;
using namespace merivox::test;
using namespace Qt::StringLiterals;

namespace {

const QString kForm1 = QStringLiteral("Form1");
const QString kForm2 = QStringLiteral("Form2");

EditorWindow *openEditor()
{
    return openWindow<EditorWindow>(kForm2);
}

void clickButton(QWidget *window, const char *name)
{
    auto *button = child<QPushButton>(window, name);
    QVERIFY2(button, name);
    QTest::mouseClick(button, Qt::LeftButton);
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class TestSelectionWindow final : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QApplication::setApplicationName(QStringLiteral("Merivox")); }
    void cleanup();

    void windowAndCaptions();
    void startFocusAndTabOrder();
    void kindButtonOpensEditor_data();
    void kindButtonOpensEditor();
    void focusedKindButtonOpensOnKey_data();
    void focusedKindButtonOpensOnKey();
    void escapeDoesNothing();
    void secondKindButtonChangesNothing();
    void editorOpensAfreshAfterClosing();
    void colourOutlivesTheEditor();
    void closingLeavesEditorUsable();
    void createsBallTipFromTheWindows();
    void failedCreateClosesEditorWithoutWriting();

private:
    EditorState m_state;
};

void TestSelectionWindow::cleanup()
{
    const QStringList left = windowsLeftOpen();
    closeAllWindows();
    QVERIFY2(left.isEmpty(), qPrintable(left.join(u", ")));
}

void TestSelectionWindow::windowAndCaptions()
{
    auto *form = new SelectionWindow(m_state);
    form->show();
    QVERIFY(QTest::qWaitForWindowExposed(form));
    QCOMPARE(form->windowTitle(), QStringLiteral("Auswahlfenster"));
    QVERIFY(!form->windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
    QVERIFY(!form->windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
    QVERIFY(form->windowFlags().testFlag(Qt::WindowCloseButtonHint));
    QCOMPARE(form->minimumSize(), form->maximumSize());

    const struct
    {
        const char *label;
        QString caption;
    } captions[] = {
        {"Label1", QStringLiteral("Welche Art von Tastspitze oder Element wollen Sie erstellen?")},
        {"Label2", QStringLiteral("Tastkugel")},
        {"Label3", QStringLiteral("Zylinder")},
        {"Label4", QStringLiteral("Halbkugel")},
        {"Label5", QStringLiteral("Scheibe")},
        {"Label6", QStringLiteral("Würfel")},
        {"Label7", QStringLiteral("Verlängerung")},
    };
    for (const auto &entry : captions) {
        QCOMPARE(child<QLabel>(form, entry.label)->text(), entry.caption);
    }
    for (const char *name : {"cmd_kug", "cmd_zyl", "cmd_sph", "cmd_disk", "cmd_wuerf", "cmd_ver"}) {
        auto *button = child<QPushButton>(form, name);
        QVERIFY2(button->text().isEmpty(), name);
        QVERIFY2(!button->icon().isNull(), name);
        QCOMPARE(button->iconSize(), QSize(62, 65));
    }
    QCOMPARE(child<QPushButton>(form, "cmd_close")->text(), QStringLiteral("Schließen"));

    clickButton(form, "cmd_close");
    QVERIFY(!form->isVisible());
}

void TestSelectionWindow::startFocusAndTabOrder()
{
    auto *form = new SelectionWindow(m_state);
    form->show();
    QVERIFY(QTest::qWaitForWindowActive(form));
    QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("cmd_kug"));

    QStringList visited;
    for (int i = 0; i < 6; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        visited.append(QApplication::focusWidget()->objectName());
    }
    QCOMPARE(visited,
             (QStringList{u"cmd_zyl"_s, u"cmd_sph"_s, u"cmd_disk"_s, u"cmd_wuerf"_s, u"cmd_ver"_s, u"cmd_close"_s}));
    form->close();
}

void TestSelectionWindow::kindButtonOpensEditor_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("tipType");
    QTest::addColumn<QString>("drawing");
    QTest::newRow("ball") << "cmd_kug"
                          << "1"
                          << "image_kd";
    QTest::newRow("cylinder") << "cmd_zyl"
                              << "2"
                              << "Image_zyl";
    QTest::newRow("half sphere") << "cmd_sph"
                                 << "3"
                                 << "Image_HK";
    QTest::newRow("disc") << "cmd_disk"
                          << "4"
                          << "Image_disk";
    QTest::newRow("cube") << "cmd_wuerf"
                          << "5"
                          << "Image_wuerf";
    QTest::newRow("extension") << "cmd_ver"
                               << "6"
                               << "Image_verl";
}

void TestSelectionWindow::kindButtonOpensEditor()
{
    QFETCH(QString, button);
    QFETCH(QString, tipType);
    QFETCH(QString, drawing);
    auto *form = new SelectionWindow(m_state);
    form->show();
    QVERIFY(QTest::qWaitForWindowExposed(form));
    QVERIFY(!openEditor());

    clickButton(form, qPrintable(button));
    EditorWindow *editor = openEditor();
    QVERIFY(editor);
    QCOMPARE(form->editor(), editor);
    QCOMPARE(m_state.tip_type, tipType);
    QVERIFY(child(editor, qPrintable(drawing))->isVisible());
    QVERIFY(editor->isWindow());
    QCOMPARE(editor->parentWidget(), nullptr);
    QVERIFY(!editor->isModal());
    QVERIFY(form->isVisible()); // the selection window stays usable behind it

    clickButton(editor, "cmd_abr");
    form->close();
}

void TestSelectionWindow::focusedKindButtonOpensOnKey_data()
{
    QTest::addColumn<int>("key");
    QTest::newRow("Space") << int(Qt::Key_Space);
    QTest::newRow("Enter") << int(Qt::Key_Return);
    QTest::newRow("keypad Enter") << int(Qt::Key_Enter);
}

void TestSelectionWindow::focusedKindButtonOpensOnKey()
{
    QFETCH(int, key);
    auto *form = new SelectionWindow(m_state);
    form->show();
    QVERIFY(QTest::qWaitForWindowActive(form));
    child(form, "cmd_disk")->setFocus();

    QTest::keyClick(form->windowHandle(), Qt::Key(key));
    QTRY_VERIFY(openEditor());
    QCOMPARE(m_state.tip_type, QStringLiteral("4"));
    openEditor()->close();
    form->close();
}

void TestSelectionWindow::escapeDoesNothing()
{
    auto *form = new SelectionWindow(m_state);
    form->show();
    QVERIFY(QTest::qWaitForWindowActive(form));
    QTest::keyClick(form->windowHandle(), Qt::Key_Escape);
    QTest::qWait(20);
    QVERIFY(form->isVisible());
    QVERIFY(!openEditor());
    form->close();
}

void TestSelectionWindow::secondKindButtonChangesNothing()
{
    auto *form = new SelectionWindow(m_state);
    form->show();
    QVERIFY(QTest::qWaitForWindowExposed(form));
    clickButton(form, "cmd_kug");
    EditorWindow *editor = openEditor();
    QVERIFY(editor);
    QTest::keyClicks(child(editor, "txt_id"), QStringLiteral("Probe"));
    QTest::keyClicks(child(editor, "txt_L1"), QStringLiteral("12"));

    for (const char *other : {"cmd_zyl", "cmd_sph", "cmd_disk", "cmd_wuerf", "cmd_ver", "cmd_kug"}) {
        clickButton(form, other);
        QCOMPARE(openEditor(), editor);
        QCOMPARE(m_state.tip_type, QStringLiteral("1"));
    }
    int editors = 0;
    for (QWidget *window : visibleTopLevels()) {
        editors += window->objectName() == kForm2;
    }
    QCOMPARE(editors, 1);
    QVERIFY(child(editor, "image_kd")->isVisible());
    for (const char *drawing : {"Image_zyl", "Image_HK", "Image_disk", "Image_wuerf", "Image_verl"}) {
        QVERIFY2(!child(editor, drawing)->isVisible(), drawing);
    }
    QVERIFY(!child(editor, "Check_zyl")->isVisible());
    QVERIFY(child(editor, "txt_kd")->isEnabled());
    QVERIFY(!child(editor, "cb_gew2")->isEnabled());
    QCOMPARE(child<QLineEdit>(editor, "txt_id")->text(), QStringLiteral("Probe"));
    QCOMPARE(child<QLineEdit>(editor, "txt_L1")->text(), QStringLiteral("12"));

    editor->close();
    form->close();
}

void TestSelectionWindow::editorOpensAfreshAfterClosing()
{
    auto *form = new SelectionWindow(m_state);
    form->show();
    QVERIFY(QTest::qWaitForWindowExposed(form));
    clickButton(form, "cmd_kug");
    EditorWindow *first = openEditor();
    QTest::keyClicks(child(first, "txt_id"), QStringLiteral("Probe"));
    child<QComboBox>(first, "cb_gew")->setCurrentIndex(2);
    QTest::keyClicks(child(first, "txt_kd"), QStringLiteral("3"));
    child<QRadioButton>(first, "Option_HK")->click();
    clickButton(first, "cmd_abr");
    QVERIFY(!openEditor());

    clickButton(form, "cmd_disk"); // straight away, before the old window is gone
    EditorWindow *second = openEditor();
    QVERIFY(second);
    QCOMPARE(m_state.tip_type, QStringLiteral("4"));
    QVERIFY(child(second, "Image_disk")->isVisible());
    QVERIFY(!child(second, "image_kd")->isVisible());
    QVERIFY(!child(second, "txt_kd")->isEnabled());
    QVERIFY(child(second, "txt_l")->isEnabled());
    QVERIFY(child<QLineEdit>(second, "txt_id")->text().isEmpty());
    QVERIFY(child<QComboBox>(second, "cb_gew")->currentText().isEmpty());
    QVERIFY(!child<QRadioButton>(second, "Option_HK")->isChecked());

    second->close();
    form->close();
}

void TestSelectionWindow::colourOutlivesTheEditor()
{
    EditorState state;
    auto *form = new SelectionWindow(state);
    form->show();
    QVERIFY(QTest::qWaitForWindowExposed(form));
    clickButton(form, "cmd_kug");
    EditorWindow *editor = openEditor();
    QTest::mouseClick(child(editor, "Check_ks"), Qt::LeftButton);
    QCOMPARE(state.shaft_rgb, (Rgb{250, 235, 215}));
    clickButton(editor, "cmd_abr");

    clickButton(form, "cmd_zyl");
    editor = openEditor();
    for (const char *box : {"Check_SS", "Check_KFS", "Check_ks", "Check_zyl"}) {
        QVERIFY2(!child<QCheckBox>(editor, box)->isChecked(), box);
    }
    QCOMPARE(state.shaft_rgb, (Rgb{250, 235, 215}));
    QCOMPARE(state.tip_type, QStringLiteral("2"));

    editor->close();
    form->close();
}

void TestSelectionWindow::closingLeavesEditorUsable()
{
    auto *form = new SelectionWindow(m_state);
    QPointer<SelectionWindow> formAlive(form);
    form->show();
    QVERIFY(QTest::qWaitForWindowExposed(form));
    clickButton(form, "cmd_ver");
    QPointer<EditorWindow> editor = openEditor();
    QVERIFY(editor);

    clickButton(form, "cmd_close");
    QVERIFY(!form->isVisible());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!formAlive); // the selection window is gone ...
    QVERIFY(editor);     // ... and the editor still there and usable
    QVERIFY(editor->isVisible());
    QVERIFY(editor->isEnabled());
    QVERIFY(editor->testAttribute(Qt::WA_QuitOnClose)); // the program lives on while it is open
    QTest::keyClicks(child(editor, "txt_id"), QStringLiteral("Rest"));
    QCOMPARE(child<QLineEdit>(editor, "txt_id")->text(), QStringLiteral("Rest"));

    clickButton(editor, "cmd_abr");
    QVERIFY(visibleTopLevels().isEmpty());
}

void TestSelectionWindow::createsBallTipFromTheWindows()
{
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    EditorState state;
    state.shaft_rgb = {1, 2, 3}; // so that the boxes must set the colours that end up in the file
    state.ball_rgb = {4, 5, 6};
    auto *form = new SelectionWindow(state, QLocale::c());
    form->show();
    QVERIFY(QTest::qWaitForWindowExposed(form));

    clickButton(form, "cmd_kug");
    EditorWindow *editor = openEditor();
    QVERIFY(editor);
    QTest::keyClicks(child(editor, "txt_id"), QStringLiteral("TIP"));
    auto *thread = child<QComboBox>(editor, "cb_gew");
    thread->setCurrentIndex(thread->findText(QStringLiteral("M3")));
    const struct
    {
        const char *field;
        const char *text;
    } dimensions[] = {{"txt_L1", "10"}, {"txt_l2", "15"}, {"txt_l3", "40"},
                      {"txt_d1", "4"},  {"txt_d2", "2"},  {"txt_kd", "3"}};
    for (const auto &entry : dimensions) {
        QTest::keyClicks(child(editor, entry.field), QString::fromLatin1(entry.text));
    }
    QTest::mouseClick(child(editor, "Check_SS"), Qt::LeftButton);
    QTest::mouseClick(child(editor, "Option_RK"), Qt::LeftButton);
    auto *folders = child<FolderList>(editor, "Dir1");
    QVERIFY(folders->setPath(folder.path()));
    QCOMPARE(editor->folder(), folders->path());

    QPointer<EditorWindow> alive(editor);
    {
        BoxAnswerer answerer;
        clickButton(editor, "cmd_load");
        QCOMPARE(answerer.boxes().size(), 1);
        const SeenBox &box = answerer.boxes().constFirst();
        QCOMPARE(box.text, QStringLiteral("Tastkugel wurde erfolgreich erstellt"));
        QCOMPARE(box.icon, QMessageBox::NoIcon);
        QCOMPARE(box.title, QStringLiteral("Merivox"));
        QCOMPARE(box.buttonCount, 1);
        QVERIFY(box.ok);
        QVERIFY(box.modal);
    }
    QVERIFY(!alive || !alive->isVisible());
    QVERIFY(!openEditor());
    QVERIFY(form->isVisible());

    const QByteArray expected = "ITEM:TIPMM M3\r\n"
                                "begintip\r\n"
                                "ribcount 10\r\n"
                                "Color 142 142 142\r\n"
                                "cylinder 0 0 0 0 0 -10 4\r\n"
                                "cone 0 0 -10 4 0 0 -15 2\r\n"
                                "cylinder 0 0 -15 0 0 -40 2\r\n"
                                "Color 255 0 0\r\n"
                                "sphere 0 0 -40 3\r\n"
                                "hotspot 0 0 -40 0 0 1 3 3 ball\r\n"
                                "endtip\r\n";
    QCOMPARE(readFile(QDir(folder.path()).filePath(QStringLiteral("usrprobe.dat"))), expected);
    QCOMPARE(state.ball_rgb, (Rgb{255, 0, 0}));
    form->close();
}

void TestSelectionWindow::failedCreateClosesEditorWithoutWriting()
{
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    auto *form = new SelectionWindow(m_state, QLocale::c());
    form->show();
    QVERIFY(QTest::qWaitForWindowExposed(form));
    clickButton(form, "cmd_kug");
    EditorWindow *editor = openEditor();
    auto *thread = child<QComboBox>(editor, "cb_gew");
    thread->setCurrentIndex(thread->findText(QStringLiteral("M3")));
    for (const char *field : {"txt_L1", "txt_l2", "txt_l3", "txt_d1", "txt_d2", "txt_kd"}) {
        QTest::keyClicks(child(editor, field), QStringLiteral("5"));
    }
    QVERIFY(child<FolderList>(editor, "Dir1")->setPath(folder.path()));

    QPointer<EditorWindow> alive(editor);
    {
        BoxAnswerer answerer;
        clickButton(editor, "cmd_load");
        QCOMPARE(answerer.boxes().size(), 1);
        QCOMPARE(answerer.boxes().constFirst().text,
                 QStringLiteral("Bitte geben Sie einen Namen für die Tastspitze ein"));
        QCOMPARE(answerer.boxes().constFirst().icon, QMessageBox::Critical);
        QCOMPARE(answerer.boxes().constFirst().title, QStringLiteral("Merivox"));
        QCOMPARE(answerer.boxes().constFirst().buttonCount, 1);
    }
    QVERIFY(!alive || !alive->isVisible());
    QVERIFY(!openEditor());
    QVERIFY(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden).isEmpty());
    form->close();
}

QTEST_MAIN(TestSelectionWindow)
#include "tst_selectionwindow.moc"
