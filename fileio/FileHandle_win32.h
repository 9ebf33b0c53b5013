#pragma once

// What appending, replacing and reading share on Windows (FileHandle_win32.cpp): the handle that
// closes itself, the lock that appending and replacing take, the looks whether a path is a folder
// or still names an open file, writing every byte at a position, marking a file for deletion and
// copying a file's access list to another; and the locked file's steps of LockedFile.h.
// Included by the Windows implementation files only; FileHandle_posix.h is its POSIX counterpart.

#include "LockedFile.h"

#include <windows.h>

#include <filesystem>
#include <string_view>

namespace merivox::detail {

// A handle closed when it goes; closing a locked file's handle also releases the lock.
struct FileHandle
{
    HANDLE handle = INVALID_HANDLE_VALUE;
    FileHandle() = default;
    explicit FileHandle(HANDLE opened) : handle(opened) {}
    FileHandle(const FileHandle &) = delete;
    FileHandle &operator=(const FileHandle &) = delete;
    ~FileHandle() { close(); }
    bool valid() const { return handle != INVALID_HANDLE_VALUE; }
    void close();
};

bool isFolder(const std::filesystem::path &path);

// Opens an existing file sharing read, write and delete, so that nobody waits for this handle.
FileHandle openShared(const std::filesystem::path &path, DWORD access);

// Whether two handles have the same file open.
bool sameFile(HANDLE a, HANDLE b);

// Whether the path still names the file that the handle has open.
bool namesFile(const std::filesystem::path &path, HANDLE file);

bool deletePending(HANDLE file);

// Takes the lock of appending and replacing: LockFileEx, exclusive, on every byte, waiting for it.
bool lockExclusive(HANDLE file);

// The position of a read or write at offset.
OVERLAPPED positionAt(ULONGLONG offset);

// Writes all the bytes from offset on, in pieces of at most 1 GiB. On failure GetLastError() says
// why; a write that takes no byte fails as well.
bool writeAll(HANDLE file, std::string_view bytes, ULONGLONG offset);

// Reads the whole file from its start into out; false with the system's error left in GetLastError().
bool readAll(HANDLE file, std::string &out);

// Marks the file for deletion: it goes when its last handle closes.
void markForDeletion(HANDLE file);

// A file's access list, read from one file to be given to another that is made beside it (the
// new content of a replacement, the history).
struct AccessList
{
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    PACL dacl = nullptr;
    bool isProtected = false;
    AccessList(const AccessList &) = delete;
    AccessList &operator=(const AccessList &) = delete;
    AccessList() = default;
    ~AccessList()
    {
        if (descriptor) {
            LocalFree(descriptor);
        }
    }
};

// Reads the access list of the file (the handle needs READ_CONTROL); ERROR_SUCCESS or the error.
DWORD readAccessList(HANDLE file, AccessList &list);

// Gives the file the access list, inherited entries included as they were (the handle needs
// WRITE_DAC); ERROR_SUCCESS or the error.
DWORD applyAccessList(HANDLE file, const AccessList &list);

// The locked file's steps (LockedFile.h) on its handle: those of a replacement in
// ReplaceFile_win32.cpp, those of the change in place in InPlaceChange_win32.cpp.
class WindowsLockedFile final : public LockedFile
{
public:
    // The file locked on handle; the handle is closed with this object when owned.
    WindowsLockedFile(const std::filesystem::path &path, HANDLE locked, bool owned);

    std::string identity() override;
    int readFile(std::string &out) override;
    int writeAt(std::uint64_t offset, std::string_view bytes) override;
    int setLength(std::uint64_t length) override;
    int flushFile() override;
    bool replacesInOneStep() override;

    int look(const std::filesystem::path &path, bool &found, bool &isThisFile) override;
    bool readBackup(const std::filesystem::path &backup, std::string &out) override;
    int link(const std::filesystem::path &path) override;
    bool lacksHardLinks(int error) override;
    ReplaceResult writeNew(const std::filesystem::path &path, std::string_view bytes, NewFile kind) override;
    ReplaceResult renameOver(bool &inPlaceInstead) override;
    void removeNew() override;
    int moveOver(const std::filesystem::path &from, const std::filesystem::path &to) override;
    int remove(const std::filesystem::path &path) override;
    int flushFolder() override { return 0; } // NTFS journals its renames; MoveFileExW writes through

    int readNote(std::string &out, bool &found) override;
    int setStep(std::uint64_t offset, char step) override;

private:
    HANDLE m_locked;
    FileHandle m_owned;
    FileHandle m_new; // the new content's file, open from writeNew until renameOver
};

// Finishes a change in place that a killed copy left beside the file locked on the handle (an
// append's); ERROR_SUCCESS, or the error.
DWORD recoverFileChange(const std::filesystem::path &file, HANDLE locked);

} // namespace merivox::detail
