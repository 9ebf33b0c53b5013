#include "DriveList.h"

#include <QAbstractItemView>
#include <QDir>
#include <QFileInfo>
#include <QSignalBlocker>
#include <QStorageInfo>
#include <algorithm>
#include <iterator>

namespace merivox {

namespace {

constexpr int kRootRole = Qt::UserRole;

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
    }
#else
    const QString working = QStorageInfo(QDir::currentPath()).rootPath();
    for (const QStorageInfo &volume : QStorageInfo::mountedVolumes()) {
        if (isUsefulVolume(volume) || volume.rootPath() == working) {
            addItem(volumeName(volume), volume.rootPath());
        }
    }
#endif
    view()->setMinimumWidth(view()->sizeHintForColumn(0) + 2 * view()->frameWidth() + 8);
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
        addItem(volumeName(volume), volume.rootPath());
        index = count() - 1;
    }
#endif
    setCurrentIndex(index);
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
