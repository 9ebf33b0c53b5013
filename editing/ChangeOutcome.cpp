#include "ChangeOutcome.h"

#include "FileCauseText.h"
#include "ReaderTexts.h"

#include <QDir>
#include <QFileInfo>

namespace merivox {

QString historyFileName(const QString &path)
{
    return QFileInfo(path).fileName() + QStringLiteral(".history");
}

namespace {

// What is said when an action did not come to its end: %1 the file, %2 the reason.
QString failedText(ChangeOutcome::Action action, const QString &path)
{
    switch (action) {
    case ChangeOutcome::Action::Remove:
        return QStringLiteral("Der Eintrag konnte nicht aus der Datei %1 entfernt werden.\n%2");
    case ChangeOutcome::Action::Repair:
        return QStringLiteral("Die Datei %1 konnte nicht ausgebessert werden.\n%2");
    case ChangeOutcome::Action::PutBack:
        return QStringLiteral("Der Eintrag konnte nicht wieder in die Datei %1 eingefügt werden.\n%2\n"
                              "Er bleibt im Verlauf %3 aufbewahrt.")
            .arg(QStringLiteral("%1"), QStringLiteral("%2"), historyFileName(path));
    }
    return {};
}

} // namespace

ChangeOutcome ChangeOutcome::of(const ReplaceResult &result, Action action, const QString &path)
{
    ChangeOutcome outcome;
    outcome.cause = result.cause;
    outcome.changed = result.replaced;
    outcome.historyFailed = result.historyFailed;
    if (result.replaced) {
        outcome.entry = result.entry;
    }
    if (result.ok()) {
        return outcome;
    }
    const QString where = QDir::toNativeSeparators(path);
    const QString reason =
        result.historyFailed
            ? QStringLiteral("Der Verlauf %1 ließ sich nicht lesen oder schreiben; die Datei wurde nicht geändert.\n%2")
                  .arg(historyFileName(path), causeText(FileTask::History, result.cause, result.systemError, path))
            : causeText(FileTask::Change, result.cause, result.systemError, path);
    outcome.text =
        result.replaced
            ? QStringLiteral("Die Datei %1 wurde ersetzt, aber nicht sicher auf den Datenträger geschrieben.\n%2")
                  .arg(where, reason)
            : failedText(action, path).arg(where, reason);
    outcome.kind = result.cause == FileCause::Changed && !result.replaced && !result.historyFailed ? Kind::FileChanged
                                                                                                   : Kind::Failed;
    return outcome;
}

ChangeOutcome ChangeOutcome::oldPlaceGone(const QString &path, bool declined)
{
    ChangeOutcome outcome;
    outcome.kind = Kind::OldPlaceGone;
    outcome.cause = FileCause::Changed;
    outcome.declined = declined;
    outcome.text = QStringLiteral("Die Datei vor der Stelle, an der der Eintrag stand, wurde seither geändert; er "
                                  "kann nur am Ende der Datei wieder eingefügt werden.\n"
                                  "Er bleibt im Verlauf %1 aufbewahrt.")
                       .arg(historyFileName(path));
    return outcome;
}

ChangeOutcome ChangeOutcome::alreadyInFile(const QString &name, const QString &thread, bool declined)
{
    ChangeOutcome outcome;
    outcome.kind = Kind::AlreadyInFile;
    outcome.cause = FileCause::Changed;
    outcome.declined = declined;
    outcome.text = QStringLiteral("Ein Eintrag %1 mit Gewinde %2 steht schon in der Datei; nichts eingefügt.\n"
                                  "Um ihn ein zweites Mal einzufügen, im Fenster unter „Bearbeiten > Entfernte "
                                  "Einträge …“ wiederherstellen, oder zuerst den vorhandenen entfernen.")
                       .arg(visible(name), visible(thread));
    return outcome;
}

bool ChangeOutcome::refused() const
{
    switch (kind) {
    case Kind::Done:
        return false;
    case Kind::OldPlaceGone:
    case Kind::AlreadyInFile:
    case Kind::FileChanged:
        return true;
    case Kind::Failed:
        // Another program holding the file, or a range no longer in it: nothing changed, try again.
        return !changed && !historyFailed && (cause == FileCause::InUse || cause == FileCause::BadRange);
    }
    return false;
}

int ChangeOutcome::exitCode() const
{
    return done() ? 0 : refused() ? 1 : 2;
}

QString recordText(const QString &name, const QString &thread)
{
    return name.isEmpty() ? QStringLiteral("Zeilen ohne Eintrag")
                          : QStringLiteral("%1 (Gewinde %2)").arg(visible(name), visible(thread));
}

namespace changeTexts {

QString historyEmpty(const QString &path)
{
    return QStringLiteral("Der Verlauf %1 enthält keine entfernten Einträge.").arg(historyFileName(path));
}

QString removed(const QString &what)
{
    return QStringLiteral("Entfernt: %1.").arg(what);
}

QString putBack(const QString &what, bool atEnd, const QString &lines)
{
    if (atEnd) {
        return QStringLiteral("Wieder eingefügt am Ende der Datei: %1.").arg(what);
    }
    return lines.isEmpty() ? QStringLiteral("Wieder eingefügt an alter Stelle: %1.").arg(what)
                           : QStringLiteral("Wieder eingefügt an alter Stelle: %1, %2.").arg(what, lines);
}

} // namespace changeTexts

} // namespace merivox
