#include "RemoveCommand.h"

#include "LineRepair.h"
#include "ProbeFile.h"
#include "ProbeFileEditor.h"
#include "RecordBytes.h"

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
    const ProbeFile &probe = *read;
    const std::optional<qsizetype> found = probe.recordOfLine(line, &error);
    if (!found) {
        err << error << Qt::endl;
        // A line outside the records, or one that holds two, is mended rather than removed.
        if (LineRepair::of(probe, line)) {
            err << QStringLiteral("Ausbessern lässt sie sich mit „merivox-view --repair %1 DATEI“.").arg(line)
                << Qt::endl;
        }
        return 1;
    }
    const qsizetype index = *found;
    const std::optional<ByteRange> range = recordBytes(probe, index, &error);
    if (!range) {
        err << QStringLiteral("Zeile %1: %2").arg(line).arg(error) << Qt::endl;
        return 1;
    }
    const ProbeFile::Record &record = probe.record(index);
    const int first = int(record.firstLine) + 1;
    const int last = first + int(record.lineCount) - 1;

    ProbeFileEditor editor;
    const auto [name, thread] = probe.nameAndThreadBytes(index);
    const ProbeFileEditor::Outcome outcome =
        editor.remove(path, probe.bytes(), range->begin, range->end, name.toByteArray(), thread.toByteArray());
    if (outcome != ProbeFileEditor::Outcome::Done) {
        err << editor.errorString() << Qt::endl;
        return int(outcome);
    }
    out << QStringLiteral("Entfernt: %1 (Gewinde %2), Zeilen %3 bis %4.")
               .arg(probe.name(index), probe.thread(index))
               .arg(first)
               .arg(last)
        << Qt::endl;
    return 0;
}

} // namespace merivox
