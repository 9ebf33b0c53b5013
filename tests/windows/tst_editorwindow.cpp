#include "CreateCommand.h"
#include "DriveList.h"
#include "EditorWindow.h"
#include "FolderList.h"
#include "PictureLabel.h"
#include "Pictures.h"
#include "PreviewWindow.h"
#include "WindowTestSupport.h"

#include <QAccessible>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QStorageInfo>
#include <QTemporaryDir>
#include <QtTest>

using namespace merivox;
using namespace merivox::test;
using namespace Qt::StringLiterals;

namespace {

// The inputs top to bottom, each with its label.
const std::pair<const char *, const char *> kInputs[] = {
    {"txt_id", "Label7"}, {"cb_gew", "Label10"}, {"cb_gew2", "Label15"}, {"txt_L1", "Label2"},
    {"txt_l2", "Label5"}, {"txt_l3", "Label3"},  {"txt_l4", "Label11"},  {"txt_d1", "Label6"},
    {"txt_d2", "Label4"}, {"txt_kd", "Label1"},  {"txt_l", "Label8"},    {"txt_b", "Label9"},
};
const char *const kDrawings[] = {"image_kd", "Image_zyl", "Image_HK", "Image_disk", "Image_wuerf", "Image_verl"};

// An editor that the test owns, shown.
std::unique_ptr<EditorWindow> openEditor(TipKind kind, EditorState &state)
{
    auto editor = std::make_unique<EditorWindow>(kind, state, QLocale::c());
    editor->setAttribute(Qt::WA_DeleteOnClose, false);
    editor->show();
    return editor;
}

// Every input of an editor in one text, in the order the editor reads them: each text that is not
// empty as "name=text", each ticked box or selected option by its name, joined by ";".
QString inputsOf(const QWidget *editor)
{
    QStringList shown;
    for (const auto &[input, label] : kInputs) {
        const QWidget *widget = child(editor, input);
        const QString text = qobject_cast<const QComboBox *>(widget)
                                 ? static_cast<const QComboBox *>(widget)->currentText()
                                 : static_cast<const QLineEdit *>(widget)->text();
        if (!text.isEmpty()) {
            shown.append(QLatin1String(input) + u'=' + text);
        }
    }
    for (const char *name : {"Check_zyl", "Check_SS", "Check_KFS", "Check_ks", "Option_HK", "Option_RK", "Option_kk"}) {
        if (child<QAbstractButton>(editor, name)->isChecked()) {
            shown.append(QLatin1String(name));
        }
    }
    return shown.join(u';');
}

// The operator types and ticks what inputsOf() would show: key by key, box by box, so that what
// the editor does not take (a disabled field) stays out.
void typeInto(QWidget *editor, const QString &inputs)
{
    for (const QString &entry : inputs.split(u';', Qt::SkipEmptyParts)) {
        QWidget *input = child(editor, qPrintable(entry.section(u'=', 0, 0)));
        if (qobject_cast<QAbstractButton *>(input)) {
            QTest::mouseClick(input, Qt::LeftButton);
        } else {
            QTest::keyClicks(input, entry.section(u'=', 1));
        }
    }
}

// The entries of the preview's list of templates.
QStringList templateEntries(const QWidget *editor)
{
    auto *list = editor->findChild<QComboBox *>(u"vorschau_vorlage"_s);
    QStringList entries;
    for (int i = 0; list && i < list->count(); ++i) {
        entries.append(list->itemText(i));
    }
    return entries;
}

// What the list names a kept input by: when "Erstellen" wrote nothing.
QString keptTitle(const QTime &time)
{
    return u"Letzte Eingabe, nicht geschrieben (%1 Uhr)"_s.arg(time.toString(u"HH:mm"_s));
}

// The operator chooses the list's first entry from the keyboard: F6 into the preview, arrow down.
void chooseFirstTemplate(QWidget *editor)
{
    auto *list = editor->findChild<QComboBox *>(u"vorschau_vorlage"_s);
    QVERIFY(QTest::qWaitForWindowActive(editor));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_F6);
    QTRY_COMPARE(QApplication::focusWidget(), list);
    QTest::keyClick(list, Qt::Key_Down);
    QCOMPARE(list->currentIndex(), 0);
}

