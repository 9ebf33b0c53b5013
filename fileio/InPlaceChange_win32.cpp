#include "FileHandle_win32.h"
#include "InPlaceChange.h"
#include "ReplaceFile.h"

#include <windows.h>

#include <vector>

namespace merivox::detail {

namespace fs = std::filesystem;

namespace {

int lastError()
{
    return int(GetLastError());
}

// The attributes the note takes over from the file, as a replacement's new file does.
constexpr DWORD kKeptAttributes =
    FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

// The locked file's handle and the note beside it.
class WindowsInPlace final : public InPlaceAccess
{
public:
    WindowsInPlace(const fs::path &file, HANDLE locked) : m_file(file), m_locked(locked), m_note(changeNotePath(file))
    {}

    std::string identity() override
    {
        BY_HANDLE_FILE_INFORMATION info{};
        if (!GetFileInformationByHandle(m_locked, &info)) {
            return "unknown";
        }
        return std::to_string(info.dwVolumeSerialNumber) + "i" +
               std::to_string((std::uint64_t(info.nFileIndexHigh) << 32) | info.nFileIndexLow);
    }
    int readFile(std::string &out) override { return readAll(m_locked, out) ? 0 : lastError(); }
    int writeAt(std::uint64_t offset, std::string_view bytes) override
    {
        return writeAll(m_locked, bytes, offset) ? 0 : lastError();
    }
    int setLength(std::uint64_t length) override
    {
        FILE_END_OF_FILE_INFO end{};
        end.EndOfFile.QuadPart = LONGLONG(length);
        return SetFileInformationByHandle(m_locked, FileEndOfFileInfo, &end, sizeof end) ? 0 : lastError();
    }
    int flushFile() override { return FlushFileBuffers(m_locked) ? 0 : lastError(); }

    int readNote(std::string &out, bool &found) override
    {
        const FileHandle note = openShared(m_note, GENERIC_READ);
        found = note.valid();
        if (!found) {
            const DWORD error = GetLastError();
            return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? 0 : int(error);
        }
        return readAll(note.handle, out) ? 0 : lastError();
    }

    int writeNote(std::string_view bytes) override
    {
        // The name of this process's new file of a replacement, which the path in place has none of;
        // a killed copy's is removed as its leftover under the lock.
        const fs::path temporary = temporaryPath(m_file, GetCurrentProcessId(), false);
        DeleteFileW(temporary.c_str()); // a dead copy's of the same process id
        FILE_BASIC_INFO basic{};
        AccessList access;
        if (!GetFileInformationByHandleEx(m_locked, FileBasicInfo, &basic, sizeof basic)) {
            return lastError();
        }
        if (const DWORD error = readAccessList(m_locked, access)) {
            return int(error);
        }
        const DWORD attributes = basic.FileAttributes & kKeptAttributes;
        FileHandle out(CreateFileW(temporary.c_str(), GENERIC_READ | GENERIC_WRITE | DELETE | WRITE_DAC | READ_CONTROL,
                                   FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, CREATE_NEW,
                                   attributes ? attributes : FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!out.valid()) {
            return lastError();
        }
        DWORD error = applyAccessList(out.handle, access);
        if (error == ERROR_SUCCESS && (!writeAll(out.handle, bytes, 0) || !FlushFileBuffers(out.handle))) {
            error = GetLastError();
        }
        if (error != ERROR_SUCCESS) {
            markForDeletion(out.handle);
            return int(error);
        }
        out.close();
        if (!MoveFileExW(temporary.c_str(), m_note.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
            error = GetLastError();
            DeleteFileW(temporary.c_str());
            return int(error);
        }
        return 0;
    }

    int setStep(std::uint64_t offset, char step) override
    {
        const FileHandle note = openShared(m_note, GENERIC_WRITE);
        if (!note.valid()) {
            return lastError();
        }
        if (!writeAll(note.handle, std::string_view(&step, 1), offset) || !FlushFileBuffers(note.handle)) {
            return lastError();
        }
        return 0;
    }

    int removeNote() override
    {
        if (!DeleteFileW(m_note.c_str())) {
            const DWORD error = GetLastError();
            return error == ERROR_FILE_NOT_FOUND ? 0 : int(error);
        }
        return 0;
    }

private:
    fs::path m_file;
    HANDLE m_locked;
    fs::path m_note;
};

} // namespace

DWORD recoverFileChange(const fs::path &file, HANDLE locked)
{
    WindowsInPlace access(file, locked);
    return DWORD(recoverChange(access));
}

DWORD changeFileInPlace(const fs::path &file, HANDLE locked, std::string_view content, std::string_view replacement,
                        bool &begun)
{
    WindowsInPlace access(file, locked);
    return DWORD(changeInPlace(access, content, replacement, begun));
}

} // namespace merivox::detail
