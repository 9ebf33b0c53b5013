#include "DriveList.h"

#include <QAbstractItemView>
#include <QDir>
#include <QFileInfo>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QStorageInfo>
#include <QStyleOptionComboBox>
#include <QStylePainter>
#include <algorithm>
#include <iterator>

namespace merivox {

namespace {

constexpr int kRootRole = Qt::UserRole;
constexpr int kShortRole = Qt::UserRole + 1; // what the closed list shows: the drive letter or the mount point

#ifndef Q_OS_WIN
// Kernel and memory file systems hold nothing an operator would write a probe file to.
bool isUsefulVolume(const QStorageInfo &volume)
{
    static const char *const pseudo[] = {"tmpfs",       "devtmpfs", "ramfs",  "squashfs", "proc",    "sysfs",
                                         "cgroup",      "cgroup2",  "devpts", "mqueue",   "debugfs", "tracefs",
                                         "securityfs",  "pstore",   "bpf",    "configfs", "fusectl", "hugetlbfs",
                                         "binfmt_misc", "efivarfs", "nsfs",   "autofs"};
    if (!volume.isValid() || !volume.isReady() || !QFileInfo(volume.rootPath()).isDir()) {
        return false;
    }
    const QByteArray type = volume.fileSystemType();
    return volume.isRoot() ||
           std::none_of(std::begin(pseudo), std::end(pseudo), [&](const char *p) { return type == p; });
}

QString volumeName(const QStorageInfo &volume)
{
    QString detail = volume.name();
    if (detail.isEmpty()) {
        detail = QFileInfo(QString::fromLocal8Bit(volume.device())).fileName();
    }
    return detail.isEmpty() ? volume.rootPath() : QStringLiteral("%1 (%2)").arg(volume.rootPath(), detail);
}
#endif

} // namespace

DriveList::DriveList(QWidget *parent) : QComboBox(parent)
{
#ifdef Q_OS_WIN
    for (const QFileInfo &drive : QDir::drives()) {
        const QString root = drive.absolutePath();
        addItem(root.left(2).toLower(), root);
        setItemData(count() - 1, root.left(2).toLower(), kShortRole);
    }
#else
    const QString working = QStorageInfo(QDir::currentPath()).rootPath();
    for (const QStorageInfo &volume : QStorageInfo::mountedVolumes()) {
        if (isUsefulVolume(volume) || volume.rootPath() == working) {
            addVolume(volumeName(volume), volume.rootPath());
        }
    }
#endif
    connect(this, &QComboBox::currentIndexChanged, this, [this] { setToolTip(currentText()); });
    setToolTip(currentText());
}

void DriveList::addVolume(const QString &name, const QString &root)
{
    addItem(name, root);
    setItemData(count() - 1, QDir::toNativeSeparators(root), kShortRole);
}

void DriveList::showPopup()
{
    // The open list is as wide as its longest entry, however narrow the closed list is.
    view()->setMinimumWidth(view()->sizeHintForColumn(0) + 2 * view()->frameWidth() +
                            view()->verticalScrollBar()->sizeHint().width());
    QComboBox::showPopup();
}

void DriveList::paintEvent(QPaintEvent *)
{
    // The closed list is narrow: it shows the mount point, shortened in the middle where it has
    // to be; the whole name is its tool tip and stands in the open list.
    QStylePainter painter(this);
    QStyleOptionComboBox option;
    initStyleOption(&option);
    painter.drawComplexControl(QStyle::CC_ComboBox, option);
    const QRect field = style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, this);
    const QString shown = currentData(kShortRole).toString();
    option.currentText =
        fontMetrics().elidedText(shown.isEmpty() ? currentText() : shown, Qt::ElideMiddle, field.width() - 2);
    painter.drawControl(QStyle::CE_ComboBoxLabel, option);
}

void DriveList::selectVolumeOf(const QString &path)
{
    const QSignalBlocker blocker(this);
    const QStorageInfo volume(path);
    int index = findData(volume.rootPath(), kRootRole);
#ifndef Q_OS_WIN
    if (index < 0 && volume.isValid()) {
        // A volume left out of the list, reached through the folder list: offer it from now on,
        // so that the list names the volume that is open.
        addVolume(volumeName(volume), volume.rootPath());
        index = count() - 1;
    }
#endif
    setCurrentIndex(index);
    setToolTip(currentText());
}

QString DriveList::folderAt(int index) const
{
    const QString root = itemData(index, kRootRole).toString();
    if (root.isEmpty()) {
        return {};
    }
    const QString working = QDir::currentPath();
    if (QStorageInfo(working).rootPath() == root) {
        return working;
    }
    return root;
}

} // namespace merivox
