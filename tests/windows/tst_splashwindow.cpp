#include "CreateCommand.h"
#include "SplashWindow.h"
#include "Startup.h"
#include "WindowTestSupport.h"

#include <QLabel>
#include <QtTest>

using namespace merivox;
using namespace merivox::test;

class TestSplashWindow final : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QApplication::setApplicationName(QStringLiteral("Merivox")); }
    void cleanup() { QCOMPARE(closeWindowsLeftOpen(), QStringList()); }

    void loadFillsLabelsAndTimerOpensSelection();
    void keys_data();
    void keys();
    void mouseClicksDoNothing();

private:
    EditorState m_state;
};

void TestSplashWindow::loadFillsLabelsAndTimerOpensSelection()
{
    SplashWindow splash;
    leadOnToSelection(splash, m_state, QLocale::c());
    QCOMPARE(child<QLabel>(&splash, "lblVersion")->text(), QStringLiteral("Version " MERIVOX_PROJECT_VERSION));
    QCOMPARE(child<QLabel>(&splash, "lblProductName")->text(), QStringLiteral("Merivox"));
    QVERIFY(splash.windowFlags().testFlag(Qt::FramelessWindowHint));
    QVERIFY(!splash.timer()->isActive()); // it runs from the moment the window is shown

    splash.show();
    QVERIFY(QTest::qWaitForWindowExposed(&splash));
    QVERIFY(splash.timer()->isActive() && splash.timer()->isSingleShot());
    QCOMPARE(splash.timer()->interval(), 5000);
    QVERIFY(!openWindow("Form1"));

    splash.timer()->start(0); // the five seconds pass
    QTRY_VERIFY(openWindow("Form1"));
    QVERIFY(!splash.isVisible());
    QCOMPARE(openWindow("Form1")->parentWidget(), nullptr);
    openWindow("Form1")->close();
}

void TestSplashWindow::keys_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("text"); // what the platform reports the key to produce
    QTest::addColumn<bool>("closes");
    QTest::newRow("letter") << int(Qt::Key_A) << "a" << true;
    QTest::newRow("digit") << int(Qt::Key_7) << "7" << true;
    QTest::newRow("punctuation") << int(Qt::Key_Comma) << "," << true;
    QTest::newRow("Space") << int(Qt::Key_Space) << " " << true;
    QTest::newRow("Enter") << int(Qt::Key_Return) << "\r" << true;
    QTest::newRow("Escape") << int(Qt::Key_Escape) << "\x1b" << true;
    QTest::newRow("Backspace") << int(Qt::Key_Backspace) << "\b" << true;
    QTest::newRow("Escape without text") << int(Qt::Key_Escape) << "" << true;
    QTest::newRow("Shift") << int(Qt::Key_Shift) << "" << false;
    QTest::newRow("Left") << int(Qt::Key_Left) << "" << false;
    QTest::newRow("Down") << int(Qt::Key_Down) << "" << false;
    QTest::newRow("F1") << int(Qt::Key_F1) << "" << false;
    // X11 reports the Delete key as the DEL control character, which is no typed character.
    QTest::newRow("Delete") << int(Qt::Key_Delete) << "\x7f" << false;
}

void TestSplashWindow::keys()
{
    QFETCH(int, key);
    QFETCH(QString, text);
    QFETCH(bool, closes);
    SplashWindow splash;
    leadOnToSelection(splash, m_state, QLocale::c());
    splash.show();
    QVERIFY(QTest::qWaitForWindowActive(&splash));
    splash.timer()->start(100); // soon, so that a selection window that would follow shows up

    QTest::sendKeyEvent(QTest::Click, splash.windowHandle(), Qt::Key(key), text, Qt::NoModifier);
    QCOMPARE(splash.isVisible(), !closes);
    QCOMPARE(splash.timer()->isActive(), !closes);
    QTest::qWait(200);
    QWidget *selection = openWindow("Form1");
    QCOMPARE(selection != nullptr, !closes); // the timer still leads on when the key did nothing
    if (selection) {
        selection->close();
    }
}

void TestSplashWindow::mouseClicksDoNothing()
{
    SplashWindow splash;
    leadOnToSelection(splash, m_state, QLocale::c());
    splash.show();
    QVERIFY(QTest::qWaitForWindowActive(&splash));
    for (const char *name : {"Frame1", "imgLogo", "lblProductName", "Image1"}) {
        QTest::mouseClick(child(&splash, name), Qt::LeftButton);
        QTest::mouseClick(child(&splash, name), Qt::RightButton);
    }
    QVERIFY(splash.isVisible());
    QVERIFY(splash.timer()->isActive());
    QCOMPARE(splash.timer()->interval(), 5000);
    splash.close();
}

QTEST_MAIN(TestSplashWindow)
#include "tst_splashwindow.moc"
