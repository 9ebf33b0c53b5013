#pragma once

#include "ReplaceFile.h"

#include <QByteArray>
#include <QString>

#include <functional>
#include <string_view>

namespace merivox {

// Takes one record out of usrprobe.dat and can put it back ("Rückgängig"), for the viewer and
// its command line; puts back what the history beside the file keeps. Every other byte of the
// file stays as it was. Every step replaces the file in one step under the lock that appending
// takes, only when the file still holds the content that the step was checked against, and
// only after the bytes it takes out and puts in are in the history (usrprobe.dat.history); the
// old content is kept beside it as usrprobe.dat.bak.
class ProbeFileEditor final
{
public:
    // How a step ended, as the command line's exit status tells it.
    enum class Outcome {
        Done = 0,    // the file holds the new content
        Refused = 1, // nothing changed: the file changed since it was read, or is in use
        Failed = 2,  // nothing changed, or the file could not be written as a whole
    };

    // Where put-back bytes go: where they were taken out, or after the file's last line.
    enum class Place { OldPlace, End };

    // Whether the file's content holds a record of the same name and thread as the bytes about to
    // be put back (the reader's rule, passed in by the caller).
    using AlreadyThere = std::function<bool(std::string_view content)>;

    // Bytes that can be put back: those of the last removal, or of a history entry.
    struct Removed
    {
        QByteArray bytes; // exactly as taken out
        qint64 at = 0;    // where they started
        // The file's first knownLength bytes as the removal left them hash to knownHash, and
        // at <= knownLength: while the file still starts with them, the bytes before at are the
        // same as when the record was taken out, and the old place is still its place.
        qint64 knownLength = 0;
        std::uint64_t knownHash = 0;
        QByteArray name, thread; // the record's, as its bytes stood in the file

        // The removed bytes of a history entry, with what it tells of the bytes before their place.
        static Removed fromHistory(const HistoryEntry &entry);
    };

    // Takes out the bytes [begin, end) of the file at path, given the whole content as read;
    // name and thread are the record's, for the history.
    Outcome remove(const QString &path, const QByteArray &seen, qint64 begin, qint64 end, const QByteArray &name = {},
                   const QByteArray &thread = {});

    // Mends the file at path, given the whole content as read: replaces the bytes [begin, end)
    // by insert (lines that belong to no record taken out, or a line end put into a line that
    // holds two). A repair is not undone by undo().
    Outcome repair(const QString &path, const QByteArray &seen, qint64 begin, qint64 end, const QByteArray &insert);

    // Puts the last removed bytes back where they were, while the file before that place has not
    // changed since; appends after it do not matter. Otherwise nothing changes and oldPlaceGone()
    // says so: the caller may ask the operator, then undoAtEnd().
    Outcome undo(const AlreadyThere &alreadyThere = {});
    // Puts the last removed bytes back after the file's last line.
    Outcome undoAtEnd(const AlreadyThere &alreadyThere = {});
    bool canUndo() const { return m_canUndo; }
    // The bytes that undo() would put back.
    const Removed &lastRemoved() const { return m_last; }
    // Whether the last removal may still be undone, now that the file holds current: not when its
    // history says that the removed bytes were put back meanwhile (from another window or station,
    // or from the history's list), nor when the history cannot be read. Gives the removal up
    // otherwise.
    bool stillUndoable(const QByteArray &current);
    // Gives up the last removal: it stays in the history only.
    void forgetRemoval() { m_canUndo = false; }

    // Puts bytes back into the file at path: at their old place, which needs the file's start up
    // to it unchanged (checked against the file as it is under the lock), or at the end. A refusal
    // because the old place is gone sets oldPlaceGone() and changes nothing. The history says
    // action (HistoryAction::Undo or HistoryAction::Restore).
    // When alreadyThere is given and says of the file's content as read that it holds a record of
    // the same name and thread, nothing changes and alreadyInFile() says so; the content is the one
    // whose hash the locked replace checks, so the answer still holds under the lock.
    Outcome putBack(const QString &path, const Removed &removed, Place place, HistoryAction action,
                    const AlreadyThere &alreadyThere = {});
    bool oldPlaceGone() const { return m_oldPlaceGone; }
    bool alreadyInFile() const { return m_alreadyInFile; }

    // The German reason of the last step that did not end with Done.
    QString errorString() const { return m_error; }
    FileCause cause() const { return m_cause; }

    // The operator's words for a cause.
    static QString reasonText(FileCause cause, int systemError, const QString &path);
    // The operator's words for a history that could not be read or written: its name, and that
    // the file was not changed.
    static QString historyReasonText(FileCause cause, int systemError, const QString &path);

private:
    Outcome finish(const ReplaceResult &result, const QString &failedText);

    QString m_path;
    Removed m_last;
    bool m_canUndo = false;
    bool m_oldPlaceGone = false;
    bool m_alreadyInFile = false;
    FileCause m_cause = FileCause::None;
    QString m_error;
};

} // namespace merivox
