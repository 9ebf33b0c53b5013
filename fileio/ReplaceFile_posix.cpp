#include "FileHandle_posix.h"
#include "InPlaceChange.h"
#include "ReplaceFile.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace merivox {

namespace fs = std::filesystem;

namespace {

using detail::FileHandle;
using detail::notReplaced;
using detail::readAll;
using detail::sameFile;

// Opens the existing file and takes the append layer's lock (flock, exclusive, on the whole
// file). The file may have been replaced while the lock was awaited: then start again with the
// file that the path names now.
int openLocked(const fs::path &path, FileHandle &file, struct stat &info)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        file.fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
        if (file.fd < 0) {
            return errno;
        }
        if (detail::lockExclusive(file.fd) != 0 || ::fstat(file.fd, &info) != 0) {
            return errno;
        }
        if (detail::namesFile(path, info)) {
            return 0;
        }
        ::close(file.fd);
        file.fd = -1;
    }
    return EBUSY;
}

// Writes a new file under a temporary name: created fresh, given the owner and permissions,
// written and flushed. On failure the temporary file is gone again.
ReplaceResult writeTemporary(const fs::path &temporary, const struct stat &like, std::string_view bytes, bool stages)
{
    FileHandle out(::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
    if (out.fd < 0) {
        return notReplaced(errno);
    }
    const auto fail = [&](ReplaceResult result) {
        ::unlink(temporary.c_str());
        return result;
    };
    struct stat made;
    if (::fstat(out.fd, &made) != 0) {
        return fail(notReplaced(errno));
    }
    if ((made.st_uid != like.st_uid || made.st_gid != like.st_gid) && ::fchown(out.fd, like.st_uid, like.st_gid) != 0) {
        return fail(notReplaced(FileCause::NoPermissions, errno));
    }
    if (::fchmod(out.fd, like.st_mode & 07777) != 0) {
        return fail(notReplaced(FileCause::NoPermissions, errno));
    }
    if (const int error = detail::writeAll(out.fd, bytes)) {
        return fail(notReplaced(error));
    }
    if (const int error = stages ? detail::atStage(ReplaceStage::NewWritten) : 0) {
        return fail(notReplaced(error));
    }
    if (::fsync(out.fd) != 0) {
        return fail(notReplaced(errno));
    }
    if (const int error = stages ? detail::atStage(ReplaceStage::NewFlushed) : 0) {
        return fail(notReplaced(error));
    }
    if (::close(out.fd) != 0) {
        out.fd = -1;
        return fail(notReplaced(errno));
    }
    out.fd = -1;
    return {};
}

bool noHardLinks(int error)
{
    return error == EPERM || error == EOPNOTSUPP || error == ENOTSUP || error == EMLINK || error == EXDEV;
}

// Keeps the old content as the .bak: a hard link to the locked file, made under a temporary
// name and renamed over an earlier .bak of this program's; where the file system has no hard
// links, or where the file is to be changed in place (copy), a flushed copy. Then the folder is
// flushed.
ReplaceResult keepBackup(const fs::path &file, const struct stat &info, std::string_view content, bool copy)
{
    const fs::path backup = detail::backupPath(file);
    struct stat existing;
    if (::lstat(backup.c_str(), &existing) == 0) {
        if (sameFile(existing, info) && !copy) {
            return {}; // a killed removal already linked it
        }
        std::string earlier;
        FileHandle in(S_ISREG(existing.st_mode) ? ::open(backup.c_str(), O_RDONLY | O_CLOEXEC) : -1);
        if (in.fd < 0 || readAll(in.fd, earlier) != 0) {
            return notReplaced(FileCause::ForeignBackup);
        }
        if (const ReplaceResult rescued = detail::rescueBackup(file, earlier, content); !rescued.ok()) {
            return rescued;
        }
    } else if (errno != ENOENT) {
        return notReplaced(errno);
    }

    const fs::path temporary = detail::temporaryPath(file, unsigned(::getpid()), true);
    const int refused = copy ? EPERM : detail::atStage(ReplaceStage::Linking);
    if (refused == 0 && ::link(file.c_str(), temporary.c_str()) == 0) {
        struct stat linked;
        if (::lstat(temporary.c_str(), &linked) != 0 || !sameFile(linked, info)) {
            const int error = errno;
            ::unlink(temporary.c_str());
            return notReplaced(FileCause::Changed, error);
        }
    } else if (const int error = refused ? refused : errno; noHardLinks(error)) {
        if (const ReplaceResult copied = writeTemporary(temporary, info, content, false); !copied.ok()) {
            return copied;
        }
    } else {
        return notReplaced(error);
    }
    if (::rename(temporary.c_str(), backup.c_str()) != 0) {
        const int error = errno;
        ::unlink(temporary.c_str());
        return notReplaced(error);
    }
    // The backup's name is on disk before the path's name can change.
    if (const int error = detail::syncFolder(file)) {
        return notReplaced(error);
    }
    return {};
}

// The change in place (ReplaceFile.h): here only when a test forces it.
ReplaceResult changedInPlace(const fs::path &file, int fd, const struct stat &info, std::string_view content,
                             const detail::PreparedChange &change)
{
    return detail::changedInPlace(
        file, change, [&] { return keepBackup(file, info, content, true); },
        [&](bool &begun) { return detail::changeFileInPlace(file, fd, content, change.replacement, begun); });
}

} // namespace

