#include "ItemKeys.h"

#include "LineSyntax.h"

namespace merivox {

QByteArrayView itemKey(QByteArrayView itemLine)
{
    if (!itemLine.startsWith("ITEM:")) {
        return {};
    }
    QByteArrayView key = itemLine.sliced(5);
    while (!key.isEmpty() && syntax::isBlank(key.back())) {
        key.chop(1);
    }
    return key;
}

void ItemKeys::add(QByteArrayView itemLine, int line)
{
    const QByteArray key = itemKey(itemLine).toByteArray();
    if (!m_lines.contains(key)) {
        m_lines.insert(key, line);
    }
}

int ItemKeys::earlierLine(QByteArrayView itemLine) const
{
    if (!itemLine.startsWith("ITEM:")) {
        return 0;
    }
    return m_lines.value(itemKey(itemLine).toByteArray(), 0);
}

} // namespace merivox
