#include "SameFile.h"

#include "FileHandle_win32.h"

namespace merivox {

bool sameFileOnDisk(const std::filesystem::path &a, const std::filesystem::path &b)
{
    // Opened without read or write access (attributes only) and sharing everything, so that a
    // file another program holds open is looked at all the same; CreateFileW follows symbolic links.
    const detail::FileHandle first = detail::openShared(a, 0);
    const detail::FileHandle second = detail::openShared(b, 0);
    return first.valid() && second.valid() && detail::sameFile(first.handle, second.handle);
}

} // namespace merivox
