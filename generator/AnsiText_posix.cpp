// The file's code page away from Windows: Windows-1252, which the machine's software expects.
#include "AnsiText.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace merivox {

QString fromAnsi(QByteArrayView bytes)
{
    // Kept per thread: the reader decodes every name and field of a large file through it.
    thread_local QStringDecoder decoder("windows-1252", QStringConverter::Flag::Stateless);
    if (!decoder.isValid()) {
        return QString::fromLatin1(bytes);
    }
    return decoder.decode(bytes);
}

std::optional<QByteArray> toAnsi(const QString &text)
{
    QStringEncoder encoder("windows-1252", QStringConverter::Flag::Stateless);
    if (!encoder.isValid()) {
        // Without a converter for the code page only plain ASCII is known to come out right.
        for (const QChar c : text) {
            if (c.unicode() > 0x7f) {
                return std::nullopt;
            }
        }
        return text.toLatin1();
    }
    QByteArray bytes = encoder.encode(text);
    if (encoder.hasError()) {
        return std::nullopt;
    }
    return bytes;
}

} // namespace merivox
