#include "FileFollower.h"

#include <QFileInfo>

namespace merivox {

FileFollower::FileFollower(int settleMs, QObject *parent) : QObject(parent), m_watcher(this), m_settle(this)
{
    m_settle.setSingleShot(true);
    m_settle.setInterval(settleMs);
    connect(&m_settle, &QTimer::timeout, this, &FileFollower::changed);
    connect(&m_watcher, &QFileSystemWatcher::fileChanged, this, &FileFollower::fileChanged);
    connect(&m_watcher, &QFileSystemWatcher::directoryChanged, this, &FileFollower::folderChanged);
}

void FileFollower::follow(const QString &path)
{
    m_settle.stop();
    if (!m_watcher.files().isEmpty()) {
        m_watcher.removePaths(m_watcher.files());
    }
    if (!m_watcher.directories().isEmpty()) {
        m_watcher.removePaths(m_watcher.directories());
    }
    m_path = path;
    if (path.isEmpty()) {
        return;
    }
    m_watcher.addPath(QFileInfo(path).absolutePath());
    watchAgain();
    m_stamp = stamp();
}

FileFollower::Stamp FileFollower::stamp() const
{
    QFileInfo info(m_path);
    info.setCaching(false);
    if (!info.exists()) {
        // While there is no file, a change of the folder's own rights may change what it allows.
        QFileInfo folder(info.absolutePath());
        folder.setCaching(false);
        return {false, -1, {}, folder.fileTime(QFileDevice::FileMetadataChangeTime)};
    }
    return {true, info.size(), info.lastModified(), info.fileTime(QFileDevice::FileMetadataChangeTime)};
}

void FileFollower::watchAgain()
{
    // The watch may still be on the file that was replaced (kept alive as the backup's link).
    if (m_watcher.files().contains(m_path)) {
        m_watcher.removePath(m_path);
    }
    if (QFileInfo::exists(m_path)) {
        m_watcher.addPath(m_path);
    }
}

void FileFollower::fileChanged()
{
    watchAgain();
    m_stamp = stamp();
    m_settle.start();
}

void FileFollower::folderChanged()
{
    // Any file of the folder may have changed; only the followed one counts.
    const Stamp now = stamp();
    if (now == m_stamp) {
        return;
    }
    m_stamp = now;
    watchAgain();
    m_settle.start();
}

} // namespace merivox
