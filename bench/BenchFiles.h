#pragma once

// What the benchmarks share: the large probe file they read, and this process's peak memory.

#include <QByteArray>
#include <QString>

namespace merivox::bench {

// About bytes of probe file (some records more), built with the real builders and encoder:
// records of all six kinds, half of them with a decimal comma.
QByteArray makeFile(qint64 bytes);
// Writes bytes to the file at path, replacing it.
bool writeFile(const QString &path, const QByteArray &bytes);
// The peak resident memory of this process (VmHWM), in KiB; -1 where it is not known.
long peakKiB();

} // namespace merivox::bench
