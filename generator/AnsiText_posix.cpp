// The file's code page away from Windows: Windows-1252, which the machine's software expects.
#include "AnsiText.h"

#include "Windows1252.h"

namespace merivox {

QString fromAnsi(QByteArrayView bytes)
{
    return windows1252::decode(bytes);
}

std::optional<QByteArray> toAnsi(const QString &text)
{
    return windows1252::encode(text);
}

} // namespace merivox
