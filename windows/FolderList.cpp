#include "FolderList.h"

#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QImageReader>
#include <QStorageInfo>
#include <QStyle>

namespace merivox {

namespace {

constexpr int kFolderRole = Qt::UserRole;

QTreeWidgetItem *makeItem(const QString &text, const QString &folder, const QIcon &icon)
{
    auto *item = new QTreeWidgetItem(QStringList{text});
    item->setIcon(0, icon);
    item->setData(0, kFolderRole, folder);
    item->setToolTip(0, QDir::toNativeSeparators(folder));
    return item;
}

// A folder picture: Qt's own, the same on every desktop, read as PNG directly. Asking the style
// or the desktop's icon theme instead would have the theme's index parsed and every installed
// image format plugin loaded, which costs the editor more memory than the rest of its list.
QIcon folderIcon(const QWidget *widget, QLatin1StringView file, QStyle::StandardPixmap standard)
{
    QIcon icon;
    for (const int size : {16, 32}) { // the list shows them at 16 logical pixels
        QImageReader reader(QStringLiteral(":/qt-project.org/styles/commonstyle/images/%1-%2.png").arg(file).arg(size),
                            "png");
        reader.setAutoDetectImageFormat(false);
        const QImage image = reader.read();
        if (!image.isNull()) {
            icon.addPixmap(QPixmap::fromImage(image));
        }
    }
    return icon.isNull() ? widget->style()->standardIcon(standard) : icon;
}

} // namespace

FolderList::FolderList(QWidget *parent) : QTreeWidget(parent)
{
    setHeaderHidden(true);
    setColumnCount(1);
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setExpandsOnDoubleClick(false);
    setIndentation(10);
    setUniformRowHeights(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    m_openIcon = folderIcon(this, QLatin1StringView("diropen"), QStyle::SP_DirOpenIcon);
    m_closedIcon = folderIcon(this, QLatin1StringView("dirclosed"), QStyle::SP_DirClosedIcon);
    connect(this, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem *item) { setPath(folderOf(item)); });
}

QString FolderList::folderOf(const QTreeWidgetItem *item)
{
    return item ? item->data(0, kFolderRole).toString() : QString();
}

bool FolderList::setPath(const QString &path)
{
    const QFileInfo info(path);
    if (path.isEmpty() || !info.isDir() || !info.isReadable() || !info.isExecutable()) {
        return false;
    }
    const QString folder = QDir::cleanPath(info.absoluteFilePath());
    QString root = QStorageInfo(folder).rootPath();
    if (root.isEmpty() || !folder.startsWith(root)) {
        root = QDir(folder).rootPath();
    }

    // The chain of open folders, from the volume root down to the open folder.
    QStringList chain{folder};
    for (QDir dir(folder); dir.absolutePath() != QDir(root).absolutePath() && dir.cdUp();) {
        chain.prepend(dir.absolutePath());
    }

    clear();
    QTreeWidgetItem *parentItem = nullptr;
    for (const QString &step : chain) {
        const QString text = parentItem ? QFileInfo(step).fileName() : QDir::toNativeSeparators(step);
        QTreeWidgetItem *item = makeItem(text, step, m_openIcon);
        if (parentItem) {
            parentItem->addChild(item);
        } else {
            addTopLevelItem(item);
        }
        parentItem = item;
    }
    const QFileInfoList subfolders =
        QDir(folder).entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);
    for (const QFileInfo &subfolder : subfolders) {
        parentItem->addChild(makeItem(subfolder.fileName(), subfolder.absoluteFilePath(), m_closedIcon));
    }
    expandAll();
    setCurrentItem(parentItem);
    scrollToTop();
    scrollToItem(parentItem);

    m_path = folder;
    emit pathChanged(m_path);
    return true;
}

} // namespace merivox
