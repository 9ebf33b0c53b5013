#include "FileHandle_posix.h"
#include "History.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace merivox {

namespace fs = std::filesystem;

namespace {

using detail::failure;
using detail::FileHandle;

// Gives a history just made the file's owner and group (only root may) and mode.
int givePermissions(int fd, const struct stat &like)
{
    struct stat made;
    if (::fstat(fd, &made) != 0) {
        return errno;
    }
    if (::geteuid() == 0 && (made.st_uid != like.st_uid || made.st_gid != like.st_gid) &&
        ::fchown(fd, like.st_uid, like.st_gid) != 0) {
        return errno;
    }
    return ::fchmod(fd, like.st_mode & 0777) == 0 ? 0 : errno;
}

} // namespace

FileResult appendToHistory(const fs::path &file, std::string_view bytes)
{
    struct stat like;
    if (::stat(file.c_str(), &like) != 0) {
        const int error = errno;
        const fs::path folder = file.parent_path().empty() ? fs::path(".") : file.parent_path();
        return error == ENOENT && fs::is_directory(folder) ? failure(FileCause::Missing, error) : failure(error);
    }
    const fs::path history = historyPath(file);
    bool created = true;
    FileHandle out(::open(history.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600));
    if (out.fd < 0 && errno == EEXIST) {
        created = false;
        out.fd = ::open(history.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
    }
    if (out.fd < 0) {
        return failure(errno);
    }
    struct stat info;
    if (::fstat(out.fd, &info) != 0) {
        return failure(errno);
    }
    if (!S_ISREG(info.st_mode)) {
        return failure(S_ISDIR(info.st_mode) ? FileCause::IsFolder : FileCause::NotRegular);
    }
    if (created) {
        if (const int error = givePermissions(out.fd, like)) {
            ::unlink(history.c_str());
            return failure(FileCause::NoPermissions, error);
        }
    }
    if (const int error = detail::writeAll(out.fd, bytes)) {
        return failure(error);
    }
    if (::fsync(out.fd) != 0) {
        return failure(errno);
    }
    // A new history's name is on disk before the change it keeps is made.
    if (const int error = created ? detail::syncFolder(file) : 0) {
        return failure(error);
    }
    return {};
}

} // namespace merivox
