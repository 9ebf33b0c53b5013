#pragma once

// What the editor's preview knows of usrprobe.dat in the editor's folder: whether it exists and
// can be read, how many records it holds, how many problems the reader finds and where the first
// one is, whether "Erstellen" may append to it, and the entries it holds (for the duplicate
// rule), and the records of the editor's kind as templates (the inputs that build them again). The
// file's bytes are not kept: a summary of a 50 MB file holds its entries' keys, the templates and a
// few numbers.

#include "ItemKeys.h"
#include "RecordTemplate.h"
#include "WriteAccess.h"

#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

namespace merivox {

struct FileSummary
{
    enum class State {
        Unknown,    // not read yet
        Missing,    // no usrprobe.dat in the folder: "Erstellen" makes it
        Unreadable, // it exists but cannot be read; error says why
        Read,
    };
    QString folder;
    State state = State::Unknown;
    QString error;
    qsizetype records = 0;
    qsizetype problems = 0;
    int firstProblemLine = 0; // 0 when not known
    Writable writable = Writable::Unknown;
    bool unfinishedChange = false; // a change in place was cut short: its recovery note stands beside it
    ItemKeys items;
    // The records of the kind asked for, in the order of the file: the last kTemplatesKept of
    // templatesFound.
    QList<RecordTemplate> templates;
    qsizetype templatesFound = 0;
    static constexpr qsizetype kTemplatesKept = 500;
};
using SharedSummary = std::shared_ptr<const FileSummary>;

// How a summary asks whether it may append; tests answer it in place of the system.
using AccessCheck = Writable (*)(const QString &folder, bool fileExists);

// Reads usrprobe.dat in folder with the reader and sums it up, with the records of templatesOf as
// templates. Touches the file system: never on the GUI thread.
FileSummary summarizeFile(const QString &folder, AccessCheck access = &appendAccess,
                          std::optional<TipKind> templatesOf = std::nullopt);

// The preview's status line for the file ("usrprobe.dat: 3 Einträge.").
QString fileStatusText(const FileSummary &summary);
// The notes on the file itself: it cannot be written, a change of it was cut short, or it has
// problems already.
QStringList fileNotes(const FileSummary &summary);
// The note for a record whose item line (as built, "ITEM: TIP MM M3") names an entry the file
// holds already; empty when it does not.
QString duplicateNote(const FileSummary &summary, const QString &itemLine);

} // namespace merivox
