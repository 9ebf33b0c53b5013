#include "CreateCommand.h"
#include "EditorWindow.h"
#include "SelectionWindow.h"
#include "SplashWindow.h"
#include "WindowTestSupport.h"

#include <QtTest>

using namespace merivox;
using namespace merivox::test;

// Every window and control at its place at 96 dpi: the layout figures in twips, divided by 15.
class TestWindowGeometry final : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void windows_data();
    void windows();
    void controls_data();
    void controls();
    void fonts();

private:
    QWidget *window(const QString &name) const
    {
        return name == QLatin1String("frmSplash") ? static_cast<QWidget *>(m_splash.get())
               : name == QLatin1String("Form1")   ? static_cast<QWidget *>(m_selection.get())
                                                  : m_editor.get();
    }

    EditorState m_state;
    std::unique_ptr<SplashWindow> m_splash;
    std::unique_ptr<SelectionWindow> m_selection;
    std::unique_ptr<EditorWindow> m_editor;
};

void TestWindowGeometry::init()
{
    m_splash = std::make_unique<SplashWindow>();
    m_selection = std::make_unique<SelectionWindow>(m_state, QLocale::c());
    m_selection->setAttribute(Qt::WA_DeleteOnClose, false);
    m_editor = std::make_unique<EditorWindow>(TipKind::Cylinder, m_state, QLocale::c());
    m_editor->setAttribute(Qt::WA_DeleteOnClose, false);
}

void TestWindowGeometry::cleanup()
{
    m_splash.reset();
    m_selection.reset();
    m_editor.reset();
    QCOMPARE(closeWindowsLeftOpen(), QStringList());
}

void TestWindowGeometry::windows_data()
{
    // The client area, and its top-left corner on the screen (-1: centred).
    QTest::addColumn<QString>("window");
    QTest::addColumn<QRect>("twips");
    QTest::newRow("frmSplash") << "frmSplash" << QRect(-1, -1, 7380, 4380);
    QTest::newRow("Form1") << "Form1" << QRect(4290, 3150, 5670, 5280);
    QTest::newRow("Form2") << "Form2" << QRect(1740, 1290, 11655, 9165);
}

void TestWindowGeometry::windows()
{
    QFETCH(QString, window);
    QFETCH(QRect, twips);
    QWidget *shown = this->window(window);
    shown->show();
    QVERIFY(QTest::qWaitForWindowExposed(shown));
    QCOMPARE(shown->size(), QSize(px(twips.width()), px(twips.height())));
    QCOMPARE(shown->minimumSize(), shown->maximumSize());
    if (twips.left() >= 0) {
        QCOMPARE(shown->geometry().topLeft(), QPoint(px(twips.left()), px(twips.top())));
    } else {
        QVERIFY((shown->geometry().center() - shown->screen()->availableGeometry().center()).manhattanLength() <= 2);
    }
    shown->close();
}

