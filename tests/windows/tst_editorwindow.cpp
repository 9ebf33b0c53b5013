#include "CreateCommand.h"
#include "DriveList.h"
#include "EditorWindow.h"
#include "FolderList.h"
#include "MessageBoxSink.h"
#include "WindowTestSupport.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QtTest>

using namespace merivox;
using namespace merivox::test;
using namespace Qt::StringLiterals;

namespace {

// The inputs, top to bottom, with their labels and captions.
struct InputEntry
{
    const char *input;
    const char *label;
    QString caption;
};
const InputEntry kInputs[] = {
    {"txt_id", "Label7", u"Benennung"_s},   {"cb_gew", "Label10", u"Gewinde 1"_s},
    {"cb_gew2", "Label15", u"Gewinde 2"_s}, {"txt_L1", "Label2", u"L1"_s},
    {"txt_l2", "Label5", u"L2"_s},          {"txt_l3", "Label3", u"L3"_s},
    {"txt_l4", "Label11", u"L4"_s},         {"txt_d1", "Label6", u"D1"_s},
    {"txt_d2", "Label4", u"D2"_s},          {"txt_kd", "Label1", u"Kugeldurchmesser"_s},
    {"txt_l", "Label8", u"Länge"_s},        {"txt_b", "Label9", u"Breite"_s},
};

const char *const kDrawings[] = {"image_kd", "Image_zyl", "Image_HK", "Image_disk", "Image_wuerf", "Image_verl"};

// Enabled and shown for every kind.
const char *const kAlwaysUsable[] = {"Check_SS",  "Check_KFS", "Check_ks", "Option_HK", "Option_RK",
                                     "Option_kk", "Drive1",    "Dir1",     "cmd_load",  "cmd_abr"};

const QStringList kThreads = {u"M2"_s,       u"M3"_s,       u"M4"_s,           u"M8"_s,       u"KARVO1"_s,
                              u"ZEISS1"_s,   u"ZEISS2"_s,   u"KARVO1ANALOG"_s, u"M2ANALOG"_s, u"M3ANALOG"_s,
                              u"M4ANALOG"_s, u"M5ANALOG"_s, u"M8AANALOG"_s,    u"M5"_s};

// The editor opened for a kind, shown and in front.
std::unique_ptr<EditorWindow> openFor(TipKind kind, EditorState &state)
{
    auto editor = std::make_unique<EditorWindow>(kind, state, QLocale::c());
    editor->setAttribute(Qt::WA_DeleteOnClose, false); // the test owns it
    editor->show();
    return editor;
}

QString focusedControl()
{
    // An editable list takes the focus in its line edit.
    for (QWidget *widget = QApplication::focusWidget(); widget; widget = widget->parentWidget()) {
        if (!widget->objectName().isEmpty() && !widget->objectName().startsWith(u"qt_"_s)) {
            return widget->objectName();
        }
    }
    return {};
}

} // namespace

class TestEditorWindow final : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QApplication::setApplicationName(QStringLiteral("Merivox")); }
    void cleanup();

    void layoutPerKind_data();
    void layoutPerKind();
    void startsEmpty();
    void threadListsTakeTypedText_data();
    void threadListsTakeTypedText();
    void shaftBoxes_data();
    void shaftBoxes();
    void ballOptionsAreOneGroup();
    void portReadsTheNamedControls_data();
    void portReadsTheNamedControls();
    void portReadsTheOtherControls();
    void closesWithoutWriting_data();
    void closesWithoutWriting();
    void enterAndEscapeDoNothing_data();
    void enterAndEscapeDoNothing();
    void startFocusAndTabOrder_data();
    void startFocusAndTabOrder();
    void messageBoxes_data();
    void messageBoxes();
};

void TestEditorWindow::cleanup()
{
    const QStringList left = windowsLeftOpen();
    closeAllWindows();
    QVERIFY2(left.isEmpty(), qPrintable(left.join(u", ")));
}

void TestEditorWindow::layoutPerKind_data()
{
    // One letter per input of kInputs, top to bottom: E enabled, D disabled.
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("enabled");
    QTest::addColumn<QString>("drawing");
    QTest::addColumn<bool>("withoutHalfSphereShown");
    QTest::newRow("ball 1") << 1 << "EEDEEEDEEEDD"
                            << "image_kd" << false;
    QTest::newRow("cylinder 2") << 2 << "EEDEEEEEEEDD"
                                << "Image_zyl" << true;
    QTest::newRow("half sphere 3") << 3 << "EEDEEEDEEEDD"
                                   << "Image_HK" << false;
    QTest::newRow("disc 4") << 4 << "EEDEEEDEEDEE"
                            << "Image_disk" << false;
    QTest::newRow("cube 5") << 5 << "EEDEDDDDDDDD"
                            << "Image_wuerf" << false;
    QTest::newRow("extension 6") << 6 << "EEEDDDDEDDED"
                                 << "Image_verl" << false;
}

