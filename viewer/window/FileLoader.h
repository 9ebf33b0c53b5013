#pragma once

// Reads a probe file in a thread of its own, so that the window stays responsive and can show how
// far the reading got; it waits out an append of another copy of the program. One reading at a
// time: a new one cancels the one under way without waiting for it, and starts when that one has
// stopped, so that a large file is never read twice at once beside the one shown.

#include "ProbeFile.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>

#include <atomic>
#include <functional>
#include <optional>

class QThread;

namespace merivox {

class FileLoader final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(FileLoader)

public:
    explicit FileLoader(QObject *parent = nullptr);
    // Cancels a reading under way and waits for its thread.
    ~FileLoader() override;

    // Finds, in a file just read, the record to choose. It runs in the reading's thread and must
    // not touch anything that the window's thread may change or free meanwhile.
    using Locate = std::function<qsizetype(const ProbeFile &)>;
    // Starts reading the file, leaving its bytes on disk; progress() and then finished() follow.
    // With the fingerprint of the file as shown, the reading compares it with what it read;
    // unchanged() then tells. With locate, the reading also finds the
    // record to choose in what it read (located()), for the same reason.
    void start(const QString &path, std::optional<ProbeFile::Fingerprint> shown = {}, Locate locate = {});
    // Asks the reading to stop; finished() then comes with neither a file nor an error.
    void cancel();
    bool isLoading() const { return m_thread != nullptr; }
    // The path of the last reading started.
    const QString &path() const { return m_path; }
    // The file of a finished reading, once; nothing after a failure or a cancel.
    std::optional<ProbeFile> takeFile() { return std::exchange(m_file, std::nullopt); }
    // Whether the finished reading found the bytes it was given: then takeFile() has nothing.
    bool unchanged() const { return m_unchanged; }
    // What the finished reading's Locate found; nothing without one, or without a file.
    std::optional<qsizetype> located() const { return m_located; }

    // Gives the memory of a file no longer shown back in a thread of its own: for a large file
    // that takes tens of milliseconds.
    static void release(std::optional<ProbeFile> file);
signals:
    void progress(int percent);
    // ok: the file was read (takeFile(), or unchanged()); else error says why, or is empty when
    // cancelled.
    void finished(bool ok, const QString &error);

private:
    struct Request
    {
        QString path;
        std::optional<ProbeFile::Fingerprint> shown;
        Locate locate;
    };
    void stop();
    void launch(Request request);

    QThread *m_thread = nullptr;
    QList<QPointer<QThread>> m_retired; // readings given up that have not yet finished
    std::optional<Request> m_next; // to start once the cancelled reading under way has stopped
    QString m_path;
    std::optional<ProbeFile> m_file;
    QString m_error;
    bool m_unchanged = false;
    std::optional<qsizetype> m_located;
};

} // namespace merivox
