#include "BackgroundRead.h"

#include "SettledRead.h"

#include <QThread>

namespace merivox {

namespace {

// One reading; only the thread touches the result until it has finished.
class ReadThread final : public QThread
{
public:
    explicit ReadThread(QString path) : m_path(std::move(path)) {}
    std::optional<ProbeFile> file;
    QString error;

private:
    void run() override { file = readSettled(m_path, &error); }
    QString m_path;
};

} // namespace

BackgroundRead::BackgroundRead(QObject *parent) : QObject(parent) {}

BackgroundRead::~BackgroundRead()
{
    if (m_thread) {
        m_thread->wait();
        delete m_thread;
    }
}

void BackgroundRead::start(const QString &path)
{
    if (m_thread) {
        m_nextPath = path;
        return;
    }
    m_path = path;
    m_nextPath.clear();
    m_thread = new ReadThread(path);
    connect(m_thread, &QThread::finished, this, &BackgroundRead::threadFinished);
    m_thread->start();
}

void BackgroundRead::threadFinished()
{
    m_thread->wait();
    auto *done = static_cast<ReadThread *>(m_thread);
    m_file = std::move(done->file);
    m_error = done->error;
    delete m_thread;
    m_thread = nullptr;
    if (!m_nextPath.isEmpty()) {
        m_file.reset();
        start(m_nextPath);
        return;
    }
    emit finished();
}

std::optional<ProbeFile> BackgroundRead::take(QString *path, QString *error)
{
    *path = m_path;
    *error = m_error;
    std::optional<ProbeFile> file = std::move(m_file);
    m_file.reset();
    return file;
}

} // namespace merivox
