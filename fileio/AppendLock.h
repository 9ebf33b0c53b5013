#pragma once

// Whether a copy of the program is appending to the file at this moment, for a reader that would
// otherwise show a record half written. Only looks: the lock is never waited for, so an append
// never waits for a reader. No Qt here; one implementation file per platform.

#include <filesystem>

namespace merivox {

// True while another open of the file holds the append layer's lock; false when it is free, and
// when the file cannot be opened at all (the read then says why).
bool appendLockHeld(const std::filesystem::path &path);

} // namespace merivox
