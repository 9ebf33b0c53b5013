#include "SameFile.h"

#include "FileHandle_posix.h"

#include <sys/stat.h>

namespace merivox {

bool sameFileOnDisk(const std::filesystem::path &a, const std::filesystem::path &b)
{
    // stat follows symbolic links: a link and its target are one file.
    struct stat first = {};
    struct stat second = {};
    return ::stat(a.c_str(), &first) == 0 && ::stat(b.c_str(), &second) == 0 && detail::sameFile(first, second);
}

} // namespace merivox
