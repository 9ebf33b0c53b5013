#include "FileLoader.h"

#include "SettledRead.h"

#include <QThread>

namespace merivox {

namespace {

// One reading. It waits out an append of another copy of the program, so that a record half
// written is never shown; only this thread touches the result until it has finished.
class ReadThread final : public QThread
{
public:
    ReadThread(QString path, ReadProgress progress) : m_path(std::move(path)), m_progress(std::move(progress)) {}
    std::optional<ProbeFile> file;
    QString error;

private:
    void run() override { file = readSettled(m_path, &error, {}, &m_progress); }

    QString m_path;
    ReadProgress m_progress;
};

} // namespace

FileLoader::FileLoader(QObject *parent) : QObject(parent) {}

FileLoader::~FileLoader()
{
    stop();
}

void FileLoader::stop()
{
    if (!m_thread) {
        return;
    }
    m_cancel = true;
    m_thread->disconnect(this);
    m_thread->wait();
    delete m_thread;
    m_thread = nullptr;
}

void FileLoader::cancel()
{
    m_cancel = true;
}

void FileLoader::start(const QString &path)
{
    stop();
    m_cancel = false;
    m_path = path;
    m_file.reset();
    m_error.clear();
    ReadProgress progress;
    progress.report = [this](int percent) { emit this->progress(percent); };
    progress.cancel = &m_cancel;
    auto *thread = new ReadThread(path, std::move(progress));
    m_thread = thread;
    connect(thread, &QThread::finished, this, [this, thread] {
        if (thread != m_thread) {
            return; // a reading that a newer one replaced
        }
        m_thread = nullptr;
        thread->wait();
        // A cancelled reading hands over neither a file nor an error.
        m_file = m_cancel ? std::nullopt : std::move(thread->file);
        m_error = m_cancel ? QString() : thread->error;
        thread->deleteLater();
        const bool ok = m_file.has_value();
        emit finished(ok, ok ? QString() : m_error);
    });
    thread->start();
}

} // namespace merivox
