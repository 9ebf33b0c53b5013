#include "CreateCommand.h"
#include "EditorWindow.h"
#include "ScreenPlacement.h"
#include "SelectionWindow.h"
#include "WindowTestSupport.h"

#include <QDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QtTest>

#include <memory>

using namespace merivox;
using namespace merivox::test;
using namespace Qt::StringLiterals;

namespace {

// The windows at 96 dpi as their layouts give them: the client area at its place and the push
// buttons (the editor's "Erstellen" and "Abbrechen"; the selection window's seven buttons).
const QRect kEditor(116, 86, 777, 611);
const QRect kEditorButtons(116 + 632, 86 + 488, 105, 57);
const QRect kSelection(286, 210, 378, 352);
const QRect kSelectionButtons(286 + 32, 210 + 48, 316, 289);

// A screen of the given pixels at a scale: the logical area that windows may use.
QRect screen(int width, int height, double scale, int panel = 0)
{
    return QRect(0, panel, int(width / scale), int(height / scale) - panel);
}

} // namespace

class TestScreenPlacement final : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { QCOMPARE(closeWindowsLeftOpen(), QStringList()); }
    void placement_data();
    void placement();
    void watcher_data();
    void watcher();
    void windowsOnThisScreen();

private:
    // Installed as at the programs' start: it places every window that is shown.
    ScreenPlacement m_placement;
};

void TestScreenPlacement::placement_data()
{
    QTest::addColumn<QRect>("frame");
    QTest::addColumn<QRect>("buttons");
    QTest::addColumn<QRect>("available");
    QTest::addColumn<QPoint>("expected");

    const auto editor = [](const char *name, const QRect &available, QPoint expected) {
        QTest::newRow(name) << kEditor << kEditorButtons << available << expected;
    };
    // Fits: the given place, or moved as little as needed.
    editor("1920x1080", screen(1920, 1080, 1), {116, 86});
    editor("1024x768 125%", screen(1024, 768, 1.25), {42, 3});
    editor("1366x768, panel of 100 at the top", screen(1366, 768, 1, 100), {116, 100});
    editor("1920x1080 175%", screen(1920, 1080, 1.75), {116, 6});
    QTest::newRow("with a frame, 1024x768 125%")
        << kEditor.adjusted(-4, -30, 4, 4) << kEditorButtons << screen(1024, 768, 1.25) << QPoint(34, 39);
    QTest::newRow("on a screen to the right") << kEditor.translated(1920, 0) << kEditorButtons.translated(1920, 0)
                                              << QRect(1920, 0, 1280, 720) << QPoint(1920 + 116, 86);
    QTest::newRow("left of its screen") << kEditor.translated(-200, -50) << kEditorButtons.translated(-200, -50)
                                        << screen(1920, 1080, 1) << QPoint(0, 36);
    QTest::newRow("selection 1024x768 200%")
        << kSelection << kSelectionButtons << screen(1024, 768, 2) << QPoint(134, 32);
    // Larger than the screen: top-left corner and buttons kept on it.
    editor("1600x1200 200%", screen(1600, 1200, 2), {23, 55});
    editor("1440x900 150%", screen(1440, 900, 1.5), {116, 55});
    // Smaller still: the buttons win over the corner, by as little as needed.
    editor("1280x800 150%", screen(1280, 800, 1.5), {76, -12});
    editor("1024x600 150%", screen(1024, 600, 1.5), {-55, -145});
    QTest::newRow("buttons wider than the screen")
        << QRect(0, 0, 400, 100) << QRect(50, 10, 300, 20) << QRect(0, 0, 200, 300) << QPoint(-50, 0);
}

void TestScreenPlacement::placement()
{
    QFETCH(QRect, frame);
    QFETCH(QRect, buttons);
    QFETCH(QRect, available);
    QFETCH(QPoint, expected);
    QCOMPARE(placeOnScreen(frame, buttons, available), expected);
}

// What the watcher does with a window shown at a place of its own, on the test's screen (offscreen:
// 1024x768 pixels at 125 %, 819x614 of the program's, where places in multiples of 4 are whole
// pixels; on Windows' own platform the screen that Wine gives), placed against that screen,
// with the frame that the platform puts around it. Each window has a push button in its far corner.
void TestScreenPlacement::watcher_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QRect>("given");
    QTest::addColumn<QString>("where");

    const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
    const QPoint farCorner = available.bottomRight() - QPoint(119, 114); // 700, 500 offscreen
    const QSize tooLarge = available.size() + QSize(81, 86);              // 900x700 offscreen
    for (const QString &kind : {u"window"_s, u"dialog"_s}) {
        QTest::newRow(qPrintable(kind + u" that fits"_s)) << kind << QRect(100, 120, 300, 200) << u"stays"_s;
        QTest::newRow(qPrintable(kind + u" above and left of the screen"_s))
            << kind << QRect(-48, -32, 300, 200) << u"frame at the top left"_s;
        QTest::newRow(qPrintable(kind + u" past the right and the bottom"_s))
            << kind << QRect(farCorner, QSize(300, 200)) << u"frame at the bottom right"_s;
    }
    // Larger than the screen: its button in view, moved as little as needed for it.
    QTest::newRow("window wider and taller than the screen")
        << u"window"_s << QRect(available.topLeft() + QPoint(32, 20), tooLarge) << u"button at the bottom right"_s;
    // A message box centres itself; its frame is on the screen.
    QTest::newRow("message box") << u"message box"_s << QRect() << u"on the screen"_s;
    // A menu or a list that drops down is placed by its own code, partly off the screen if it must.
    QTest::newRow("popup") << u"popup"_s << QRect(-48, -32, 300, 200) << u"untouched"_s;
}