// The operator picks the entry at index from the drive list.
void choose(DriveList *drives, int index)
{
    drives->setCurrentIndex(index);
    emit drives->activated(index);
}

} // namespace

class TestEditorWindow final : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QApplication::setApplicationName(u"Merivox"_s); }
    void cleanup() { QCOMPARE(closeWindowsLeftOpen(), QStringList()); }

    void layoutPerKind_data();
    void layoutPerKind();
    void drawingLooksAsAPixmap_data() { layoutPerKind_data(); }
    void drawingLooksAsAPixmap();
    void keyboardOrder_data();
    void keyboardOrder();
    void startsEmpty();
    void shaftBoxes_data();
    void shaftBoxes();
    void closesWithoutWriting_data();
    void closesWithoutWriting();
    void folderListClicks_data();
    void folderListClicks();
    void unreadableDriveKeepsFolder();
    void choosingTheShownDriveAgainKeepsTheFolder();
    void driveListFollowsTheFolderList();
    void lastInputPerKind_data();
    void lastInputPerKind();
    void lastInputAfterEachOutcome_data();
    void lastInputAfterEachOutcome();

private:
    EditorState m_state;
};

void TestEditorWindow::layoutPerKind_data()
{
    // One letter per input of kInputs, top to bottom: E enabled, D disabled.
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("enabled");
    QTest::addColumn<QString>("drawing");
    QTest::addColumn<bool>("withoutHalfSphereShown");
    QTest::newRow("ball") << 1 << "EEDEEEDEEEDD"
                          << "image_kd" << false;
    QTest::newRow("cylinder") << 2 << "EEDEEEEEEEDD"
                              << "Image_zyl" << true;
    QTest::newRow("half sphere") << 3 << "EEDEEEDEEEDD"
                                 << "Image_HK" << false;
    QTest::newRow("disc") << 4 << "EEDEEEDEEDEE"
                          << "Image_disk" << false;
    QTest::newRow("cube") << 5 << "EEDEDDDDDDDD"
                          << "Image_wuerf" << false;
    QTest::newRow("extension") << 6 << "EEEDDDDEDDED"
                               << "Image_verl" << false;
}

void TestEditorWindow::layoutPerKind()
{
    QFETCH(int, kind);
    QFETCH(QString, enabled);
    QFETCH(QString, drawing);
    QFETCH(bool, withoutHalfSphereShown);
    auto editor = openEditor(TipKind(kind), m_state);
    QVERIFY(QTest::qWaitForWindowExposed(editor.get()));
    QCOMPARE(tipTypeText(m_state.tip_type), QString::number(kind));
    // What the Create command learns from the editor is what the kind's description says.
    for (const DimensionField field : kDimensionFields) {
        QCOMPARE(editor->isDimensionEnabled(field), findTipKind(TipKind(kind))->dimensions.contains(field));
    }
    for (int i = 0; i < int(std::size(kInputs)); ++i) {
        const auto [input, label] = kInputs[i];
        for (const char *name : {input, label}) {
            QVERIFY2(child(editor.get(), name)->isVisible(), name);
            QVERIFY2(child(editor.get(), name)->isEnabled() == (enabled.at(i) == u'E'), name);
        }
    }
    for (const char *name : kDrawings) {
        QVERIFY2(child(editor.get(), name)->isVisible() == (drawing == QLatin1String(name)), name);
    }
    QCOMPARE(child<PictureLabel>(editor.get(), qPrintable(drawing))->pictureName(), drawing);
    QCOMPARE(child(editor.get(), "Check_zyl")->isVisible(), withoutHalfSphereShown);
    for (const char *name : {"Check_SS", "Check_KFS", "Check_ks", "Option_HK", "Option_RK", "Option_kk", "Drive1",
                             "Dir1", "cmd_load", "cmd_abr"}) {
        QVERIFY2(child(editor.get(), name)->isVisible() && child(editor.get(), name)->isEnabled(), name);
    }
}