ReplaceResult spliceFile(const fs::path &path, std::uint64_t expectedHash, std::uint64_t begin, std::uint64_t end,
                         std::string_view insert, const ChangeNote &note)
{
    const fs::path file = detail::followLink(path);
    FileHandle locked;
    struct stat info;
    if (const int error = openLocked(file, locked, info)) {
        return notReplaced(error == ENOENT && fs::is_directory(file.parent_path().empty() ? "." : file.parent_path())
                               ? FileCause::Missing
                               : detail::causeOf(error),
                           error);
    }
    if (!S_ISREG(info.st_mode)) {
        return notReplaced(S_ISDIR(info.st_mode) ? FileCause::IsFolder : FileCause::Other, 0);
    }
    detail::removeLeftovers(file);

    // A change in place that a killed copy left is finished before anything else.
    if (const int error = detail::recoverFileChange(file, locked.fd)) {
        return notReplaced(error);
    }
    std::string content;
    if (const int error = readAll(locked.fd, content)) {
        return notReplaced(error);
    }
    detail::PreparedChange change;
    const unsigned long pid = unsigned(::getpid());
    if (const ReplaceResult prepared =
            detail::prepareReplacement(file, content, expectedHash, begin, end, insert, note, pid, change);
        !prepared.ok()) {
        return prepared;
    }
    const auto notChanged = [&](ReplaceResult result) {
        detail::markChange(file, change.entryId, false);
        return result;
    };

    if (detail::inPlaceForced()) {
        return changedInPlace(file, locked.fd, info, content, change);
    }

    const fs::path temporary = detail::temporaryPath(file, pid, false);
    if (const ReplaceResult written = writeTemporary(temporary, info, change.replacement, true); !written.ok()) {
        return notChanged(written);
    }
    // The .bak is replaced only now that the new content is ready to take the path's place.
    if (const ReplaceResult kept = keepBackup(file, info, content, false); !kept.ok()) {
        ::unlink(temporary.c_str());
        return notChanged(kept);
    }
    if (const int error = detail::atStage(ReplaceStage::BackupKept)) {
        ::unlink(temporary.c_str());
        return notChanged(notReplaced(error));
    }
    if (::rename(temporary.c_str(), file.c_str()) != 0) {
        const int error = errno;
        ::unlink(temporary.c_str());
        return notChanged(notReplaced(error));
    }
    const ReplaceResult replaced = detail::replacedBy(file, change, detail::syncFolder);
    detail::markChange(file, change.entryId, true);
    // Closing the old file's descriptor on return releases the lock.
    return replaced;
}

} // namespace merivox
