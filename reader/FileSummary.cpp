#include "FileSummary.h"

#include "AnsiText.h"
#include "InPlaceChange.h"
#include "LineSyntax.h"
#include "ProbeFile.h"
#include "ReaderTexts.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>

namespace merivox {

namespace {

const QString kFileName = QStringLiteral("usrprobe.dat");

// Problems kept of a reading: enough to have the first one, few enough to cost nothing.
constexpr qsizetype kProblemsKept = 16;

// The summary of a file read, from what its reading kept and its records' bytes.
void sumUp(FileSummary &summary, const ProbeFile &file, std::optional<TipKind> templatesOf)
{
    summary.state = FileSummary::State::Read;
    summary.records = file.recordCount();
    summary.problems = file.problemCount();
    if (!file.problems().isEmpty()) {
        summary.firstProblemLine = file.problems().first().line;
    }
    QList<qsizetype> ofTheKind;
    for (qsizetype i = 0; i < file.recordCount(); ++i) {
        const ProbeFile::Record &record = file.record(i);
        summary.items.add(file.itemLine(i), int(record.firstLine) + 1);
        if (templatesOf && templateKind(record.kind, record.shape) == templatesOf) {
            ofTheKind.append(i);
        }
    }
    // The latest ones: a list of thousands is no help to choose from, and each costs memory.
    summary.templatesFound = ofTheKind.size();
    for (qsizetype k = std::max(qsizetype(0), ofTheKind.size() - FileSummary::kTemplatesKept); k < ofTheKind.size();
         ++k) {
        const qsizetype i = ofTheKind.at(k);
        summary.templates.append(recoverTemplate(*templatesOf, file.text(i).split(QLatin1Char('\n')),
                                                 int(file.record(i).firstLine) + 1));
    }
}

} // namespace

FileSummary summarizeFile(const QString &folder, AccessCheck access, std::optional<TipKind> templatesOf)
{
    FileSummary summary;
    summary.folder = folder;
    const QString path = QDir(folder).filePath(kFileName);
    const QFileInfo info(path);
    const bool exists = info.exists();
    summary.writable = access(folder, exists);
    if (!exists) {
        summary.state = FileSummary::State::Missing;
        return summary;
    }
    summary.unfinishedChange = hasUnfinishedChange(QDir::toNativeSeparators(path).toStdU16String());
    // The bytes stay on disk, and the entries' names are read from there again. A file that
    // changes in between is read once more; the change is noticed and summed up anew anyway.
    const ProbeFile::Keep keep{.keep = kProblemsKept, .fromLine = 1, .bytesOnDisk = true};
    for (int attempt = 1;; ++attempt) {
        QString error;
        const std::optional<ProbeFile> file = ProbeFile::read(path, &error, keep);
        if (!file) {
            summary.state = FileSummary::State::Unreadable;
            summary.error = error;
            return summary;
        }
        FileSummary read = summary;
        sumUp(read, *file, templatesOf);
        if (file->failures() == 0 || attempt == 3) {
            return read;
        }
    }
}

QString fileStatusText(const FileSummary &summary)
{
    switch (summary.state) {
    case FileSummary::State::Unknown:
        return QStringLiteral("usrprobe.dat wird gelesen …");
    case FileSummary::State::Missing:
        return QStringLiteral("usrprobe.dat gibt es in diesem Ordner noch nicht; „Erstellen“ legt sie an.");
    case FileSummary::State::Unreadable:
        return summary.error;
    case FileSummary::State::Read:
        break;
    }
    return QStringLiteral("usrprobe.dat: %1.")
        .arg(counted(summary.records, QStringLiteral("Eintrag"), QStringLiteral("Einträge")));
}

QStringList fileNotes(const FileSummary &summary)
{
    QStringList notes;
    if (summary.writable == Writable::No) {
        notes.append(summary.state == FileSummary::State::Missing
                         ? QStringLiteral("In diesen Ordner kann nicht geschrieben werden: „Erstellen“ wird "
                                          "usrprobe.dat hier nicht anlegen können.")
                         : QStringLiteral("usrprobe.dat ist schreibgeschützt: „Erstellen“ wird nichts anfügen "
                                          "können."));
    }
    if (summary.unfinishedChange) {
        notes.append(unfinishedChangeText(kFileName + QStringLiteral(".merivox-change")));
    }
    // What the checker finds wrong is a problem, in the viewer's words; the viewer goes by the name
    // its window and start-menu entry show.
    if (summary.state == FileSummary::State::Read && summary.problems == 1) {
        notes.append(summary.firstProblemLine > 0
                         ? QStringLiteral("usrprobe.dat hat schon ein Problem, in Zeile %1; der Merivox-Betrachter "
                                          "zeigt es.")
                               .arg(summary.firstProblemLine)
                         : QStringLiteral("usrprobe.dat hat schon ein Problem; der Merivox-Betrachter zeigt es."));
    } else if (summary.state == FileSummary::State::Read && summary.problems > 1) {
        const QString count = counted(summary.problems, QStringLiteral("Problem"), QStringLiteral("Probleme"));
        notes.append(summary.firstProblemLine > 0
                         ? QStringLiteral("usrprobe.dat hat schon %1, das erste in Zeile %2; der Merivox-Betrachter "
                                          "zeigt sie.")
                               .arg(count)
                               .arg(summary.firstProblemLine)
                         : QStringLiteral("usrprobe.dat hat schon %1; der Merivox-Betrachter zeigt sie.").arg(count));
    }
    return notes;
}

QString duplicateNote(const FileSummary &summary, const QString &itemLine)
{
    const std::optional<QByteArray> bytes = toAnsi(itemLine);
    if (!bytes) {
        return {};
    }
    const int line = summary.items.earlierLine(*bytes);
    if (line == 0) {
        return {};
    }
    QByteArrayView name;
    QByteArrayView thread;
    syntax::splitItem(*bytes, name, thread);
    return QStringLiteral("Benennung „%1“ mit Gewinde „%2“ steht schon in Zeile %3 von usrprobe.dat; ein zweiter "
                          "solcher Eintrag wäre ein Problem der Datei.")
        .arg(visible(fromAnsi(name)), visible(fromAnsi(thread).trimmed()))
        .arg(line);
}

} // namespace merivox
