#include "WriteAccess.h"

#include <QDir>

#include <windows.h>

#include <vector>

namespace merivox {

namespace {

// The file system's own answer for the caller's token: the path's security descriptor checked
// against the rights wanted, as an open would check them, without opening anything.
Writable accessCheck(const std::wstring &path, DWORD wanted)
{
    const SECURITY_INFORMATION parts = OWNER_SECURITY_INFORMATION | GROUP_SECURITY_INFORMATION |
                                       DACL_SECURITY_INFORMATION;
    DWORD needed = 0;
    GetFileSecurityW(path.c_str(), parts, nullptr, 0, &needed);
    if (needed == 0) {
        return Writable::Unknown;
    }
    std::vector<BYTE> descriptor(needed);
    if (!GetFileSecurityW(path.c_str(), parts, descriptor.data(), needed, &needed)) {
        return Writable::Unknown;
    }
    HANDLE processToken = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY | TOKEN_DUPLICATE, &processToken)) {
        return Writable::Unknown;
    }
    HANDLE token = nullptr;
    const BOOL duplicated = DuplicateToken(processToken, SecurityImpersonation, &token);
    CloseHandle(processToken);
    if (!duplicated) {
        return Writable::Unknown;
    }
    GENERIC_MAPPING mapping{FILE_GENERIC_READ, FILE_GENERIC_WRITE, FILE_GENERIC_EXECUTE, FILE_ALL_ACCESS};
    DWORD access = wanted;
    MapGenericMask(&access, &mapping);
    PRIVILEGE_SET privileges{};
    DWORD privilegesLength = sizeof(privileges);
    DWORD granted = 0;
    BOOL allowed = FALSE;
    const BOOL checked = AccessCheck(descriptor.data(), token, access, &mapping, &privileges, &privilegesLength,
                                     &granted, &allowed);
    CloseHandle(token);
    if (!checked) {
        return Writable::Unknown;
    }
    return allowed ? Writable::Yes : Writable::No;
}

} // namespace

Writable appendAccess(const QString &folder, bool fileExists)
{
    const std::wstring folderPath = QDir::toNativeSeparators(folder).toStdWString();
    if (!fileExists) {
        return accessCheck(folderPath, FILE_ADD_FILE);
    }
    const std::wstring file =
        QDir::toNativeSeparators(QDir(folder).filePath(QStringLiteral("usrprobe.dat"))).toStdWString();
    const DWORD attributes = GetFileAttributesW(file.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        return Writable::Unknown;
    }
    if (attributes & FILE_ATTRIBUTE_READONLY) {
        return Writable::No;
    }
    return accessCheck(file, FILE_APPEND_DATA);
}

} // namespace merivox
