#include "RecordBytes.h"

namespace merivox {

namespace {

// Where the line (0-based) begins, as the reader counts lines: each ended by LF.
qsizetype lineStart(const QByteArray &bytes, qsizetype line, qsizetype &from, qsizetype &at)
{
    while (at < line) {
        const qsizetype end = bytes.indexOf('\n', from);
        from = end < 0 ? bytes.size() : end + 1;
        ++at;
    }
    return from;
}

} // namespace

std::optional<ByteRange> recordBytes(const ProbeFile &file, qsizetype record, QString *reason)
{
    const ProbeFile::Record &found = file.record(record);
    const QByteArray &bytes = file.bytes();
    qsizetype from = 0;
    qsizetype at = 0;
    const qsizetype first = lineStart(bytes, found.firstLine, from, at);
    for (quint32 i = 0; i < found.lineCount; ++i) {
        const qsizetype begin = lineStart(bytes, found.firstLine + i, from, at);
        const qsizetype end = lineStart(bytes, found.firstLine + i + 1, from, at);
        // Another record starting anywhere in the line but at its beginning.
        if (QByteArrayView(bytes.constData() + begin, end - begin).indexOf(QByteArrayView("ITEM:"), 1) > 0) {
            if (reason) {
                *reason = QStringLiteral("Der Eintrag teilt sich Zeile %1 mit einem anderen; er wird nicht entfernt.")
                              .arg(found.firstLine + i + 1);
            }
            return std::nullopt;
        }
    }
    return ByteRange{first, lineStart(bytes, found.firstLine + found.lineCount, from, at)};
}

} // namespace merivox
