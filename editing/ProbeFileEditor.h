#pragma once

// Every change of usrprobe.dat other than an append, for the viewer's window and its command line
// alike: taking a record out, putting removed bytes back (undo, or an entry of the history) and
// mending lines outside the records. Every other byte of the file stays as it was. Each change
// replaces the file under the lock that appending takes, only while the file still holds the
// content the change was read from (its hash), and only after the bytes it takes out and puts in
// are in the history beside it (usrprobe.dat.history); the old content stays as usrprobe.dat.bak.
//
//   front end (window or command line): reads the file, chooses, confirms
//     --> RemovalPlan / LineRepair / RemovedRecords row: what exactly the change takes out or puts in
//     --> ProbeFileEditor: asks its questions through ChangeQuestions, changes the file
//     --> ChangeOutcome: done (with the history's entry) or why not, in one German text

#include "ChangeOutcome.h"
#include "ChangeQuestions.h"

#include <QByteArray>
#include <QString>

#include <optional>

namespace merivox {

class LineRepair;
class ProbeFile;
class RemovedRecords;

// One record of a file as read, ready to be taken out: its bytes and what the operator is told.
struct RemovalPlan
{
    qint64 begin = 0, end = 0; // the bytes of its lines, with their line ends
    int firstLine = 0, lastLine = 0;
    QString name, thread;              // as the reader reads them
    QByteArray nameBytes, threadBytes; // as they stand in the file, for the history

    // The plan for record of file; nothing when its bytes cannot be taken out alone (a line it
    // shares with another record), why then says so.
    static std::optional<RemovalPlan> of(const ProbeFile &file, qsizetype record, QString *why = nullptr);

    // "TIP (Gewinde M3), Zeilen 4 bis 12"
    QString what() const;
};

class ProbeFileEditor final
{
public:
    // Takes the planned record out of the file at path, whose whole content as read is seen. Done,
    // the removal can be undone while the file before its place stays as it is.
    ChangeOutcome remove(const QString &path, const QByteArray &seen, const RemovalPlan &plan);

    // Mends the file at path, whose whole content as read is seen. Not undone by undo().
    ChangeOutcome repair(const QString &path, const QByteArray &seen, const LineRepair &repair);

    // Puts the bytes of the list's row back into the file at path whose content the list was read
    // with: at their old place while the file before it is unchanged, else at the end once
    // questions agree; a second record of the same name and thread only once questions agree.
    ChangeOutcome restore(const QString &path, const RemovedRecords &list, qsizetype row, ChangeQuestions &questions);

    // Puts the last record taken out back, as restore() does.
    ChangeOutcome undo(ChangeQuestions &questions);
    bool canUndo() const { return m_canUndo; }
    // The history's entry of the last removal.
    const HistoryEntry &lastRemoval() const { return m_last; }
    // Whether the last removal may still be undone, now that the file holds current: not when the
    // history says that its bytes were put back meanwhile (from another window or station, or from
    // the history's list), nor when the history cannot be read. Gives the removal up otherwise.
    bool stillUndoable(const QByteArray &current);
    // Gives up the last removal: it stays in the history only.
    void forgetRemoval() { m_canUndo = false; }

private:
    QString m_path;
    HistoryEntry m_last;
    QString m_lastName, m_lastThread;
    bool m_canUndo = false;
};

} // namespace merivox
