#include "FileHandle_posix.h"
#include "InPlaceChange.h"
#include "ReplaceFile.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace merivox::detail {

namespace fs = std::filesystem;

namespace {

// The locked file's descriptor and the note beside it.
class PosixInPlace final : public InPlaceAccess
{
public:
    PosixInPlace(const fs::path &file, int fd) : m_file(file), m_fd(fd), m_note(changeNotePath(file)) {}

    std::string identity() override
    {
        struct stat info;
        if (::fstat(m_fd, &info) != 0) {
            return "unknown";
        }
        return std::to_string(std::uint64_t(info.st_dev)) + "i" + std::to_string(std::uint64_t(info.st_ino));
    }
    int readFile(std::string &out) override { return readAll(m_fd, out); }
    int writeAt(std::uint64_t offset, std::string_view bytes) override { return writeAll(m_fd, bytes, off_t(offset)); }
    int setLength(std::uint64_t length) override { return ::ftruncate(m_fd, off_t(length)) == 0 ? 0 : errno; }
    int flushFile() override { return ::fsync(m_fd) == 0 ? 0 : errno; }

    int readNote(std::string &out, bool &found) override
    {
        const FileHandle note(::open(m_note.c_str(), O_RDONLY | O_CLOEXEC));
        found = note.fd >= 0;
        if (!found) {
            return errno == ENOENT ? 0 : errno;
        }
        return readAll(note.fd, out);
    }

    int writeNote(std::string_view bytes) override
    {
        // The name of this process's new file of a replacement, which the path in place has none of;
        // a killed copy's is removed as its leftover under the lock.
        const fs::path temporary = temporaryPath(m_file, unsigned(::getpid()), false);
        ::unlink(temporary.c_str()); // a dead copy's of the same process id
        struct stat like;
        if (::fstat(m_fd, &like) != 0) {
            return errno;
        }
        FileHandle out(::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
        if (out.fd < 0) {
            return errno;
        }
        int error = 0;
        struct stat made;
        if (::fstat(out.fd, &made) != 0) {
            error = errno;
        } else if ((made.st_uid != like.st_uid || made.st_gid != like.st_gid) &&
                   ::fchown(out.fd, like.st_uid, like.st_gid) != 0 && ::geteuid() == 0) {
            error = errno; // only root may give the file away; others keep their own
        } else if (::fchmod(out.fd, like.st_mode & 07777) != 0) {
            error = errno;
        } else if ((error = writeAll(out.fd, bytes)) == 0 && ::fsync(out.fd) != 0) {
            error = errno;
        }
        if (error == 0 && ::rename(temporary.c_str(), m_note.c_str()) != 0) {
            error = errno;
        }
        if (error != 0) {
            ::unlink(temporary.c_str());
            return error;
        }
        return syncFolder(m_file);
    }

    int setStep(std::uint64_t offset, char step) override
    {
        const FileHandle note(::open(m_note.c_str(), O_WRONLY | O_CLOEXEC));
        if (note.fd < 0) {
            return errno;
        }
        if (const int error = writeAll(note.fd, std::string_view(&step, 1), off_t(offset))) {
            return error;
        }
        return ::fsync(note.fd) == 0 ? 0 : errno;
    }

    int removeNote() override
    {
        if (::unlink(m_note.c_str()) != 0 && errno != ENOENT) {
            return errno;
        }
        return syncFolder(m_file);
    }

private:
    fs::path m_file;
    int m_fd;
    fs::path m_note;
};

} // namespace

int recoverFileChange(const fs::path &file, int fd)
{
    PosixInPlace access(file, fd);
    return recoverChange(access);
}

int changeFileInPlace(const fs::path &file, int fd, std::string_view content, std::string_view replacement, bool &begun)
{
    PosixInPlace access(file, fd);
    return changeInPlace(access, content, replacement, begun);
}

} // namespace merivox::detail
