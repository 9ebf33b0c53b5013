#pragma once

// The operating-system half of appending a record: open or create the file, lock it against other
// copies of the program, make sure the locked file is still the one the path names, look at its
// last byte, write, flush, and on failure put the file back as it was. No Qt here, so that the
// Windows implementation (AppendFile_win32.cpp) builds and is tested with a cross compiler; the
// POSIX one is AppendFile_posix.cpp.

#include "FileCause.h"

#include <filesystem>
#include <string_view>

namespace merivox {

// What stopped an append: FolderMissing, AccessDenied, DiskFull, SizeLimit, IsFolder, or what the
// system's error names otherwise.
using AppendResult = FileResult;

// Appends the bytes to the file at path, creating it when absent, and flushes them (and, for a
// new file, its folder) to disk. When the file's last byte is not LF, a line end goes first: LF
// after a lone CR, CR LF otherwise. The file is locked for the whole append; a file that another
// copy removes or replaces meanwhile is left for the one the path then names. On failure the file
// keeps exactly its earlier bytes, and a file that this call created empty is removed while it is
// still locked, so that no waiting copy can write into it first.
AppendResult appendToFile(const std::filesystem::path &path, std::string_view bytes);

// A write past the process's file size limit fails with an error instead of ending the process
// (POSIX: SIGXFSZ is ignored). Called first thing at program start; nothing to do on Windows.
void ignoreFileSizeSignal();

// Points inside appendToFile at which tests look in: to pause one copy while another runs, or to
// make the flush fail.
enum class AppendStage {
    Opened,   // the file is open, the lock not yet taken
    Locked,   // locked, and known to be the file the path names
    Written,  // the bytes are written; a non-zero result is taken as the flush's system error
    Removing, // a failed append is about to remove the file it created, still holding the lock
};
using AppendHook = int (*)(AppendStage stage);

namespace detail {

inline AppendHook appendHook = nullptr;

// Both implementations call this at each stage; zero when no test looks in.
inline int atStage(AppendStage stage)
{
    return appendHook ? appendHook(stage) : 0;
}

// What must go before the new bytes so that they start on a line of their own.
inline std::string_view lineEndAfter(char lastByte)
{
    if (lastByte == '\n') {
        return {};
    }
    return lastByte == '\r' ? "\n" : "\r\n";
}

} // namespace detail

inline void setAppendHook(AppendHook hook)
{
    detail::appendHook = hook;
}

} // namespace merivox
