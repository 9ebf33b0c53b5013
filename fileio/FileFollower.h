#pragma once

#include <QDateTime>
#include <QFileSystemWatcher>
#include <QObject>
#include <QTimer>

namespace merivox {

// Tells when the file at a path changes on disk: written to, appended to, or replaced by another
// file renamed over it, as taking a record out does. A watch on the file follows the file, not
// the path, so after any change the path is watched anew; its folder is watched too, so that a
// file that vanished for a moment or came in by a rename is seen; a change of another file of the
// folder is not told. A burst of changes is told once, settleMs after its last change.
//
// Every call asks the file system; where a folder may be slow to answer, the follower lives on a
// thread of its own.
class FileFollower final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(FileFollower)

public:
    explicit FileFollower(int settleMs, QObject *parent = nullptr);

    // Follows the file at path from now on; an empty path follows nothing.
    void follow(const QString &path);
    QString path() const { return m_path; }

signals:
    void changed();

private:
    struct Stamp
    {
        bool exists = false;
        qint64 size = -1;
        QDateTime modified;
        QDateTime metadataChanged;
        friend bool operator==(const Stamp &, const Stamp &) = default;
    };
    Stamp stamp() const;
    void watchAgain();
    void fileChanged();
    void folderChanged();

    QFileSystemWatcher m_watcher;
    QTimer m_settle;
    QString m_path;
    Stamp m_stamp;
};

} // namespace merivox
