#include "CreateCommand.h"
#include "DriveList.h"
#include "EditorWindow.h"
#include "FolderList.h"
#include "WindowTestSupport.h"

#include <QDir>
#include <QFileInfo>
#include <QStorageInfo>
#include <QTemporaryDir>
#include <QtTest>

using namespace merivox;
using namespace merivox::test;
using namespace Qt::StringLiterals;

namespace {

QTreeWidgetItem *itemFor(const FolderList &list, const QString &folder)
{
    for (QTreeWidgetItemIterator it(const_cast<FolderList *>(&list)); *it; ++it) {
        if (FolderList::folderOf(*it) == QDir::cleanPath(folder)) {
            return *it;
        }
    }
    return nullptr;
}

QStringList listedFolders(const FolderList &list)
{
    QStringList folders;
    for (QTreeWidgetItemIterator it(const_cast<FolderList *>(&list)); *it; ++it) {
        folders.append(FolderList::folderOf(*it));
    }
    return folders;
}

int depthOf(const QTreeWidgetItem *item)
{
    int depth = 0;
    for (; item->parent(); item = item->parent()) {
        ++depth;
    }
    return depth;
}

} // namespace

class TestFolderLists final : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void showsChainAndSubfolders();
    void clicks_data();
    void clicks();
    void unreadableFolderKeepsList();
    void driveListOffersVolumes();
    void choosingDriveOpensItsFolder();
    void unreadableDriveKeepsFolderSilently();

private:
    std::unique_ptr<QTemporaryDir> m_root;
    QString m_top; // m_root/top with the subfolders alpha, beta (holding inner) and Gamma
};

void TestFolderLists::init()
{
    m_root = std::make_unique<QTemporaryDir>();
    QVERIFY(m_root->isValid());
    m_top = QDir::cleanPath(m_root->filePath(u"top"_s));
    for (const char *sub : {"top/beta/inner", "top/alpha", "top/Gamma"}) {
        QVERIFY(QDir(m_root->path()).mkpath(QString::fromLatin1(sub)));
    }
    QFile file(m_top + u"/not-a-folder.txt"_s);
    QVERIFY(file.open(QIODevice::WriteOnly));
}

void TestFolderLists::cleanup()
{
    const QStringList left = windowsLeftOpen();
    closeAllWindows();
    QVERIFY2(left.isEmpty(), qPrintable(left.join(u", ")));
}

void TestFolderLists::showsChainAndSubfolders()
{
    FolderList list;
    QSignalSpy changed(&list, &FolderList::pathChanged);
    QVERIFY(list.setPath(m_top));
    QCOMPARE(list.path(), m_top);
    QCOMPARE(changed.size(), 1);

    // From the volume root down to the open folder, then its subfolders in name order.
    QStringList chain;
    for (QDir dir(m_top);; dir.cdUp()) {
        chain.prepend(dir.absolutePath());
        if (dir.absolutePath() == QDir::cleanPath(QStorageInfo(m_top).rootPath()) || dir.isRoot()) {
            break;
        }
    }
    const QStringList expected = chain + QStringList{m_top + u"/alpha"_s, m_top + u"/beta"_s, m_top + u"/Gamma"_s};
    QCOMPARE(listedFolders(list), expected);

    QTreeWidgetItem *open = itemFor(list, m_top);
    QCOMPARE(list.currentItem(), open);
    QCOMPARE(depthOf(open), int(chain.size()) - 1);
    QCOMPARE(depthOf(itemFor(list, m_top + u"/beta"_s)), int(chain.size()));
    QCOMPARE(open->text(0), u"top"_s);
    QCOMPARE(list.topLevelItemCount(), 1);

    // Each level is indented further.
    list.resize(400, 600);
    list.show();
    QVERIFY(QTest::qWaitForWindowExposed(&list));
    const int openLeft = list.visualItemRect(open).left();
    QVERIFY(list.visualItemRect(itemFor(list, m_top + u"/alpha"_s)).left() > openLeft);
    QVERIFY(list.visualItemRect(open->parent()).left() < openLeft);
    list.close();
}

void TestFolderLists::clicks_data()
{
    QTest::addColumn<QString>("target"); // relative to top; ".." is its parent
    QTest::addColumn<bool>("doubleClick");
    QTest::addColumn<QString>("opened");
    QTest::newRow("double click on a subfolder") << "beta" << true << "beta";
    QTest::newRow("single click on a subfolder") << "beta" << false << ".";
    QTest::newRow("double click on the parent") << ".." << true << "..";
    QTest::newRow("single click on the parent") << ".." << false << ".";
    QTest::newRow("double click on the open folder") << "." << true << ".";
}