void TestEditorWindow::layoutPerKind()
{
    QFETCH(int, kind);
    QFETCH(QString, enabled);
    QFETCH(QString, drawing);
    QFETCH(bool, withoutHalfSphereShown);
    EditorState state;
    auto editor = openFor(TipKind(kind), state);
    QVERIFY(QTest::qWaitForWindowExposed(editor.get()));

    QCOMPARE(state.tip_type, QString::number(kind));
    for (int i = 0; i < int(std::size(kInputs)); ++i) {
        const InputEntry &entry = kInputs[i];
        const bool expected = enabled.at(i) == u'E';
        QWidget *input = child(editor.get(), entry.input);
        auto *label = child<QLabel>(editor.get(), entry.label);
        QVERIFY2(input && label, entry.input);
        QVERIFY2(input->isVisible() && label->isVisible(), entry.input);
        QVERIFY2(input->isEnabled() == expected, entry.input);
        QVERIFY2(label->isEnabled() == expected, entry.label);
        QCOMPARE(label->text(), entry.caption);
    }
    for (const char *name : kDrawings) {
        auto *picture = child<QLabel>(editor.get(), name);
        QVERIFY2(picture->isVisible() == (drawing == QLatin1String(name)), name);
    }
    QVERIFY(!child<QLabel>(editor.get(), qPrintable(drawing))->pixmap().isNull());
    auto *withoutHalfSphere = child<QCheckBox>(editor.get(), "Check_zyl");
    QCOMPARE(withoutHalfSphere->isVisible(), withoutHalfSphereShown);
    QCOMPARE(withoutHalfSphere->text(), u"ohne Halbkugel"_s);
    for (const char *name : kAlwaysUsable) {
        QWidget *control = child(editor.get(), name);
        QVERIFY2(control->isVisible() && control->isEnabled(), name);
    }
}

