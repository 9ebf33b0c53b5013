#include "FileHandle_win32.h"
#include "InPlaceChange.h"
#include "ReplaceFile.h"

#include <windows.h>

#include <aclapi.h>

#include <cstring>
#include <vector>

namespace merivox {

namespace fs = std::filesystem;

namespace {

// SetFileInformationByHandle's FileRenameInfoEx, spelled out here so that it does not depend on
// the Windows version the headers are set to. Flags replaces the BOOLEAN of FileRenameInfo.
constexpr DWORD kReplaceIfExists = 0x1;
constexpr DWORD kPosixSemantics = 0x2;
constexpr auto kRenameInfoEx = FILE_INFO_BY_HANDLE_CLASS(22);
struct RenameInfoEx
{
    DWORD Flags;
    HANDLE RootDirectory;
    DWORD FileNameLength;
    WCHAR FileName[1];
};

using detail::AccessList;
using detail::applyAccessList;
using detail::FileHandle;
using detail::notReplaced;
using detail::openShared;
using detail::readAccessList;
using detail::readAll;
using detail::sameFile;

ReplaceResult lastFailure()
{
    return notReplaced(int(GetLastError()));
}

// Opens the existing file as appendToFile does (sharing read, write and delete, with the right
// to delete) and takes the same lock: LockFileEx, exclusive, on every byte. A file replaced or
// marked for deletion while the lock was awaited is left for the one the path names now; an open
// refused because another program holds the file is tried again for a while.
ReplaceResult openLocked(const fs::path &path, FileHandle &file)
{
    constexpr int kAttempts = 300;
    constexpr DWORD kPauseMs = 10;
    DWORD error = ERROR_SHARING_VIOLATION;
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        file.handle = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE | DELETE | READ_CONTROL,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        if (!file.valid()) {
            error = GetLastError();
            const DWORD attributes = GetFileAttributesW(path.c_str());
            if (error == ERROR_ACCESS_DENIED && attributes != INVALID_FILE_ATTRIBUTES &&
                (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
                return notReplaced(FileCause::IsFolder, error);
            }
            if (error == ERROR_SHARING_VIOLATION) {
                Sleep(kPauseMs);
                continue;
            }
            return notReplaced(error);
        }
        if (!detail::lockExclusive(file.handle)) {
            return lastFailure();
        }
        if (!detail::deletePending(file.handle) && detail::namesFile(path, file.handle)) {
            return {};
        }
        file.close();
    }
    return notReplaced(error);
}

// Renames the open file to the path in one step, replacing what stands there even while other
// handles have it open with delete sharing. File systems and Windows versions without this
// rename (FAT, before Windows 10 1607, some network shares) refuse it, as does a file that
// another program holds open without delete sharing: all of them count as "in use".
bool renameOver(HANDLE file, const fs::path &to, DWORD &error)
{
    const std::wstring name = fs::absolute(to).wstring();
    std::vector<char> buffer(sizeof(RenameInfoEx) + name.size() * sizeof(wchar_t));
    auto *rename = reinterpret_cast<RenameInfoEx *>(buffer.data());
    rename->Flags = kReplaceIfExists | kPosixSemantics;
    rename->RootDirectory = nullptr;
    rename->FileNameLength = DWORD(name.size() * sizeof(wchar_t));
    std::memcpy(rename->FileName, name.data(), name.size() * sizeof(wchar_t));
    if (SetFileInformationByHandle(file, kRenameInfoEx, rename, DWORD(buffer.size()))) {
        return true;
    }
    error = GetLastError();
    return false;
}

// Whether the volume can do that rename: file systems say so by FILE_SUPPORTS_POSIX_UNLINK_RENAME
// (spelled out for the same reason). A volume that does not answer is tried.
bool volumeReplacesInOneStep(HANDLE file)
{
    constexpr DWORD kPosixUnlinkRename = 0x400;
    DWORD flags = 0;
    if (!GetVolumeInformationByHandleW(file, nullptr, 0, nullptr, nullptr, &flags, nullptr, 0)) {
        return true;
    }
    return (flags & kPosixUnlinkRename) != 0;
}

// The rename's refusals that mean the volume cannot do it at all (exFAT, network shares, Wine),
// as opposed to another program holding the file (a sharing violation, access denied): those
// stay "in use", since rewriting a file that the measuring software has open is no way out.
bool volumeCannotRename(DWORD error)
{
    constexpr DWORD kFileSystemLimitation = 665; // ERROR_FILE_SYSTEM_LIMITATION, not in every header
    return error == ERROR_NOT_SUPPORTED || error == kFileSystemLimitation || error == ERROR_INVALID_PARAMETER;
}

FileCause renameCause(DWORD error)
{
    switch (error) {
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_INVALID_PARAMETER:
    case ERROR_INVALID_FUNCTION:
    case ERROR_NOT_SUPPORTED:
    case ERROR_CALL_NOT_IMPLEMENTED:
    case ERROR_NOT_SAME_DEVICE:
        return FileCause::InUse;
    default:
        return detail::causeOf(int(error));
    }
}

// The attributes a new file takes over from the old one.
constexpr DWORD kKeptAttributes =
    FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

// Writes a new file under a temporary name with the old one's attributes and access list, and
// flushes it. On success the file stays open (for the rename by handle); on failure it is gone.
ReplaceResult writeTemporary(const fs::path &temporary, HANDLE like, std::string_view bytes, bool stages,
                             FileHandle &out)
{
    FILE_BASIC_INFO basic{};
    if (!GetFileInformationByHandleEx(like, FileBasicInfo, &basic, sizeof basic)) {
        return notReplaced(FileCause::NoPermissions, GetLastError());
    }
    AccessList access;
    if (const DWORD error = readAccessList(like, access)) {
        return notReplaced(FileCause::NoPermissions, error);
    }
    const DWORD attributes = basic.FileAttributes & kKeptAttributes;
    out.handle = CreateFileW(temporary.c_str(), GENERIC_READ | GENERIC_WRITE | DELETE | WRITE_DAC | READ_CONTROL,
                             FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, CREATE_NEW,
                             attributes ? attributes : FILE_ATTRIBUTE_NORMAL, nullptr);
    if (!out.valid()) {
        return lastFailure();
    }
    const auto fail = [&](ReplaceResult result) {
        detail::markForDeletion(out.handle);
        out.close();
        return result;
    };
    if (const DWORD error = applyAccessList(out.handle, access)) {
        return fail(notReplaced(FileCause::NoPermissions, error));
    }
    if (!detail::writeAll(out.handle, bytes, 0)) {
        return fail(lastFailure());
    }
    if (const int error = stages ? detail::atStage(ReplaceStage::NewWritten) : 0) {
        return fail(notReplaced(error));
    }
    if (!FlushFileBuffers(out.handle)) {
        return fail(lastFailure());
    }
    if (const int error = stages ? detail::atStage(ReplaceStage::NewFlushed) : 0) {
        return fail(notReplaced(error));
    }
    return {};
}

bool noHardLinks(DWORD error)
{
    return error == ERROR_INVALID_FUNCTION || error == ERROR_NOT_SUPPORTED || error == ERROR_TOO_MANY_LINKS ||
           error == ERROR_CALL_NOT_IMPLEMENTED;
}

// Keeps the old content as the .bak: a hard link to the locked file under a temporary name,
// moved over an earlier .bak of this program's; where the file system has no hard links, or where
// the file is to be changed in place (copy; then also over a link made before), a flushed copy.
ReplaceResult keepBackup(const fs::path &file, HANDLE locked, std::string_view content, bool copy)
{
    const fs::path backup = detail::backupPath(file);
    const DWORD existing = GetFileAttributesW(backup.c_str());
    if (existing != INVALID_FILE_ATTRIBUTES) {
        const FileHandle earlierFile = openShared(backup, GENERIC_READ);
        if (earlierFile.valid() && sameFile(earlierFile.handle, locked) && !copy) {
            return {}; // a killed removal already linked it
        }
        std::string earlier;
        if (!earlierFile.valid() || (existing & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) ||
            !readAll(earlierFile.handle, earlier)) {
            return notReplaced(FileCause::ForeignBackup);
        }
        if (const ReplaceResult rescued = detail::rescueBackup(file, earlier, content); !rescued.ok()) {
            return rescued;
        }
    } else if (const DWORD error = GetLastError(); error != ERROR_FILE_NOT_FOUND) {
        return notReplaced(error);
    }

    const fs::path temporary = detail::temporaryPath(file, GetCurrentProcessId(), true);
    const DWORD refused = copy ? ERROR_NOT_SUPPORTED : DWORD(detail::atStage(ReplaceStage::Linking));
    if (refused == 0 && CreateHardLinkW(temporary.c_str(), file.c_str(), nullptr)) {
        const FileHandle linked = openShared(temporary, 0);
        if (!linked.valid() || !sameFile(linked.handle, locked)) {
            DeleteFileW(temporary.c_str());
            return notReplaced(FileCause::Changed);
        }
    } else if (const DWORD error = refused ? refused : GetLastError(); noHardLinks(error)) {
        FileHandle copy;
        if (const ReplaceResult copied = writeTemporary(temporary, locked, content, false, copy); !copied.ok()) {
            return copied;
        }
    } else {
        return notReplaced(error);
    }
    if (!MoveFileExW(temporary.c_str(), backup.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        const DWORD error = GetLastError();
        DeleteFileW(temporary.c_str());
        return notReplaced(error);
    }
    return {};
}

// The change in place (ReplaceFile.h), for volumes that cannot replace the file in one step.
ReplaceResult changedInPlace(const fs::path &file, HANDLE locked, std::string_view content,
                             const detail::PreparedChange &change)
{
    return detail::changedInPlace(
        file, change, [&] { return keepBackup(file, locked, content, true); },
        [&](bool &begun) { return int(detail::changeFileInPlace(file, locked, content, change.replacement, begun)); });
}

} // namespace

ReplaceResult spliceFile(const fs::path &path, std::uint64_t expectedHash, std::uint64_t begin, std::uint64_t end,
                         std::string_view insert, const ChangeNote &note)
{
    const fs::path file = detail::followLink(path);
    FileHandle locked;
    if (const ReplaceResult opened = openLocked(file, locked); !opened.ok()) {
        return opened;
    }
    detail::removeLeftovers(file);

    // A change in place that a killed copy left is finished before anything else.
    if (const DWORD error = detail::recoverFileChange(file, locked.handle)) {
        return notReplaced(int(error));
    }
    std::string content;
    if (!readAll(locked.handle, content)) {
        return lastFailure();
    }
    detail::PreparedChange change;
    const unsigned long pid = GetCurrentProcessId();
    if (const ReplaceResult prepared =
            detail::prepareReplacement(file, content, expectedHash, begin, end, insert, note, pid, change);
        !prepared.ok()) {
        return prepared;
    }
    const auto notChanged = [&](ReplaceResult result) {
        detail::markChange(file, change.entryId, false);
        return result;
    };

    if (detail::inPlaceForced() || !volumeReplacesInOneStep(locked.handle)) {
        return changedInPlace(file, locked.handle, content, change);
    }

    const fs::path temporary = detail::temporaryPath(file, pid, false);
    FileHandle fresh;
    if (const ReplaceResult written = writeTemporary(temporary, locked.handle, change.replacement, true, fresh);
        !written.ok()) {
        return notChanged(written);
    }
    // The .bak is replaced only now that the new content is ready to take the path's place.
    if (const ReplaceResult kept = keepBackup(file, locked.handle, content, false); !kept.ok()) {
        detail::markForDeletion(fresh.handle);
        return notChanged(kept);
    }
    if (const int error = detail::atStage(ReplaceStage::BackupKept)) {
        detail::markForDeletion(fresh.handle);
        return notChanged(notReplaced(error));
    }
    DWORD error = 0;
    if (!renameOver(fresh.handle, file, error)) {
        detail::markForDeletion(fresh.handle);
        fresh.close();
        if (volumeCannotRename(error)) {
            return changedInPlace(file, locked.handle, content, change);
        }
        return notChanged(notReplaced(renameCause(error), error));
    }
    fresh.close();
    // NTFS journals the rename itself; there is no folder to flush as on POSIX. Closing the old
    // file's handle on return releases the lock.
    const ReplaceResult replaced = detail::replacedBy(file, change, nullptr);
    detail::markChange(file, change.entryId, true);
    return replaced;
}

} // namespace merivox