void TestWindowGeometry::controls_data()
{
    // Left, top, width, height in twips, relative to the parent. Width 0: a label sized to its text
    // (left and top checked, and that the text fits); height -1: not given, one line of text.
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("control");
    QTest::addColumn<QRect>("twips");
    const auto row = [](const char *window, const char *control, int left, int top, int width = 0, int height = 0) {
        QTest::addRow("%s %s", window, control)
            << QString::fromLatin1(window) << QString::fromLatin1(control) << QRect(left, top, width, height);
    };
    row("frmSplash", "Frame1", 150, 120, 7080, 4176); // the others lie on the frame
    row("frmSplash", "imgLogo", 0, 120, 7092, 1068);
    row("frmSplash", "lblProductName", 360, 1800);
    row("frmSplash", "lblVersion", 360, 2520);
    row("frmSplash", "e", 360, 3000, 2412, 252);
    row("frmSplash", "lblCompany", 360, 3276, 2412, 252);
    row("frmSplash", "Label1", 360, 3600, 1932, 252);
    row("frmSplash", "Image1", 4200, 1320, 2280, 2772);

    row("Form1", "Label1", 150, 0, 5535, 615);
    row("Form1", "cmd_kug", 480, 720, 852, 975);
    row("Form1", "cmd_zyl", 2400, 720, 852, 975);
    row("Form1", "cmd_wuerf", 4200, 720, 975, 975);
    row("Form1", "cmd_sph", 480, 2760, 852, 975);
    row("Form1", "cmd_disk", 2400, 2760, 852, 975);
    row("Form1", "cmd_ver", 4200, 2760, 975, 975);
    row("Form1", "cmd_close", 1680, 4560, 2172, 372);
    // Captions centred below their buttons (button centre less half the width), "Verlängerung" at its own left.
    row("Form1", "Label2", 480 + 426 - 546, 1800, 1092, -1);
    row("Form1", "Label3", 2400 + 426 - 547, 1800, 1095, -1);
    row("Form1", "Label6", 4200, 1800, 975, -1);
    row("Form1", "Label4", 480 + 426 - 546, 3840, 1092, -1);
    row("Form1", "Label5", 2400 + 426 - 547, 3840, 1095, -1);
    row("Form1", "Label7", 4080, 3840, 1335, -1);

    const std::tuple<const char *, const char *, int> inputs[] = {
        {"txt_id", "Label7", 1800},  {"cb_gew", "Label10", 2244}, {"cb_gew2", "Label15", 2724},
        {"txt_L1", "Label2", 3204},  {"txt_l2", "Label5", 3684},  {"txt_l3", "Label3", 4164},
        {"txt_l4", "Label11", 4680}, {"txt_d1", "Label6", 5124},  {"txt_d2", "Label4", 5604},
        {"txt_kd", "Label1", 6084},  {"txt_l", "Label8", 6564},   {"txt_b", "Label9", 7044}};
    for (const auto &[input, label, top] : inputs) {
        row("Form2", input, 6480, top, 2172, QLatin1String(input) == QLatin1String("cb_gew") ? 315 : 288);
        row("Form2", label, 4440, top);
    }
    row("Form2", "image_kd", 0, 1920, 3315, 7080);
    row("Form2", "Image_zyl", 0, 1440, 3915, 7590);
    row("Form2", "Image_HK", 0, 1440, 3900, 7635);
    row("Form2", "Image_disk", 0, 1440, 3855, 6945);
    row("Form2", "Image_wuerf", 0, 3000, 3855, 3495);
    row("Form2", "Image_verl", 0, 1440, 3765, 6885);
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
    row("Form2", "Label14", 1560, 120, 6735, 975);
    row("Form2", "Line1", 8880, 0, 30, 9240); // lines are 2 pixels wide
    row("Form2", "Line2", 8880, 600, 11640 - 8880, 30);
    row("Form2", "Line3", 8880, 3480, 11640 - 8880, 30);
    row("Form2", "Line4", 0, 1320, 8880, 30);
}

void TestWindowGeometry::controls()
{
    QFETCH(QString, window);
    QFETCH(QString, control);
    QFETCH(QRect, twips);
    QWidget *widget = this->window(window)->findChild<QWidget *>(control);
    QVERIFY(widget);
    const QRect place = widget->geometry();
    QCOMPARE(place.topLeft(), QPoint(px(twips.left()), px(twips.top())));
    if (twips.width() == 0) {
        QVERIFY(place.width() >= widget->sizeHint().width());
    } else {
        QCOMPARE(place.width(), px(twips.width()));
    }
    if (twips.height() > 0) {
        QCOMPARE(place.height(), px(twips.height()));
    }
}

void TestWindowGeometry::fonts()
{
    const std::tuple<const char *, const char *, qreal, bool> fonts[] = {
        {"frmSplash", "lblProductName", 16.5, true},
        {"frmSplash", "lblVersion", 12, true},
        {"frmSplash", "e", 8.25, false},
        {"frmSplash", "Label1", 7.5, false},
        {"Form1", "Label1", 12, true},
        {"Form1", "Label2", 12, false},
        {"Form1", "Label7", 11.25, false},
        {"Form1", "cmd_close", 9, true},
        {"Form2", "Label7", 10.5, false},
        {"Form2", "Check_zyl", 10.5, false},
        {"Form2", "Option_kk", 10.5, false},
        {"Form2", "Label12", 13.5, false},
        {"Form2", "Label14", 12, false},
        {"Form2", "cmd_load", 9, true},
    };
    for (const auto &[window, control, points, bold] : fonts) {
        const QFont font = child(this->window(QString::fromLatin1(window)), control)->font();
        QVERIFY2(font.family() == QLatin1String("Arial") && font.pointSizeF() == points && font.bold() == bold,
                 control);
    }
}

QTEST_MAIN(TestWindowGeometry)
#include "tst_windowgeometry.moc"
