#pragma once

// Where a record stands in the file's bytes, for taking it out of the file.

#include "ProbeFile.h"

#include <optional>

namespace merivox {

struct ByteRange
{
    qint64 begin = 0;
    qint64 end = 0; // past the line end of the record's last line
};

// The bytes of the record's lines, with their line ends: exactly what taking the record out
// removes. Nothing when one of its lines also holds the start of another record
// ("endtipITEM:…"), since the other record would lose part of that line; reason then says which
// line (German).
std::optional<ByteRange> recordBytes(const ProbeFile &file, qsizetype record, QString *reason = nullptr);

} // namespace merivox
