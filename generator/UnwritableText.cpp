#include "UnwritableText.h"

#include "AnsiText.h"


namespace merivox {

namespace {

QString controlName(char32_t c)
{
    switch (c) {
    case U'\t':
        return QStringLiteral("Tabulator");
    case U'\n':
        return QStringLiteral("Zeilenvorschub");
    case U'\r':
        return QStringLiteral("Wagenrücklauf");
    case U'\u2028':
        return QStringLiteral("Zeilentrenner");
    case U'\u2029':
        return QStringLiteral("Absatztrenner");
    default:
        return {};
    }
}

} // namespace

QString unwritableCharacter(const QString &text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        char32_t c = text[i].unicode();
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            c = QChar::surrogateToUcs4(text[i], text[i + 1]);
            ++i;
        }
        const QString one = QString::fromUcs4(&c, 1);
        const bool control = QChar::category(c) == QChar::Other_Control || c == U'\u2028' || c == U'\u2029';
        if (control) {
            const QString code = QStringLiteral("U+%1").arg(uint(c), 4, 16, QLatin1Char('0')).toUpper();
            const QString name = controlName(c);
            return name.isEmpty() ? QStringLiteral("das Steuerzeichen %1").arg(code)
                                  : QStringLiteral("das Steuerzeichen %1 (%2)").arg(name, code);
        }
        if (!isWritableText(one)) {
            return QStringLiteral("„%1“").arg(one);
        }
    }
    return {};
}

} // namespace merivox
