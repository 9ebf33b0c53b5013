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
    ReadThread(QString path, ReadProgress progress, QByteArray shown)
        : m_path(std::move(path)), m_progress(std::move(progress)), m_shown(std::move(shown))
    {
    }
    std::optional<ProbeFile> file;
    QString error;
    bool unchanged = false;

private:
    void run() override
    {
        file = readSettled(m_path, &error, {}, &m_progress);
        if (file && !m_shown.isNull() && file->bytes() == m_shown) {
            unchanged = true;
            file.reset();
        }
        m_shown.clear();
    }

    QString m_path;
    ReadProgress m_progress;
    QByteArray m_shown; // shares the bytes shown, for reading only
};

// Frees a file, and then itself in the thread it was made in.
class ReleaseThread final : public QThread
{
public:
    explicit ReleaseThread(std::optional<ProbeFile> file) : m_file(std::move(file)) {}

private:
    void run() override { m_file.reset(); }

    std::optional<ProbeFile> m_file;
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

void FileLoader::release(std::optional<ProbeFile> file)
{
    constexpr qsizetype kLarge = qsizetype(1) << 20;
    if (!file || file->bytes().size() < kLarge) {
        return;
    }
    auto *thread = new ReleaseThread(std::move(file));
    connect(thread, &QThread::finished, thread, &QObject::deleteLater);
    thread->start();
}

void FileLoader::start(const QString &path, const QByteArray &shown)
{
    stop();
    m_cancel = false;
    m_path = path;
    m_file.reset();
    m_error.clear();
    m_unchanged = false;
    ReadProgress progress;
    progress.report = [this](int percent) { emit this->progress(percent); };
    progress.cancel = &m_cancel;
    auto *thread = new ReadThread(path, std::move(progress), shown);
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
        m_unchanged = !m_cancel && thread->unchanged;
        thread->deleteLater();
        const bool ok = m_file.has_value() || m_unchanged;
        emit finished(ok, ok ? QString() : m_error);
    });
    thread->start();
}

} // namespace merivox
