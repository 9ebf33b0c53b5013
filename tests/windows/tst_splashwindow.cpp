#include "CreateCommand.h"
#include "SplashWindow.h"
#include "WindowTestSupport.h"

#include <QLabel>
#include <QScreen>
#include <QtTest>

using namespace merivox;
using namespace merivox::test;

class TestSplashWindow final : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QApplication::setApplicationName(QStringLiteral("Merivox")); }
    void cleanup();

    void loadFillsTitleAndVersion();
    void windowHasNoTitleBarAndIsCentred();
    void timerOpensSelectionWindow();
    void characterKeyClosesWithoutSelectionWindow_data();
    void characterKeyClosesWithoutSelectionWindow();
    void keyWithoutCharacterDoesNothing_data();
    void keyWithoutCharacterDoesNothing();
    void mouseClickDoesNothing();

private:
    EditorState m_state;
};

void TestSplashWindow::cleanup()
{
    const QStringList left = windowsLeftOpen();
    closeAllWindows();
    QVERIFY2(left.isEmpty(), qPrintable(left.join(u", ")));
}

void TestSplashWindow::loadFillsTitleAndVersion()
{
    SplashWindow splash(m_state);
    QCOMPARE(child<QLabel>(&splash, "lblVersion")->text(), QStringLiteral("Version " MERIVOX_PROJECT_VERSION));
    QCOMPARE(child<QLabel>(&splash, "lblVersion")->text(), QStringLiteral("Version 1.0.4"));
    QCOMPARE(child<QLabel>(&splash, "lblProductName")->text(), QStringLiteral("Merivox"));
    QCOMPARE(child<QLabel>(&splash, "e")->text(), QStringLiteral("Entwickelt von"));
    QCOMPARE(child<QLabel>(&splash, "lblCompany")->text(), QStringLiteral("Quentar GmbH"));
    QVERIFY(!child<QLabel>(&splash, "Label1")->text().isEmpty());
    QVERIFY(!child<QLabel>(&splash, "imgLogo")->pixmap().isNull());
    QVERIFY(!child<QLabel>(&splash, "Image1")->pixmap().isNull());
}

void TestSplashWindow::windowHasNoTitleBarAndIsCentred()
{
    SplashWindow splash(m_state);
    splash.show();
    QVERIFY(QTest::qWaitForWindowExposed(&splash));
    QVERIFY(splash.windowFlags().testFlag(Qt::FramelessWindowHint));
    QCOMPARE(splash.objectName(), QStringLiteral("frmSplash"));
    QCOMPARE(splash.minimumSize(), splash.maximumSize());
    const QRect screen = splash.screen()->availableGeometry();
    QVERIFY(qAbs(splash.geometry().center().x() - screen.center().x()) <= 1);
    QVERIFY(qAbs(splash.geometry().center().y() - screen.center().y()) <= 1);
    splash.close();
}

void TestSplashWindow::timerOpensSelectionWindow()
{
    SplashWindow splash(m_state);
    QTimer *timer = splash.timer();
    QCOMPARE(timer->objectName(), QStringLiteral("Timer1"));
    QVERIFY(!timer->isActive()); // it runs from the moment the window is shown
    splash.show();
    QVERIFY(QTest::qWaitForWindowExposed(&splash));
    QVERIFY(timer->isActive());
    QVERIFY(timer->isSingleShot());
    QCOMPARE(timer->interval(), 5000);
    QVERIFY(!openWindow(QStringLiteral("Form1")));

    timer->start(0); // the five seconds pass
    QTRY_VERIFY(openWindow(QStringLiteral("Form1")));
    QVERIFY(!splash.isVisible());
    QVERIFY(!timer->isActive());
    QWidget *selection = openWindow(QStringLiteral("Form1"));
    QVERIFY(selection->isWindow());
    QCOMPARE(selection->parentWidget(), nullptr);
    QVERIFY(!selection->isModal());
    selection->close();
}

void TestSplashWindow::characterKeyClosesWithoutSelectionWindow_data()
{
    QTest::addColumn<int>("key");
    QTest::newRow("letter") << int(Qt::Key_A);
    QTest::newRow("digit") << int(Qt::Key_7);
    QTest::newRow("punctuation") << int(Qt::Key_Comma);
    QTest::newRow("Space") << int(Qt::Key_Space);
    QTest::newRow("Enter") << int(Qt::Key_Return);
    QTest::newRow("keypad Enter") << int(Qt::Key_Enter);
    QTest::newRow("Escape") << int(Qt::Key_Escape);
    QTest::newRow("Backspace") << int(Qt::Key_Backspace);
}

void TestSplashWindow::characterKeyClosesWithoutSelectionWindow()
{
    QFETCH(int, key);
    SplashWindow splash(m_state);
    splash.show();
    QVERIFY(QTest::qWaitForWindowActive(&splash));
    splash.timer()->start(50); // would open the selection window soon after the key

    QTest::keyClick(splash.windowHandle(), Qt::Key(key));
    QVERIFY(!splash.isVisible());
    QVERIFY(!splash.timer()->isActive());
    QTest::qWait(150);
    QVERIFY(!openWindow(QStringLiteral("Form1")));
}

void TestSplashWindow::keyWithoutCharacterDoesNothing_data()
{
    QTest::addColumn<int>("key");
    QTest::newRow("Shift") << int(Qt::Key_Shift);
    QTest::newRow("Control") << int(Qt::Key_Control);
    QTest::newRow("Left") << int(Qt::Key_Left);
    QTest::newRow("Up") << int(Qt::Key_Up);
    QTest::newRow("Right") << int(Qt::Key_Right);
    QTest::newRow("Down") << int(Qt::Key_Down);
    QTest::newRow("F1") << int(Qt::Key_F1);
    QTest::newRow("F12") << int(Qt::Key_F12);
}

void TestSplashWindow::keyWithoutCharacterDoesNothing()
{
    QFETCH(int, key);
    SplashWindow splash(m_state);
    splash.show();
    QVERIFY(QTest::qWaitForWindowActive(&splash));

    QTest::keyClick(splash.windowHandle(), Qt::Key(key));
    QVERIFY(splash.isVisible());
    QVERIFY(splash.timer()->isActive());
    QCOMPARE(splash.timer()->interval(), 5000);
    splash.close();
}

void TestSplashWindow::mouseClickDoesNothing()
{
    SplashWindow splash(m_state);
    splash.show();
    QVERIFY(QTest::qWaitForWindowActive(&splash));

    for (const char *name : {"Frame1", "imgLogo", "lblProductName", "Image1"}) {
        QWidget *target = child(&splash, name);
        QTest::mouseClick(target, Qt::LeftButton);
        QTest::mouseClick(target, Qt::RightButton);
        QTest::mouseDClick(target, Qt::LeftButton);
    }
    QTest::mouseClick(&splash, Qt::LeftButton, {}, QPoint(2, 2));
    QVERIFY(splash.isVisible());
    QVERIFY(splash.timer()->isActive());
    QVERIFY(!openWindow(QStringLiteral("Form1")));

    splash.timer()->start(0); // the timer still leads on to the selection window
    QTRY_VERIFY(openWindow(QStringLiteral("Form1")));
    QVERIFY(!splash.isVisible());
    openWindow(QStringLiteral("Form1"))->close();
}

QTEST_MAIN(TestSplashWindow)
#include "tst_splashwindow.moc"
