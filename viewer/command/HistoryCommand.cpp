#include "HistoryCommand.h"

#include "ProbeFileEditor.h"
#include "RemovedRecords.h"

#include <QTextStream>

namespace merivox {

int listHistory(const QString &path, QTextStream &out, QTextStream &err)
{
    QString error;
    const std::optional<RemovedRecords> list = RemovedRecords::read(path, &error);
    if (!list) {
        err << error << Qt::endl;
        return 2;
    }
    if (list->rows().isEmpty()) {
        out << changeTexts::historyEmpty(path) << Qt::endl;
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
        err << (count == 0 ? changeTexts::historyEmpty(path)
                           : QStringLiteral("Einen Eintrag %1 gibt es nicht: die Liste von „merivox-view --history“ "
                                            "reicht bis %2.")
                                 .arg(number)
                                 .arg(count))
            << Qt::endl;
        return 1;
    }
    // Asked for by number, the record goes where it still can: after the file's last line when its
    // old place is gone; never in a second time.
    FixedAnswers answers;
    const qsizetype row = number - 1;
    const ChangeOutcome outcome = ProbeFileEditor().restore(path, *list, row, answers);
    if (!outcome.done()) {
        err << outcome.text << Qt::endl;
        return outcome.exitCode();
    }
    const RemovedRecords::Row &chosen = list->rows().at(row);
    out << changeTexts::putBack(recordText(chosen.name, chosen.thread), outcome.atEnd, chosen.linesNamed()) << Qt::endl;
    return 0;
}

} // namespace merivox
