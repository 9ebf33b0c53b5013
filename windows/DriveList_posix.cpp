#include "DriveList.h"

#include <QDir>
#include <QFileInfo>
#include <QStorageInfo>
#include <algorithm>
#include <iterator>

namespace merivox {

namespace {

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

} // namespace

// The mounted volumes an operator would write to, and the one of the working folder; closed, the
// list shows the mount point.
void DriveList::addDrives()
{
    const QString working = QStorageInfo(QDir::currentPath()).rootPath();
    for (const QStorageInfo &volume : QStorageInfo::mountedVolumes()) {
        if (isUsefulVolume(volume) || volume.rootPath() == working) {
            addVolume(volumeName(volume), volume.rootPath(), QDir::toNativeSeparators(volume.rootPath()));
        }
    }
}

// A volume left out of the list, reached through the folder list: offered from now on, so that
// the list names the volume that is open.
bool DriveList::addLeftOut(const QStorageInfo &volume)
{
    if (!volume.isValid()) {
        return false;
    }
    addVolume(volumeName(volume), volume.rootPath(), QDir::toNativeSeparators(volume.rootPath()));
    return true;
}

} // namespace merivox
