#include "LineRepair.h"

namespace merivox {

namespace {

// The lines (1-based) that a record holds.
struct Span
{
    int first = 0;
    int last = 0;
};

Span spanOf(const ProbeFile &file, qsizetype record)
{
    const ProbeFile::Record r = file.record(record);
    return {int(r.firstLine) + 1, int(r.firstLine + r.lineCount)};
}

// Where "ITEM:" stands inside the line (1-based) after other text, as a byte offset in the file;
// -1 when it does not. The reader starts a record there only when the text before is a whole line
// of a record; otherwise the line is run together with the start of a record all the same.
qsizetype itemInsideLine(const ProbeFile &file, const QByteArray &bytes, int line)
{
    const qsizetype start = file.startOfLine(line);
    const qsizetype end = file.startOfLine(line + 1);
    const qsizetype at = bytes.indexOf("ITEM:", start + 1);
    return at > start && at < end ? at : -1;
}

LineRepair split(const QByteArray &bytes, int line, qsizetype at)
{
    LineRepair repair;
    repair.kind = LineRepair::Kind::SplitLine;
    repair.firstLine = repair.lastLine = line;
    repair.begin = repair.end = at;
    // The part before keeps a CR that stands right before the item line as its own.
    repair.insert = bytes.at(at - 1) == '\r' ? QByteArrayLiteral("\n") : QByteArrayLiteral("\r\n");
    return repair;
}

QString linesText(int first, int last)
{
    return first == last ? QStringLiteral("Zeile %1").arg(first)
                         : QStringLiteral("Zeilen %1 bis %2").arg(first).arg(last);
}

} // namespace

std::optional<LineRepair> LineRepair::of(const ProbeFile &file, int line, QString *reason)
{
    const auto refuse = [&](const QString &why) -> std::optional<LineRepair> {
        if (reason) {
            *reason = why;
        }
        return std::nullopt;
    };
    if (line < 1 || line > file.lineCount()) {
        return refuse(
            QStringLiteral("Zeile %1 gibt es nicht: die Datei hat %2 Zeilen.").arg(line).arg(file.lineCount()));
    }
    // A record whose item line stands inside this line, after the text of the line before it; or
    // an item line run together with text that the reader could not take for a line of its own
    // ("MüllITEM:…", "endtip\rITEM:…"). Split, the item line starts a record of its own.
    const QByteArray bytes = file.bytes();
    const qsizetype starting = file.recordAtLine(line, true);
    if (starting >= 0 && spanOf(file, starting).first == line && file.startsMidLine(starting)) {
        return split(bytes, line, file.startOfItem(starting));
    }
    if (const qsizetype at = itemInsideLine(file, bytes, line); at > 0) {
        return split(bytes, line, at);
    }
    const qsizetype before = file.recordAtLine(line);
    if (before >= 0 && line <= spanOf(file, before).last) {
        return refuse(QStringLiteral("Zeile %1 gehört zu einem Eintrag; dafür gibt es keine Ausbesserung.").arg(line));
    }
    // The run of lines outside every record that the line stands in: from the end of the record
    // before it (or the file's start) to the start of the record after it (or the file's end).
    LineRepair repair;
    repair.firstLine = before >= 0 ? spanOf(file, before).last + 1 : 1;
    repair.lastLine = int(file.lineCount());
    if (before + 1 < file.recordCount()) {
        // A record that starts mid-line keeps its first line: the run ends before it.
        repair.lastLine = spanOf(file, before + 1).first - 1;
    }
    // A line in the run that holds an item line is a record's start that the reader could not
    // take for one: the lines after it are that record's, and are not taken out before it is split.
    for (int other = repair.firstLine; other <= repair.lastLine; ++other) {
        if (other != line && itemInsideLine(file, bytes, other) > 0) {
            if (other > line) {
                repair.lastLine = other - 1;
                break;
            }
            return refuse(QStringLiteral("Zeile %1 enthält „ITEM:“ mitten in der Zeile: zuerst Zeile %1 teilen.")
                              .arg(other));
        }
    }
    repair.begin = file.startOfLine(repair.firstLine);
    repair.end = file.startOfLine(repair.lastLine + 1);
    return repair;
}

QString LineRepair::actionText() const
{
    if (kind == Kind::SplitLine) {
        return QStringLiteral("Zeile %1 teilen").arg(firstLine);
    }
    return QStringLiteral("%1 entfernen").arg(linesText(firstLine, lastLine));
}

QString LineRepair::question() const
{
    if (kind == Kind::SplitLine) {
        return QStringLiteral("In Zeile %1 steht „ITEM:“, der Anfang eines Eintrags, mitten in der Zeile. Vor „ITEM:“ "
                              "ein Zeilenende einfügen und die Zeile so in zwei Zeilen teilen?")
            .arg(firstLine);
    }
    if (firstLine == lastLine) {
        return QStringLiteral("Zeile %1 gehört zu keinem Eintrag. Zeile %1 aus der Datei entfernen?").arg(firstLine);
    }
    return QStringLiteral("Die Zeilen %1 bis %2 gehören zu keinem Eintrag. Zeilen %1 bis %2 aus der Datei entfernen?")
        .arg(firstLine)
        .arg(lastLine);
}

QString LineRepair::doneText() const
{
    if (kind == Kind::SplitLine) {
        return QStringLiteral("Geteilt: Zeile %1 in die Zeilen %1 und %2.").arg(firstLine).arg(firstLine + 1);
    }
    return QStringLiteral("Entfernt: %1 außerhalb jedes Eintrags.").arg(linesText(firstLine, lastLine));
}

} // namespace merivox
