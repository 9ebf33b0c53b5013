#include "WriteAccess.h"

#include <QDir>

#include <cerrno>
#include <unistd.h>

namespace merivox {

Writable appendAccess(const QString &folder, bool fileExists)
{
    const QString path = fileExists ? QDir(folder).filePath(QStringLiteral("usrprobe.dat")) : folder;
    // For the folder, adding an entry needs write and search permission.
    const int wanted = fileExists ? W_OK : W_OK | X_OK;
    if (::access(QFile::encodeName(path).constData(), wanted) == 0) {
        return Writable::Yes;
    }
    switch (errno) {
    case EACCES:
    case EPERM:
    case EROFS:
    case ETXTBSY:
        return Writable::No;
    default:
        return Writable::Unknown;
    }
}

} // namespace merivox
