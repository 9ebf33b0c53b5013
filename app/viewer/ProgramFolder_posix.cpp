#include "WindowPart.h"

#include <QFile>
#include <QString>

#include <climits>
#include <unistd.h>

namespace merivox {

QString programFolder()
{
    // Linux names the executable itself, links resolved, whatever the program was started as.
    char name[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", name, sizeof name);
    if (length <= 0 || length == ssize_t(sizeof name)) {
        return {};
    }
    const QString path = QFile::decodeName(QByteArray(name, qsizetype(length)));
    return path.left(path.lastIndexOf(QLatin1Char('/')));
}

} // namespace merivox
