#pragma once

// Reading a file in pieces, for the check (ProbeFile::check) and for a reading that leaves the
// bytes on disk (ProbeFile::read with NotesKept::bytesOnDisk): the lines go to the checker as
// they are found, from a buffer of 1 MiB that grows only for a line longer than it.

#include "LineChecker.h"
#include "ReadFile.h"

#include <QByteArrayView>

#include <functional>

namespace merivox {

// How a reading in pieces ended: with the read's result, stopped by its caller, and the last byte.
struct Fed
{
    ReadResult result;
    bool stopped = false;
    char last = 0;
};

// Feeds the lines of an open file to the checker. After each read, seen(base, bytes, ended) is
// shown all the bytes in the buffer (bytes[0] stands at base in the file; ended at the file's end)
// and stops the reading by returning false. keepFrom(offset) tells how far back the buffer must
// keep the bytes when the next line starts at offset.
Fed feedPieces(InputFile &file, LineChecker &checker, const std::function<bool(quint64, QByteArrayView, bool)> &seen,
               const std::function<quint64(quint64)> &keepFrom);

// Whether the file holds a CR LF from offset on; it is read from there, and left where it stood.
bool crLfFromFile(InputFile &file, quint64 offset);

} // namespace merivox