void TestFolderLists::clicks()
{
    QFETCH(QString, target);
    QFETCH(bool, doubleClick);
    QFETCH(QString, opened);
    EditorState state;
    EditorWindow editor(TipKind::Ball, state, QLocale::c());
    editor.show();
    QVERIFY(QTest::qWaitForWindowExposed(&editor));
    auto *list = child<FolderList>(&editor, "Dir1");
    QVERIFY(list->setPath(m_top));

    const QString targetFolder = QDir::cleanPath(m_top + u'/' + target);
    QTreeWidgetItem *item = itemFor(*list, targetFolder);
    QVERIFY(item);
    list->scrollToItem(item);
    const QPoint at = list->visualItemRect(item).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
    if (doubleClick) { // the second press of a double click
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
    }

    const QString expected = QDir::cleanPath(m_top + u'/' + opened);
    QCOMPARE(list->path(), expected);
    QCOMPARE(editor.folder(), expected);
    QCOMPARE(FolderList::folderOf(list->currentItem()), targetFolder); // highlighted either way
    if (doubleClick && target == u"beta"_s) {
        QVERIFY(itemFor(*list, m_top + u"/beta/inner"_s));
        QVERIFY(!itemFor(*list, m_top + u"/alpha"_s));
    }
    if (!doubleClick) {
        QVERIFY(itemFor(*list, m_top + u"/alpha"_s)); // the list is unchanged
    }
    editor.close();
}

void TestFolderLists::unreadableFolderKeepsList()
{
    FolderList list;
    QVERIFY(list.setPath(m_top));
    const QStringList before = listedFolders(list);
    QSignalSpy changed(&list, &FolderList::pathChanged);
    for (const QString &bad : {m_top + u"/missing"_s, m_top + u"/not-a-folder.txt"_s, QString()}) {
        QVERIFY2(!list.setPath(bad), qPrintable(bad));
        QCOMPARE(list.path(), m_top);
        QCOMPARE(listedFolders(list), before);
    }
    QCOMPARE(changed.size(), 0);
}

void TestFolderLists::driveListOffersVolumes()
{
    DriveList drives;
    QVERIFY(drives.count() > 0);
    QStringList roots;
    for (int i = 0; i < drives.count(); ++i) {
        const QString root = drives.itemData(i).toString();
        QVERIFY2(QFileInfo(root).isDir(), qPrintable(root));
        QVERIFY(!drives.itemText(i).isEmpty());
        QVERIFY2(!roots.contains(root), qPrintable(root));
        roots.append(root);
    }
    drives.selectVolumeOf(QDir::currentPath());
    QCOMPARE(drives.itemData(drives.currentIndex()).toString(), QStorageInfo(QDir::currentPath()).rootPath());
    QCOMPARE(drives.folderAt(drives.currentIndex()), QDir::currentPath());

    // The editor starts at the volume of the working folder.
    EditorState state;
    EditorWindow editor(TipKind::Ball, state);
    auto *editorDrives = child<DriveList>(&editor, "Drive1");
    QCOMPARE(editorDrives->itemData(editorDrives->currentIndex()).toString(),
             QStorageInfo(QDir::currentPath()).rootPath());
}

void TestFolderLists::choosingDriveOpensItsFolder()
{
    EditorState state;
    EditorWindow editor(TipKind::Ball, state);
    auto *drives = child<DriveList>(&editor, "Drive1");
    auto *list = child<FolderList>(&editor, "Dir1");
    QVERIFY(list->setPath(m_top + u"/beta"_s));

    // A volume away from the working folder opens at its root.
    drives->addItem(u"other"_s, m_top);
    drives->setCurrentIndex(drives->count() - 1);
    QCOMPARE(list->path(), m_top);

    // The volume of the working folder opens at the working folder.
    drives->selectVolumeOf(QDir::currentPath());
    const int working = drives->currentIndex();
    drives->setCurrentIndex(drives->count() - 1);
    drives->setCurrentIndex(working);
    QCOMPARE(list->path(), QDir::cleanPath(QDir::currentPath()));
}

void TestFolderLists::unreadableDriveKeepsFolderSilently()
{
    EditorState state;
    EditorWindow editor(TipKind::Ball, state);
    editor.show();
    QVERIFY(QTest::qWaitForWindowExposed(&editor));
    auto *drives = child<DriveList>(&editor, "Drive1");
    auto *list = child<FolderList>(&editor, "Dir1");
    QVERIFY(list->setPath(m_top));
    const QStringList before = listedFolders(*list);

    BoxAnswerer answerer;
    drives->addItem(u"gone"_s, m_top + u"/no-medium"_s);
    drives->setCurrentIndex(drives->count() - 1);
    QTest::qWait(50);
    QCOMPARE(drives->currentText(), u"gone"_s); // the drive list shows the new choice
    QCOMPARE(list->path(), m_top);
    QCOMPARE(listedFolders(*list), before);
    QVERIFY(answerer.boxes().isEmpty());
    QVERIFY(editor.isVisible());
    editor.close();
}

QTEST_MAIN(TestFolderLists)
#include "tst_folderlists.moc"
