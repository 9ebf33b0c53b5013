#pragma once

#include "TipInputs.h"
#include "TipRecord.h"

#include <QLocale>

#include <optional>

namespace merivox {

// Builds the record of one component from checked inputs. Pure: no file, no window.
// Returns nothing when a computed position overflows the range of a double; then nothing
// may be written.
std::optional<TipRecord> buildRecord(TipKind kind, const TipInputs &in, const QLocale &locale);

} // namespace merivox
