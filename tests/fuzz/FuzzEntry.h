#pragma once

// The one entry that the fuzzer and the replay of its corpus share: reads the bytes as a probe
// file, asks every accessor about every record and line, and paints every record both ways.

#include <cstddef>
#include <cstdint>

namespace merivox::fuzz {

// Needs a QGuiApplication (the fitted paint measures its labels).
void readAndPaint(const std::uint8_t *data, std::size_t size);

} // namespace merivox::fuzz
