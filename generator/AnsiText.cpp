#include "AnsiText.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace merivox {

namespace {
QStringEncoder makeEncoder()
{
#ifdef Q_OS_WIN
    return QStringEncoder(QStringConverter::System, QStringConverter::Flag::Stateless);
#else
    return QStringEncoder("windows-1252", QStringConverter::Flag::Stateless);
#endif
}
QStringDecoder makeDecoder()
{
#ifdef Q_OS_WIN
    return QStringDecoder(QStringConverter::System, QStringConverter::Flag::Stateless);
#else
    return QStringDecoder("windows-1252", QStringConverter::Flag::Stateless);
#endif
}
} // namespace

QString fromAnsi(QByteArrayView bytes)
{
    // Kept per thread: the reader decodes every name and field of a large file through it.
    thread_local QStringDecoder decoder = makeDecoder();
    if (!decoder.isValid()) {
        return QString::fromLatin1(bytes);
    }
    return decoder.decode(bytes);
}

std::optional<QByteArray> toAnsi(const QString &text)
{
    QStringEncoder encoder = makeEncoder();
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

bool isWritableText(const QString &text)
{
    for (const QChar c : text) {
        if (c.category() == QChar::Other_Control || c == QChar::LineSeparator || c == QChar::ParagraphSeparator) {
            return false;
        }
    }
    return toAnsi(text).has_value();
}

} // namespace merivox