// The drawing, painted from its source whenever needed, looks and reads as the label holding
// its pixmap that it replaces.
void TestEditorWindow::drawingLooksAsAPixmap()
{
    QFETCH(int, kind);
    QFETCH(QString, drawing);
    auto editor = openEditor(TipKind(kind), m_state);
    QVERIFY(QTest::qWaitForWindowExposed(editor.get()));
    auto *shown = child<PictureLabel>(editor.get(), qPrintable(drawing));

    QLabel pixmap(editor.get());
    pixmap.setFrameStyle(shown->frameStyle());
    pixmap.setAlignment(shown->alignment());
    pixmap.setGeometry(shown->geometry());
    pixmap.setPixmap(renderPicture(drawing, shown->contentsRect().size(), editor->devicePixelRatioF()));
    pixmap.setAccessibleName(shown->accessibleName());
    pixmap.show();
    const auto pixels = [](QWidget *label) {
        return label->grab().toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
    };
    QCOMPARE(pixels(shown), pixels(&pixmap));

    QAccessibleInterface *read = QAccessible::queryAccessibleInterface(shown);
    QAccessibleInterface *expected = QAccessible::queryAccessibleInterface(&pixmap);
    QVERIFY(read && expected && read->imageInterface() && expected->imageInterface());
    QCOMPARE(read->role(), expected->role());
    QCOMPARE(read->text(QAccessible::Name), expected->text(QAccessible::Name));
    QCOMPARE(read->imageInterface()->imageSize(), expected->imageInterface()->imageSize());
    QCOMPARE(read->imageInterface()->imagePosition(), expected->imageInterface()->imagePosition());
}

void TestEditorWindow::keyboardOrder_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("order");
    const QString options = u"Option_HK Option_RK Option_kk Check_SS Check_KFS Check_ks"_s;
    QTest::newRow("ball") << int(TipKind::Ball)
                          << "txt_id cb_gew txt_L1 txt_l2 txt_l3 txt_d1 txt_d2 txt_kd cmd_load Drive1 Dir1 " + options +
                                 " cmd_abr";
    QTest::newRow("cylinder") << int(TipKind::Cylinder)
                              << "txt_id cb_gew txt_L1 txt_l2 txt_l3 txt_d1 txt_d2 txt_kd cmd_load Drive1 Dir1 txt_l4 "
                                 "Check_zyl " +
                                     options + " cmd_abr";
    QTest::newRow("disc") << int(TipKind::Disc)
                          << "txt_id cb_gew txt_L1 txt_l2 txt_l3 txt_d1 txt_d2 txt_l txt_b cmd_load Drive1 Dir1 " +
                                 options + " cmd_abr";
    QTest::newRow("cube") << int(TipKind::Cube) << "txt_id cb_gew txt_L1 cmd_load Drive1 Dir1 " + options + " cmd_abr";
    QTest::newRow("extension") << int(TipKind::Extension)
                               << "txt_id cb_gew txt_d1 txt_l cmd_load Drive1 Dir1 " + options + " cb_gew2 cmd_abr";
}

void TestEditorWindow::keyboardOrder()
{
    QFETCH(int, kind);
    QFETCH(QString, order);
    auto editor = openEditor(TipKind(kind), m_state);
    QVERIFY(QTest::qWaitForWindowActive(editor.get()));
    QCOMPARE(tabOrder(editor.get()), order.split(u' '));
}

