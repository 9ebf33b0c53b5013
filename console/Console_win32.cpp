// Command-line output of a Windows GUI program. Such a program gets no console of its own: when
// its output is redirected it inherits the file or pipe as a standard handle; otherwise it
// attaches to the console of the process that started it (cmd, PowerShell) and writes there.
#include "Console.h"

#include <windows.h>

namespace merivox {

namespace {

bool usable(HANDLE handle)
{
    return handle != nullptr && handle != INVALID_HANDLE_VALUE && GetFileType(handle) != FILE_TYPE_UNKNOWN;
}

HANDLE outputHandle(ConsoleStream stream)
{
    const DWORD which = stream == ConsoleStream::Output ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE;
    HANDLE handle = GetStdHandle(which);
    if (usable(handle)) {
        return handle;
    }
    static const bool attached = AttachConsole(ATTACH_PARENT_PROCESS) != 0;
    if (!attached) {
        return nullptr; // started from the desktop: nobody would see the text
    }
    handle = GetStdHandle(which);
    if (usable(handle)) {
        return handle;
    }
    static const HANDLE console = CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE,
                                              FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    return usable(console) ? console : nullptr;
}

} // namespace

QByteArray redirectedBytes(const QString &text)
{
    QString lines = text;
    lines.replace(QStringLiteral("\n"), QStringLiteral("\r\n"));
    if (lines.isEmpty()) {
        return {};
    }
    const auto *wide = reinterpret_cast<const wchar_t *>(lines.utf16());
    const int length = int(lines.size());
    // No "best fit" look-alikes: what the code page lacks shows as the default character.
    const DWORD flags = GetACP() == CP_UTF8 ? 0 : WC_NO_BEST_FIT_CHARS;
    const int size = WideCharToMultiByte(CP_ACP, flags, wide, length, nullptr, 0, nullptr, nullptr);
    QByteArray bytes(size, Qt::Uninitialized);
    WideCharToMultiByte(CP_ACP, flags, wide, length, bytes.data(), size, nullptr, nullptr);
    return bytes;
}

void writeConsole(ConsoleStream stream, const QString &text)
{
    HANDLE handle = outputHandle(stream);
    if (handle == nullptr || text.isEmpty()) {
        return;
    }
    DWORD mode = 0;
    DWORD written = 0;
    if (GetConsoleMode(handle, &mode)) {
        // A console shows UTF-16 text as it is, whatever its code page.
        QString lines = text;
        lines.replace(QStringLiteral("\n"), QStringLiteral("\r\n"));
        WriteConsoleW(handle, lines.utf16(), DWORD(lines.size()), &written, nullptr);
    } else {
        const QByteArray bytes = redirectedBytes(text);
        WriteFile(handle, bytes.constData(), DWORD(bytes.size()), &written, nullptr);
        FlushFileBuffers(handle);
    }
}

} // namespace merivox
