#include "ProgramArguments.h"

#include <windows.h>

#include <shellapi.h>

namespace merivox {

QStringList programArguments(int argc, char *argv[])
{
    int count = 0;
    LPWSTR *wide = CommandLineToArgvW(GetCommandLineW(), &count);
    QStringList arguments;
    if (wide != nullptr && count == argc) {
        for (int i = 0; i < count; ++i) {
            arguments.append(QString::fromWCharArray(wide[i]));
        }
    } else {
        for (int i = 0; i < argc; ++i) {
            arguments.append(QString::fromLocal8Bit(argv[i]));
        }
    }
    LocalFree(wide);
    return arguments;
}

} // namespace merivox
