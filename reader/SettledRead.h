#pragma once

// Reading the probe file again while it may be changing: an append of another copy of the program
// holds its lock, or has written only part of its record so far. The read waits for either to end
// and reads again, within limits, so that the viewer following the file never shows a record half
// written; past the limits it takes the file as it stands.

#include "ProbeFile.h"

#include <chrono>
#include <optional>

namespace merivox {

struct SettleTimes
{
    std::chrono::milliseconds step{50};        // between two looks
    std::chrono::milliseconds lockWait{10000}; // at most, while an append holds its lock
    std::chrono::milliseconds tailWait{1000};  // at most, while the last line has no line end
};

// Reads the file at path once no append is under way and its last line is whole (the program
// ends every record it writes with a line end). Nothing when it cannot be read; error says why.
// progress, if given, is told how far each reading got and can cancel it (nothing is returned then).
// keep: what each reading keeps.
std::optional<ProbeFile> readSettled(const QString &path, QString *error = nullptr, SettleTimes times = {},
                                     const ReadProgress *progress = nullptr, ProbeFile::Keep keep = {});

} // namespace merivox
