#include "WindowPart.h"

#include <QDir>
#include <QString>

#include <windows.h>

#include <vector>

namespace merivox {

QString programFolder()
{
    // The buffer grows until the whole path fits (long paths reach 32,767 characters).
    std::vector<wchar_t> name(MAX_PATH);
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, name.data(), DWORD(name.size()));
        if (length == 0) {
            return {};
        }
        if (length < name.size()) {
            const QString path = QDir::fromNativeSeparators(QString::fromWCharArray(name.data(), int(length)));
            return path.left(path.lastIndexOf(QLatin1Char('/')));
        }
        if (name.size() >= 32768) {
            return {};
        }
        name.resize(name.size() * 2);
    }
}

} // namespace merivox
