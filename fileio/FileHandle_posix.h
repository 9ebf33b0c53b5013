#pragma once

// What appending and replacing share on POSIX systems (FileHandle_posix.cpp): the descriptor that
// closes itself, the lock that both take, the look whether a path still names an open file,
// writing every byte and flushing a folder; and the locked file's steps of LockedFile.h. Included by
// the POSIX implementation files only; FileHandle_win32.h is its Windows counterpart.

#include "LockedFile.h"

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

// The locked file's steps (LockedFile.h) on its descriptor: those of a replacement in
// ReplaceFile_posix.cpp, those of the change in place in InPlaceChange_posix.cpp.
class PosixLockedFile final : public LockedFile
{
public:
    // The file locked on fd, as info describes it; fd is closed with this object when owned.
    PosixLockedFile(const std::filesystem::path &path, int fd, const struct stat &info, bool owned);

    std::string identity() override;
    int readFile(std::string &out) override;
    int writeAt(std::uint64_t offset, std::string_view bytes) override;
    int setLength(std::uint64_t length) override;
    int flushFile() override;
    bool replacesInOneStep() override { return true; }

    int look(const std::filesystem::path &path, bool &found, bool &isThisFile) override;
    bool readBackup(const std::filesystem::path &backup, std::string &out) override;
    int link(const std::filesystem::path &path) override;
    bool lacksHardLinks(int error) override;
    ReplaceResult writeNew(const std::filesystem::path &path, std::string_view bytes, NewFile kind) override;
    ReplaceResult renameOver(bool &inPlaceInstead) override;
    void removeNew() override;
    int moveOver(const std::filesystem::path &from, const std::filesystem::path &to) override;
    int remove(const std::filesystem::path &path) override;
    int flushFolder() override;

    int readNote(std::string &out, bool &found) override;
    int setStep(std::uint64_t offset, char step) override;

private:
    int m_fd;
    FileHandle m_owned;
    struct stat m_info;
    std::filesystem::path m_new; // the new content's file, once written
};

// Finishes a change in place that a killed copy left beside the file locked on fd (an append's);
// zero, or the system's error.
int recoverFileChange(const std::filesystem::path &file, int fd);

} // namespace merivox::detail
