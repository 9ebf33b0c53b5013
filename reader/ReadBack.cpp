#include "ReadBack.h"

#include "NumberText.h"
#include "ProbeFile.h"
#include "ReaderTexts.h"

#include <cmath>

namespace merivox {

QStringList readBackNotes(const QStringList &lines, const QString &name, const QString &thread,
                          const QLocale &locale)
{
    QStringList notes;
    const ProbeFile file = ProbeFile::fromLines(lines);
    // What the reader stumbles over, software that reads the file may stumble over too.
    for (const Problem &problem : file.problems()) {
        notes << QStringLiteral("Zeile %1 liest sich nicht sauber zurück: %2").arg(problem.line).arg(problem.text);
    }
    if (file.recordCount() != 1) {
        notes << QStringLiteral("Der Eintrag liest sich als %1 zurück.")
                     .arg(counted(file.recordCount(), QStringLiteral("Eintrag"), QStringLiteral("Einträge")));
        return notes;
    }
    if (file.name(0) != name || file.thread(0) != thread) {
        const QString read = QStringLiteral("Name und Gewinde lesen sich als „%1“ und „%2“ zurück")
                                 .arg(visible(file.name(0)), visible(file.thread(0)));
        notes << (thread.contains(QStringLiteral("MM "))
                      ? read + QStringLiteral(": das Gewinde enthält „MM “, und die Zeile ITEM: wird am letzten "
                                              "„MM “ in Name und Gewinde geteilt.")
                      : read + QLatin1Char('.'));
    }
    // Each number as the editor meant it, against the value that the reader finds.
    const QList<RecordLine> readLines = file.lines(0);
    for (qsizetype i = 1; i < readLines.size() && i < lines.size(); ++i) {
        const RecordLine &read = readLines.at(i);
        const QStringList written = lines.at(i).split(QLatin1Char(' '), Qt::SkipEmptyParts).mid(1);
        for (qsizetype k = 0; k < written.size() && k < read.values.size(); ++k) {
            const std::optional<double> meant = parseNumber(written.at(k), locale);
            if (meant && !(read.value(k) == *meant)) {
                notes << QStringLiteral("Zeile %1: die Zahl „%2“ liest sich als %3 zurück.")
                             .arg(read.number)
                             .arg(visible(written.at(k)))
                             .arg(std::isnan(read.value(k)) ? QStringLiteral("keine Zahl")
                                                            : QString::number(read.value(k), 'g', 17));
            }
        }
    }
    return notes;
}

} // namespace merivox
