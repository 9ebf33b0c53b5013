#include "FileLoader.h"

#include <QThread>

namespace merivox {

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
    m_thread = QThread::create([this, path] {
        ReadProgress progress;
        progress.report = [this](int percent) { emit this->progress(percent); };
        progress.cancel = &m_cancel;
        QString error;
        std::optional<ProbeFile> file = ProbeFile::read(path, &error, {}, &progress);
        // Handed over to the window's thread when this one has finished.
        m_file = m_cancel ? std::nullopt : std::move(file);
        m_error = m_cancel ? QString() : error;
    });
    connect(m_thread, &QThread::finished, this, [this, thread = m_thread] {
        if (thread != m_thread) {
            return; // a reading that a newer one replaced
        }
        m_thread = nullptr;
        thread->deleteLater();
        const bool ok = m_file.has_value();
        emit finished(ok, ok ? QString() : m_error);
    });
    m_thread->start();
}

} // namespace merivox
