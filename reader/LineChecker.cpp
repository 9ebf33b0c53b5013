#include "LineChecker.h"

#include "ItemKeys.h"

#include <QScopeGuard>

#include <algorithm>
#include <limits>
#include <type_traits>

namespace merivox {

// Counts every problem and hint, and hands on those the sink keeps.
template <typename Text> void LineChecker::note(quint32 index, const Text &text, bool isHint)
{
    ++(isHint ? m_totals.hints : m_totals.problems);
    if (!keeps(index)) {
        return;
    }
    QString made;
    if constexpr (std::is_invocable_v<Text>) {
        made = text();
    } else {
        made = text;
    }
    m_settled.notedSince = true;
    m_sink.note({int(index) + 1, made, isHint, m_midLine});
}

void LineChecker::finish()
{
    if (m_lines > 0 && !m_ends.lastNewline) {
        problem(m_lines - 1, RecordRules::noLastLineEnd());
    }
    finishRecord();
    m_sink.settled(std::numeric_limits<int>::max());
}

// The first line that ends in LF alone: whether some later line ends in CR LF is looked up ahead
// in the file, from next on.
void LineChecker::noteLfAlone(quint64 next)
{
    const bool mixed = m_ends.crLf || m_sink.crLfFrom(next);
    hint(m_lines - 1, RecordRules::lfAlone(mixed));
}

void LineChecker::readByRules(quint64 offset, QByteArrayView line)
{
    const quint32 index = m_lines++;
    RecordRules::Verdict verdict = m_rules.readLine(line, index, m_open.open ? &m_open.parts : nullptr, m_quickLines);
    const LineKind kind = verdict.kind;
    QString &trouble = verdict.problem;
    if (!verdict.hint.isEmpty()) {
        hint(index, verdict.hint);
    }
    if (!verdict.negativeSize.isEmpty()) {
        hint(index, verdict.negativeSize);
    }
    if (m_sink.wantsLines()) {
        m_sink.line(index, offset);
    }

    if (kind == LineKind::Item) {
        finishRecord();
        startRecord(index, offset, offset, line, false);
        return;
    }
    if (verdict.item > 0) {
        // The item line that follows this line's own text.
        if (m_open.open) {
            m_open.record.lineCount++;
            follow(kind, true);
        }
        problem(index, trouble);
        finishRecord();
        startRecord(index, offset, offset + quint64(verdict.item), line.sliced(verdict.item), true);
        return;
    }
    if (m_open.open) {
        m_open.record.lineCount++;
        // A damaged line still stands where it stands: an endtip with a stray field still
        // ends its stylus, a face with a corner short is still one of the solid's faces.
        follow(kind, trouble.isEmpty());
    } else if (trouble.isEmpty()) {
        // Once a record was read, the last one has ended with its endtip: the line stands after it.
        const int after = m_totals.records > 0 ? int(m_open.record.firstLine) + 1 : 0;
        trouble = keeps(index) ? RecordRules::outsideRecord(line, after) : QStringLiteral("-");
    }
    if (!trouble.isEmpty()) {
        problem(index, trouble);
    }
}

void LineChecker::follow(LineKind kind, bool intact)
{
    const syntax::Fields &fields = m_rules.fields();
    int faces = m_open.parts.facesExpected;
    if (kind == LineKind::Solid && intact) {
        syntax::toInteger(fields.at[1], faces);
    }
    follow(kind, faces, kind == LineKind::HotSpot && intact ? shapeOf(fields.at[9]) : TipShape::Other);
}

void LineChecker::startRecord(quint32 index, quint64 lineStart, quint64 itemOffset, QByteArrayView item, bool midLine)
{
    m_open.open = true;
    m_open.record = {index, 1};
    m_open.parts = {};
    m_open.midLine = midLine;
    m_open.start = lineStart;
    m_open.pending = false;
    // The open record's item line, for its notes when it ends: the line itself may be gone.
    m_open.item.resize(item.size());
    std::copy(item.begin(), item.end(), m_open.item.begin());
    // The duplicate table is far larger than the processor's caches: its slot for this name
    // and thread is fetched now, while the line is checked, not waited for at the end.
    const quint32 hash = DuplicateIndex::hashOf(itemKey(item));
    m_duplicates.prefetch(hash);
    // Notes on this item line belong to the record that starts mid-line, when it does.
    m_midLine = midLine;
    const auto done = qScopeGuard([this] { m_midLine = false; });
    const RecordRules::ItemVerdict verdict = m_rules.readItem(item, index);
    if (!verdict.problem.isEmpty()) {
        problem(index, verdict.problem);
        return;
    }
    if (!verdict.hint.isEmpty()) {
        hint(index, verdict.hint);
    }
    // The table's slot is looked at when the record ends: by then it has come from memory.
    m_open.pending = true;
    m_open.hash = hash;
    m_open.keyOffset = itemOffset + 5;
}

void LineChecker::finishRecord()
{
    if (!m_open.open) {
        return;
    }
    m_open.open = false;
    const QByteArrayView item(m_open.item);
    Record &r = m_open.record;
    const int twinOf =
        m_open.pending ? m_duplicates.findOrAdd(m_open.hash, itemKey(item), m_open.keyOffset, r.firstLine) : 0;
    const RecordRules::Whole whole = RecordRules::judge(m_open.parts);
    r.kind = whole.kind;
    r.shape = whole.shape;
    r.decimal = whole.decimal;
    r.faces = whole.faces;
    m_midLine = m_open.midLine;
    if (!whole.missing.isEmpty()) {
        problem(r.firstLine, [&] { return RecordRules::cutOff(item, whole.missing); });
    }
    if (twinOf > 0) {
        problem(r.firstLine, [&] { return RecordRules::namedTwice(item, twinOf); });
    }
    m_midLine = false;
    ++m_totals.records;
    m_sink.record(r, m_open.start);
}

} // namespace merivox
