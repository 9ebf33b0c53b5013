#pragma once

// Reads a probe file in a thread of its own, so that the window stays responsive and can show how
// far the reading got; it waits out an append of another copy of the program. One reading at a
// time; a new one cancels the one before.

#include "ProbeFile.h"

#include <QObject>
#include <QString>

#include <atomic>
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

    // Starts reading the file; progress() and then finished() follow.
    void start(const QString &path);
    // Asks the reading to stop; finished() then comes with neither a file nor an error.
    void cancel();
    bool isLoading() const { return m_thread != nullptr; }
    // The path of the last reading started.
    const QString &path() const { return m_path; }
    // The file of a finished reading, once; nothing after a failure or a cancel.
    std::optional<ProbeFile> takeFile() { return std::exchange(m_file, std::nullopt); }

signals:
    void progress(int percent);
    // ok: the file was read (takeFile()); else error says why, or is empty when cancelled.
    void finished(bool ok, const QString &error);

private:
    void stop();

    QThread *m_thread = nullptr;
    std::atomic<bool> m_cancel{false};
    QString m_path;
    std::optional<ProbeFile> m_file;
    QString m_error;
};

} // namespace merivox
