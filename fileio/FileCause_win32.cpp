#include "FileCause.h"

#include <windows.h>

namespace merivox::detail {

FileCause causeOf(int systemError)
{
    switch (DWORD(systemError)) {
    case ERROR_FILE_NOT_FOUND:
        return FileCause::Missing;
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
        return FileCause::FolderMissing;
    case ERROR_ACCESS_DENIED:
    case ERROR_WRITE_PROTECT:
        return FileCause::AccessDenied;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return FileCause::DiskFull;
    case ERROR_FILE_TOO_LARGE:
        return FileCause::SizeLimit;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
        return FileCause::InUse;
    default:
        return FileCause::Other;
    }
}

} // namespace merivox::detail
