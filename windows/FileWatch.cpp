#include "FileWatch.h"

#include "FileFollower.h"
#include "FreeMemory.h"

#include <QDir>

namespace merivox {

namespace {

// Changes come in bursts (an append writes, flushes and unlocks; a replacement renames): one read
// after the burst.
constexpr int kSettleMs = 40;

} // namespace

// Lives on the watch's thread; everything it does touches the file system.
class FileWatch::Worker final : public QObject
{
public:
    Worker(FileWatch &watch, AccessCheck access) : m_watch(watch), m_access(access) {}

    void follow(const QString &folder)
    {
        if (!m_follower) {
            m_follower = new FileFollower(kSettleMs, this);
            connect(m_follower, &FileFollower::changed, this, &Worker::read);
        }
        m_folder = folder;
        m_follower->follow(QDir(folder).filePath(QStringLiteral("usrprobe.dat")));
        read();
    }

    void read()
    {
        if (m_folder.isEmpty()) {
            return;
        }
        // A change during the reading is told by the follower and read again after this one.
        FileSummary made = summarizeFile(m_folder, m_access, m_templates);
        made.items.squeeze();
        auto summary = std::make_shared<const FileSummary>(std::move(made));
        QMetaObject::invokeMethod(
            &m_watch, [watch = &m_watch, summary] { watch->deliver(summary); }, Qt::QueuedConnection);
        // The reading's file and lines are gone; what they took goes back to the system.
        releaseFreedMemory();
    }

    void offerTemplates(TipKind kind) { m_templates = kind; }

    void stop()
    {
        m_folder.clear();
        if (m_follower) {
            m_follower->follow(QString());
        }
    }

private:
    FileWatch &m_watch;
    AccessCheck m_access;
    std::optional<TipKind> m_templates;
    QString m_folder;
    FileFollower *m_follower = nullptr;
};

FileWatch::FileWatch(AccessCheck access, QObject *parent) : QObject(parent), m_worker(new Worker(*this, access))
{
    m_thread.setObjectName(QStringLiteral("usrprobe.dat watch"));
    m_worker->moveToThread(&m_thread);
    connect(&m_thread, &QThread::finished, m_worker, &QObject::deleteLater);
    m_thread.start(QThread::LowPriority);
}

FileWatch::~FileWatch()
{
    m_thread.quit();
    m_thread.wait();
}

void FileWatch::follow(const QString &folder)
{
    if (m_stopped || folder == m_folder) {
        return;
    }
    m_folder = folder;
    QMetaObject::invokeMethod(m_worker, [worker = m_worker, folder] { worker->follow(folder); }, Qt::QueuedConnection);
}

void FileWatch::offerTemplates(TipKind kind)
{
    QMetaObject::invokeMethod(m_worker, [worker = m_worker, kind] { worker->offerTemplates(kind); },
                              Qt::QueuedConnection);
}

void FileWatch::refresh()
{
    if (!isFollowing()) {
        return;
    }
    QMetaObject::invokeMethod(m_worker, [worker = m_worker] { worker->read(); }, Qt::QueuedConnection);
}

void FileWatch::stop()
{
    m_stopped = true;
    QMetaObject::invokeMethod(m_worker, [worker = m_worker] { worker->stop(); }, Qt::QueuedConnection);
}

void FileWatch::deliver(const SharedSummary &summary)
{
    if (m_stopped || summary->folder != m_folder) {
        return;
    }
    emit summarized(summary);
}

} // namespace merivox