void TestEditorWindow::startsEmpty()
{
    auto editor = openEditor(TipKind::Extension, m_state);
    QVERIFY(QTest::qWaitForWindowActive(editor.get()));
    QCOMPARE(QApplication::focusWidget(), child(editor.get(), "txt_id"));
    QCOMPARE(editor->windowTitle(), u"Merivox"_s);
    QVERIFY(!(editor->windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
    for (QLineEdit *field : editor->findChildren<QLineEdit *>()) {
        QVERIFY2(field->text().isEmpty(), qPrintable(field->objectName()));
    }
    for (QAbstractButton *box : editor->findChildren<QAbstractButton *>()) {
        QVERIFY2(!box->isChecked(), qPrintable(box->objectName()));
    }
    const QStringList threads = {u"M2"_s,       u"M3"_s,       u"M4"_s,           u"M8"_s,       u"KARVO1"_s,
                                 u"VELKAN1"_s,  u"VELKAN2"_s,  u"KARVO1ANALOG"_s, u"M2ANALOG"_s, u"M3ANALOG"_s,
                                 u"M4ANALOG"_s, u"M5ANALOG"_s, u"M8AANALOG"_s,    u"M5"_s};
    for (const char *name : {"cb_gew", "cb_gew2"}) {
        auto *list = child<QComboBox>(editor.get(), name);
        QCOMPARE(list->currentIndex(), -1);
        QStringList entries;
        for (int i = 0; i < list->count(); ++i) {
            entries.append(list->itemText(i));
        }
        QCOMPARE(entries, threads);
        // A typed thread is taken as typed: not completed, not added to the list, Enter creates nothing.
        list->setFocus();
        QTest::keyClicks(list, u"KARVO"_s);
        QTest::keyClick(list, Qt::Key_Return);
        QCOMPARE(list->currentText(), u"KARVO"_s);
        QCOMPARE(list->count(), int(threads.size()));
    }
    QCOMPARE(editor->threadText(), u"KARVO"_s);
    QCOMPARE(editor->folder(), QDir::cleanPath(QDir::currentPath()));
    QTest::keyClick(editor->windowHandle(), Qt::Key_Escape); // no button answers Escape either
    QVERIFY(editor->isVisible());
}

void TestEditorWindow::shaftBoxes_data()
{
    // Boxes clicked in turn; the boxes checked afterwards (S steel, K carbon fibre, C ceramic) and shaft_rgb.
    QTest::addColumn<QStringList>("clicks");
    QTest::addColumn<QString>("checked");
    QTest::addColumn<Rgb>("colour");
    QTest::newRow("none") << QStringList{} << "" << Rgb{1, 2, 3};
    QTest::newRow("steel") << QStringList{u"Check_SS"_s} << "S" << Rgb{142, 142, 142};
    QTest::newRow("carbon fibre") << QStringList{u"Check_KFS"_s} << "K" << Rgb{0, 0, 0};
    QTest::newRow("ceramic after steel") << QStringList{u"Check_SS"_s, u"Check_ks"_s} << "C" << Rgb{250, 235, 215};
    QTest::newRow("steel after carbon fibre")
        << QStringList{u"Check_KFS"_s, u"Check_SS"_s} << "S" << Rgb{142, 142, 142};
    QTest::newRow("only box unchecked") << QStringList{u"Check_ks"_s, u"Check_ks"_s} << "" << Rgb{250, 235, 215};
}

void TestEditorWindow::shaftBoxes()
{
    QFETCH(QStringList, clicks);
    QFETCH(QString, checked);
    QFETCH(Rgb, colour);
    m_state.shaft_rgb = {1, 2, 3};
    auto editor = openEditor(TipKind::Ball, m_state);
    for (const QString &name : clicks) {
        QTest::mouseClick(child(editor.get(), qPrintable(name)), Qt::LeftButton);
    }
    QCOMPARE(child<QCheckBox>(editor.get(), "Check_SS")->isChecked(), checked == u"S"_s);
    QCOMPARE(child<QCheckBox>(editor.get(), "Check_KFS")->isChecked(), checked == u"K"_s);
    QCOMPARE(child<QCheckBox>(editor.get(), "Check_ks")->isChecked(), checked == u"C"_s);
    QCOMPARE(m_state.shaft_rgb, colour);
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
    QPointer<EditorWindow> editor = new EditorWindow(TipKind::Cube, m_state, QLocale::c());
    editor->show();
    QTest::keyClicks(child(editor, "txt_id"), u"TIP"_s);
    QTest::keyClicks(child(editor, "cb_gew"), u"M3"_s);
    QTest::keyClicks(child(editor, "txt_L1"), u"5"_s);
    QVERIFY(child<FolderList>(editor, "Dir1")->setPath(folder.path()));

    BoxAnswerer answerer;
    if (closeBox) {
        QCloseEvent event; // what the window's close box sends
        QApplication::sendEvent(editor->windowHandle(), &event);
    } else {
        QTest::mouseClick(child(editor, "cmd_abr"), Qt::LeftButton);
    }
    QTest::qWait(30);
    QVERIFY(answerer.boxes().isEmpty());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!editor); // discarded with its inputs
    QVERIFY(QDir(folder.path()).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden));
}

