#pragma once

// Whether two paths name one file on disk. No Qt here, like the rest of the file layer;
// SameFile_posix.cpp and SameFile_win32.cpp implement it.

#include <filesystem>

namespace merivox {

// True when both paths lead to the same file: the same device and file number (POSIX), the same
// volume serial number and file index (Windows). So also through a symbolic link, a hard link,
// "..", a relative path or another spelling of the name. False when either path names no file
// that can be looked at (it does not exist yet, or access is denied).
bool sameFileOnDisk(const std::filesystem::path &a, const std::filesystem::path &b);

} // namespace merivox
