#include "SettledRead.h"

#include "AppendLock.h"

#include <QDir>
#include <QElapsedTimer>
#include <QThread>

namespace merivox {

std::optional<ProbeFile> readSettled(const QString &path, QString *error, SettleTimes times,
                                     const ReadProgress *progress, ProbeFile::Keep keep)
{
    const std::filesystem::path native(QDir::toNativeSeparators(path).toStdU16String());
    QElapsedTimer clock;
    clock.start();
    const auto within = [&](std::chrono::milliseconds limit) {
        return clock.elapsed() < limit.count();
    };
    for (;;) {
        if (progress && progress->cancel && *progress->cancel) {
            return std::nullopt;
        }
        if (appendLockHeld(native) && within(times.lockWait)) {
            QThread::msleep(quint64(times.step.count()));
            continue;
        }
        std::optional<ProbeFile> file = ProbeFile::read(path, error, keep, progress);
        if (!file) {
            return file;
        }
        // An append that took the lock while the file was read may have been read in part.
        const bool appending = appendLockHeld(native) && within(times.lockWait);
        const bool cutShort = file->size() > 0 && !file->endsInLineEnd() && within(times.tailWait);
        if (!appending && !cutShort) {
            return file;
        }
        QThread::msleep(quint64(times.step.count()));
    }
}

} // namespace merivox