void TestEditorWindow::folderListClicks_data()
{
    QTest::addColumn<QString>("target"); // below the temporary folder; "." is the folder itself
    QTest::addColumn<bool>("doubleClick");
    QTest::addColumn<QString>("opened");
    QTest::newRow("double click on a subfolder") << "top/beta" << true << "top/beta";
    QTest::newRow("single click on a subfolder") << "top/beta" << false << "top";
    QTest::newRow("double click on the parent") << "." << true << ".";
    QTest::newRow("single click on the parent") << "." << false << "top";
}

void TestEditorWindow::folderListClicks()
{
    QFETCH(QString, target);
    QFETCH(bool, doubleClick);
    QFETCH(QString, opened);
    QTemporaryDir root;
    for (const QString &sub : {u"top/alpha"_s, u"top/beta/inner"_s}) {
        QVERIFY(QDir(root.path()).mkpath(sub));
    }
    auto editor = openEditor(TipKind::Ball, m_state);
    QVERIFY(QTest::qWaitForWindowExposed(editor.get()));
    auto *list = child<FolderList>(editor.get(), "Dir1");
    QVERIFY(list->setPath(root.filePath(u"top"_s)));

    const QString targetPath = QDir::cleanPath(root.filePath(target));
    QTreeWidgetItem *item = nullptr;
    for (QTreeWidgetItemIterator it(list); *it && !item; ++it) {
        item = FolderList::folderOf(*it) == targetPath ? *it : nullptr;
    }
    QVERIFY(item);
    list->scrollToItem(item);
    const QPoint at = list->visualItemRect(item).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
    if (doubleClick) { // the second press of a double click
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
    }
    QCOMPARE(editor->folder(), QDir::cleanPath(root.filePath(opened)));
    QCOMPARE(FolderList::folderOf(list->currentItem()), targetPath); // highlighted either way
}

void TestEditorWindow::unreadableDriveKeepsFolder()
{
    QTemporaryDir folder;
    auto editor = openEditor(TipKind::Ball, m_state);
    auto *drives = child<DriveList>(editor.get(), "Drive1");
    QVERIFY(child<FolderList>(editor.get(), "Dir1")->setPath(folder.path()));
    BoxAnswerer answerer;
    drives->addItem(u"gone"_s, folder.filePath(u"no-medium"_s));
    choose(drives, drives->count() - 1);
    QTest::qWait(30);
    QCOMPARE(drives->currentText(), u"gone"_s);
    QCOMPARE(editor->folder(), QDir::cleanPath(folder.path()));
    QVERIFY(answerer.boxes().isEmpty());

    drives->addItem(u"other"_s, folder.path()); // a readable volume opens at its root
    QVERIFY(child<FolderList>(editor.get(), "Dir1")->setPath(QDir::tempPath()));
    choose(drives, drives->count() - 1);
    QCOMPARE(editor->folder(), QDir::cleanPath(folder.path()));
}

void TestEditorWindow::choosingTheShownDriveAgainKeepsTheFolder()
{
    auto editor = openEditor(TipKind::Ball, m_state);
    auto *drives = child<DriveList>(editor.get(), "Drive1");
    QVERIFY(drives->currentIndex() >= 0);               // the volume of the working folder
    QCOMPARE(drives->toolTip(), drives->currentText()); // the whole name, which the closed list shortens
    const QString opened = QDir::cleanPath(QDir::current().absoluteFilePath(u".."_s));
    QVERIFY(child<FolderList>(editor.get(), "Dir1")->setPath(opened));
    // The operator opens the list and takes the entry shown, with the keyboard and with the mouse.
    drives->showPopup();
    QTRY_VERIFY(drives->view()->isVisible());
    QTest::keyClick(drives->view(), Qt::Key_Return);
    QTRY_VERIFY(!drives->view()->isVisible());
    QCOMPARE(editor->folder(), opened);
    choose(drives, drives->currentIndex());
    QCOMPARE(editor->folder(), opened);
}

