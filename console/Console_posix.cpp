#include "Console.h"

#include <cstdio>

namespace merivox {

QByteArray redirectedBytes(const QString &text)
{
    return text.toLocal8Bit();
}

void writeConsole(ConsoleStream stream, const QString &text)
{
    std::FILE *file = stream == ConsoleStream::Output ? stdout : stderr;
    const QByteArray bytes = redirectedBytes(text);
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), file);
    std::fflush(file);
}

} // namespace merivox
