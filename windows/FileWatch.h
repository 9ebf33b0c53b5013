#pragma once

// Follows usrprobe.dat in one folder for the editor's preview, on a thread of its own: every
// file-system call (whether it exists, whether it may be written, the watch, the read) happens
// there, since a network folder may take seconds to answer and a large file takes a while to
// read. The GUI thread only receives summaries.

#include "FileSummary.h"

#include <QObject>
#include <QThread>

namespace merivox {

class FileWatch final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(FileWatch)

public:
    explicit FileWatch(AccessCheck access = &appendAccess, QObject *parent = nullptr);
    // Waits for a read in progress to end.
    ~FileWatch() override;

    // Follows the file in folder from now on (the folder while the file does not exist, the file
    // again after it was replaced); reads it at once and again after every change.
    void follow(const QString &folder);
    // From the next reading on, the summaries hold the records of this kind as templates.
    void offerTemplates(TipKind kind);
    // Reads again now: for a change that was not reported, as on some network shares.
    void refresh();
    // Stops following: no summary is reported after this.
    void stop();
    bool isFollowing() const { return !m_stopped && !m_folder.isEmpty(); }

signals:
    // A new summary of the followed folder's file; an older folder's never comes after follow().
    void summarized(merivox::SharedSummary summary);

private:
    class Worker;
    void deliver(const SharedSummary &summary);

    QThread m_thread;
    Worker *m_worker = nullptr;
    QString m_folder;
    bool m_stopped = false;
};

} // namespace merivox
