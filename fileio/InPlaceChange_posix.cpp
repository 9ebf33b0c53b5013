#include "FileHandle_posix.h"
#include "InPlaceChange.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace merivox::detail {

namespace fs = std::filesystem;

std::string PosixLockedFile::identity()
{
    struct stat info;
    if (::fstat(m_fd, &info) != 0) {
        return "unknown";
    }
    return std::to_string(std::uint64_t(info.st_dev)) + "i" + std::to_string(std::uint64_t(info.st_ino));
}

int PosixLockedFile::writeAt(std::uint64_t offset, std::string_view bytes)
{
    return writeAll(m_fd, bytes, off_t(offset));
}

int PosixLockedFile::setLength(std::uint64_t length)
{
    return ::ftruncate(m_fd, off_t(length)) == 0 ? 0 : errno;
}

int PosixLockedFile::flushFile()
{
    return ::fsync(m_fd) == 0 ? 0 : errno;
}

int PosixLockedFile::readNote(std::string &out, bool &found)
{
    const FileHandle note(::open(changeNotePath(path()).c_str(), O_RDONLY | O_CLOEXEC));
    found = note.fd >= 0;
    if (!found) {
        return errno == ENOENT ? 0 : errno;
    }
    return readAll(note.fd, out);
}

int PosixLockedFile::setStep(std::uint64_t offset, char step)
{
    const FileHandle note(::open(changeNotePath(path()).c_str(), O_WRONLY | O_CLOEXEC));
    if (note.fd < 0) {
        return errno;
    }
    if (const int error = writeAll(note.fd, std::string_view(&step, 1), off_t(offset))) {
        return error;
    }
    return ::fsync(note.fd) == 0 ? 0 : errno;
}

int recoverFileChange(const fs::path &file, int fd)
{
    struct stat info;
    if (::fstat(fd, &info) != 0) {
        return errno;
    }
    PosixLockedFile locked(file, fd, info, false);
    return recoverChange(locked);
}

} // namespace merivox::detail
