#include "AppendFile.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <string>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace merivox {

namespace {

using detail::failure;

bool sameFile(const struct stat &a, const struct stat &b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// Whether the path still names the file that was opened.
bool namesFile(const char *path, const struct stat &opened)
{
    struct stat named;
    return ::stat(path, &named) == 0 && sameFile(named, opened);
}

// Makes a new file's name durable: the folder's entry is flushed like the file's content.
// File systems that cannot flush a folder say so with EINVAL; then there is nothing to do.
int syncFolder(const std::filesystem::path &file)
{
    const std::filesystem::path folder = file.has_parent_path() ? file.parent_path() : ".";
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        return errno;
    }
    const int error = ::fsync(fd) == 0 || errno == EINVAL ? 0 : errno;
    ::close(fd);
    return error;
}

int writeAll(int fd, bool regular, off_t offset, const std::string &bytes)
{
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = regular ? ::pwrite(fd, bytes.data() + done, bytes.size() - done, offset + off_t(done))
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

using FileStatus = struct stat;

// The file opened and locked; the lock goes with the descriptor.
struct OpenFile
{
    int fd = -1;
    bool created = false;
    FileStatus info{};
    ~OpenFile()
    {
        if (fd >= 0) {
            ::close(fd);
        }
    }
};

// Opens the file, creating it when absent, and locks it. Another copy that created the file may
// remove it after a failure while this one waits for the lock, or the file may be replaced; so
// after locking, make sure the path still names the locked file, and start again if not.
int openLocked(const char *path, OpenFile &file)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        file.fd = ::open(path, O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        file.created = file.fd >= 0;
        const bool existed = !file.created && errno == EEXIST;
        if (existed) {
            file.fd = ::open(path, O_RDWR | O_CLOEXEC);
        }
        if (file.fd < 0) {
            const int error = errno;
            FileStatus name;
            if (existed && error == ENOENT && ::lstat(path, &name) != 0 && errno == ENOENT) {
                continue; // removed between the two opens: create it now
            }
            return error;
        }
        detail::atStage(AppendStage::Opened);
        int locked;
        do {
            locked = ::flock(file.fd, LOCK_EX);
        } while (locked != 0 && errno == EINTR);
        if (locked != 0 || ::fstat(file.fd, &file.info) != 0) {
            return errno;
        }
        if (namesFile(path, file.info)) {
            detail::atStage(AppendStage::Locked);
            return 0;
        }
        ::close(file.fd);
        file.fd = -1;
    }
    return EBUSY;
}

} // namespace

AppendResult appendToFile(const std::filesystem::path &path, std::string_view bytes)
{
    OpenFile file;
    if (const int error = openLocked(path.c_str(), file)) {
        return failure(error);
    }
    // Something other than a plain file (a device) has no end to look at or cut back to.
    const bool regular = S_ISREG(file.info.st_mode);
    const off_t size = regular ? file.info.st_size : 0;

    // From here on, any failure puts the file back as it was. A file this call created and found
    // empty is removed before the lock goes, so that a copy waiting for the lock finds it gone
    // and starts a new file instead of writing into the removed one.
    const auto rollBack = [&](int error) {
        if (regular) {
            [[maybe_unused]] const int ignored = ::ftruncate(file.fd, size);
            if (file.created && size == 0) {
                detail::atStage(AppendStage::Removing);
                if (namesFile(path.c_str(), file.info)) {
                    ::unlink(path.c_str());
                }
            }
        }
        return failure(error);
    };

    std::string out;
    if (size > 0) {
        char last = 0;
        if (::pread(file.fd, &last, 1, size - 1) != 1) {
            return rollBack(errno);
        }
        out = detail::lineEndAfter(last);
    }
    out += bytes;

    if (const int error = writeAll(file.fd, regular, size, out)) {
        return rollBack(error);
    }
    if (const int error = detail::atStage(AppendStage::Written)) {
        return rollBack(error);
    }
    if (regular && ::fsync(file.fd) != 0) {
        return rollBack(errno);
    }
    if (file.created) {
        if (const int error = syncFolder(path)) {
            return rollBack(error);
        }
    }
    const int closed = ::close(file.fd); // also releases the lock
    file.fd = -1;
    return closed == 0 ? AppendResult{} : failure(errno);
}

void ignoreFileSizeSignal()
{
    std::signal(SIGXFSZ, SIG_IGN);
}

} // namespace merivox
