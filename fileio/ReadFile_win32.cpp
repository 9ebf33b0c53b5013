#include "FileHandle_win32.h"
#include "ReadFile.h"

#include <windows.h>

#include <algorithm>

namespace merivox {

namespace {

// How long a read waits for an append's lock, or for a program that holds the file without
// sharing it, before giving up. An append holds its lock for the moment of one write and flush.
constexpr int kAttempts = 1000;
constexpr DWORD kPauseMs = 10;

HANDLE handleOf(std::intptr_t value)
{
    return reinterpret_cast<HANDLE>(value);
}

using detail::failure;

// Why the path could not be opened, refined where the table cannot tell. A read names no other
// cause; a network share that does not exist is a missing folder to it.
ReadResult refused(const std::filesystem::path &path, DWORD error)
{
    if (error == ERROR_BAD_NET_NAME) {
        return failure(FileCause::FolderMissing, int(error));
    }
    switch (const FileCause cause = detail::causeOf(int(error))) {
    case FileCause::Missing:
    case FileCause::FolderMissing:
    case FileCause::InUse: // another program holds the file without sharing it, or locked
        return failure(cause, int(error));
    case FileCause::AccessDenied: {
        if (detail::isFolder(path)) {
            return failure(FileCause::IsFolder, int(error));
        }
        // The attributes of a file come with the right to list its folder: when even they are
        // refused, the folder is closed, not only the file.
        DWORD look = DWORD(detail::atReadStage(ReadStage::Look));
        if (look == 0 && GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) {
            look = GetLastError();
        }
        return failure(look == ERROR_ACCESS_DENIED ? FileCause::FolderAccessDenied : FileCause::AccessDenied,
                       int(error));
    }
    default:
        return failure(FileCause::Other, int(error));
    }
}

} // namespace

InputFile::~InputFile()
{
    close();
}

void InputFile::close()
{
    if (m_handle != -1) {
        CloseHandle(handleOf(m_handle));
        m_handle = -1;
    }
}

ReadResult InputFile::open(const std::filesystem::path &path)
{
    close();
    HANDLE file = INVALID_HANDLE_VALUE;
    DWORD error = 0;
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        error = DWORD(detail::atReadStage(ReadStage::Open));
        if (error == 0) {
            // Sharing delete as well: an append that removes the new file it failed to fill must
            // not be held up by a reader.
            file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                               nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
            error = file == INVALID_HANDLE_VALUE ? GetLastError() : 0;
        }
        // Another program may hold the file open without sharing it for a moment.
        if (error != ERROR_SHARING_VIOLATION) {
            break;
        }
        Sleep(kPauseMs);
    }
    if (file == INVALID_HANDLE_VALUE) {
        return refused(path, error);
    }
    // A pipe or a device ("NUL", "COM1") opens like a file; it is refused before any read.
    if (GetFileType(file) != FILE_TYPE_DISK) {
        CloseHandle(file);
        return failure(FileCause::NotRegular, 0);
    }
    BY_HANDLE_FILE_INFORMATION info{};
    LARGE_INTEGER size{};
    if (!GetFileInformationByHandle(file, &info) || !GetFileSizeEx(file, &size)) {
        error = GetLastError();
        CloseHandle(file);
        return failure(FileCause::Other, error);
    }
    if (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        CloseHandle(file);
        return failure(FileCause::IsFolder, 0);
    }
    m_handle = reinterpret_cast<std::intptr_t>(file);
    m_size = std::uint64_t(size.QuadPart);
    m_position = 0;
    return {};
}

ReadResult InputFile::read(std::span<char> buffer, std::size_t &got)
{
    got = 0;
    buffer = buffer.first(std::size_t(std::min<std::uint64_t>(buffer.size(), m_size - m_position)));
    if (buffer.empty()) {
        return {};
    }
    const auto piece = DWORD(std::min<std::size_t>(buffer.size(), std::size_t(1) << 30));
    DWORD error = 0;
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        OVERLAPPED position = detail::positionAt(m_position);
        DWORD n = 0;
        error = DWORD(detail::atReadStage(ReadStage::Read));
        if (error == 0) {
            error = ::ReadFile(handleOf(m_handle), buffer.data(), piece, &n, &position) ? 0 : GetLastError();
        }
        if (error == ERROR_HANDLE_EOF) {
            return {};
        }
        if (error == 0) {
            got = n;
            m_position += n;
            return {};
        }
        // An append holds the whole file locked while it writes: wait for it to finish.
        if (error != ERROR_LOCK_VIOLATION) {
            return failure(FileCause::Other, error);
        }
        Sleep(kPauseMs);
    }
    return failure(FileCause::InUse, int(error));
}

} // namespace merivox
