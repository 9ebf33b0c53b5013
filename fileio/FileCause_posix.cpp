#include "FileCause.h"

#include <cerrno>

namespace merivox::detail {

FileCause causeOf(int systemError)
{
    switch (systemError) {
    case ENOENT:
    case ENOTDIR:
        return FileCause::FolderMissing;
    case EACCES:
    case EPERM:
    case EROFS:
        return FileCause::AccessDenied;
    case ENOSPC:
    case EDQUOT:
        return FileCause::DiskFull;
    case EFBIG:
        return FileCause::SizeLimit;
    case EISDIR:
        return FileCause::IsFolder;
    case EBUSY:
    case ETXTBSY:
        return FileCause::InUse;
    default:
        return FileCause::Other;
    }
}

} // namespace merivox::detail