void TestEditorWindow::startsEmpty()
{
    EditorState state;
    auto editor = openFor(TipKind::Extension, state);
    QVERIFY(QTest::qWaitForWindowExposed(editor.get()));
    QCOMPARE(editor->windowTitle(), u"Merivox"_s);
    QVERIFY(!editor->windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
    QVERIFY(!editor->windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
    QVERIFY(editor->windowFlags().testFlag(Qt::WindowCloseButtonHint));
    QCOMPARE(editor->minimumSize(), editor->maximumSize());
    QCOMPARE(editor->palette().color(QPalette::Window), QColor(192, 192, 192));

    for (QLineEdit *field : editor->findChildren<QLineEdit *>()) {
        QVERIFY2(field->text().isEmpty(), qPrintable(field->objectName()));
        QCOMPARE(field->maxLength(), 32767); // no limit of our own
    }
    for (const char *name : {"cb_gew", "cb_gew2"}) {
        auto *list = child<QComboBox>(editor.get(), name);
        QVERIFY(list->isEditable());
        QCOMPARE(list->currentIndex(), -1);
        QVERIFY(list->currentText().isEmpty());
        QStringList entries;
        for (int i = 0; i < list->count(); ++i) {
            entries.append(list->itemText(i));
        }
        QCOMPARE(entries, kThreads);
    }
    for (QCheckBox *box : editor->findChildren<QCheckBox *>()) {
        QVERIFY2(!box->isChecked(), qPrintable(box->objectName()));
    }
    for (QRadioButton *option : editor->findChildren<QRadioButton *>()) {
        QVERIFY2(!option->isChecked(), qPrintable(option->objectName()));
    }
    QCOMPARE(child<FolderList>(editor.get(), "Dir1")->path(), QDir::cleanPath(QDir::currentPath()));
    QCOMPARE(editor->folder(), QDir::cleanPath(QDir::currentPath()));
    QCOMPARE(child<QPushButton>(editor.get(), "cmd_load")->text(), u"Erstellen"_s);
    QCOMPARE(child<QPushButton>(editor.get(), "cmd_abr")->text(), u"Abbrechen"_s);
    QCOMPARE(child<QLabel>(editor.get(), "Label12")->text(), u"Optionen"_s);
    QCOMPARE(child<QLabel>(editor.get(), "Label13")->text(), u"Datei erstellen in:"_s);
    QCOMPARE(child<QLabel>(editor.get(), "Label14")->text(),
             u"Hinweis: Sollten Sie eines der dargestellten Elemente an Ihrer Tastspitze nicht vorfinden, "
             u"setzen Sie den entsprechenden Wert bitte auf 0"_s);
}

void TestEditorWindow::threadListsTakeTypedText_data()
{
    QTest::addColumn<QString>("list");
    QTest::addColumn<QString>("typed");
    QTest::newRow("first, not in the list") << "cb_gew"
                                            << "M3X";
    QTest::newRow("first, start of an entry") << "cb_gew"
                                              << "M";
    QTest::newRow("first, an entry") << "cb_gew"
                                     << "ZEISS1";
    QTest::newRow("second, not in the list") << "cb_gew2"
                                             << "M6";
    QTest::newRow("second, start of an entry") << "cb_gew2"
                                               << "KAR";
}

void TestEditorWindow::threadListsTakeTypedText()
{
    QFETCH(QString, list);
    QFETCH(QString, typed);
    EditorState state;
    auto editor = openFor(TipKind::Extension, state);
    QVERIFY(QTest::qWaitForWindowActive(editor.get()));
    auto *threads = child<QComboBox>(editor.get(), qPrintable(list));

    threads->setFocus();
    QTest::keyClicks(threads, typed);
    QTest::keyClick(threads, Qt::Key_Return);
    QTest::keyClick(threads, Qt::Key_Tab);
    QCOMPARE(threads->currentText(), typed);
    QCOMPARE(threads->count(), int(kThreads.size()));
    QCOMPARE(list == u"cb_gew"_s ? editor->threadText() : editor->thread2Text(), typed);
    QVERIFY(editor->isVisible()); // Enter in the list creates nothing
}

void TestEditorWindow::shaftBoxes_data()
{
    // Boxes clicked in turn, the boxes checked afterwards, and shaft_rgb.
    QTest::addColumn<QStringList>("clicks");
    QTest::addColumn<QStringList>("checked");
    QTest::addColumn<int>("red");
    QTest::addColumn<int>("green");
    QTest::addColumn<int>("blue");
    const Rgb start{1, 2, 3};
    QTest::newRow("none") << QStringList{} << QStringList{} << start.red << start.green << start.blue;
    QTest::newRow("steel") << QStringList{u"Check_SS"_s} << QStringList{u"Check_SS"_s} << 142 << 142 << 142;
    QTest::newRow("carbon fibre") << QStringList{u"Check_KFS"_s} << QStringList{u"Check_KFS"_s} << 0 << 0 << 0;
    QTest::newRow("ceramic") << QStringList{u"Check_ks"_s} << QStringList{u"Check_ks"_s} << 250 << 235 << 215;
    QTest::newRow("ceramic after steel") << QStringList{u"Check_SS"_s, u"Check_ks"_s} << QStringList{u"Check_ks"_s}
                                         << 250 << 235 << 215;
    QTest::newRow("steel after carbon fibre")
        << QStringList{u"Check_KFS"_s, u"Check_SS"_s} << QStringList{u"Check_SS"_s} << 142 << 142 << 142;
    QTest::newRow("carbon fibre after ceramic")
        << QStringList{u"Check_ks"_s, u"Check_KFS"_s} << QStringList{u"Check_KFS"_s} << 0 << 0 << 0;
    QTest::newRow("only box unchecked") << QStringList{u"Check_ks"_s, u"Check_ks"_s} << QStringList{} << 250 << 235
                                        << 215;
    QTest::newRow("unchecked, then another")
        << QStringList{u"Check_ks"_s, u"Check_ks"_s, u"Check_SS"_s} << QStringList{u"Check_SS"_s} << 142 << 142 << 142;
}

void TestEditorWindow::shaftBoxes()
{
    QFETCH(QStringList, clicks);
    QFETCH(QStringList, checked);
    QFETCH(int, red);
    QFETCH(int, green);
    QFETCH(int, blue);
    EditorState state;
    state.shaft_rgb = {1, 2, 3};
    auto editor = openFor(TipKind::Ball, state);
    QVERIFY(QTest::qWaitForWindowExposed(editor.get()));

    for (const QString &name : clicks) {
        QTest::mouseClick(child(editor.get(), qPrintable(name)), Qt::LeftButton);
    }
    for (const char *name : {"Check_SS", "Check_KFS", "Check_ks"}) {
        QVERIFY2(child<QCheckBox>(editor.get(), name)->isChecked() == checked.contains(QLatin1String(name)), name);
    }
    QCOMPARE(state.shaft_rgb, (Rgb{red, green, blue}));
}

void TestEditorWindow::ballOptionsAreOneGroup()
{
    EditorState state;
    auto editor = openFor(TipKind::Ball, state);
    QVERIFY(QTest::qWaitForWindowExposed(editor.get()));
    const struct
    {
        const char *name;
        BallMaterial material;
    } options[] = {{"Option_HK", BallMaterial::HardMetal},
                   {"Option_RK", BallMaterial::Ruby},
                   {"Option_kk", BallMaterial::Ceramic}};
    for (const auto &chosen : options) {
        QTest::mouseClick(child(editor.get(), chosen.name), Qt::LeftButton);
        for (const auto &option : options) {
            const bool expected = option.material == chosen.material;
            QVERIFY2(child<QRadioButton>(editor.get(), option.name)->isChecked() == expected, option.name);
            QCOMPARE(editor->isBallMaterialSelected(option.material), expected);
        }
    }
}

void TestEditorWindow::portReadsTheNamedControls_data()
{
    QTest::addColumn<int>("field");
    QTest::addColumn<QString>("input");
    QTest::addColumn<int>("kind"); // a kind that enables the field
    QTest::newRow("L1") << int(DimensionField::L1) << "txt_L1" << 1;
    QTest::newRow("L2") << int(DimensionField::L2) << "txt_l2" << 1;
    QTest::newRow("L3") << int(DimensionField::L3) << "txt_l3" << 1;
    QTest::newRow("D1") << int(DimensionField::D1) << "txt_d1" << 1;
    QTest::newRow("D2") << int(DimensionField::D2) << "txt_d2" << 1;
    QTest::newRow("Kugeldurchmesser") << int(DimensionField::BallDiameter) << "txt_kd" << 1;
    QTest::newRow("Länge") << int(DimensionField::Length) << "txt_l" << 4;
    QTest::newRow("Breite") << int(DimensionField::Width) << "txt_b" << 4;
    QTest::newRow("L4") << int(DimensionField::L4) << "txt_l4" << 2;
}

void TestEditorWindow::portReadsTheNamedControls()
{
    QFETCH(int, field);
    QFETCH(QString, input);
    QFETCH(int, kind);
    EditorState state;
    auto editor = openFor(TipKind(kind), state);
    QVERIFY(QTest::qWaitForWindowExposed(editor.get()));
    // Every field gets its own text, so that a mix-up shows.
    for (const InputEntry &entry : kInputs) {
        if (auto *text = child<QLineEdit>(editor.get(), entry.input); text && text->isEnabled()) {
            QTest::keyClicks(text, QLatin1String(entry.input));
        }
    }
    const auto dimension = DimensionField(field);
    QCOMPARE(editor->dimensionText(dimension), input);
    QVERIFY(editor->isDimensionEnabled(dimension));

    editor->clearDimension(dimension);
    QVERIFY(child<QLineEdit>(editor.get(), qPrintable(input))->text().isEmpty());
    for (const InputEntry &entry : kInputs) {
        auto *text = child<QLineEdit>(editor.get(), entry.input);
        if (text && text->isEnabled() && input != QLatin1String(entry.input)) {
            QCOMPARE(text->text(), QLatin1String(entry.input)); // the others keep their text
        }
    }

    // The cube disables every dimension but L1.
    EditorState cubeState;
    auto cube = openFor(TipKind::Cube, cubeState);
    QCOMPARE(cube->isDimensionEnabled(dimension), dimension == DimensionField::L1);
}

void TestEditorWindow::portReadsTheOtherControls()
{
    EditorState state;
    auto editor = openFor(TipKind::Cylinder, state);
    QVERIFY(QTest::qWaitForWindowExposed(editor.get()));
    QTest::keyClicks(child(editor.get(), "txt_id"), u"Name 1"_s);
    child<QComboBox>(editor.get(), "cb_gew")->setCurrentIndex(4);
    QCOMPARE(editor->nameText(), u"Name 1"_s);
    QCOMPARE(editor->threadText(), u"KARVO1"_s);
    QVERIFY(editor->thread2Text().isEmpty());

    QVERIFY(!editor->isWithoutHalfSphere());
    QTest::mouseClick(child(editor.get(), "Check_zyl"), Qt::LeftButton);
    QVERIFY(editor->isWithoutHalfSphere());

    QTemporaryDir folder;
    QVERIFY(child<FolderList>(editor.get(), "Dir1")->setPath(folder.path()));
    QCOMPARE(editor->folder(), QDir::cleanPath(folder.path()));

    editor->closeEditor();
    QVERIFY(!editor->isVisible());
}

void TestEditorWindow::closesWithoutWriting_data()
{
    QTest::addColumn<bool>("closeBox");
    QTest::newRow("Abbrechen") << false;
    QTest::newRow("close box") << true;
}

void TestEditorWindow::closesWithoutWriting()
{
    QFETCH(bool, closeBox);
    QTemporaryDir folder;
    EditorState state;
    state.shaft_rgb = {1, 2, 3};
    state.ball_rgb = {4, 5, 6};
    auto *editor = new EditorWindow(TipKind::Ball, state, QLocale::c());
    QPointer<EditorWindow> alive(editor);
    editor->show();
    QVERIFY(QTest::qWaitForWindowExposed(editor));
    QTest::keyClicks(child(editor, "txt_id"), u"TIP"_s);
    child<QComboBox>(editor, "cb_gew")->setCurrentIndex(1);
    for (const char *field : {"txt_L1", "txt_l2", "txt_l3", "txt_d1", "txt_d2", "txt_kd"}) {
        QTest::keyClicks(child(editor, field), u"5"_s);
    }
    QTest::mouseClick(child(editor, "Option_kk"), Qt::LeftButton);
    QVERIFY(child<FolderList>(editor, "Dir1")->setPath(folder.path()));

    BoxAnswerer answerer;
    if (closeBox) {
        QCloseEvent event; // what the window's close box sends
        QApplication::sendEvent(editor->windowHandle(), &event);
    } else {
        QTest::mouseClick(child(editor, "cmd_abr"), Qt::LeftButton);
    }
    QTest::qWait(50);
    QVERIFY(answerer.boxes().isEmpty());
    QVERIFY(!alive || !alive->isVisible());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!alive); // discarded with all its inputs
    QVERIFY(QDir(folder.path()).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden));
    QCOMPARE(state.ball_rgb, (Rgb{4, 5, 6})); // the Create command did not run
}

