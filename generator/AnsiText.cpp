#include "AnsiText.h"

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
} // namespace

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
