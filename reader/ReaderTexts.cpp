#include "ReaderTexts.h"

#include <algorithm>

namespace merivox {

QString counted(qsizetype count, const QString &one, const QString &many)
{
    return QStringLiteral("%1 %2").arg(count).arg(count == 1 ? one : many);
}

QString visible(const QString &text)
{
    const auto isControl = [](QChar c) {
        return (c.unicode() < 0x20 && c != QLatin1Char('\t')) || (c.unicode() >= 0x7f && c.unicode() <= 0x9f);
    };
    if (std::none_of(text.begin(), text.end(), isControl)) {
        return text;
    }
    QString shown;
    shown.reserve(text.size() + 8);
    for (const QChar c : text) {
        if (isControl(c)) {
            shown += QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QLatin1Char('0'));
        } else {
            shown += c;
        }
    }
    return shown;
}

QString unfinishedChangeText(const QString &noteName)
{
    return QStringLiteral("Eine Änderung der Datei wurde nicht zu Ende geführt (%1); das nächste Merivox, das die "
                          "Datei ändert, vollendet sie.")
        .arg(noteName);
}

} // namespace merivox
