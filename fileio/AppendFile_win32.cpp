#include "AppendFile.h"

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

namespace merivox {

namespace {

using detail::failure;

AppendResult lastFailure()
{
    return failure(int(GetLastError()));
}

bool isFolder(const wchar_t *path)
{
    const DWORD attributes = GetFileAttributesW(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// A file marked for deletion keeps its name until its last handle closes, and refuses every open
// meanwhile with "access denied", also the look at its attributes that a plain locked or
// read-only file allows.
bool deletePending(const wchar_t *path)
{
    return GetFileAttributesW(path) == INVALID_FILE_ATTRIBUTES && GetLastError() == ERROR_ACCESS_DENIED;
}

bool deletePending(HANDLE file)
{
    FILE_STANDARD_INFO info{};
    return GetFileInformationByHandleEx(file, FileStandardInfo, &info, sizeof info) && info.DeletePending;
}

// Whether the path still names the file that the handle has open.
bool namesFile(const wchar_t *path, HANDLE file)
{
    const HANDLE named = CreateFileW(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                     OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (named == INVALID_HANDLE_VALUE) {
        return false;
    }
    BY_HANDLE_FILE_INFORMATION a{};
    BY_HANDLE_FILE_INFORMATION b{};
    const bool same = GetFileInformationByHandle(file, &a) && GetFileInformationByHandle(named, &b) &&
                      a.dwVolumeSerialNumber == b.dwVolumeSerialNumber && a.nFileIndexHigh == b.nFileIndexHigh &&
                      a.nFileIndexLow == b.nFileIndexLow;
    CloseHandle(named);
    return same;
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

// Marks the file for deletion: it goes when its last handle closes, and the lock with this one.
void markForDeletion(HANDLE file)
{
    FILE_DISPOSITION_INFO remove{};
    remove.DeleteFile = TRUE;
    SetFileInformationByHandle(file, FileDispositionInfo, &remove, sizeof remove);
}

OVERLAPPED at(LONGLONG offset)
{
    OVERLAPPED position{};
    position.Offset = DWORD(offset);
    position.OffsetHigh = DWORD(offset >> 32);
    return position;
}

bool writeAll(HANDLE file, LONGLONG offset, const std::string &bytes)
{
    size_t done = 0;
    while (done < bytes.size()) {
        OVERLAPPED position = at(offset + LONGLONG(done));
        DWORD written = 0;
        const DWORD chunk = DWORD(std::min<size_t>(bytes.size() - done, 1u << 30));
        if (!WriteFile(file, bytes.data() + done, chunk, &written, &position) || written == 0) {
            return false;
        }
        done += written;
    }
    return true;
}

// The file opened and locked; the lock goes with the handle.
struct OpenFile
{
    HANDLE handle = INVALID_HANDLE_VALUE;
    bool created = false;
    void close()
    {
        CloseHandle(handle);
        handle = INVALID_HANDLE_VALUE;
    }
    ~OpenFile()
    {
        if (handle != INVALID_HANDLE_VALUE) {
            CloseHandle(handle);
        }
    }
};

// Opens the file, creating it when absent, and locks it. Every open asks for the right to delete
// and lets others delete, so that a copy whose first record failed can remove its new file while
// it still holds the lock. A copy that waited for the lock may therefore hold a file marked for
// deletion, or one that no longer stands at the path: then it lets go and starts again, and an
// open refused because the file is still being deleted is tried again as well.
AppendResult openLocked(const wchar_t *path, OpenFile &file)
{
    constexpr int kAttempts = 300;
    constexpr DWORD kPauseMs = 10;
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        file.handle = CreateFileW(path, GENERIC_READ | GENERIC_WRITE | DELETE,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file.handle == INVALID_HANDLE_VALUE) {
            const DWORD error = GetLastError();
            if (error == ERROR_ACCESS_DENIED && isFolder(path)) {
                return failure(FileCause::IsFolder, int(error));
            }
            // Another program may hold the file open without sharing it for a moment.
            if (error == ERROR_SHARING_VIOLATION || (error == ERROR_ACCESS_DENIED && deletePending(path))) {
                Sleep(kPauseMs);
                continue;
            }
            return failure(error);
        }
        file.created = GetLastError() != ERROR_ALREADY_EXISTS;
        detail::atStage(AppendStage::Opened);
        OVERLAPPED whole{};
        if (!LockFileEx(file.handle, LOCKFILE_EXCLUSIVE_LOCK, 0, MAXDWORD, MAXDWORD, &whole)) {
            return lastFailure();
        }
        if (!deletePending(file.handle) && namesFile(path, file.handle)) {
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
    if (const AppendResult opened = openLocked(path.c_str(), file); !opened.ok()) {
        return opened;
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
            markForDeletion(file.handle);
        }
        return failure(error);
    };

    std::string out;
    if (size.QuadPart > 0) {
        char last = 0;
        DWORD read = 0;
        OVERLAPPED position = at(size.QuadPart - 1);
        if (!ReadFile(file.handle, &last, 1, &read, &position) || read != 1) {
            return rollBack(GetLastError());
        }
        out = detail::lineEndAfter(last);
    }
    out += bytes;

    if (!writeAll(file.handle, size.QuadPart, out)) {
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