void TestScreenPlacement::watcher()
{
    QFETCH(QString, kind);
    QFETCH(QRect, given);
    QFETCH(QString, where);

    // Where the platform alone puts the window: shown once with the watcher away.
    QRect unwatched;
    if (where == u"untouched"_s) {
        QWidget alone(nullptr, Qt::Popup);
        alone.setGeometry(given);
        qApp->removeEventFilter(&m_placement);
        alone.show();
        const bool exposed = QTest::qWaitForWindowExposed(&alone);
        qApp->installEventFilter(&m_placement);
        QVERIFY(exposed);
        unwatched = alone.geometry();
    }

    std::unique_ptr<QWidget> window;
    if (kind == u"dialog"_s) {
        window = std::make_unique<QDialog>();
    } else if (kind == u"message box"_s) {
        window = std::make_unique<QMessageBox>(QMessageBox::Critical, u"Merivox"_s, u"Die Datei fehlt."_s);
    } else if (kind == u"popup"_s) {
        window = std::make_unique<QWidget>(nullptr, Qt::Popup);
    } else {
        window = std::make_unique<QWidget>();
    }
    QPushButton *button = nullptr;
    if (!given.isNull()) {
        window->setGeometry(given);
        button = new QPushButton(u"Schließen"_s, window.get());
        button->setGeometry(given.width() - 110, given.height() - 40, 100, 30);
    }
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    const QRect client = window->geometry();
    const QRect frame = window->frameGeometry();
    const QRect available = window->screen()->availableGeometry();
    if (where == u"untouched"_s) {
        QCOMPARE(client, unwatched);
        QVERIFY(!available.contains(frame));
        return;
    }
    if (where == u"on the screen"_s) {
        // Under Wine, Windows' platform reports a message box's frame 2 pixels narrower than its
        // client area: both must be on the screen.
        QVERIFY(available.contains(frame | client));
        return;
    }
    QVERIFY(frame.contains(client));
    QVERIFY(frame != client); // the platform frames it: the frame is what is placed
    if (where == u"stays"_s) {
        QCOMPARE(client, given);
    } else if (where == u"frame at the top left"_s) {
        QCOMPARE(frame.topLeft(), available.topLeft());
    } else if (where == u"frame at the bottom right"_s) {
        QCOMPARE(frame.bottomRight(), available.bottomRight());
    } else if (where == u"button at the bottom right"_s) {
        // Within two pixels each way: at 125 % the places and the frame are rounded to the screen's pixels.
        const QRect shown(button->mapToGlobal(QPoint(0, 0)), button->size());
        QVERIFY2((shown.bottomRight() - available.bottomRight()).manhattanLength() <= 4,
                 qPrintable(u"%1,%2"_s.arg(shown.right()).arg(shown.bottom())));
        QVERIFY(client.top() < available.top() && client.left() < available.left());
        return;
    }
    QCOMPARE(client.size(), given.isNull() ? client.size() : given.size());
    if (frame.width() <= available.width() && frame.height() <= available.height()) {
        QVERIFY(available.contains(frame));
    }
    if (button) {
        QVERIFY(available.contains(QRect(button->mapToGlobal(QPoint(0, 0)), button->size())));
    }
}

// Run on a screen of 1024x768 pixels at 125 %: both windows are moved onto it, the editor (with
// its frame one pixel taller than the screen here) with its corner and its buttons.
void TestScreenPlacement::windowsOnThisScreen()
{
    const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
    EditorState state;
    SelectionWindow selection(state, QLocale::c());
    selection.setAttribute(Qt::WA_DeleteOnClose, false);
    selection.show();
    QVERIFY(QTest::qWaitForWindowExposed(&selection));
    EditorWindow editor(TipKind::Ball, state, QLocale::c());
    editor.setAttribute(Qt::WA_DeleteOnClose, false);
    editor.show();
    QVERIFY(QTest::qWaitForWindowExposed(&editor));
    for (QWidget *window : {static_cast<QWidget *>(&selection), static_cast<QWidget *>(&editor)}) {
        const QRect frame = window->frameGeometry();
        QVERIFY(available.contains(frame.topLeft()));
        if (frame.width() <= available.width() && frame.height() <= available.height()) {
            QVERIFY2(available.contains(frame), qPrintable(window->objectName()));
        }
        for (QPushButton *button : window->findChildren<QPushButton *>()) {
            QVERIFY(available.contains(QRect(button->mapToGlobal(QPoint(0, 0)), button->size())));
        }
    }
}

QTEST_MAIN(TestScreenPlacement)
#include "tst_screenplacement.moc"
