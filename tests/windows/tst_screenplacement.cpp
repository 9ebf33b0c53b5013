#include "CreateCommand.h"
#include "EditorWindow.h"
#include "ScreenPlacement.h"
#include "SelectionWindow.h"
#include "WindowTestSupport.h"

#include <QPushButton>
#include <QScreen>
#include <QtTest>

using namespace merivox;
using namespace merivox::test;

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
    void windowsOnThisScreen();
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
