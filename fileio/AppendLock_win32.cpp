#include "AppendLock.h"

#include <windows.h>

namespace merivox {

bool appendLockHeld(const std::filesystem::path &path)
{
    // Shared as the read layer shares it, so that neither an append nor a removal waits for this.
    const HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    // The append layer locks every byte exclusively; a shared lock of the same range is then refused.
    OVERLAPPED whole{};
    const bool taken = LockFileEx(file, LOCKFILE_FAIL_IMMEDIATELY, 0, MAXDWORD, MAXDWORD, &whole) != 0;
    const bool held = !taken && GetLastError() == ERROR_LOCK_VIOLATION;
    if (taken) {
        UnlockFileEx(file, 0, MAXDWORD, MAXDWORD, &whole);
    }
    CloseHandle(file);
    return held;
}

} // namespace merivox
