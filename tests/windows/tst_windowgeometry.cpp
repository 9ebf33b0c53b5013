#include "CreateCommand.h"
#include "EditorWindow.h"
#include "SelectionWindow.h"
#include "SplashWindow.h"
#include "WindowTestSupport.h"

#include <QLabel>
#include <QtTest>
#include <algorithm>

using namespace merivox;
using namespace merivox::test;
using namespace Qt::StringLiterals;

// Every window and control at its place at 96 dpi: the layout figures in twips, divided by 15.
class TestWindowGeometry final : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QApplication::setApplicationName(u"Merivox"_s); }
    void init();
    void cleanup();

    void windows_data();
    void windows();
    void controls_data();
    void controls();
    void captionsCentredBelowButtons_data();
    void captionsCentredBelowButtons();
    void fonts_data();
    void fonts();

private:
    QWidget *window(const QString &name) const;

    EditorState m_state;
    std::unique_ptr<SplashWindow> m_splash;
    std::unique_ptr<SelectionWindow> m_selection;
    std::unique_ptr<EditorWindow> m_editor;
};

void TestWindowGeometry::init()
{
    m_splash = std::make_unique<SplashWindow>(m_state);
    m_selection = std::make_unique<SelectionWindow>(m_state);
    m_selection->setAttribute(Qt::WA_DeleteOnClose, false);
    m_editor = std::make_unique<EditorWindow>(TipKind::Cylinder, m_state); // Check_zyl shown
    m_editor->setAttribute(Qt::WA_DeleteOnClose, false);
}

void TestWindowGeometry::cleanup()
{
    m_splash.reset();
    m_selection.reset();
    m_editor.reset();
    const QStringList left = windowsLeftOpen();
    closeAllWindows();
    QVERIFY2(left.isEmpty(), qPrintable(left.join(u", ")));
}

QWidget *TestWindowGeometry::window(const QString &name) const
{
    if (name == u"frmSplash"_s) {
        return m_splash.get();
    }
    return name == u"Form1"_s ? static_cast<QWidget *>(m_selection.get()) : m_editor.get();
}

void TestWindowGeometry::windows_data()
{
    // Client area; the place of its top-left corner on the screen, -1 where the window is centred.
    QTest::addColumn<QString>("window");
    QTest::addColumn<int>("left");
    QTest::addColumn<int>("top");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::newRow("frmSplash") << "frmSplash" << -1 << -1 << 7380 << 4380;
    QTest::newRow("Form1") << "Form1" << 4290 << 3150 << 5670 << 5280;
    QTest::newRow("Form2") << "Form2" << 1740 << 1290 << 11655 << 9165;
}

void TestWindowGeometry::windows()
{
    QFETCH(QString, window);
    QFETCH(int, left);
    QFETCH(int, top);
    QFETCH(int, width);
    QFETCH(int, height);
    QWidget *shown = this->window(window);
    shown->show();
    QVERIFY(QTest::qWaitForWindowExposed(shown));
    QCOMPARE(shown->objectName(), window);
    QCOMPARE(shown->size(), QSize(px(width), px(height)));
    QCOMPARE(shown->minimumSize(), shown->maximumSize()); // fixed size
    if (left >= 0) {
        QCOMPARE(shown->geometry().topLeft(), QPoint(px(left), px(top)));
    }
    shown->close();
}

