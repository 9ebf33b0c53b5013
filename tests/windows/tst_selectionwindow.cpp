#include "CreateCommand.h"
#include "EditorWindow.h"
#include "FolderList.h"
#include "PictureButton.h"
#include "Pictures.h"
#include "SampleRecords.h"
#include "SelectionWindow.h"
#include "WindowTestSupport.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QPointer>
#include <QTemporaryDir>
#include <QtTest>

using namespace merivox;
using namespace merivox::test;

namespace {

void click(QWidget *window, const char *name)
{
    QTest::mouseClick(child(window, name), Qt::LeftButton);
}

// The worked ball tip: name TIP, thread M3, L1 10, L2 15, L3 40, D1 4, D2 2, ball 3; name left out on request.
void fillBallTip(EditorWindow *editor, const QString &folder, bool withName)
{
    if (withName) {
        QTest::keyClicks(child(editor, "txt_id"), QStringLiteral("TIP"));
    }
    auto *thread = child<QComboBox>(editor, "cb_gew");
    thread->setCurrentIndex(thread->findText(QStringLiteral("M3")));
    const std::pair<const char *, const char *> dimensions[] = {{"txt_L1", "10"}, {"txt_l2", "15"}, {"txt_l3", "40"},
                                                                {"txt_d1", "4"},  {"txt_d2", "2"},  {"txt_kd", "3"}};
    for (const auto &[field, text] : dimensions) {
        QTest::keyClicks(child(editor, field), QString::fromLatin1(text));
    }
    click(editor, "Check_SS");
    click(editor, "Option_RK");
    QVERIFY(child<FolderList>(editor, "Dir1")->setPath(folder));
}

} // namespace

class TestSelectionWindow final : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QApplication::setApplicationName(QStringLiteral("Merivox")); }
    void init();
    void cleanup() { QCOMPARE(closeWindowsLeftOpen(), QStringList()); }

    void keyboardOrderAndFocusMark();
    void kindButtonOpensEditor_data();
    void kindButtonOpensEditor();
    void kindButtonLooksAsWithAnIcon_data() { kindButtonOpensEditor_data(); }
    void kindButtonLooksAsWithAnIcon();
    void secondKindButtonChangesNothing();
    void reopenedEditorStartsEmptyButKeepsColour();
    void closingLeavesEditorUsable();
    void createsBallTip();
    void failedCreateClosesEditorWithoutWriting();

private:
    EditorState m_state;
    QPointer<SelectionWindow> m_form;
};

void TestSelectionWindow::init()
{
    m_state = EditorState{};
    m_state.shaft_rgb = {1, 2, 3}; // so that only the boxes and options can put the record's colours there
    m_state.ball_rgb = {4, 5, 6};
    m_form = new SelectionWindow(m_state, QLocale::c());
    m_form->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_form));
}

void TestSelectionWindow::keyboardOrderAndFocusMark()
{
    QTRY_COMPARE(QApplication::focusWidget(), child(m_form, "cmd_kug"));
    QCOMPARE(tabOrder(m_form),
             (QStringList{"cmd_kug", "cmd_zyl", "cmd_sph", "cmd_disk", "cmd_wuerf", "cmd_ver", "cmd_close"}));

    // The picture covers the whole button: the focus must still show on it.
    QWidget *ball = child(m_form, "cmd_kug");
    const QImage focused = ball->grab().toImage();
    child(m_form, "cmd_zyl")->setFocus();
    QTRY_VERIFY(!ball->hasFocus());
    QVERIFY(ball->grab().toImage() != focused);
    m_form->close();
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
    click(m_form, qPrintable(button));
    auto *editor = openWindow<EditorWindow>("Form2");
    QVERIFY(editor);
    QCOMPARE(tipTypeText(m_state.tip_type), tipType);
    QVERIFY(child(editor, qPrintable(drawing))->isVisible());
    QCOMPARE(editor->parentWidget(), nullptr); // a window of its own, not modal
    QVERIFY(!editor->isModal());
    QVERIFY(m_form->isVisible());
    click(editor, "cmd_abr");
    m_form->close();
}

// A kind button draws its picture anew for each painting; it looks as a push button holding the
// picture as its icon.
void TestSelectionWindow::kindButtonLooksAsWithAnIcon()
{
    QFETCH(QString, button);
    child(m_form, "cmd_close")->setFocus(); // the focus mark is the button's own
    auto *shown = child<PictureButton>(m_form, qPrintable(button));
    QTRY_VERIFY(!shown->hasFocus());

    QPushButton withIcon(m_form);
    withIcon.setAutoDefault(true);
    withIcon.setFocusPolicy(Qt::NoFocus);
    withIcon.setGeometry(shown->geometry());
    withIcon.setIcon(QIcon(renderPicture(button, shown->iconSize(), m_form->devicePixelRatioF())));
    withIcon.setIconSize(shown->iconSize());
    withIcon.show();
    const auto pixels = [](QWidget *widget) {
        return widget->grab().toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
    };
    QCOMPARE(pixels(shown), pixels(&withIcon));
    m_form->close();
}

