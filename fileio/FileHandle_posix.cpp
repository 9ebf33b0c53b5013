#include "FileHandle_posix.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace merivox::detail {

FileHandle::~FileHandle()
{
    if (fd >= 0) {
        ::close(fd);
    }
}

bool sameFile(const struct stat &a, const struct stat &b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

bool namesFile(const std::filesystem::path &path, const struct stat &opened)
{
    struct stat named;
    return ::stat(path.c_str(), &named) == 0 && sameFile(named, opened);
}

int lockExclusive(int fd)
{
    int locked;
    do {
        locked = ::flock(fd, LOCK_EX);
    } while (locked != 0 && errno == EINTR);
    return locked;
}

int writeAll(int fd, std::string_view bytes, off_t offset)
{
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = offset >= 0 ? ::pwrite(fd, bytes.data() + done, bytes.size() - done, offset + off_t(done))
                                      : ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return n < 0 ? errno : EIO;
        }
        done += size_t(n);
    }
    return 0;
}

int syncFolder(const std::filesystem::path &file)
{
    const std::filesystem::path folder = file.has_parent_path() ? file.parent_path() : std::filesystem::path(".");
    const FileHandle dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.fd < 0) {
        return errno;
    }
    return ::fsync(dir.fd) == 0 || errno == EINVAL ? 0 : errno;
}

int readAll(int fd, std::string &out)
{
    out.clear();
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::pread(fd, buffer, sizeof buffer, off_t(out.size()));
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            return errno;
        }
        if (n == 0) {
            return 0;
        }
        out.append(buffer, size_t(n));
    }
}

} // namespace merivox::detail
