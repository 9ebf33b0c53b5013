#include "FileHandle_posix.h"
#include "ReplaceFile.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace merivox::detail {

namespace fs = std::filesystem;

unsigned long processId()
{
    return unsigned(::getpid());
}

// Opens the existing file and takes the append layer's lock (flock, exclusive, on the whole
// file). The file may have been replaced while the lock was awaited: then start again with the
// file that the path names now.
ReplaceResult openLocked(const fs::path &path, std::unique_ptr<LockedFile> &locked)
{
    const auto failed = [&](int error) {
        const bool folder = fs::is_directory(path.parent_path().empty() ? "." : path.parent_path());
        return notReplaced(error == ENOENT && folder ? FileCause::Missing : causeOf(error), error);
    };
    for (int attempt = 0; attempt < 100; ++attempt) {
        FileHandle file(::open(path.c_str(), O_RDWR | O_CLOEXEC));
        struct stat info;
        if (file.fd < 0 || lockExclusive(file.fd) != 0 || ::fstat(file.fd, &info) != 0) {
            return failed(errno);
        }
        if (namesFile(path, info)) {
            if (!S_ISREG(info.st_mode)) {
                return notReplaced(S_ISDIR(info.st_mode) ? FileCause::IsFolder : FileCause::Other, 0);
            }
            locked = std::make_unique<PosixLockedFile>(path, file.fd, info, true);
            file.fd = -1;
            return {};
        }
    }
    return failed(EBUSY);
}

PosixLockedFile::PosixLockedFile(const fs::path &path, int fd, const struct stat &info, bool owned)
    : LockedFile(path), m_fd(fd), m_owned(owned ? fd : -1), m_info(info)
{}

int PosixLockedFile::readFile(std::string &out)
{
    return readAll(m_fd, out);
}

int PosixLockedFile::look(const fs::path &path, bool &found, bool &isThisFile)
{
    struct stat named;
    found = ::lstat(path.c_str(), &named) == 0;
    isThisFile = found && sameFile(named, m_info);
    return found || errno == ENOENT ? 0 : errno;
}

bool PosixLockedFile::readBackup(const fs::path &backup, std::string &out)
{
    struct stat named;
    if (::lstat(backup.c_str(), &named) != 0 || !S_ISREG(named.st_mode)) {
        return false;
    }
    const FileHandle in(::open(backup.c_str(), O_RDONLY | O_CLOEXEC));
    return in.fd >= 0 && readAll(in.fd, out) == 0;
}

int PosixLockedFile::link(const fs::path &path)
{
    return ::link(this->path().c_str(), path.c_str()) == 0 ? 0 : errno;
}

bool PosixLockedFile::lacksHardLinks(int error)
{
    return error == EPERM || error == EOPNOTSUPP || error == ENOTSUP || error == EMLINK || error == EXDEV;
}

// Created fresh, given the locked file's owner and permissions, written and flushed. Only root
// may give a file away: a note that another user makes keeps that user as its owner.
ReplaceResult PosixLockedFile::writeNew(const fs::path &path, std::string_view bytes, NewFile kind)
{
    struct stat like;
    if (::fstat(m_fd, &like) != 0) {
        return notReplaced(errno);
    }
    FileHandle out(::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
    if (out.fd < 0) {
        return notReplaced(errno);
    }
    const auto fail = [&](ReplaceResult result) {
        ::unlink(path.c_str());
        return result;
    };
    const bool stages = kind == NewFile::Content;
    struct stat made;
    if (::fstat(out.fd, &made) != 0) {
        return fail(notReplaced(errno));
    }
    if ((made.st_uid != like.st_uid || made.st_gid != like.st_gid) && ::fchown(out.fd, like.st_uid, like.st_gid) != 0 &&
        (kind != NewFile::Note || ::geteuid() == 0)) {
        return fail(notReplaced(FileCause::NoPermissions, errno));
    }
    if (::fchmod(out.fd, like.st_mode & 07777) != 0) {
        return fail(notReplaced(FileCause::NoPermissions, errno));
    }
    if (const int error = writeAll(out.fd, bytes)) {
        return fail(notReplaced(error));
    }
    if (const int error = stages ? atStage(ReplaceStage::NewWritten) : 0) {
        return fail(notReplaced(error));
    }
    if (::fsync(out.fd) != 0) {
        return fail(notReplaced(errno));
    }
    if (const int error = stages ? atStage(ReplaceStage::NewFlushed) : 0) {
        return fail(notReplaced(error));
    }
    const int closed = ::close(out.fd);
    out.fd = -1;
    if (closed != 0) {
        return fail(notReplaced(errno));
    }
    if (stages) {
        m_new = path;
    }
    return {};
}

ReplaceResult PosixLockedFile::renameOver(bool &inPlaceInstead)
{
    inPlaceInstead = false;
    return ::rename(m_new.c_str(), path().c_str()) == 0 ? ReplaceResult{} : notReplaced(errno);
}

void PosixLockedFile::removeNew()
{
    if (!m_new.empty()) {
        ::unlink(m_new.c_str());
    }
}

int PosixLockedFile::moveOver(const fs::path &from, const fs::path &to)
{
    return ::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
}

int PosixLockedFile::remove(const fs::path &path)
{
    return ::unlink(path.c_str()) == 0 || errno == ENOENT ? 0 : errno;
}

int PosixLockedFile::flushFolder()
{
    return syncFolder(path());
}

} // namespace merivox::detail
