#include "FileHandle_win32.h"
#include "InPlaceChange.h"

#include <windows.h>

namespace merivox::detail {

namespace fs = std::filesystem;

namespace {

int lastError()
{
    return int(GetLastError());
}

} // namespace

std::string WindowsLockedFile::identity()
{
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(m_locked, &info)) {
        return "unknown";
    }
    return std::to_string(info.dwVolumeSerialNumber) + "i" +
           std::to_string((std::uint64_t(info.nFileIndexHigh) << 32) | info.nFileIndexLow);
}

int WindowsLockedFile::writeAt(std::uint64_t offset, std::string_view bytes)
{
    return writeAll(m_locked, bytes, offset) ? 0 : lastError();
}

int WindowsLockedFile::setLength(std::uint64_t length)
{
    FILE_END_OF_FILE_INFO end{};
    end.EndOfFile.QuadPart = LONGLONG(length);
    return SetFileInformationByHandle(m_locked, FileEndOfFileInfo, &end, sizeof end) ? 0 : lastError();
}

int WindowsLockedFile::flushFile()
{
    return FlushFileBuffers(m_locked) ? 0 : lastError();
}

int WindowsLockedFile::readNote(std::string &out, bool &found)
{
    const FileHandle note = openShared(changeNotePath(path()), GENERIC_READ);
    found = note.valid();
    if (!found) {
        const DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? 0 : int(error);
    }
    return readAll(note.handle, out) ? 0 : lastError();
}

int WindowsLockedFile::setStep(std::uint64_t offset, char step)
{
    const FileHandle note = openShared(changeNotePath(path()), GENERIC_WRITE);
    if (!note.valid()) {
        return lastError();
    }
    if (!writeAll(note.handle, std::string_view(&step, 1), offset) || !FlushFileBuffers(note.handle)) {
        return lastError();
    }
    return 0;
}

DWORD recoverFileChange(const fs::path &file, HANDLE locked)
{
    WindowsLockedFile access(file, locked, false);
    return DWORD(recoverChange(access));
}

} // namespace merivox::detail
