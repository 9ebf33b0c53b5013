#include "RecordTokens.h"

#include "LineSyntax.h"

#include <algorithm>

namespace merivox {

RecordTokens::RecordTokens(const QString &line) : m_line(line)
{
    for (qsizetype i = 0; i < line.size();) {
        if (line[i] == u' ') {
            ++i;
            continue;
        }
        const qsizetype start = i;
        while (i < line.size() && line[i] != u' ') {
            ++i;
        }
        m_places.append({start, i});
        m_pieces.append(line.sliced(start, i - start));
    }
}

RecordTokens::RecordTokens(const RecordLine &line)
{
    // The reader keeps the keyword as the line's kind; a line of no known kind keeps its first
    // field, and the item line its name and thread.
    if (line.kind != LineKind::Unknown) {
        m_pieces.append(lineKeyword(line.kind));
        m_values.append(qQNaN());
    }
    m_pieces.append(line.fields);
    for (qsizetype i = 0; i < line.fields.size(); ++i) {
        m_values.append(line.value(i));
    }
}

double RecordTokens::value(qsizetype i) const
{
    if (i >= size()) {
        return qQNaN();
    }
    if (m_places.isEmpty()) {
        return m_values.value(i, qQNaN());
    }
    // Digits, signs and separators are ASCII: a piece with any other character is no number.
    return syntax::toNumber(m_pieces[i].toLatin1());
}

QString RecordTokens::typed(qsizetype i) const
{
    if (i >= size()) {
        return {};
    }
    if (m_places.isEmpty()) {
        return m_pieces[i];
    }
    const qsizetype from = i == 0 ? 0 : m_places[i - 1].second + 1;
    const qsizetype to = i + 1 < size() ? m_places[i + 1].first - 1 : m_line.size();
    return m_line.sliced(from, std::max(to - from, qsizetype(0)));
}

QString RecordTokens::restAfter(qsizetype i) const
{
    if (i >= size()) {
        return {};
    }
    if (m_places.isEmpty()) {
        return QStringList(m_pieces.mid(i + 1)).join(u' ');
    }
    const qsizetype from = m_places[i].second + 1;
    return from < m_line.size() ? m_line.sliced(from) : QString();
}

} // namespace merivox
