#include "ReadFile.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace merivox {

namespace {

using detail::failure;

// Why the path could not be opened: open() alone does not tell a missing file from a missing
// folder, nor a file without rights from a folder without them. A read names no other cause.
ReadResult refused(const std::filesystem::path &path, int error)
{
    switch (detail::causeOf(error)) {
    case FileCause::FolderMissing: {
        const std::filesystem::path folder = path.has_parent_path() ? path.parent_path() : ".";
        struct stat info;
        if (::stat(folder.c_str(), &info) != 0) {
            return failure(errno == EACCES ? FileCause::FolderAccessDenied : FileCause::FolderMissing, errno);
        }
        return failure(S_ISDIR(info.st_mode) ? FileCause::Missing : FileCause::FolderMissing, error);
    }
    case FileCause::AccessDenied: {
        // A folder without search rights hides even the file's existence.
        struct stat info;
        int look = detail::atReadStage(ReadStage::Look);
        if (look == 0 && ::stat(path.c_str(), &info) != 0) {
            look = errno;
        }
        return failure(look == EACCES ? FileCause::FolderAccessDenied : FileCause::AccessDenied, error);
    }
    case FileCause::IsFolder:
        return failure(FileCause::IsFolder, error);
    default:
        return failure(FileCause::Other, error);
    }
}

} // namespace

InputFile::~InputFile()
{
    close();
}

void InputFile::close()
{
    if (m_handle >= 0) {
        ::close(int(m_handle));
        m_handle = -1;
    }
}

ReadResult InputFile::open(const std::filesystem::path &path)
{
    close();
    // Not blocking: a pipe without a writer would otherwise hold the open until one comes.
    int fd = -1;
    int error = detail::atReadStage(ReadStage::Open);
    if (error == 0) {
        fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
        error = fd < 0 ? errno : 0;
    }
    if (fd < 0) {
        return refused(path, error);
    }
    struct stat info;
    if (::fstat(fd, &info) != 0) {
        error = errno;
        ::close(fd);
        return failure(FileCause::Other, error);
    }
    if (!S_ISREG(info.st_mode)) {
        ::close(fd);
        return failure(S_ISDIR(info.st_mode) ? FileCause::IsFolder : FileCause::NotRegular, 0);
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    m_handle = fd;
    m_size = std::uint64_t(info.st_size);
    m_position = 0;
    return {};
}

ReadResult InputFile::read(std::span<char> buffer, std::size_t &got)
{
    got = 0;
    buffer = buffer.first(std::size_t(std::min<std::uint64_t>(buffer.size(), m_size - m_position)));
    while (got == 0 && !buffer.empty()) {
        if (const int error = detail::atReadStage(ReadStage::Read)) {
            return failure(FileCause::Other, error);
        }
        const ssize_t n = ::pread(int(m_handle), buffer.data(), buffer.size(), off_t(m_position));
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            return failure(FileCause::Other, errno);
        }
        got = std::size_t(n);
        m_position += got;
        break;
    }
    return {};
}

} // namespace merivox
