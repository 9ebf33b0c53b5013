#pragma once

#include "AppendFile.h"
#include "TipRecord.h"

#include <QByteArray>
#include <QString>

#include <optional>

namespace merivox {

// Appends records to usrprobe.dat. The file is never read back except for its last byte,
// never rewritten and never truncated below the length it had before the append.
class ProbeFileWriter final
{
public:
    static QString fileName() { return QStringLiteral("usrprobe.dat"); }
    static QString filePath(const QString &folder);

    // The bytes of a record as they go into the file: every line in the code page, each
    // ended by CR LF. Nothing when a line holds a character that the code page lacks.
    static std::optional<QByteArray> encode(const TipRecord &record);

    // Appends the whole record, creating the file when it is absent, and flushes it to disk.
    // When the file's last byte is not a line end, a line end goes first, so that the last
    // line there and the new item line stay apart. The file is locked while the record goes in.
    // On failure the file keeps exactly its earlier bytes (a new file is removed again), and
    // errorString() tells the operator what went wrong.
    bool append(const QString &folder, const TipRecord &record);
    QString errorString() const { return m_error; }

private:
    bool fail(const QString &path, const QString &reason);
    QString m_error;
};

} // namespace merivox