void TestEditorWindow::driveListFollowsTheFolderList()
{
    // /proc is a volume of its own that the drive list leaves out until the operator goes there.
    if (QStorageInfo(u"/proc"_s).rootPath() != u"/proc"_s) {
        QSKIP("no separate /proc volume here");
    }
    auto editor = openEditor(TipKind::Ball, m_state);
    auto *drives = child<DriveList>(editor.get(), "Drive1");
    QVERIFY(child<FolderList>(editor.get(), "Dir1")->setPath(u"/proc"_s));
    QCOMPARE(drives->currentData().toString(), u"/proc"_s);
    choose(drives, drives->findData(QStorageInfo(QDir::currentPath()).rootPath()));
    QCOMPARE(editor->folder(), QDir::currentPath());
}

void TestEditorWindow::lastInputPerKind_data()
{
    // What the operator types (as inputsOf() shows it), the fields that the failed check empties, and
    // the shaft colour that the typed shaft box sets again ({1, 2, 3}: no box).
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QStringList>("emptied");
    QTest::addColumn<Rgb>("shaft");
    QTest::newRow("ball, no name and 4x0")
        << int(TipKind::Ball)
        << u"cb_gew=M3;txt_L1=10;txt_l2=15;txt_l3=4x0;txt_d1=4;txt_d2=2;txt_kd=3;Check_SS;Option_RK"_s
        << QStringList{u"txt_l3"_s} << Rgb{142, 142, 142};
    QTest::newRow("cylinder, L4 with a letter")
        << int(TipKind::Cylinder)
        << u"txt_id=Zyl D2 L30;cb_gew=M2;txt_L1=5;txt_l2=10;txt_l3=20;txt_l4=3O;txt_d1=3;txt_d2=2;txt_kd= 1 ;"
           u"Check_zyl;Check_KFS;Option_HK"_s
        << QStringList{u"txt_l4"_s} << Rgb{0, 0, 0};
    QTest::newRow("half sphere, L2 left empty")
        << int(TipKind::HalfSphere)
        << u"txt_id=HK 4;cb_gew=M 3;txt_L1=5;txt_l3=20;txt_d1=4;txt_d2=2;txt_kd=8;Option_kk"_s << QStringList()
        << Rgb{1, 2, 3};
    QTest::newRow("disc, two dimensions wrong")
        << int(TipKind::Disc)
        << u"txt_id=Scheibe;cb_gew=KARVO1;txt_L1=5;txt_l2=10;txt_l3=4x0;txt_d1=4;txt_d2=2;txt_l=2;txt_b=1/2;Check_ks"_s
        << QStringList{u"txt_l3"_s, u"txt_b"_s} << Rgb{250, 235, 215};
    QTest::newRow("cube, no thread") << int(TipKind::Cube) << u"txt_id=W10;txt_L1=4x0;Check_SS;Option_HK"_s
                                     << QStringList{u"txt_L1"_s} << Rgb{142, 142, 142};
    QTest::newRow("extension, D1 wrong") << int(TipKind::Extension)
                                         << u"txt_id=Verl 50;cb_gew=M3;cb_gew2=M4;txt_d1=x;txt_l=50;Check_ks"_s
                                         << QStringList{u"txt_d1"_s} << Rgb{250, 235, 215};
}

