#pragma once

#include "TipInputs.h"
#include "TipRecord.h"

#include <QLocale>

#include <optional>

namespace merivox {

// The component kinds, by the code that tip_type holds.
enum class TipKind { Ball = 1, Cylinder = 2, HalfSphere = 3, Disc = 4, Cube = 5, Extension = 6 };

// Builds the record of one component from checked inputs. Pure: no file, no window.
// Returns nothing when a computed position overflows the range of a double; then nothing
// may be written.
std::optional<TipRecord> buildRecord(TipKind kind, const TipInputs &in, const QLocale &locale);

} // namespace merivox
