#include "AppendFile.h"
#include "ReplaceFile.h"
#include "FileHandle_win32.h"

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

namespace merivox {

namespace {

using detail::failure;
using detail::FileHandle;

AppendResult lastFailure()
{
    return failure(int(GetLastError()));
}

// A file marked for deletion keeps its name until its last handle closes, and refuses every open
// meanwhile with "access denied", also the look at its attributes that a plain locked or
// read-only file allows.
bool deletePending(const wchar_t *path)
{
    return GetFileAttributesW(path) == INVALID_FILE_ATTRIBUTES && GetLastError() == ERROR_ACCESS_DENIED;
}

// Gives the file a name of its own beside the path, so that the path no longer names it.
bool moveAside(HANDLE file, const std::filesystem::path &path)
{
    const std::wstring to =
        std::filesystem::absolute(path).wstring() + L"." + std::to_wstring(GetCurrentProcessId()) + L".tmp";
    std::vector<char> buffer(sizeof(FILE_RENAME_INFO) + to.size() * sizeof(wchar_t));
    auto *rename = reinterpret_cast<FILE_RENAME_INFO *>(buffer.data());
    rename->ReplaceIfExists = TRUE;
    rename->FileNameLength = DWORD(to.size() * sizeof(wchar_t));
    std::copy(to.begin(), to.end(), rename->FileName);
    return SetFileInformationByHandle(file, FileRenameInfo, rename, DWORD(buffer.size()));
}

// The file opened and locked; the lock goes with the handle.
struct OpenFile : FileHandle
{
    bool created = false;
};

// Opens the file, creating it when absent, and locks it. Every open asks for the right to delete
// and lets others delete, so that a copy whose first record failed can remove its new file while
// it still holds the lock. A copy that waited for the lock may therefore hold a file marked for
// deletion, or one that no longer stands at the path: then it lets go and starts again, and an
// open refused because the file is still being deleted is tried again as well.
AppendResult openLocked(const std::filesystem::path &path, OpenFile &file)
{
    constexpr int kAttempts = 300;
    constexpr DWORD kPauseMs = 10;
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        file.handle = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE | DELETE,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file.handle == INVALID_HANDLE_VALUE) {
            const DWORD error = GetLastError();
            if (error == ERROR_ACCESS_DENIED && detail::isFolder(path)) {
                return failure(FileCause::IsFolder, int(error));
            }
            // Another program may hold the file open without sharing it for a moment.
            if (error == ERROR_SHARING_VIOLATION || (error == ERROR_ACCESS_DENIED && deletePending(path.c_str()))) {
                Sleep(kPauseMs);
                continue;
            }
            return failure(error);
        }
        file.created = GetLastError() != ERROR_ALREADY_EXISTS;
        detail::atStage(AppendStage::Opened);
        if (!detail::lockExclusive(file.handle)) {
            return lastFailure();
        }
        if (!detail::deletePending(file.handle) && detail::namesFile(path, file.handle)) {
            detail::atStage(AppendStage::Locked);
            return {};
        }
        file.close();
    }
    return failure(ERROR_SHARING_VIOLATION);
}

} // namespace

AppendResult appendToFile(const std::filesystem::path &path, std::string_view bytes)
{
    OpenFile file;
    if (const AppendResult opened = openLocked(path, file); !opened.ok()) {
        return opened;
    }
    // A change in place that a killed copy left is finished before the record goes in; its note
    // stands beside the file that a symbolic link at the path names, as a replacement puts it.
    if (!file.created) {
        if (const DWORD error = detail::recoverFileChange(detail::followLink(path), file.handle)) {
            return failure(int(error));
        }
    }
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.handle, &size)) {
        return lastFailure();
    }

    // From here on, any failure puts the file back as it was. A file this call created and found
    // empty is removed on the locked handle: moved off the path and marked for deletion, so that a
    // copy waiting for the lock finds the path free (or its file delete-pending) and starts a new
    // file instead of writing into this one. Moving it first keeps that true where a file marked
    // for deletion keeps its name and does not report itself delete-pending (Wine).
    const auto rollBack = [&](DWORD error) {
        FILE_END_OF_FILE_INFO end{};
        end.EndOfFile = size;
        SetFileInformationByHandle(file.handle, FileEndOfFileInfo, &end, sizeof end);
        if (file.created && size.QuadPart == 0) {
            detail::atStage(AppendStage::Removing);
            moveAside(file.handle, path);
            detail::markForDeletion(file.handle);
        }
        return failure(error);
    };

    std::string out;
    if (size.QuadPart > 0) {
        char last = 0;
        DWORD read = 0;
        OVERLAPPED position = detail::positionAt(size.QuadPart - 1);
        if (!ReadFile(file.handle, &last, 1, &read, &position) || read != 1) {
            return rollBack(GetLastError());
        }
        out = detail::lineEndAfter(last);
    }
    out += bytes;

    if (!detail::writeAll(file.handle, out, size.QuadPart)) {
        return rollBack(GetLastError());
    }
    if (const int error = detail::atStage(AppendStage::Written)) {
        return rollBack(DWORD(error));
    }
    if (!FlushFileBuffers(file.handle)) {
        return rollBack(GetLastError());
    }
    // NTFS journals the new file's name itself; there is no folder to flush as on POSIX.
    const bool closed = CloseHandle(file.handle); // also releases the lock
    file.handle = INVALID_HANDLE_VALUE;
    return closed ? AppendResult{} : lastFailure();
}

void ignoreFileSizeSignal() {}

} // namespace merivox
