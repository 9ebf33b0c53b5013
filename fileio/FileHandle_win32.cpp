#include "FileHandle_win32.h"

#include <aclapi.h>

#include <algorithm>
#include <vector>

namespace merivox::detail {

void FileHandle::close()
{
    if (valid()) {
        CloseHandle(handle);
    }
    handle = INVALID_HANDLE_VALUE;
}

bool isFolder(const std::filesystem::path &path)
{
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

FileHandle openShared(const std::filesystem::path &path, DWORD access)
{
    return FileHandle(CreateFileW(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
}

bool sameFile(HANDLE a, HANDLE b)
{
    BY_HANDLE_FILE_INFORMATION x{};
    BY_HANDLE_FILE_INFORMATION y{};
    return GetFileInformationByHandle(a, &x) && GetFileInformationByHandle(b, &y) &&
           x.dwVolumeSerialNumber == y.dwVolumeSerialNumber && x.nFileIndexHigh == y.nFileIndexHigh &&
           x.nFileIndexLow == y.nFileIndexLow;
}

bool namesFile(const std::filesystem::path &path, HANDLE file)
{
    const FileHandle named = openShared(path, 0);
    return named.valid() && sameFile(file, named.handle);
}

bool deletePending(HANDLE file)
{
    FILE_STANDARD_INFO info{};
    return GetFileInformationByHandleEx(file, FileStandardInfo, &info, sizeof info) && info.DeletePending;
}

bool lockExclusive(HANDLE file)
{
    OVERLAPPED whole{};
    return LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK, 0, MAXDWORD, MAXDWORD, &whole);
}

OVERLAPPED positionAt(ULONGLONG offset)
{
    OVERLAPPED position{};
    position.Offset = DWORD(offset);
    position.OffsetHigh = DWORD(offset >> 32);
    return position;
}

bool writeAll(HANDLE file, std::string_view bytes, ULONGLONG offset)
{
    size_t done = 0;
    while (done < bytes.size()) {
        OVERLAPPED position = positionAt(offset + done);
        DWORD written = 0;
        const DWORD chunk = DWORD(std::min<size_t>(bytes.size() - done, 1u << 30));
        if (!WriteFile(file, bytes.data() + done, chunk, &written, &position) || written == 0) {
            return false;
        }
        done += written;
    }
    return true;
}

void markForDeletion(HANDLE file)
{
    FILE_DISPOSITION_INFO remove{};
    remove.DeleteFile = TRUE;
    SetFileInformationByHandle(file, FileDispositionInfo, &remove, sizeof remove);
}

DWORD readAccessList(HANDLE file, AccessList &list)
{
    const DWORD error = GetSecurityInfo(file, SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, &list.dacl,
                                        nullptr, &list.descriptor);
    if (error != ERROR_SUCCESS) {
        return error;
    }
    SECURITY_DESCRIPTOR_CONTROL control = 0;
    DWORD revision = 0;
    if (GetSecurityDescriptorControl(list.descriptor, &control, &revision)) {
        list.isProtected = (control & SE_DACL_PROTECTED) != 0;
    }
    return ERROR_SUCCESS;
}

DWORD applyAccessList(HANDLE file, const AccessList &list)
{
    const SECURITY_INFORMATION what =
        DACL_SECURITY_INFORMATION |
        (list.isProtected ? PROTECTED_DACL_SECURITY_INFORMATION : UNPROTECTED_DACL_SECURITY_INFORMATION);
    return SetSecurityInfo(file, SE_FILE_OBJECT, what, nullptr, nullptr, list.dacl, nullptr);
}

bool readAll(HANDLE file, std::string &out)
{
    out.clear();
    std::vector<char> buffer(65536);
    for (;;) {
        OVERLAPPED position = positionAt(out.size());
        DWORD read = 0;
        if (!ReadFile(file, buffer.data(), DWORD(buffer.size()), &read, &position)) {
            return GetLastError() == ERROR_HANDLE_EOF;
        }
        if (read == 0) {
            return true;
        }
        out.append(buffer.data(), read);
    }
}

} // namespace merivox::detail
