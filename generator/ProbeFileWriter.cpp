#include "ProbeFileWriter.h"

#include "AnsiText.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#ifdef Q_OS_WIN
#include <windows.h>
#else
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace merivox {

namespace {

enum class Cause { FolderMissing, AccessDenied, DiskFull, IsFolder, Other };

QString reasonText(Cause cause, int systemError)
{
    switch (cause) {
    case Cause::FolderMissing:
        return QStringLiteral("Der Ordner existiert nicht.");
    case Cause::AccessDenied:
        return QStringLiteral("Zugriff verweigert.");
    case Cause::DiskFull:
        return QStringLiteral("Auf dem Datenträger ist nicht genügend Speicherplatz frei.");
    case Cause::IsFolder:
        return QStringLiteral("Unter diesem Namen besteht bereits ein Ordner.");
    case Cause::Other:
        break;
    }
    return qt_error_string(systemError);
}

#ifdef Q_OS_WIN

Cause causeOf(DWORD error)
{
    switch (error) {
    case ERROR_PATH_NOT_FOUND:
    case ERROR_FILE_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
        return Cause::FolderMissing;
    case ERROR_ACCESS_DENIED:
    case ERROR_WRITE_PROTECT:
        return Cause::AccessDenied;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return Cause::DiskFull;
    default:
        return Cause::Other;
    }
}

// The file opened for appending and locked against other copies of the program.
class LockedFile
{
public:
    bool open(const QString &path)
    {
        m_handle = CreateFileW(reinterpret_cast<const wchar_t *>(QDir::toNativeSeparators(path).utf16()),
                               GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
        if (m_handle == INVALID_HANDLE_VALUE) {
            return failed();
        }
        m_created = GetLastError() != ERROR_ALREADY_EXISTS;
        OVERLAPPED whole{};
        return LockFileEx(m_handle, LOCKFILE_EXCLUSIVE_LOCK, 0, MAXDWORD, MAXDWORD, &whole) || failed();
    }
    std::optional<qint64> size()
    {
        LARGE_INTEGER size;
        if (!GetFileSizeEx(m_handle, &size)) {
            failed();
            return std::nullopt;
        }
        return size.QuadPart;
    }
    std::optional<char> byteAt(qint64 offset)
    {
        char byte = 0;
        DWORD read = 0;
        if (!seek(offset) || !ReadFile(m_handle, &byte, 1, &read, nullptr) || read != 1) {
            failed();
            return std::nullopt;
        }
        return byte;
    }
    bool writeAt(qint64 offset, const QByteArray &bytes)
    {
        DWORD written = 0;
        return (seek(offset) && WriteFile(m_handle, bytes.constData(), DWORD(bytes.size()), &written, nullptr) &&
                written == DWORD(bytes.size())) ||
               failed();
    }
    bool sync() { return FlushFileBuffers(m_handle) || failed(); }
    void truncate(qint64 size)
    {
        if (seek(size)) {
            SetEndOfFile(m_handle);
        }
    }
    bool close()
    {
        const bool ok = CloseHandle(m_handle);
        m_handle = INVALID_HANDLE_VALUE;
        return ok || failed();
    }
    ~LockedFile()
    {
        if (m_handle != INVALID_HANDLE_VALUE) {
            CloseHandle(m_handle);
        }
    }
    bool created() const { return m_created; }
    Cause cause() const { return causeOf(m_error); }
    int error() const { return int(m_error); }

private:
    bool seek(qint64 offset)
    {
        LARGE_INTEGER to;
        to.QuadPart = offset;
        return SetFilePointerEx(m_handle, to, nullptr, FILE_BEGIN);
    }
    bool failed()
    {
        m_error = GetLastError();
        return false;
    }
    HANDLE m_handle = INVALID_HANDLE_VALUE;
    bool m_created = false;
    DWORD m_error = 0;
};

#else

Cause causeOf(int error)
{
    switch (error) {
    case ENOENT:
    case ENOTDIR:
        return Cause::FolderMissing;
    case EACCES:
    case EPERM:
    case EROFS:
        return Cause::AccessDenied;
    case ENOSPC:
    case EDQUOT:
        return Cause::DiskFull;
    case EISDIR:
        return Cause::IsFolder;
    default:
        return Cause::Other;
    }
}

// The file opened for appending and locked against other copies of the program.
class LockedFile
{
public:
    bool open(const QString &path)
    {
        const QByteArray native = QFile::encodeName(path);
        // Another copy that created the file may remove it again after a failure while this one
        // waits for the lock; writing to the removed file would lose the record. So after locking,
        // make sure the path still names the file that was opened, and start again if not.
        for (int attempt = 0; attempt < 100; ++attempt) {
            m_fd = ::open(native.constData(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
            m_created = m_fd >= 0;
            if (!m_created && errno == EEXIST) {
                m_fd = ::open(native.constData(), O_RDWR | O_CLOEXEC);
            }
            if (m_fd < 0) {
                return failed();
            }
            int locked;
            do {
                locked = ::flock(m_fd, LOCK_EX);
            } while (locked != 0 && errno == EINTR);
            struct stat opened;
            if (locked != 0 || ::fstat(m_fd, &opened) != 0) {
                return failed();
            }
            m_regular = S_ISREG(opened.st_mode);
            struct stat named;
            if (::stat(native.constData(), &named) == 0 && named.st_dev == opened.st_dev &&
                named.st_ino == opened.st_ino) {
                return true;
            }
            ::close(m_fd);
            m_fd = -1;
        }
        errno = EBUSY;
        return failed();
    }
    std::optional<qint64> size()
    {
        struct stat info;
        if (::fstat(m_fd, &info) != 0) {
            failed();
            return std::nullopt;
        }
        return m_regular ? qint64(info.st_size) : 0;
    }
    std::optional<char> byteAt(qint64 offset)
    {
        char byte = 0;
        if (::pread(m_fd, &byte, 1, off_t(offset)) != 1) {
            failed();
            return std::nullopt;
        }
        return byte;
    }
    bool writeAt(qint64 offset, const QByteArray &bytes)
    {
        qint64 done = 0;
        while (done < bytes.size()) {
            const ssize_t n =
                m_regular ? ::pwrite(m_fd, bytes.constData() + done, size_t(bytes.size() - done), off_t(offset + done))
                          : ::write(m_fd, bytes.constData() + done, size_t(bytes.size() - done));
            if (n < 0 && errno == EINTR) {
                continue;
            }
            if (n <= 0) {
                return failed();
            }
            done += n;
        }
        return true;
    }
    bool sync() { return !m_regular || ::fsync(m_fd) == 0 || failed(); }
    void truncate(qint64 size)
    {
        if (m_regular) {
            [[maybe_unused]] const int ignored = ::ftruncate(m_fd, off_t(size));
        }
    }
    bool close()
    {
        const int result = ::close(m_fd); // also releases the lock
        m_fd = -1;
        return result == 0 || failed();
    }
    ~LockedFile()
    {
        if (m_fd >= 0) {
            ::close(m_fd);
        }
    }
    bool created() const { return m_created; }
    Cause cause() const { return causeOf(m_error); }
    int error() const { return m_error; }

private:
    bool failed()
    {
        m_error = errno;
        return false;
    }
    int m_fd = -1;
    bool m_created = false;
    bool m_regular = true;
    int m_error = 0;
};

#endif

} // namespace

QString ProbeFileWriter::filePath(const QString &folder)
{
    return QDir(folder).filePath(fileName());
}

std::optional<QByteArray> ProbeFileWriter::encode(const TipRecord &record)
{
    QByteArray bytes;
    for (const QString &line : record.lines) {
        const auto encoded = toAnsi(line);
        if (!encoded) {
            return std::nullopt;
        }
        bytes += *encoded;
        bytes += "\r\n";
    }
    return bytes;
}

bool ProbeFileWriter::fail(const QString &path, const QString &reason)
{
    m_error =
        QStringLiteral("Die Datei %1 konnte nicht geschrieben werden.\n%2").arg(QDir::toNativeSeparators(path), reason);
    return false;
}

bool ProbeFileWriter::append(const QString &folder, const TipRecord &record)
{
    m_error.clear();
    const QString path = filePath(folder);
    const auto bytes = encode(record);
    if (!bytes) {
        return fail(path, QStringLiteral("Der Eintrag enthält Zeichen, die die Datei nicht darstellen kann."));
    }

    LockedFile file;
    if (!file.open(path)) {
        return fail(path, reasonText(file.cause(), file.error()));
    }

    // From here on, any failure puts the file back as it was.
    const auto rollBack = [&] {
        const QString reason = reasonText(file.cause(), file.error());
        file.close();
        if (file.created()) {
            QFile::remove(path);
        }
        return fail(path, reason);
    };

    const auto size = file.size();
    if (!size) {
        return rollBack();
    }
    QByteArray out;
    if (*size > 0) {
        const auto last = file.byteAt(*size - 1);
        if (!last) {
            return rollBack();
        }
        if (*last == '\r') {
            out = "\n"; // complete a line end that was cut in half
        } else if (*last != '\n') {
            out = "\r\n";
        }
    }
    out += *bytes;

    if (!file.writeAt(*size, out) || !file.sync()) {
        file.truncate(*size);
        return rollBack();
    }
    if (!file.close()) {
        return fail(path, reasonText(file.cause(), file.error()));
    }
    return true;
}

} // namespace merivox