void TestEditorWindow::enterAndEscapeDoNothing_data()
{
    QTest::addColumn<QString>("focus");
    QTest::addColumn<int>("key");
    for (const char *focus : {"txt_id", "cb_gew", "txt_kd", "Check_SS", "Option_HK", "Dir1"}) {
        QTest::addRow("Enter in %s", focus) << QString::fromLatin1(focus) << int(Qt::Key_Return);
        QTest::addRow("Escape in %s", focus) << QString::fromLatin1(focus) << int(Qt::Key_Escape);
    }
}

void TestEditorWindow::enterAndEscapeDoNothing()
{
    QFETCH(QString, focus);
    QFETCH(int, key);
    QTemporaryDir folder;
    EditorState state;
    auto *editor = new EditorWindow(TipKind::Cube, state, QLocale::c());
    QPointer<EditorWindow> alive(editor);
    editor->show();
    QVERIFY(QTest::qWaitForWindowActive(editor));
    QTest::keyClicks(child(editor, "txt_id"), u"TIP"_s);
    child<QComboBox>(editor, "cb_gew")->setCurrentIndex(1);
    QTest::keyClicks(child(editor, "txt_L1"), u"5"_s);
    QVERIFY(child<FolderList>(editor, "Dir1")->setPath(folder.path()));
    const QString folderBefore = editor->folder();

    child(editor, qPrintable(focus))->setFocus();
    BoxAnswerer answerer;
    QTest::keyClick(editor->windowHandle(), Qt::Key(key));
    QTest::qWait(50);
    QVERIFY(answerer.boxes().isEmpty());
    QVERIFY(alive && alive->isVisible());
    QCOMPARE(editor->folder(), folderBefore);
    QVERIFY(QDir(folder.path()).isEmpty());
    editor->close();
}

