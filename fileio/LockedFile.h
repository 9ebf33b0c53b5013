#pragma once

// The system's small steps on the file that a change holds locked, and on the files beside it:
// what replacing the file (ReplaceFile.cpp) and changing it in place (InPlaceChange.cpp) call,
// the same sequence on every platform. ReplaceFile_posix.cpp / _win32.cpp hold the steps of a
// replacement, InPlaceChange_posix.cpp / _win32.cpp those of the change in place; the class of
// each platform is declared in FileHandle_posix.h / _win32.h. Each step gives 0 or the system's
// error, or a ReplaceResult where the platform tells causes apart. No Qt here.

#include "ReplaceFile.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

namespace merivox::detail {

// What a new file beside the locked one is for. Each takes the file's permissions (Windows:
// attributes and access list) and is flushed; on failure it is gone again.
enum class NewFile {
    Content, // the new content: passes NewWritten and NewFlushed; on Windows it stays open for renameOver
    Backup,  // a copy of the old content on its way to .bak
    Note,    // the recovery note on its way to its name; on POSIX it may keep its maker as owner
};

class LockedFile
{
public:
    virtual ~LockedFile() = default;
    LockedFile(const LockedFile &) = delete;
    LockedFile &operator=(const LockedFile &) = delete;

    // The locked file's path: the target of a symbolic link at the path the caller named.
    const std::filesystem::path &path() const { return m_path; }

    // The file itself.
    // Its identity (digits and letters), as the recovery note names it.
    virtual std::string identity() = 0;
    virtual int readFile(std::string &out) = 0;
    virtual int writeAt(std::uint64_t offset, std::string_view bytes) = 0;
    virtual int setLength(std::uint64_t length) = 0;
    virtual int flushFile() = 0;
    // Whether its volume can replace it in one step while the lock's handle keeps it open.
    virtual bool replacesInOneStep() = 0;

    // Names beside it.
    // Whether something stands at path and whether that is the locked file itself; a name not
    // there is no error.
    virtual int look(const std::filesystem::path &path, bool &found, bool &isThisFile) = 0;
    // Reads an earlier .bak; false when it cannot be read as a plain file (a folder, a link, no permission).
    virtual bool readBackup(const std::filesystem::path &backup, std::string &out) = 0;
    // Makes a hard link to the locked file at path.
    virtual int link(const std::filesystem::path &path) = 0;
    // Whether a link's error means that the file system has no hard links.
    virtual bool lacksHardLinks(int error) = 0;
    // Writes bytes to a new file at path, made fresh for what kind says.
    virtual ReplaceResult writeNew(const std::filesystem::path &path, std::string_view bytes, NewFile kind) = 0;
    // Puts the new content's file (writeNew with Content) in the locked file's place in one step.
    // When the volume cannot do that at all, nothing is changed and inPlaceInstead says so: the
    // change is then made in place.
    virtual ReplaceResult renameOver(bool &inPlaceInstead) = 0;
    // Removes the new content's file, written or not.
    virtual void removeNew() = 0;
    // Renames from over to, replacing what stands there, written through.
    virtual int moveOver(const std::filesystem::path &from, const std::filesystem::path &to) = 0;
    // Removes the name; a name not there is no error.
    virtual int remove(const std::filesystem::path &path) = 0;
    // Makes the folder's names durable where the system needs it (nothing to do on Windows).
    virtual int flushFolder() = 0;

    // The recovery note beside the file (InPlaceChange.h).
    // Its bytes into out; found is false (and 0 returned) when there is none.
    virtual int readNote(std::string &out, bool &found) = 0;
    // Writes the step digit at offset in the note and flushes it.
    virtual int setStep(std::uint64_t offset, char step) = 0;

protected:
    explicit LockedFile(std::filesystem::path path) : m_path(std::move(path)) {}

private:
    std::filesystem::path m_path;
};

// Opens the existing file at path (already followed, followLink) and takes the append layer's
// lock; the path must still name the locked file once it is held.
ReplaceResult openLocked(const std::filesystem::path &path, std::unique_ptr<LockedFile> &locked);

// This process's id, as the names of its temporary files carry it.
unsigned long processId();

} // namespace merivox::detail
