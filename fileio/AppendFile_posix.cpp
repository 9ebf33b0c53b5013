#include "AppendFile.h"
#include "ReplaceFile.h"
#include "FileHandle_posix.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace merivox {

namespace {

using detail::failure;
using detail::FileHandle;

using FileStatus = struct stat;

// The file opened and locked; the lock goes with the descriptor.
struct OpenFile : FileHandle
{
    bool created = false;
    FileStatus info{};
};

// Opens the file, creating it when absent, and locks it. Another copy that created the file may
// remove it after a failure while this one waits for the lock, or the file may be replaced; so
// after locking, make sure the path still names the locked file, and start again if not.
int openLocked(const std::filesystem::path &path, OpenFile &file)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        file.fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        file.created = file.fd >= 0;
        const bool existed = !file.created && errno == EEXIST;
        if (existed) {
            file.fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
        }
        if (file.fd < 0) {
            const int error = errno;
            FileStatus name;
            if (existed && error == ENOENT && ::lstat(path.c_str(), &name) != 0 && errno == ENOENT) {
                continue; // removed between the two opens: create it now
            }
            return error;
        }
        detail::atStage(AppendStage::Opened);
        if (detail::lockExclusive(file.fd) != 0 || ::fstat(file.fd, &file.info) != 0) {
            return errno;
        }
        if (detail::namesFile(path, file.info)) {
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
    if (const int error = openLocked(path, file)) {
        return failure(error);
    }
    // Something other than a plain file (a device) has no end to look at or cut back to.
    const bool regular = S_ISREG(file.info.st_mode);
    // A change in place that a killed copy left is finished before the record goes in; its note
    // stands beside the file that a symbolic link at the path names, as a replacement puts it.
    if (regular && !file.created) {
        if (const int error = detail::recoverFileChange(detail::followLink(path), file.fd)) {
            return failure(error);
        }
        if (::fstat(file.fd, &file.info) != 0) {
            return failure(errno);
        }
    }
    const off_t size = regular ? file.info.st_size : 0;

    // From here on, any failure puts the file back as it was. A file this call created and found
    // empty is removed before the lock goes, so that a copy waiting for the lock finds it gone
    // and starts a new file instead of writing into the removed one.
    const auto rollBack = [&](int error) {
        if (regular) {
            [[maybe_unused]] const int ignored = ::ftruncate(file.fd, size);
            if (file.created && size == 0) {
                detail::atStage(AppendStage::Removing);
                if (detail::namesFile(path, file.info)) {
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

    if (const int error = detail::writeAll(file.fd, out, regular ? size : -1)) {
        return rollBack(error);
    }
    if (const int error = detail::atStage(AppendStage::Written)) {
        return rollBack(error);
    }
    if (regular && ::fsync(file.fd) != 0) {
        return rollBack(errno);
    }
    if (file.created) {
        if (const int error = detail::syncFolder(path)) {
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
