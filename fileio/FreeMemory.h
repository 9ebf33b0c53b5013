#pragma once

// Hands memory that a thread freed back to the operating system. Reading a large file on a
// thread of its own leaves that thread's allocator holding what the reading used and freed
// (about 5 MB after a 50 MB file); the preview keeps only the file's summary, so the rest is
// given back after each reading. One implementation file per platform (FreeMemory_posix.cpp,
// FreeMemory_win32.cpp).

namespace merivox {

void releaseFreedMemory();

} // namespace merivox
