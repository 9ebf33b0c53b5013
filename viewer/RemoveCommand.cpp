#include "RemoveCommand.h"

#include "ProbeFile.h"
#include "ProbeFileEditor.h"

#include <QFile>
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
    QFile file(path);
    QByteArray bytes;
    if (file.open(QIODevice::ReadOnly)) {
        bytes = file.readAll();
    }
    if (!file.isOpen() || file.error() != QFileDevice::NoError) {
        QString error;
        ProbeFile::read(path, &error); // the reader's words for what stops reading
        err << (error.isEmpty() ? QStringLiteral("%1 kann nicht gelesen werden: %2").arg(path, file.errorString())
                                : error)
            << Qt::endl;
        return 2;
    }

    const ProbeFile probe = ProbeFile::fromBytes(bytes);
    const auto refuse = [&](const QString &reason) {
        err << QStringLiteral("Zeile %1: %2").arg(line).arg(reason) << Qt::endl;
        return 1;
    };
    if (line < 1 || line > probe.lineCount()) {
        return refuse(QStringLiteral("Die Datei hat %1 Zeilen.").arg(probe.lineCount()));
    }
    const qsizetype index = probe.recordAtLine(line);
    if (index < 0 || quint32(line - 1) >= probe.record(index).firstLine + probe.record(index).lineCount) {
        return refuse(QStringLiteral("Die Zeile gehört zu keinem Eintrag."));
    }
    const ProbeFile::Record &record = probe.record(index);
    const QList<qsizetype> starts = lineStarts(bytes);
    const int first = int(record.firstLine) + 1;
    const int last = first + int(record.lineCount) - 1;
    for (int i = first; i <= last; ++i) {
        const QByteArrayView text(bytes.constData() + starts[i - 1], starts[i] - starts[i - 1]);
        if (holdsAnotherItem(text)) {
            return refuse(
                QStringLiteral("Der Eintrag teilt sich Zeile %1 mit dem nächsten; er wird nicht entfernt.").arg(i));
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