void TestWindowGeometry::controls_data()
{
    // Place in twips relative to the control's parent; width and height 0 for a label sized to
    // its text, whose left and top are checked.
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("control");
    QTest::addColumn<int>("left");
    QTest::addColumn<int>("top");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    const auto row = [](const char *window, const char *control, int left, int top, int width = 0, int height = 0) {
        QTest::addRow("%s %s", window, control)
            << QString::fromLatin1(window) << QString::fromLatin1(control) << left << top << width << height;
    };
    // Splash: the frame on the window, the rest on the frame.
    row("frmSplash", "Frame1", 150, 120, 7080, 4176);
    row("frmSplash", "imgLogo", 0, 120, 7092, 1068);
    row("frmSplash", "lblProductName", 360, 1800);
    row("frmSplash", "lblVersion", 360, 2520);
    row("frmSplash", "e", 360, 3000, 2412, 252);
    row("frmSplash", "lblCompany", 360, 3276, 2412, 252);
    row("frmSplash", "Label1", 360, 3600, 1932, 252);
    row("frmSplash", "Image1", 4200, 1320, 2280, 2772);
    // Selection window.
    row("Form1", "Label1", 150, 0, 5535, 615);
    row("Form1", "cmd_kug", 480, 720, 852, 975);
    row("Form1", "cmd_zyl", 2400, 720, 852, 975);
    row("Form1", "cmd_wuerf", 4200, 720, 975, 975);
    row("Form1", "cmd_sph", 480, 2760, 852, 975);
    row("Form1", "cmd_disk", 2400, 2760, 852, 975);
    row("Form1", "cmd_ver", 4200, 2760, 975, 975);
    row("Form1", "cmd_close", 1680, 4560, 2172, 372);
    // Editor: inputs with their labels ...
    const struct
    {
        const char *input;
        const char *label;
        int top;
        int height;
    } inputs[] = {{"txt_id", "Label7", 1800, 288},  {"cb_gew", "Label10", 2244, 315}, {"cb_gew2", "Label15", 2724, 288},
                  {"txt_L1", "Label2", 3204, 288},  {"txt_l2", "Label5", 3684, 288},  {"txt_l3", "Label3", 4164, 288},
                  {"txt_l4", "Label11", 4680, 288}, {"txt_d1", "Label6", 5124, 288},  {"txt_d2", "Label4", 5604, 288},
                  {"txt_kd", "Label1", 6084, 288},  {"txt_l", "Label8", 6564, 288},   {"txt_b", "Label9", 7044, 288}};
    for (const auto &input : inputs) {
        row("Form2", input.input, 6480, input.top, 2172, input.height);
        row("Form2", input.label, 4440, input.top);
    }
    // ... the drawings, at their natural size plus a 2-pixel border where they have one ...
    row("Form2", "image_kd", 0, 1920, 3315, 7080);
    row("Form2", "Image_zyl", 0, 1440, 3915, 7590);
    row("Form2", "Image_HK", 0, 1440, 3900, 7635);
    row("Form2", "Image_disk", 0, 1440, 3855, 6945);
    row("Form2", "Image_wuerf", 0, 3000, 3855, 3495);
    row("Form2", "Image_verl", 0, 1440, 3765, 6885);
    // ... the options column ...
    row("Form2", "Label12", 9000, 120, 2535, 375);
    row("Form2", "Check_zyl", 9240, 720, 1572, 492);
    row("Form2", "Check_SS", 9240, 1320, 2052, 252);
    row("Form2", "Check_KFS", 9240, 1680, 2172, 252);
    row("Form2", "Check_ks", 9240, 2040, 2052, 252);
    row("Form2", "Option_HK", 9240, 2400, 1932, 252);
    row("Form2", "Option_RK", 9240, 2760, 1932, 252);
    row("Form2", "Option_kk", 9240, 3120, 1932, 252);
    row("Form2", "Label13", 9120, 3600, 2295, 375);
    row("Form2", "Drive1", 9000, 4080, 852, 315);
    row("Form2", "Dir1", 9000, 4560, 2532, 2232);
    row("Form2", "cmd_load", 9480, 7320, 1572, 372);
    row("Form2", "cmd_abr", 9480, 7800, 1572, 372);
    // ... the hint and the separator lines, 2 pixels (30 twips) wide.
    row("Form2", "Label14", 1560, 120, 6735, 975);
    row("Form2", "Line1", 8880, 0, 30, 9240);
    row("Form2", "Line2", 8880, 600, 11640 - 8880, 30);
    row("Form2", "Line3", 8880, 3480, 11640 - 8880, 30);
    row("Form2", "Line4", 0, 1320, 8880, 30);
}

void TestWindowGeometry::controls()
{
    QFETCH(QString, window);
    QFETCH(QString, control);
    QFETCH(int, left);
    QFETCH(int, top);
    QFETCH(int, width);
    QFETCH(int, height);
    QWidget *widget = this->window(window)->findChild<QWidget *>(control);
    QVERIFY(widget);
    const QRect place = widget->geometry();
    if (width == 0) {
        QCOMPARE(place.topLeft(), QPoint(px(left), px(top)));
        QVERIFY(place.width() >= widget->sizeHint().width()); // the whole text shows
    } else {
        QCOMPARE(place, QRect(px(left), px(top), px(width), px(height)));
    }
}

