#pragma once

// What appending and replacing share on POSIX systems (FileHandle_posix.cpp): the descriptor that
// closes itself, the lock that both take, the look whether a path still names an open file,
// writing every byte and flushing a folder. Included by the POSIX implementation files only;
// FileHandle_win32.h is its Windows counterpart.

#include <filesystem>
#include <string_view>
#include <sys/stat.h>
#include <sys/types.h>

namespace merivox::detail {

// A descriptor closed when it goes; closing a locked file's descriptor also releases the lock.
struct FileHandle
{
    int fd = -1;
    FileHandle() = default;
    explicit FileHandle(int opened) : fd(opened) {}
    FileHandle(const FileHandle &) = delete;
    FileHandle &operator=(const FileHandle &) = delete;
    ~FileHandle();
};

bool sameFile(const struct stat &a, const struct stat &b);

// Whether the path still names the file that was opened.
bool namesFile(const std::filesystem::path &path, const struct stat &opened);

// Takes the lock of appending and replacing: flock, exclusive, on the whole file, waiting for it.
// Zero when taken, otherwise -1 with errno set.
int lockExclusive(int fd);

// Writes all the bytes from offset on (pwrite), or where the descriptor stands (write) for a
// negative offset. Zero, or the system's error; a write that takes no byte counts as EIO.
int writeAll(int fd, std::string_view bytes, off_t offset = -1);

// Reads the whole file from its start into out; 0 or the system's error.
int readAll(int fd, std::string &out);

// Makes a new name in the file's folder durable: the folder's entries are flushed like a file's
// content. File systems that cannot flush a folder say so with EINVAL; then there is nothing to do.
int syncFolder(const std::filesystem::path &file);

// The in-place change (InPlaceChange.h) on the file's locked descriptor, with the note beside it
// (InPlaceChange_posix.cpp): finishing one that a killed copy left, and making one. Zero, or the
// system's error.
int recoverFileChange(const std::filesystem::path &file, int fd);
int changeFileInPlace(const std::filesystem::path &file, int fd, std::string_view content, std::string_view replacement,
                      bool &begun);

} // namespace merivox::detail
