#include "RemoveCommand.h"

#include "ProbeFile.h"
#include "ProbeFileEditor.h"

#include <QTextStream>

namespace merivox {

namespace {

// Where each line of the bytes begins, as the reader counts lines (each ended by LF), and the
// end of the bytes after the last one.
QList<qsizetype> lineStarts(const QByteArray &bytes)
{
    QList<qsizetype> starts{0};
    for (qsizetype at = bytes.indexOf('\n'); at >= 0; at = bytes.indexOf('\n', at + 1)) {
        starts << at + 1;
    }
    if (starts.last() != bytes.size()) {
        starts << bytes.size();
    }
    return starts;
}

// Whether the line holds the start of a record anywhere but at its beginning.
bool holdsAnotherItem(QByteArrayView line)
{
    return line.indexOf(QByteArrayView("ITEM:"), 1) > 0;
}

} // namespace

int removeRecordAtLine(const QString &path, int line, QTextStream &out, QTextStream &err)
{
    QString error;
    const std::optional<ProbeFile> read = ProbeFile::read(path, &error);
    if (!read) {
        err << error << Qt::endl;
        return 2;
    }
    const ProbeFile &probe = *read;
    const QByteArray &bytes = probe.bytes();
    const std::optional<qsizetype> found = probe.recordOfLine(line, &error);
    if (!found) {
        err << error << Qt::endl;
        return 1;
    }
    const qsizetype index = *found;
    const ProbeFile::Record &record = probe.record(index);
    const QList<qsizetype> starts = lineStarts(bytes);
    const int first = int(record.firstLine) + 1;
    const int last = first + int(record.lineCount) - 1;
    for (int i = first; i <= last; ++i) {
        const QByteArrayView text(bytes.constData() + starts[i - 1], starts[i] - starts[i - 1]);
        if (holdsAnotherItem(text)) {
            err << QStringLiteral("Zeile %1: Der Eintrag teilt sich Zeile %2 mit einem anderen; er wird nicht entfernt.")
                       .arg(line)
                       .arg(i)
                << Qt::endl;
            return 1;
        }
    }

    ProbeFileEditor editor;
    const ProbeFileEditor::Outcome outcome = editor.remove(path, bytes, starts[first - 1], starts[last]);
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