// A failed "Erstellen" of each kind, then the next opening of that kind: empty, and the list's
// first entry puts back every input as it was typed, before the failed fields were emptied.
void TestEditorWindow::lastInputPerKind()
{
    QFETCH(int, kind);
    QFETCH(QString, typed);
    QFETCH(QStringList, emptied);
    QFETCH(Rgb, shaft);
    m_state.unwritten.clear();
    QTemporaryDir folder; // without usrprobe.dat: the file offers no template
    auto editor = openEditor(TipKind(kind), m_state);
    QVERIFY(child<FolderList>(editor.get(), "Dir1")->setPath(folder.path()));
    typeInto(editor.get(), typed);
    QCOMPARE(inputsOf(editor.get()), typed);
    const QTime before = QTime::currentTime();
    {
        BoxAnswerer answerer; // confirms the error boxes
        QTest::mouseClick(child(editor.get(), "cmd_load"), Qt::LeftButton);
    }
    const QTime after = QTime::currentTime();
    QVERIFY(!editor->isVisible());
    QVERIFY(QDir(folder.path()).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden));
    QStringList left = typed.split(u';');
    left.removeIf([&](const QString &entry) { return emptied.contains(entry.section(u'=', 0, 0)); });
    QCOMPARE(inputsOf(editor.get()), left.join(u';')); // the failed fields are emptied, the rest stays
    editor.reset();

    auto again = openEditor(TipKind(kind), m_state);
    QVERIFY(child<FolderList>(again.get(), "Dir1")->setPath(folder.path()));
    const QStringList entries = templateEntries(again.get());
    QCOMPARE(entries.size(), 1);
    QVERIFY2(entries.first() == keptTitle(before) || entries.first() == keptTitle(after), qPrintable(entries.first()));
    PreviewWindow *preview = again->findChild<PreviewWindow *>(u"Vorschau"_s);
    QTRY_VERIFY(preview->isVisible());
    QVERIFY(child(preview, "vorschau_vorlage_titel")->isVisible());
    QCOMPARE(inputsOf(again.get()), QString()); // nothing filled before the operator chooses

    // The operator had begun otherwise; the entry replaces it all, the name too.
    QTest::keyClicks(child(again.get(), "txt_id"), u"anders"_s);
    QTest::mouseClick(child(again.get(), "Option_HK"), Qt::LeftButton);
    m_state.shaft_rgb = {1, 2, 3};
    chooseFirstTemplate(again.get());
    QCOMPARE(inputsOf(again.get()), typed);
    QCOMPARE(m_state.shaft_rgb, shaft);
    QVERIFY(child(preview, "vorschau_vorlagenhinweise")->isHidden());
    again->close();
}

void TestEditorWindow::lastInputAfterEachOutcome_data()
{
    // What usrprobe.dat is before: "record" one cube entry TIP M3 written by the editor, "folder" a
    // folder of that name, "none" absent. Then the button the operator clicks and the answer to the
    // question; the boxes shown ("question", "error" or the text); and the entries the next opening
    // lists, "new" standing for the input just kept, "old" for an older one.
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("answer");
    QTest::addColumn<QStringList>("boxes");
    QTest::addColumn<QStringList>("entries");
    const QString written = u"TIP – M3 (Zeile 1)"_s;
    const QString success = u"Würfel wurde erfolgreich erstellt"_s;
    const QStringList question = {u"question"_s};
    QTest::newRow("Abbrechen in the question") << "record"
                                               << "cmd_load"
                                               << "Abbrechen" << question << QStringList{u"new"_s, written};
    QTest::newRow("Esc in the question") << "record"
                                         << "cmd_load"
                                         << "Esc" << question << QStringList{u"new"_s, written};
    QTest::newRow("Trotzdem anhängen") << "record"
                                       << "cmd_load"
                                       << "Trotzdem anhängen" << question + QStringList{success}
                                       << QStringList{written, u"TIP – M3 (Zeile 15)"_s};
    QTest::newRow("append failed") << "folder"
                                   << "cmd_load"
                                   << "" << QStringList{u"error"_s} << QStringList{u"new"_s};
    QTest::newRow("written") << "none"
                             << "cmd_load"
                             << "" << QStringList{success} << QStringList{written};
    QTest::newRow("editor's Abbrechen") << "none"
                                        << "cmd_abr"
                                        << "" << QStringList() << QStringList{u"old"_s};
}

