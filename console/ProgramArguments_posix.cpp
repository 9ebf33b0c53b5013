#include "ProgramArguments.h"

#include <QFile>

namespace merivox {

QStringList programArguments(int argc, char *argv[])
{
    QStringList arguments;
    arguments.reserve(argc);
    for (int i = 0; i < argc; ++i) {
        arguments.append(QFile::decodeName(argv[i]));
    }
    return arguments;
}

} // namespace merivox