void TestEditorWindow::startFocusAndTabOrder_data()
{
    // Tab from the name field visits these, skipping what the kind disables or hides. The ball
    // material buttons are one group and one stop; with none chosen it is the first.
    QTest::addColumn<int>("kind");
    QTest::addColumn<QStringList>("order");
    const QStringList ball = {u"cb_gew"_s,    u"txt_L1"_s,   u"txt_l2"_s,  u"txt_l3"_s, u"txt_d1"_s,    u"txt_d2"_s,
                              u"txt_kd"_s,    u"cmd_load"_s, u"Drive1"_s,  u"Dir1"_s,   u"Option_HK"_s, u"Check_SS"_s,
                              u"Check_KFS"_s, u"Check_ks"_s, u"cmd_abr"_s, u"txt_id"_s};
    const QStringList cylinder = {u"cb_gew"_s,   u"txt_L1"_s,    u"txt_l2"_s,    u"txt_l3"_s,   u"txt_d1"_s,
                                  u"txt_d2"_s,   u"txt_kd"_s,    u"cmd_load"_s,  u"Drive1"_s,   u"Dir1"_s,
                                  u"txt_l4"_s,   u"Check_zyl"_s, u"Option_HK"_s, u"Check_SS"_s, u"Check_KFS"_s,
                                  u"Check_ks"_s, u"cmd_abr"_s,   u"txt_id"_s};
    const QStringList extension = {u"cb_gew"_s,  u"txt_d1"_s,    u"txt_l"_s,    u"cmd_load"_s,  u"Drive1"_s,
                                   u"Dir1"_s,    u"Option_HK"_s, u"Check_SS"_s, u"Check_KFS"_s, u"Check_ks"_s,
                                   u"cb_gew2"_s, u"cmd_abr"_s,   u"txt_id"_s};
    QTest::newRow("ball") << 1 << ball;
    QTest::newRow("cylinder") << 2 << cylinder;
    QTest::newRow("extension") << 6 << extension;
}

