#include "FileLoader.h"

#include "SettledRead.h"

#include <QThread>

#include <functional>

namespace merivox {

namespace {

// One reading. It waits out an append of another copy of the program, so that a record half
// written is never shown; only this thread touches the result until it has finished.
class ReadThread final : public QThread
{
public:
    ReadThread(QString path, std::optional<ProbeFile::Fingerprint> shown, FileLoader::Locate locate,
               std::function<void(int)> report)
        : m_path(std::move(path)), m_shown(std::move(shown)), m_locate(std::move(locate))
    {
        // A reading given up tells no more.
        m_progress.report = [this, report = std::move(report)](int percent) {
            if (!cancel) {
                report(percent);
            }
        };
        m_progress.cancel = &cancel;
    }
    std::atomic<bool> cancel{false};
    std::optional<ProbeFile> file;
    QString error;
    bool unchanged = false;
    std::optional<qsizetype> located;

private:
    void run() override
    {
        // The bytes stay on disk: the window holds only the records.
        file = readSettled(m_path, &error, {}, &m_progress, {.bytesOnDisk = true});
        if (file && m_shown && file->fingerprint() == *m_shown) {
            unchanged = true;
            file.reset();
        }
        m_shown.reset();
        if (file && m_locate && !cancel) {
            located = m_locate(*file);
        }
        m_locate = nullptr; // what it holds is freed here, not in the window's thread
    }

    QString m_path;
    ReadProgress m_progress;
    std::optional<ProbeFile::Fingerprint> m_shown;
    FileLoader::Locate m_locate;
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
    for (const QPointer<QThread> &thread : std::as_const(m_retired)) {
        if (thread) {
            thread->wait();
            delete thread;
        }
    }
}

// A reading given up is not waited for: a read of a large file already under way may take the
// window's thread longer than it may stall. It finishes, frees what it read and itself later.
void FileLoader::stop()
{
    if (!m_thread) {
        return;
    }
    auto *thread = static_cast<ReadThread *>(m_thread);
    m_thread = nullptr;
    thread->cancel = true;
    thread->disconnect(this);
    connect(thread, &QThread::finished, thread, &QObject::deleteLater);
    if (thread->isFinished()) {
        delete thread;
        return;
    }
    m_retired.removeIf([](const QPointer<QThread> &t) { return t.isNull(); });
    m_retired.append(thread);
}

void FileLoader::cancel()
{
    m_next.reset();
    if (m_thread) {
        static_cast<ReadThread *>(m_thread)->cancel = true;
    }
}

void FileLoader::release(std::optional<ProbeFile> file)
{
    constexpr qsizetype kLarge = qsizetype(1) << 20;
    if (!file || file->size() < kLarge) {
        return;
    }
    auto *thread = new ReleaseThread(std::move(file));
    connect(thread, &QThread::finished, thread, &QObject::deleteLater);
    thread->start();
}

void FileLoader::start(const QString &path, std::optional<ProbeFile::Fingerprint> shown, Locate locate)
{
    m_path = path;
    m_file.reset();
    m_error.clear();
    m_unchanged = false;
    m_located.reset();
    Request request{path, std::move(shown), std::move(locate)};
    if (m_thread) {
        // The reading under way stops at its next look; this one follows it.
        static_cast<ReadThread *>(m_thread)->cancel = true;
        m_next = std::move(request);
        return;
    }
    launch(std::move(request));
}

void FileLoader::launch(Request request)
{
    auto *thread = new ReadThread(std::move(request.path), std::move(request.shown), std::move(request.locate),
                                  [this](int percent) { emit progress(percent); });
    m_thread = thread;
    connect(thread, &QThread::finished, this, [this, thread] {
        if (thread != m_thread) {
            return; // a reading given up when the loader went
        }
        m_thread = nullptr;
        thread->wait();
        if (m_next) {
            release(std::move(thread->file));
            thread->deleteLater();
            launch(*std::exchange(m_next, std::nullopt));
            return;
        }
        // A cancelled reading hands over neither a file nor an error.
        const bool cancelled = thread->cancel;
        m_file = cancelled ? std::nullopt : std::move(thread->file);
        m_error = cancelled ? QString() : thread->error;
        m_unchanged = !cancelled && thread->unchanged;
        m_located = m_file ? thread->located : std::nullopt;
        thread->deleteLater();
        const bool ok = m_file.has_value() || m_unchanged;
        emit finished(ok, ok ? QString() : m_error);
    });
    thread->start();
}

} // namespace merivox