void TestSelectionWindow::secondKindButtonChangesNothing()
{
    click(m_form, "cmd_kug");
    auto *editor = openWindow<EditorWindow>("Form2");
    QTest::keyClicks(child(editor, "txt_id"), QStringLiteral("Probe"));
    for (const char *other : {"cmd_zyl", "cmd_sph", "cmd_disk", "cmd_wuerf", "cmd_ver", "cmd_kug"}) {
        click(m_form, other);
    }
    int editors = 0;
    for (QWidget *window : QApplication::topLevelWidgets()) {
        editors += window->isVisible() && window->objectName() == QLatin1String("Form2");
    }
    QCOMPARE(editors, 1);
    QCOMPARE(openWindow<EditorWindow>("Form2"), editor);
    QCOMPARE(tipTypeText(m_state.tip_type), QStringLiteral("1"));
    QVERIFY(child(editor, "image_kd")->isVisible());
    QVERIFY(!child(editor, "Image_verl")->isVisible() && !child(editor, "Check_zyl")->isVisible());
    QVERIFY(child(editor, "txt_kd")->isEnabled() && !child(editor, "cb_gew2")->isEnabled());
    QCOMPARE(editor->nameText(), QStringLiteral("Probe"));
    editor->close();
    m_form->close();
}

void TestSelectionWindow::reopenedEditorStartsEmptyButKeepsColour()
{
    click(m_form, "cmd_kug");
    auto *editor = openWindow<EditorWindow>("Form2");
    QTest::keyClicks(child(editor, "txt_id"), QStringLiteral("Probe"));
    click(editor, "Check_ks");
    click(editor, "Option_HK");
    QCOMPARE(m_state.shaft_rgb, (Rgb{250, 235, 215}));
    click(editor, "cmd_abr");

    click(m_form, "cmd_zyl"); // straight away, before the old window is freed
    editor = openWindow<EditorWindow>("Form2");
    QVERIFY(editor);
    QCOMPARE(tipTypeText(m_state.tip_type), QStringLiteral("2"));
    QVERIFY(child(editor, "Image_zyl")->isVisible() && !child(editor, "image_kd")->isVisible());
    QVERIFY(editor->nameText().isEmpty());
    for (const char *box : {"Check_SS", "Check_KFS", "Check_ks", "Check_zyl", "Option_HK"}) {
        QVERIFY2(!child<QAbstractButton>(editor, box)->isChecked(), box);
    }
    QCOMPARE(m_state.shaft_rgb, (Rgb{250, 235, 215}));
    editor->close();
    m_form->close();
}

void TestSelectionWindow::closingLeavesEditorUsable()
{
    click(m_form, "cmd_ver");
    QPointer<EditorWindow> editor = openWindow<EditorWindow>("Form2");
    click(m_form, "cmd_close");
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!m_form);
    QVERIFY(editor && editor->isVisible() && editor->isEnabled());
    QTest::keyClicks(child(editor, "txt_id"), QStringLiteral("Rest"));
    QCOMPARE(editor->nameText(), QStringLiteral("Rest"));
    click(editor, "cmd_abr");
}

void TestSelectionWindow::createsBallTip()
{
    QTemporaryDir folder;
    click(m_form, "cmd_kug");
    auto *editor = openWindow<EditorWindow>("Form2");
    fillBallTip(editor, folder.path(), true);
    {
        BoxAnswerer answerer;
        click(editor, "cmd_load");
        QCOMPARE(answerer.boxes().size(), 1);
        const SeenBox &box = answerer.boxes().first();
        QCOMPARE(box.text, QStringLiteral("Tastkugel wurde erfolgreich erstellt"));
        QCOMPARE(box.icon, QMessageBox::NoIcon);
        QCOMPARE(box.title, QStringLiteral("Merivox"));
        QVERIFY(box.onlyOk);
    }
    QVERIFY(!openWindow("Form2"));
    QVERIFY(m_form->isVisible());

    QFile file(folder.filePath(QStringLiteral("usrprobe.dat")));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), merivox::test::kBall);
    m_form->close();
}

void TestSelectionWindow::failedCreateClosesEditorWithoutWriting()
{
    QTemporaryDir folder;
    click(m_form, "cmd_kug");
    auto *editor = openWindow<EditorWindow>("Form2");
    fillBallTip(editor, folder.path(), false);
    {
        BoxAnswerer answerer;
        click(editor, "cmd_load");
        QCOMPARE(answerer.boxes().size(), 1);
        const SeenBox &box = answerer.boxes().first();
        QCOMPARE(box.text, QStringLiteral("Bitte geben Sie einen Namen für die Tastspitze ein"));
        QCOMPARE(box.icon, QMessageBox::Critical);
        QCOMPARE(box.title, QStringLiteral("Merivox"));
        QVERIFY(box.onlyOk);
    }
    QVERIFY(!openWindow("Form2"));
    QVERIFY(QDir(folder.path()).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden));
    m_form->close();
}

QTEST_MAIN(TestSelectionWindow)
#include "tst_selectionwindow.moc"
