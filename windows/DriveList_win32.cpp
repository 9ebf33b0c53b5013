#include "DriveList.h"

#include <QDir>
#include <QFileInfo>
#include <QStorageInfo>

namespace merivox {

// The drive letters, each shown as "c:".
void DriveList::addDrives()
{
    for (const QFileInfo &drive : QDir::drives()) {
        const QString root = drive.absolutePath();
        addVolume(root.left(2).toLower(), root, root.left(2).toLower());
    }
}

// Every drive letter is in the list from the start: a path on none (a network share) chooses no entry.
bool DriveList::addLeftOut(const QStorageInfo &)
{
    return false;
}

} // namespace merivox
