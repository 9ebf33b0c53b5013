#pragma once

#include "ProbeFile.h"

#include <QObject>

#include <optional>

class QThread;

namespace merivox {

// Reads the probe file again on a thread of its own, so that the window stays usable while a
// large file is read or an append is waited for. The result is taken on the window's thread once
// finished() is told. A reading asked for while one runs is made after it, and only the newer
// one's result is told.
class BackgroundRead final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(BackgroundRead)

public:
    explicit BackgroundRead(QObject *parent = nullptr);
    // Waits for a reading that still runs.
    ~BackgroundRead() override;

    void start(const QString &path);
    bool isReading() const { return m_thread != nullptr; }

    // The file read, with the path it was read from; nothing when it could not be read, error then
    // says why (German).
    std::optional<ProbeFile> take(QString *path, QString *error);

signals:
    void finished();

private:
    void threadFinished();

    QThread *m_thread = nullptr;
    QString m_path;
    QString m_nextPath;
    std::optional<ProbeFile> m_file;
    QString m_error;
};

} // namespace merivox
