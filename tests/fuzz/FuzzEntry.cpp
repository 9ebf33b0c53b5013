#include "FuzzEntry.h"

#include "DataSheet.h"
#include "DecodedRecord.h"
#include "ProbeFile.h"
#include "ReaderTexts.h"
#include "RecordDrawing.h"

#include <QImage>
#include <QPainter>

#include <cstdlib>

namespace merivox::fuzz {

namespace {

// What no file may make the reader say or do: a kept note outside the file's lines, more kept
// than counted, a record outside the lines, a control character in a text meant for people.
void require(bool condition)
{
    if (!condition) {
        std::abort();
    }
}

bool isShown(const QString &text)
{
    return std::none_of(text.begin(), text.end(),
                        [](QChar c) { return (c.unicode() < 0x20 && c != QLatin1Char('\t')) || c.unicode() == 0x7f; });
}

} // namespace

void readAndPaint(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    // A small keep, so that the fuzzer also runs through the trimming of notes.
    ProbeFile::Keep keep;
    keep.keep = 4;
    const ProbeFile file = ProbeFile::fromBytes(bytes, keep);

    require(file.problems().size() <= file.problemCount() && file.hints().size() <= file.hintCount());
    for (const Problem &note : file.notes()) {
        require(note.line >= 1 && note.line <= file.lineCount() + 1);
        require(isShown(note.text) && note.text != QStringLiteral("-"));
        file.recordAtLine(note.line, note.midLine);
    }
    // The quick way for intact lines finds what the full rules find.
    ProbeFile::Keep full = keep;
    full.quickLines = false;
    const ProbeFile slow = ProbeFile::fromBytes(bytes, full);
    require(slow.notes() == file.notes() && slow.recordCount() == file.recordCount() &&
            slow.problemCount() == file.problemCount() && slow.hintCount() == file.hintCount());
    if (file.nextLine() > 0) {
        keep.fromLine = file.nextLine();
        const ProbeFile rest = ProbeFile::fromBytes(bytes, keep);
        require(rest.problemCount() == file.problemCount());
    }
    for (int line = 0; line <= file.lineCount() + 1; ++line) {
        file.lineText(line);
        file.recordAtLine(line);
        QString reason;
        const std::optional<qsizetype> record = file.recordOfLine(line, &reason);
        require(record ? *record < file.recordCount() : !reason.isEmpty());
    }

    QImage image(96, 96, QImage::Format_ARGB32_Premultiplied);
    for (qsizetype i = 0; i < file.recordCount() && i < 64; ++i) {
        const ProbeFile::Record &record = file.record(i);
        require(record.firstLine + record.lineCount <= quint64(file.lineCount()));
        kindText(record);
        require(isShown(visible(file.name(i))) && isShown(visible(file.thread(i))));
        file.text(i);
        const RecordDrawing drawing(file.lines(i));
        drawing.overallLength();
        drawing.largestWidth();
        QPainter painter(&image);
        drawing.paint(painter, QPointF(48, 8), 2.0);
        drawing.paintFitted(painter, QRectF(0, 0, 96, 96));
        // The data sheet's paths: a fixed paper scale with its detail, and the whole page (A4 at
        // half a dot per millimetre), with the dimensions read back from the record.
        decodeRecord(file.lines(i));
        // The same reading from the record's text, as a template takes it, as any kind.
        QList<RecordTokens> tokens;
        for (const QString &line : file.text(i).split(u'\n')) {
            tokens.append(RecordTokens(line));
        }
        for (const TipKindDescription &kind : kTipKinds) {
            decodeRecord(tokens, {.as = kind.kind, .otherLoneCylinder = (i % 2) != 0});
        }
        drawing.paintScaled(painter, QRectF(0, 0, 96, 96), 2.0, 1.0);
        paintDataSheet(painter, 0.5, DataSheetSource{&file, i, QStringLiteral("usrprobe.dat"), QDate(2026, 12, 7)});
    }
}

} // namespace merivox::fuzz
