#pragma once

#include "ReplaceFile.h"

#include <QString>

namespace merivox {

// How one change of the file ended, with the one German text that says so. The window and the
// command line show the same text; only how they show it differs.
struct ChangeOutcome
{
    enum class Kind {
        Done,          // the file holds the change
        OldPlaceGone,  // bytes to put back can only go to the end of the file, and did not
        AlreadyInFile, // a record of the same name and thread stands in the file; nothing put in
        FileChanged,   // the file is no longer what was read; nothing changed
        Failed,        // nothing changed, or the change was not flushed: cause says why
    };

    Kind kind = Kind::Done;
    FileCause cause = FileCause::None;
    QString text;               // for every kind but Done
    bool declined = false;      // OldPlaceGone, AlreadyInFile: the operator answered the question with no
    bool changed = false;       // the file holds the change (Done, or Failed once it was not flushed)
    bool atEnd = false;         // put back after the file's last line
    bool historyFailed = false; // the history could not be read or written, so nothing changed
    HistoryEntry entry;         // when changed: the history's entry of the change, for undoing it

    // What was being done, for the text of a failure.
    enum class Action { Remove, Repair, PutBack };

    // The outcome of a replacement of the file at path.
    static ChangeOutcome of(const ReplaceResult &result, Action action, const QString &path);
    // The old place of bytes to put back is gone.
    static ChangeOutcome oldPlaceGone(const QString &path, bool declined);
    // A record of name and thread stands in the file already.
    static ChangeOutcome alreadyInFile(const QString &name, const QString &thread, bool declined);

    bool done() const { return kind == Kind::Done; }
    // Nothing changed for a reason of the moment (the file changed or is in use, an old place is
    // gone, a record is there already, the operator said no): a warning, not an error.
    bool refused() const;
    // The command line's exit status: 0 done, 1 refused, 2 failed.
    int exitCode() const;
};

// The operator's words for a record or for lines of none: "TIP (Gewinde M3)", every control
// character of the file shown as "\x1b".
QString recordText(const QString &name, const QString &thread);

// "usrprobe.dat.history": the name of the history beside the file at path.
QString historyFileName(const QString &path);

namespace changeTexts {

// "Der Verlauf usrprobe.dat.history enthält keine entfernten Einträge."
QString historyEmpty(const QString &path);

// "Entfernt: TIP (Gewinde M3), Zeilen 4 bis 12."
QString removed(const QString &what);
// "Wieder eingefügt an alter Stelle: …", or "… am Ende der Datei: …"; lines, when given, follow
// at the old place ("Zeilen 4 bis 12").
QString putBack(const QString &what, bool atEnd, const QString &lines = {});

} // namespace changeTexts

} // namespace merivox
