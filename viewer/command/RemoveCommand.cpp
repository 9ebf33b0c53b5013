#include "RemoveCommand.h"

#include "LineRepair.h"
#include "ProbeFile.h"
#include "ProbeFileEditor.h"

#include <QTextStream>

namespace merivox {

int removeRecordAtLine(const QString &path, int line, QTextStream &out, QTextStream &err)
{
    QString error;
    const std::optional<ProbeFile> read = ProbeFile::read(path, &error);
    if (!read) {
        err << error << Qt::endl;
        return 2;
    }
    const std::optional<qsizetype> found = read->recordOfLine(line, &error);
    if (!found) {
        err << error << Qt::endl;
        // A line outside the records, or one that holds two, is mended rather than removed.
        if (LineRepair::of(*read, line)) {
            err << QStringLiteral("Ausbessern lässt sie sich mit „merivox-view --repair %1 DATEI“.").arg(line)
                << Qt::endl;
        }
        return 1;
    }
    const std::optional<RemovalPlan> plan = RemovalPlan::of(*read, *found, &error);
    if (!plan) {
        err << QStringLiteral("Zeile %1: %2").arg(line).arg(error) << Qt::endl;
        return 1;
    }
    const ChangeOutcome outcome = ProbeFileEditor().remove(path, read->bytes(), *plan);
    if (outcome.done()) {
        out << changeTexts::removed(plan->what()) << Qt::endl;
    } else {
        err << outcome.text << Qt::endl;
    }
    return outcome.exitCode();
}

} // namespace merivox
