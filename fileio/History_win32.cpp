#include "FileHandle_win32.h"
#include "History.h"

#include <windows.h>

namespace merivox {

namespace fs = std::filesystem;

namespace {

using detail::failure;
using detail::FileHandle;

FileResult lastFailure()
{
    return failure(int(GetLastError()));
}

} // namespace

FileResult appendToHistory(const fs::path &file, std::string_view bytes)
{
    const FileHandle like = detail::openShared(file, READ_CONTROL);
    if (!like.valid()) {
        return lastFailure();
    }
    detail::AccessList access;
    if (const DWORD error = detail::readAccessList(like.handle, access)) {
        return failure(FileCause::NoPermissions, int(error));
    }
    const fs::path history = historyPath(file);
    if (detail::isFolder(history)) {
        return failure(FileCause::IsFolder);
    }
    constexpr DWORD kShare = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    bool created = true;
    FileHandle out(CreateFileW(history.c_str(), GENERIC_READ | GENERIC_WRITE | DELETE | WRITE_DAC | READ_CONTROL,
                               kShare, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!out.valid() && GetLastError() == ERROR_FILE_EXISTS) {
        created = false;
        out.handle = CreateFileW(history.c_str(), GENERIC_READ | GENERIC_WRITE, kShare, nullptr, OPEN_EXISTING,
                                 FILE_ATTRIBUTE_NORMAL, nullptr);
    }
    if (!out.valid()) {
        return lastFailure();
    }
    if (created) {
        if (const DWORD error = detail::applyAccessList(out.handle, access)) {
            detail::markForDeletion(out.handle);
            return failure(FileCause::NoPermissions, int(error));
        }
    }
    // Under the file's lock nobody else writes the history: its end is where this write goes.
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(out.handle, &size)) {
        return lastFailure();
    }
    if (!detail::writeAll(out.handle, bytes, ULONGLONG(size.QuadPart))) {
        return lastFailure();
    }
    if (!FlushFileBuffers(out.handle)) {
        return lastFailure();
    }
    return {};
}

} // namespace merivox
