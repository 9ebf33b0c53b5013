// The file's code page on Windows: the system's ANSI code page, converted by Windows itself.
// Qt's own system-code-page encoder (without ICU) does not report characters the code page
// lacks, so a name with "Ω" would reach the file as "?": WideCharToMultiByte says so instead.
#include "AnsiText.h"

#include <windows.h>

namespace merivox {

QString fromAnsi(QByteArrayView bytes)
{
    if (bytes.isEmpty()) {
        return {};
    }
    const int size = MultiByteToWideChar(CP_ACP, 0, bytes.data(), int(bytes.size()), nullptr, 0);
    QString text(size, Qt::Uninitialized);
    MultiByteToWideChar(CP_ACP, 0, bytes.data(), int(bytes.size()), reinterpret_cast<wchar_t *>(text.data()), size);
    return text;
}

std::optional<QByteArray> toAnsi(const QString &text)
{
    if (text.isEmpty()) {
        return QByteArray();
    }
    const auto *wide = reinterpret_cast<const wchar_t *>(text.utf16());
    const int length = int(text.size());
    // With UTF-8 as the system code page (a Windows option) every character fits, but Windows
    // refuses the "used a default character" question for it: only broken surrogates fail.
    const bool utf8 = GetACP() == CP_UTF8;
    const DWORD flags = utf8 ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS;
    BOOL usedDefault = FALSE;
    BOOL *askDefault = utf8 ? nullptr : &usedDefault;
    const int size = WideCharToMultiByte(CP_ACP, flags, wide, length, nullptr, 0, nullptr, askDefault);
    if (size <= 0 || usedDefault) {
        return std::nullopt;
    }
    QByteArray bytes(size, Qt::Uninitialized);
    WideCharToMultiByte(CP_ACP, flags, wide, length, bytes.data(), size, nullptr, askDefault);
    if (usedDefault) {
        return std::nullopt;
    }
    return bytes;
}

} // namespace merivox
