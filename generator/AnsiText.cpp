#include "AnsiText.h"

namespace merivox {

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
