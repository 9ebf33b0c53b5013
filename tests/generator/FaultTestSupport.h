#pragma once

// Records and helper processes for the fault tests of appending and removing: records whose every
// line names them, so that lines of two records can never pass for one, and the file cut back
// into them with their byte ranges.

#include "ProbeFileWriter.h"

#include <QCoreApplication>
#include <QProcess>
#include <QStringList>

#include <unistd.h>

namespace merivox::test {

// A record of the usual size.
inline QStringList recordLines(const QString &tag, int number)
{
    QStringList lines{QStringLiteral("ITEM:%1-%2MM M3").arg(tag).arg(number)};
    for (int line = 1; line <= 10; ++line) {
        lines << QStringLiteral("cylinder 0 0 -%1 0 0 -%2 %3").arg(line).arg(line + 1).arg(number);
    }
    return lines;
}

// Names a confirmed step on stdout at once, unbuffered, so that a kill right after it still
// leaves the line for the test to read.
inline bool confirm(const QByteArray &line)
{
    const QByteArray out = line + '\n';
    return ::write(STDOUT_FILENO, out.constData(), size_t(out.size())) == out.size();
}

// A helper process's work: appends COUNT records tagged TAG, naming each once confirmed.
inline int appendRecords(int count, const QString &tag, const QString &folder)
{
    ProbeFileWriter writer;
    for (int number = 0; number < count; ++number) {
        if (!writer.append(folder, TipRecord{recordLines(tag, number)})) {
            qCritical("%s", qPrintable(writer.errorString()));
            return 3;
        }
        if (!confirm(QByteArray::number(number))) {
            return 4;
        }
    }
    return 0;
}

// A record found in the file: its tag and number, whether every line is there, and its bytes
// [begin, end) from its item line to the next one.
struct FoundRecord
{
    QString tag;
    int number = -1;
    bool whole = false;
    qsizetype begin = 0;
    qsizetype end = 0;
};

inline QList<FoundRecord> recordsIn(const QByteArray &file)
{
    QList<FoundRecord> found;
    QStringList lines;
    qsizetype begin = 0;
    const auto close = [&](qsizetype end) {
        if (lines.isEmpty()) {
            return;
        }
        const QString item = lines.first().mid(5).section(QStringLiteral("MM "), 0, 0);
        FoundRecord record{item.section(u'-', 0, 0), item.section(u'-', 1).toInt(), false, begin, end};
        record.whole = lines == recordLines(record.tag, record.number);
        found << record;
        lines.clear();
    };
    qsizetype at = 0;
    while (at < file.size()) {
        const qsizetype lineEnd = file.indexOf('\n', at);
        const qsizetype next = lineEnd < 0 ? file.size() : lineEnd + 1;
        const QByteArray line = file.mid(at, next - at);
        if (line.startsWith("ITEM:")) {
            close(at);
            begin = at;
        }
        QByteArray text = line.endsWith('\n') ? line.chopped(1) : line;
        if (text.endsWith('\r')) {
            text.chop(1);
        }
        if (!text.isEmpty()) {
            lines << QString::fromLatin1(text);
        }
        at = next;
    }
    close(file.size());
    return found;
}

// This test executable started again with the arguments.
inline QProcess *startHelper(QObject *parent, const QStringList &arguments)
{
    auto *process = new QProcess(parent);
    process->start(QCoreApplication::applicationFilePath(), arguments);
    return process;
}

} // namespace merivox::test