void TestWindowGeometry::captionsCentredBelowButtons_data()
{
    // The caption labels under the kind buttons: top and width in twips, and whether centred
    // below the button or at a left edge of its own.
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("label");
    QTest::addColumn<int>("top");
    QTest::addColumn<QList<int>>("widths");
    QTest::addColumn<int>("left"); // -1: centred below the button
    QTest::newRow("Tastkugel") << "cmd_kug"
                               << "Label2" << 1800 << QList<int>{1092, 1095} << -1;
    QTest::newRow("Zylinder") << "cmd_zyl"
                              << "Label3" << 1800 << QList<int>{1092, 1095} << -1;
    QTest::newRow("Würfel") << "cmd_wuerf"
                            << "Label6" << 1800 << QList<int>{975} << -1;
    QTest::newRow("Halbkugel") << "cmd_sph"
                               << "Label4" << 3840 << QList<int>{1092, 1095} << -1;
    QTest::newRow("Scheibe") << "cmd_disk"
                             << "Label5" << 3840 << QList<int>{1092, 1095} << -1;
    QTest::newRow("Verlängerung") << "cmd_ver"
                                  << "Label7" << 3840 << QList<int>{1335} << 4080;
}

void TestWindowGeometry::captionsCentredBelowButtons()
{
    QFETCH(QString, button);
    QFETCH(QString, label);
    QFETCH(int, top);
    QFETCH(QList<int>, widths);
    QFETCH(int, left);
    const QRect buttonPlace = m_selection->findChild<QWidget *>(button)->geometry();
    auto *caption = m_selection->findChild<QLabel *>(label);
    const QRect place = caption->geometry();
    QCOMPARE(place.top(), px(top));
    QVERIFY2(std::ranges::any_of(widths, [&](int width) { return place.width() == px(width); }),
             qPrintable(QString::number(place.width())));
    if (left >= 0) {
        QCOMPARE(place.left(), px(left));
        QVERIFY(caption->alignment().testFlag(Qt::AlignLeft));
    } else {
        QVERIFY(qAbs(place.center().x() - buttonPlace.center().x()) <= 1);
        QVERIFY(caption->alignment().testFlag(Qt::AlignHCenter));
    }
    // The caption is not cut off.
    QVERIFY(place.width() >= caption->fontMetrics().horizontalAdvance(caption->text()));
}

void TestWindowGeometry::fonts_data()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("control");
    QTest::addColumn<qreal>("points");
    QTest::addColumn<bool>("bold");
    const auto row = [](const char *window, const char *control, qreal points, bool bold) {
        QTest::addRow("%s %s", window, control)
            << QString::fromLatin1(window) << QString::fromLatin1(control) << points << bold;
    };
    row("frmSplash", "lblProductName", 16.5, true);
    row("frmSplash", "lblVersion", 12, true);
    row("frmSplash", "e", 8.25, false);
    row("frmSplash", "lblCompany", 8.25, false);
    row("frmSplash", "Label1", 7.5, false);
    row("Form1", "Label1", 12, true);
    for (const char *caption : {"Label2", "Label3", "Label4", "Label5"}) {
        row("Form1", caption, 12, false);
    }
    row("Form1", "Label6", 11.25, false);
    row("Form1", "Label7", 11.25, false);
    row("Form1", "cmd_close", 9, true);
    for (const char *label : {"Label7", "Label10", "Label15", "Label2", "Label5", "Label3", "Label11", "Label6",
                              "Label4", "Label1", "Label8", "Label9", "Check_zyl", "Check_SS", "Check_KFS", "Check_ks",
                              "Option_HK", "Option_RK", "Option_kk"}) {
        row("Form2", label, 10.5, false);
    }
    row("Form2", "Label13", 12, false);
    row("Form2", "Label14", 12, false);
    row("Form2", "Label12", 13.5, false);
    row("Form2", "cmd_load", 9, true);
    row("Form2", "cmd_abr", 9, true);
}

void TestWindowGeometry::fonts()
{
    QFETCH(QString, window);
    QFETCH(QString, control);
    QFETCH(qreal, points);
    QFETCH(bool, bold);
    QWidget *widget = this->window(window)->findChild<QWidget *>(control);
    QVERIFY(widget);
    QCOMPARE(widget->font().family(), u"Arial"_s);
    QCOMPARE(widget->font().pointSizeF(), points);
    QCOMPARE(widget->font().bold(), bold);
}

QTEST_MAIN(TestWindowGeometry)
#include "tst_windowgeometry.moc"
