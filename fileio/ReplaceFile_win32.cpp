#include "FileHandle_win32.h"
#include "ReplaceFile.h"

#include <windows.h>

#include <cstring>
#include <vector>

namespace merivox::detail {

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

int lastError()
{
    return int(GetLastError());
}

ReplaceResult lastFailure()
{
    return notReplaced(lastError());
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
        return causeOf(int(error));
    }
}

// The attributes a new file takes over from the locked one.
constexpr DWORD kKeptAttributes =
    FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

} // namespace

unsigned long processId()
{
    return GetCurrentProcessId();
}

// Opens the existing file as appendToFile does (sharing read, write and delete, with the right
// to delete) and takes the same lock: LockFileEx, exclusive, on every byte. A file replaced or
// marked for deletion while the lock was awaited is left for the one the path names now; an open
// refused because another program holds the file is tried again for a while.
ReplaceResult openLocked(const fs::path &path, std::unique_ptr<LockedFile> &locked)
{
    constexpr int kAttempts = 300;
    constexpr DWORD kPauseMs = 10;
    DWORD error = ERROR_SHARING_VIOLATION;
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        FileHandle file(CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE | DELETE | READ_CONTROL,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
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
        if (!lockExclusive(file.handle)) {
            return lastFailure();
        }
        if (!deletePending(file.handle) && namesFile(path, file.handle)) {
            locked = std::make_unique<WindowsLockedFile>(path, file.handle, true);
            file.handle = INVALID_HANDLE_VALUE;
            return {};
        }
    }
    return notReplaced(error);
}

WindowsLockedFile::WindowsLockedFile(const fs::path &path, HANDLE locked, bool owned)
    : LockedFile(path), m_locked(locked), m_owned(owned ? locked : INVALID_HANDLE_VALUE)
{}

int WindowsLockedFile::readFile(std::string &out)
{
    return readAll(m_locked, out) ? 0 : lastError();
}

// File systems say whether they can do renameOver by FILE_SUPPORTS_POSIX_UNLINK_RENAME (spelled
// out for the same reason as FileRenameInfoEx). A volume that does not answer is tried.
bool WindowsLockedFile::replacesInOneStep()
{
    constexpr DWORD kPosixUnlinkRename = 0x400;
    DWORD flags = 0;
    if (!GetVolumeInformationByHandleW(m_locked, nullptr, 0, nullptr, nullptr, &flags, nullptr, 0)) {
        return true;
    }
    return (flags & kPosixUnlinkRename) != 0;
}

int WindowsLockedFile::look(const fs::path &path, bool &found, bool &isThisFile)
{
    found = GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
    if (!found) {
        const DWORD error = GetLastError();
        isThisFile = false;
        return error == ERROR_FILE_NOT_FOUND ? 0 : int(error);
    }
    const FileHandle named = openShared(path, 0);
    isThisFile = named.valid() && sameFile(named.handle, m_locked);
    return 0;
}

bool WindowsLockedFile::readBackup(const fs::path &backup, std::string &out)
{
    const DWORD attributes = GetFileAttributesW(backup.c_str());
    const FileHandle in = openShared(backup, GENERIC_READ);
    return attributes != INVALID_FILE_ATTRIBUTES &&
           !(attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) && in.valid() &&
           readAll(in.handle, out);
}

int WindowsLockedFile::link(const fs::path &path)
{
    return CreateHardLinkW(path.c_str(), this->path().c_str(), nullptr) ? 0 : lastError();
}

bool WindowsLockedFile::lacksHardLinks(int error)
{
    return error == ERROR_INVALID_FUNCTION || error == ERROR_NOT_SUPPORTED || error == ERROR_TOO_MANY_LINKS ||
           error == ERROR_CALL_NOT_IMPLEMENTED;
}

// Created fresh with the locked file's attributes and access list, written and flushed. The new
// content's file stays open, for renameOver by its handle; on failure the file is gone.
ReplaceResult WindowsLockedFile::writeNew(const fs::path &path, std::string_view bytes, NewFile kind)
{
    FILE_BASIC_INFO basic{};
    if (!GetFileInformationByHandleEx(m_locked, FileBasicInfo, &basic, sizeof basic)) {
        return notReplaced(FileCause::NoPermissions, GetLastError());
    }
    AccessList access;
    if (const DWORD error = readAccessList(m_locked, access)) {
        return notReplaced(FileCause::NoPermissions, error);
    }
    const DWORD attributes = basic.FileAttributes & kKeptAttributes;
    FileHandle out(CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE | DELETE | WRITE_DAC | READ_CONTROL,
                               FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, CREATE_NEW,
                               attributes ? attributes : FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!out.valid()) {
        return lastFailure();
    }
    const auto fail = [&](ReplaceResult result) {
        markForDeletion(out.handle);
        return result;
    };
    const bool stages = kind == NewFile::Content;
    if (const DWORD error = applyAccessList(out.handle, access)) {
        return fail(notReplaced(FileCause::NoPermissions, error));
    }
    if (!writeAll(out.handle, bytes, 0)) {
        return fail(lastFailure());
    }
    if (const int error = stages ? atStage(ReplaceStage::NewWritten) : 0) {
        return fail(notReplaced(error));
    }
    if (!FlushFileBuffers(out.handle)) {
        return fail(lastFailure());
    }
    if (const int error = stages ? atStage(ReplaceStage::NewFlushed) : 0) {
        return fail(notReplaced(error));
    }
    if (stages) {
        m_new.close();
        std::swap(m_new.handle, out.handle);
    }
    return {};
}

// Renames the new content's file to the path in one step, replacing what stands there even while
// other handles have it open with delete sharing. File systems and Windows versions without this
// rename (FAT, before Windows 10 1607, some network shares) refuse it, as does a file that another
// program holds open without delete sharing: all of them count as "in use", and those that cannot
// rename at all are changed in place instead.
ReplaceResult WindowsLockedFile::renameOver(bool &inPlaceInstead)
{
    const std::wstring name = fs::absolute(path()).wstring();
    std::vector<char> buffer(sizeof(RenameInfoEx) + name.size() * sizeof(wchar_t));
    auto *rename = reinterpret_cast<RenameInfoEx *>(buffer.data());
    rename->Flags = kReplaceIfExists | kPosixSemantics;
    rename->RootDirectory = nullptr;
    rename->FileNameLength = DWORD(name.size() * sizeof(wchar_t));
    std::memcpy(rename->FileName, name.data(), name.size() * sizeof(wchar_t));
    inPlaceInstead = false;
    if (SetFileInformationByHandle(m_new.handle, kRenameInfoEx, rename, DWORD(buffer.size()))) {
        m_new.close();
        return {};
    }
    const DWORD error = GetLastError();
    inPlaceInstead = volumeCannotRename(error);
    return inPlaceInstead ? ReplaceResult{} : notReplaced(renameCause(error), int(error));
}

void WindowsLockedFile::removeNew()
{
    if (m_new.valid()) {
        markForDeletion(m_new.handle);
        m_new.close();
    }
}

int WindowsLockedFile::moveOver(const fs::path &from, const fs::path &to)
{
    return MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) ? 0 : lastError();
}

int WindowsLockedFile::remove(const fs::path &path)
{
    if (!DeleteFileW(path.c_str())) {
        const DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND ? 0 : int(error);
    }
    return 0;
}

} // namespace merivox::detail
