#include "BackgroundRead.h"

#include "SettledRead.h"

#include <QThread>

namespace merivox {

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
    // Only the thread touches the result until it has finished.
    m_thread = QThread::create([this, path] {
        QString error;
        m_file = readSettled(path, &error);
        m_error = error;
    });
    connect(m_thread, &QThread::finished, this, &BackgroundRead::threadFinished);
    m_thread->start();
}

void BackgroundRead::threadFinished()
{
    m_thread->wait();
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
