#pragma once

// The operating-system half of reading the probe file, beside the half that appends to it. No Qt
// here, so that the Windows implementation (ReadFile_win32.cpp) builds and is tested with a cross
// compiler; the POSIX one is ReadFile_posix.cpp.
//
// Only a plain file is read: a folder, a pipe or a device is refused before a byte is read, so
// that neither a pipe without a writer nor an endless device can hold the reader. On Windows the
// file is shared for reading, writing and deleting, so that an append never waits for a reader,
// and a read that meets an append's lock waits for it and tries again.
//
// A caller that wants the file in pieces opens an InputFile and reads into its own buffer as often
// as it likes; readWholeFile does that once into a buffer that the caller sizes.

#include "FileCause.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <span>

namespace merivox {

// What stopped a read: Missing, FolderMissing, AccessDenied, FolderAccessDenied, IsFolder,
// NotRegular, TooLarge (more than the caller takes), InUse (an append kept its lock longer than a
// reader waits, or another program holds the file without sharing it), else Other.
using ReadResult = FileResult;

class InputFile final
{
public:
    InputFile() = default;
    ~InputFile();
    InputFile(const InputFile &) = delete;
    InputFile &operator=(const InputFile &) = delete;

    // Opens the file for reading only; refuses anything but a plain file before reading from it.
    ReadResult open(const std::filesystem::path &path);
    // The file's size when it was opened; an append that follows is not counted.
    std::uint64_t size() const { return m_size; }
    // Reads up to buffer.size() bytes from where the last read ended; got is 0 at the end. The
    // end is where the file ended when it was opened: an append meanwhile is a whole record that
    // the next opening sees.
    ReadResult read(std::span<char> buffer, std::size_t &got);
    // Where the next read starts; a reader may go back to read a part again.
    std::uint64_t position() const { return m_position; }
    void seek(std::uint64_t position) { m_position = position < m_size ? position : m_size; }
    void close();

private:
    std::intptr_t m_handle = -1; // a descriptor, or a HANDLE on Windows
    std::uint64_t m_size = 0;
    std::uint64_t m_position = 0;
};

// Reads the whole file: into(size) gives a buffer for size bytes (the size at opening, at most
// limit, else TooLarge); got receives how many were read, fewer when the file shrank meanwhile.
ReadResult readWholeFile(const std::filesystem::path &path, std::uint64_t limit,
                         const std::function<char *(std::uint64_t size)> &into, std::uint64_t &got);

// Points inside the read at which tests look in to make a step fail with a system error of their
// choice, for causes that cannot be arranged for real (root may read everything).
enum class ReadStage {
    Open, // opening the file; non-zero: the open fails with that error
    Look, // the look at the path after a refused open; non-zero: it fails with that error
    Read, // each read; non-zero: it fails with that error (ERROR_LOCK_VIOLATION is waited out)
};
using ReadHook = int (*)(ReadStage stage);

namespace detail {

inline ReadHook readHook = nullptr;

inline int atReadStage(ReadStage stage)
{
    return readHook ? readHook(stage) : 0;
}

} // namespace detail

inline void setReadHook(ReadHook hook)
{
    detail::readHook = hook;
}

} // namespace merivox
