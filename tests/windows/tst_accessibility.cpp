#include "CreateCommand.h"
#include "EditorWindow.h"
#include "SelectionWindow.h"
#include "WindowTestSupport.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QtTest>

using namespace merivox;
using namespace merivox::test;
using namespace Qt::StringLiterals;

namespace {

// What a screen reader hears for a widget.
QString accessible(QWidget *widget, QAccessible::Text text = QAccessible::Name)
{
    QAccessibleInterface *face = QAccessible::queryAccessibleInterface(widget);
    return face ? face->text(text) : QString();
}

// Every control of the window that the keyboard can reach, with the parts of its drop-down lists.
QList<QWidget *> focusableControls(QWidget *window)
{
    QList<QWidget *> controls;
    for (QWidget *widget : window->findChildren<QWidget *>()) {
        if ((widget->focusPolicy() & Qt::TabFocus) && widget->objectName().size() > 0 &&
            !widget->objectName().startsWith(u"qt_"_s)) {
            controls.append(widget);
            if (auto *list = qobject_cast<QComboBox *>(widget)) {
                controls.append(list->view());
                if (list->lineEdit()) {
                    controls.append(list->lineEdit());
                }
            }
        }
    }
    return controls;
}

} // namespace

class TestAccessibility final : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { QCOMPARE(closeWindowsLeftOpen(), QStringList()); }
    void namesPerKind_data();
    void namesPerKind();
};

void TestAccessibility::namesPerKind_data()
{
    // The kind and the drawing shown.
    QTest::addColumn<TipKind>("kind");
    QTest::addColumn<QString>("drawing");
    QTest::newRow("ball") << TipKind::Ball << u"image_kd"_s;
    QTest::newRow("cylinder") << TipKind::Cylinder << u"Image_zyl"_s;
    QTest::newRow("half sphere") << TipKind::HalfSphere << u"Image_HK"_s;
    QTest::newRow("disc") << TipKind::Disc << u"Image_disk"_s;
    QTest::newRow("cube") << TipKind::Cube << u"Image_wuerf"_s;
    QTest::newRow("extension") << TipKind::Extension << u"Image_verl"_s;
}

void TestAccessibility::namesPerKind()
{
    QFETCH(TipKind, kind);
    QFETCH(QString, drawing);
    EditorState state;
    SelectionWindow selection(state, QLocale::c());
    selection.setAttribute(Qt::WA_DeleteOnClose, false);
    EditorWindow editor(kind, state, QLocale::c());
    editor.setAttribute(Qt::WA_DeleteOnClose, false);

    const QList<QWidget *> all = focusableControls(&selection) + focusableControls(&editor);
    // Both windows, the parts of the four drop-down lists included (the preview's template list).
    QCOMPARE(all.size(), 37);
    for (QWidget *control : all) {
        QVERIFY2(!accessible(control).trimmed().isEmpty(), qPrintable(control->objectName()));
    }

    // The labels are linked to what they name, so the name is the caption the operator sees.
    for (const auto &[window, control, label] :
         {std::tuple<QWidget *, const char *, const char *>{&selection, "cmd_wuerf", "Label6"},
          {&editor, "txt_L1", "Label2"},
          {&editor, "cb_gew2", "Label15"}}) {
        QCOMPARE(child<QLabel>(window, label)->buddy(), child(window, control));
        QCOMPARE(accessible(child(window, control)), child<QLabel>(window, label)->text());
    }
    QCOMPARE(accessible(child<QComboBox>(&editor, "cb_gew")->lineEdit()), u"Gewinde 1"_s);
    QCOMPARE(accessible(child(&editor, "Dir1")), u"Ordner für usrprobe.dat"_s);
    QCOMPARE(accessible(child(&editor, "cmd_abr")), u"Abbrechen"_s);
    QVERIFY(child(&editor, qPrintable(drawing))->isVisibleTo(&editor));
    QVERIFY(accessible(child(&editor, qPrintable(drawing)), QAccessible::Description).size() > 30);
}

QTEST_MAIN(TestAccessibility)
#include "tst_accessibility.moc"