void TestEditorWindow::startFocusAndTabOrder()
{
    QFETCH(int, kind);
    QFETCH(QStringList, order);
    EditorState state;
    auto editor = openFor(TipKind(kind), state);
    QVERIFY(QTest::qWaitForWindowActive(editor.get()));
    QCOMPARE(focusedControl(), u"txt_id"_s);

    QStringList visited;
    for (int i = 0; i < order.size(); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        visited.append(focusedControl());
    }
    QCOMPARE(visited, order);

    // The whole chain, whatever the kind disables or hides.
    const QStringList all = {u"txt_id"_s,    u"cb_gew"_s,    u"txt_L1"_s,    u"txt_l2"_s,   u"txt_l3"_s,
                             u"txt_d1"_s,    u"txt_d2"_s,    u"txt_kd"_s,    u"txt_l"_s,    u"txt_b"_s,
                             u"cmd_load"_s,  u"Drive1"_s,    u"Dir1"_s,      u"txt_l4"_s,   u"Check_zyl"_s,
                             u"Option_HK"_s, u"Option_RK"_s, u"Option_kk"_s, u"Check_SS"_s, u"Check_KFS"_s,
                             u"Check_ks"_s,  u"cb_gew2"_s,   u"cmd_abr"_s};
    QStringList chain;
    QWidget *start = child(editor.get(), "txt_id");
    for (QWidget *widget = start; chain.size() < all.size();) {
        if (all.contains(widget->objectName()) && !chain.contains(widget->objectName())) {
            chain.append(widget->objectName());
        }
        widget = widget->nextInFocusChain();
        if (widget == start) {
            break;
        }
    }
    QCOMPARE(chain, all);
}

void TestEditorWindow::messageBoxes_data()
{
    QTest::addColumn<bool>("error");
    QTest::addColumn<int>("icon");
    QTest::newRow("error") << true << int(QMessageBox::Critical);
    QTest::newRow("success") << false << int(QMessageBox::NoIcon);
}

void TestEditorWindow::messageBoxes()
{
    QFETCH(bool, error);
    QFETCH(int, icon);
    QWidget owner;
    owner.show();
    MessageBoxSink sink(&owner);
    BoxAnswerer answerer;
    const QString text = u"Nachricht äöü"_s;
    if (error) {
        sink.showError(text);
    } else {
        sink.showSuccess(text);
    }
    QCOMPARE(answerer.boxes().size(), 1);
    const SeenBox &box = answerer.boxes().constFirst();
    QCOMPARE(box.text, text);
    QCOMPARE(int(box.icon), icon);
    QCOMPARE(box.title, u"Merivox"_s);
    QCOMPARE(box.buttonCount, 1);
    QVERIFY(box.ok);
    QVERIFY(box.modal);
    owner.close();
}

QTEST_MAIN(TestEditorWindow)
#include "tst_editorwindow.moc"
