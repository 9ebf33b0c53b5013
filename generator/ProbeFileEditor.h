#pragma once

#include "ReplaceFile.h"

#include <QByteArray>
#include <QString>

namespace merivox {

// Takes one record out of usrprobe.dat and can put it back ("Rückgängig"), for the viewer and
// its command line. Every other byte of the file stays as it was. Both steps replace the file in
// one step under the lock that appending takes, and only when the file still holds exactly the
// content the caller read; the old content is kept beside it as usrprobe.dat.bak.
class ProbeFileEditor final
{
public:
    // How a step ended, as the command line's exit status tells it.
    enum class Outcome {
        Done = 0,    // the file holds the new content
        Refused = 1, // nothing changed: the file changed since it was read, or is in use
        Failed = 2,  // nothing changed, or the file could not be written as a whole
    };

    // Takes out the bytes [begin, end) of the file at path, given the whole content as read.
    Outcome remove(const QString &path, const QByteArray &seen, qint64 begin, qint64 end);

    // Mends the file at path, given the whole content as read: replaces the bytes [begin, end)
    // by insert (lines that belong to no record taken out, or a line end put into a line that
    // holds two). A repair is not undone by undo().
    Outcome repair(const QString &path, const QByteArray &seen, qint64 begin, qint64 end, const QByteArray &insert);

    // Puts the last removed bytes back where they were, while the file has not changed since.
    Outcome undo();
    bool canUndo() const { return m_canUndo; }

    // The German reason of the last step that did not end with Done.
    QString errorString() const { return m_error; }
    FileCause cause() const { return m_cause; }

    // The operator's words for a cause.
    static QString reasonText(FileCause cause, int systemError, const QString &path);

private:
    Outcome finish(const ReplaceResult &result, const QString &failedText);

    QString m_path;
    QByteArray m_removed;
    qint64 m_begin = 0;
    std::uint64_t m_hashAfter = 0;
    bool m_canUndo = false;
    FileCause m_cause = FileCause::None;
    QString m_error;
};

} // namespace merivox