// Only an "Erstellen" that wrote nothing keeps its input; one that wrote lets go of an older one.
void TestEditorWindow::lastInputAfterEachOutcome()
{
    QFETCH(QString, file);
    QFETCH(QString, button);
    QFETCH(QString, answer);
    QFETCH(QStringList, boxes);
    QFETCH(QStringList, entries);
    const QString typed = u"txt_id=TIP;cb_gew=M3;txt_L1=5;Check_KFS;Option_kk"_s;
    QTemporaryDir folder;
    QFile dat(folder.filePath(u"usrprobe.dat"_s));
    if (file == u"folder"_s) {
        QVERIFY(QDir(folder.path()).mkdir(u"usrprobe.dat"_s));
    } else if (file == u"record"_s) {
        auto first = openEditor(TipKind::Cube, m_state);
        QVERIFY(child<FolderList>(first.get(), "Dir1")->setPath(folder.path()));
        typeInto(first.get(), typed);
        BoxAnswerer answerer;
        QTest::mouseClick(child(first.get(), "cmd_load"), Qt::LeftButton);
        QCOMPARE(answerer.boxes().size(), 1);
        QCOMPARE(answerer.boxes().first().text, u"Würfel wurde erfolgreich erstellt"_s);
    }
    const QString old = u"txt_id=ALT;cb_gew=M4;txt_L1=7"_s;
    m_state.unwritten.clear();
    m_state.unwritten[TipKind::Cube] = {u"ALT"_s, u"M4"_s, {}, {u"7"_s}, false, {}, {}, QTime(1, 2)};
    m_state.unwritten[TipKind::Ball] = {u"KUGEL"_s, u"M2"_s, {}, {}, false, {}, {}, QTime(3, 4)}; // not the cube's
    const QByteArray before = dat.open(QIODevice::ReadOnly) ? dat.readAll() : QByteArray();
    dat.close();

    auto editor = openEditor(TipKind::Cube, m_state);
    QVERIFY(child<FolderList>(editor.get(), "Dir1")->setPath(folder.path()));
    typeInto(editor.get(), typed);
    const QTime start = QTime::currentTime();
    QStringList shown;
    {
        BoxAnswerer answerer(answer);
        QTest::mouseClick(child(editor.get(), qPrintable(button)), Qt::LeftButton);
        for (const SeenBox &box : answerer.boxes()) {
            const bool isQuestion = box.icon == QMessageBox::Question;
            shown << (isQuestion ? u"question"_s : box.icon == QMessageBox::Critical ? u"error"_s : box.text);
            if (isQuestion) { // the command's text, in the editor's own box
                QCOMPARE(box.title, u"Merivox"_s);
                QCOMPARE(box.text, sameEntryQuestion(u"TIP"_s, u"M3"_s, {1, 1}));
                QCOMPARE(box.buttons, (QStringList{u"Abbrechen (default, Esc)"_s, u"Trotzdem anhängen"_s}));
            }
        }
    }
    const QTime end = QTime::currentTime();
    QCOMPARE(shown, boxes);
    QVERIFY(!editor->isVisible());
    const bool kept = entries.first() == u"new"_s || entries.first() == u"old"_s;
    const QByteArray after = dat.open(QIODevice::ReadOnly) ? dat.readAll() : QByteArray();
    if (kept || file == u"record"_s) {
        QCOMPARE(after, kept ? before : before + before); // nothing written, or the same record once more
    } else {
        QVERIFY(after.size() > before.size());
    }

    editor = openEditor(TipKind::Cube, m_state);
    QVERIFY(child<FolderList>(editor.get(), "Dir1")->setPath(folder.path()));
    QTRY_COMPARE(templateEntries(editor.get()).size(), entries.size()); // the file's templates come later
    QStringList listed = templateEntries(editor.get());
    if (listed.first() == keptTitle(start) || listed.first() == keptTitle(end)) {
        listed.first() = u"new"_s;
    } else if (listed.first() == keptTitle(QTime(1, 2))) {
        listed.first() = u"old"_s;
    }
    QCOMPARE(listed, entries);
    if (kept) {
        chooseFirstTemplate(editor.get());
        QCOMPARE(inputsOf(editor.get()), entries.first() == u"new"_s ? typed : old);
    }
    editor->close();
}

QTEST_MAIN(TestEditorWindow)
#include "tst_editorwindow.moc"
