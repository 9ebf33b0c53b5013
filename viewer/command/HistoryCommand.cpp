#include "HistoryCommand.h"

#include "ProbeFileEditor.h"
#include "ReaderTexts.h"
#include "RemovedRecords.h"

#include <QFileInfo>
#include <QTextStream>

namespace merivox {

namespace {

QString historyOf(const QString &path)
{
    return QFileInfo(path).fileName() + QStringLiteral(".history");
}

} // namespace

int listHistory(const QString &path, QTextStream &out, QTextStream &err)
{
    QString error;
    const std::optional<RemovedRecords> list = RemovedRecords::read(path, &error);
    if (!list) {
        err << error << Qt::endl;
        return 2;
    }
    if (list->rows().isEmpty()) {
        out << QStringLiteral("Der Verlauf %1 enthält keine entfernten Einträge.").arg(historyOf(path)) << Qt::endl;
        return 0;
    }
    for (qsizetype row = 0; row < list->rows().size(); ++row) {
        out << list->listLine(row) << '\n';
    }
    out.flush();
    return 0;
}

int restoreFromHistory(const QString &path, int number, QTextStream &out, QTextStream &err)
{
    QString error;
    const std::optional<RemovedRecords> list = RemovedRecords::read(path, &error);
    if (!list) {
        err << error << Qt::endl;
        return 2;
    }
    const qsizetype count = list->rows().size();
    if (number < 1 || number > count) {
        err << (count == 0 ? QStringLiteral("Der Verlauf %1 enthält keine entfernten Einträge.").arg(historyOf(path))
                           : QStringLiteral("Einen Eintrag %1 gibt es nicht: die Liste von „merivox-view --history“ "
                                            "reicht bis %2.")
                                 .arg(number)
                                 .arg(count))
            << Qt::endl;
        return 1;
    }
    const qsizetype row = number - 1;
    const RemovedRecords::Row &chosen = list->rows().at(row);
    if (list->alreadyInFile(row)) {
        err << QStringLiteral("Ein Eintrag %1 mit Gewinde %2 steht schon in der Datei; nichts eingefügt.\n"
                              "Um ihn ein zweites Mal einzufügen, im Fenster unter „Bearbeiten > Entfernte Einträge …“ "
                              "wiederherstellen, oder zuerst den vorhandenen entfernen.")
                   .arg(visible(chosen.name), visible(chosen.thread))
            << Qt::endl;
        return 1;
    }
    ProbeFileEditor editor;
    const ProbeFileEditor::Removed removed = ProbeFileEditor::Removed::fromHistory(chosen.entry);
    // Checked again against the content that the locked replace sees: another station may have put
    // the record back since the list was read.
    const ProbeFileEditor::AlreadyThere twice = list->alreadyThere(row);
    ProbeFileEditor::Outcome outcome =
        editor.putBack(path, removed, ProbeFileEditor::Place::OldPlace, HistoryAction::Restore, twice);
    bool atEnd = false;
    if (editor.oldPlaceGone()) {
        // Asked for by number, the record goes where it still can: after the file's last line.
        atEnd = true;
        outcome = editor.putBack(path, removed, ProbeFileEditor::Place::End, HistoryAction::Restore, twice);
    }
    if (outcome != ProbeFileEditor::Outcome::Done) {
        err << editor.errorString() << Qt::endl;
        return int(outcome);
    }
    const QString what = chosen.name.isEmpty()
                             ? QStringLiteral("Zeilen ohne Eintrag")
                             : QStringLiteral("%1 (Gewinde %2)").arg(visible(chosen.name), visible(chosen.thread));
    out << (atEnd ? QStringLiteral("Wieder eingefügt am Ende der Datei: %1.").arg(what)
                  : QStringLiteral("Wieder eingefügt an alter Stelle: %1, %2 %3.")
                        .arg(what,
                             chosen.entry.lastLine > chosen.entry.firstLine ? QStringLiteral("Zeilen")
                                                                            : QStringLiteral("Zeile"),
                             chosen.lines))
        << Qt::endl;
    return 0;
}

} // namespace merivox
